#include "history/outside_files.h"

#include <charconv>
#include <cmath>

#include "base/csv_reader.h"
#include "base/datetime.h"
#include "base/format.h"
#include "base/translate.h"

namespace spindle {
namespace {

// Exactly `digits` digits at `at`.
bool Number(std::string_view text, std::size_t at, std::size_t digits, int& value) {
    if (at + digits > text.size()) {
        return false;
    }
    value = 0;
    for (std::size_t i = at; i < at + digits; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace

bool ReadStamp(std::string_view text, bool withTime, bool hourOnly, std::int64_t& seconds) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!Number(text, 0, 4, year) || text.size() < 10 || text[4] != '-' || text[7] != '-' ||
        !Number(text, 5, 2, month) || !Number(text, 8, 2, day)) {
        return false;
    }
    TDateTime date = 0;
    if (year < 1900 || !TryEncodeDate(year, month, day, date)) {
        return false;
    }
    std::size_t end = 10;
    if (withTime) {
        if (text.size() < 13 || (text[10] != ' ' && text[10] != 'T') ||
            !Number(text, 11, 2, hour) || hour > 23) {
            return false;
        }
        end = 13;
        if (!hourOnly || (text.size() > 13 && text[13] == ':')) {
            if (text.size() < 16 || text[13] != ':' || !Number(text, 14, 2, minute) ||
                minute > 59) {
                return false;
            }
            end = 16;
        }
        if (!hourOnly) {
            if (text.size() < 19 || text[16] != ':' || !Number(text, 17, 2, second) ||
                second > 59) {
                return false;
            }
            end = 19;
        }
    }
    if (end != text.size()) {
        return false;
    }
    seconds = ClockSeconds(date) + hour * 3600 + (hourOnly ? 0 : minute * 60 + second);
    return true;
}

AsRunRead ReadAsRunLog(std::string_view text) {
    AsRunRead read;
    std::size_t number = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++number;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (Trimmed(line).empty() || line.front() == '#') {
            continue;
        }
        const std::size_t tab = line.find('\t');
        AsRunLine entry;
        if (tab == std::string_view::npos || tab + 1 >= line.size() ||
            !ReadStamp(line.substr(0, tab), true, false, entry.At)) {
            read.BadLines.push_back(number);
            continue;
        }
        entry.Path = std::string(line.substr(tab + 1));
        read.Lines.push_back(std::move(entry));
    }
    return read;
}

ListenerFigures ReadListenerFigures(std::string_view text) {
    ListenerFigures figures;
    const char delimiter = CsvDelimiterOf(text);
    for (const CsvRecord& record : ReadCsv(text, delimiter)) {
        if (record.Fields.size() == 1 && Trimmed(record.Fields[0]).empty()) {
            continue;
        }
        std::int64_t hour = 0;
        double listeners = -1;
        bool read = record.Problem.empty() && record.Fields.size() >= 2 &&
                    ReadStamp(Trimmed(record.Fields[0]), true, true, hour);
        if (read) {
            std::string number(Trimmed(record.Fields[1]));
            if (delimiter == ';') {
                for (char& c : number) {
                    c = c == ',' ? '.' : c;
                }
            }
            const auto [end, error] =
                std::from_chars(number.data(), number.data() + number.size(), listeners);
            read = error == std::errc() && end == number.data() + number.size() &&
                   std::isfinite(listeners) && listeners >= 0;
        }
        // A first line whose first field is no date names the columns.
        const bool header =
            record.Line == 1 && !record.Fields.empty() &&
            (record.Fields[0].empty() || record.Fields[0][0] < '0' || record.Fields[0][0] > '9');
        if (read) {
            figures.Hours.emplace_back(hour, listeners);
        } else if (!header) {
            figures.Problems.push_back(
                Format(tr("Line %0:d holds no hour (YYYY-MM-DD HH) and number of listeners; it "
                          "is left out."),
                       static_cast<long long>(record.Line)));
        }
    }
    return figures;
}

}  // namespace spindle
