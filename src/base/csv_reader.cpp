#include "base/csv_reader.h"

#include "base/translate.h"

namespace spindle {
namespace {

bool EndsLine(char c) {
    return c == '\r' || c == '\n';
}

class CsvParser {
public:
    CsvParser(std::string_view text, char delimiter) : text_(text), delimiter_(delimiter) {}

    std::vector<CsvRecord> Records() {
        std::vector<CsvRecord> records;
        while (i_ < text_.size()) {
            CsvRecord& record = records.emplace_back();
            record.Line = line_;
            record.Fields.push_back(Field(record));
            while (i_ < text_.size() && text_[i_] == delimiter_) {
                ++i_;
                record.Fields.push_back(Field(record));
            }
            if (i_ < text_.size()) {
                i_ += text_[i_] == '\r' && Next('\n') ? 2 : 1;
                ++line_;
            }
        }
        return records;
    }

private:
    // The field at i_, leaving i_ on the comma or line end after it, or at the end.
    std::string Field(CsvRecord& record) {
        std::string field;
        const bool quoted = i_ < text_.size() && text_[i_] == '"';
        if (quoted) {
            ++i_;
            if (!Quoted(field) && record.Problem.empty()) {
                record.Problem = tr("a quoted field is not closed");
            }
        }
        for (; i_ < text_.size() && text_[i_] != delimiter_ && !EndsLine(text_[i_]); ++i_) {
            if (quoted && record.Problem.empty()) {
                record.Problem = tr("text follows the closing quote of a field");
            }
            field += text_[i_];
        }
        return field;
    }

    // Reads up to the closing quote; false when there is none.
    bool Quoted(std::string& field) {
        for (; i_ < text_.size(); ++i_) {
            const char c = text_[i_];
            if (c == '"') {
                if (i_ + 1 >= text_.size() || text_[i_ + 1] != '"') {
                    ++i_;
                    return true;
                }
                ++i_;
            } else if (c == '\n' || (c == '\r' && !Next('\n'))) {
                ++line_;
            }
            field += c;
        }
        return false;
    }

    bool Next(char c) const { return i_ + 1 < text_.size() && text_[i_ + 1] == c; }

    std::string_view text_;
    char delimiter_;
    std::size_t i_ = 0;
    int line_ = 1;
};

}  // namespace

std::vector<CsvRecord> ReadCsv(std::string_view text, char delimiter) {
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    return CsvParser(text, delimiter).Records();
}

char CsvDelimiterOf(std::string_view text) {
    long commas = 0;
    long semicolons = 0;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size() && (quoted || !EndsLine(text[i])); ++i) {
        quoted = text[i] == '"' ? !quoted : quoted;
        commas += !quoted && text[i] == ',' ? 1 : 0;
        semicolons += !quoted && text[i] == ';' ? 1 : 0;
    }
    return semicolons > commas ? ';' : ',';
}

}  // namespace spindle
