#include "base/csv_reader.h"

#include <gtest/gtest.h>

namespace spindle {
namespace {

using Fields = std::vector<std::string>;

TEST(CsvReader, ReadsQuotedFieldsLineEndsAndTheLineEachRecordStartsOn) {
    const struct {
        std::string Text;
        std::vector<CsvRecord> Expected;
    } cases[] = {
        {"", {}},
        {"a,b", {{1, {"a", "b"}, ""}}},
        {"\xEF\xBB\xBFpath,x\r\n1,\r\n", {{1, {"path", "x"}, ""}, {2, {"1", ""}, ""}}},
        {"a\rb\n\nc\r\n", {{1, {"a"}, ""}, {2, {"b"}, ""}, {3, {""}, ""}, {4, {"c"}, ""}}},
        {"\"x, \"\"y\"\"\",\"\"\n", {{1, {"x, \"y\"", ""}, ""}}},
        {"\"two\r\nlines\",\"and\nmore\"\r\nnext",
         {{1, {"two\r\nlines", "and\nmore"}, ""}, {4, {"next"}, ""}}},
        {"5\" single,b\n", {{1, {"5\" single", "b"}, ""}}},
        {"\"a\"b,c\nd",
         {{1, {"ab", "c"}, "text follows the closing quote of a field"}, {2, {"d"}, ""}}},
        {"x\n\"open,\nrest",
         {{1, {"x"}, ""}, {2, {"open,\nrest"}, "a quoted field is not closed"}}},
    };
    for (const auto& c : cases) {
        const std::vector<CsvRecord> records = ReadCsv(c.Text);
        ASSERT_EQ(records.size(), c.Expected.size()) << c.Text;
        for (std::size_t i = 0; i < records.size(); ++i) {
            EXPECT_EQ(records[i].Line, c.Expected[i].Line) << c.Text << " #" << i;
            EXPECT_EQ(records[i].Fields, c.Expected[i].Fields) << c.Text << " #" << i;
            EXPECT_EQ(records[i].Problem, c.Expected[i].Problem) << c.Text << " #" << i;
        }
    }
}

}  // namespace
}  // namespace spindle
