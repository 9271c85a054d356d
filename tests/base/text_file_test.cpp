#include "base/text_file.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace spindle {
namespace {

using test::TempDir;
using Lines = std::vector<std::string>;

TEST(TextFile, ReadsEveryLineEndAndWritesCrLf) {
    EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\n"), (Lines{"a"}));
    EXPECT_EQ(SplitLines("a\r\n\r\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(SplitLines(""), Lines{});
    EXPECT_EQ(SplitLines("\n"), (Lines{""}));
    // Written, every line ends in CR LF.
    EXPECT_EQ(JoinLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
    EXPECT_EQ(JoinLines({}), "");
}

TEST(TextFile, ReadsValidUtf8WithoutItsByteOrderMarkElseWindows1252) {
    TempDir dir;
    const auto path = dir.Write("u.txt",
                                "\xEF\xBB\xBF"
                                "Beyonc\xC3\xA9\r\nNext");
    EXPECT_EQ(ReadTextLines(path), (Lines{"Beyonc\xC3\xA9", "Next"}));
    // A file that is no UTF-8 is Windows-1252: "Beyoncé – Halo" with é E9, the en dash 96.
    const auto windows = dir.Write("w.txt", "Beyonc\xE9 \x96 Halo\r\n\x80\x81");
    const auto lines = ReadTextLines(windows);
    ASSERT_TRUE(lines);
    EXPECT_EQ((*lines)[0], "Beyonc\xC3\xA9 \xE2\x80\x93 Halo");
    EXPECT_EQ((*lines)[1], "\xE2\x82\xAC\xC2\x81");
    EXPECT_TRUE(IsValidUtf8((*lines)[0]));
    // A missing file or a folder is no text; an empty file is no lines.
    EXPECT_FALSE(ReadTextLines(dir / "missing.txt"));
    EXPECT_FALSE(ReadTextLines(dir.Path()));
    EXPECT_EQ(ReadTextLines(dir.Write("empty.txt", "")), Lines{});
    // Valid UTF-8 told from look-alikes.
    EXPECT_TRUE(IsValidUtf8("plain"));
    EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x8E\xB5"));   // a musical note
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong "/"
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // a surrogate
    EXPECT_FALSE(IsValidUtf8("\xE2\x82"));          // cut short
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // past U+10FFFF
}

}  // namespace
}  // namespace spindle
