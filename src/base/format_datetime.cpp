#include "base/format_datetime.h"

#include <algorithm>
#include <cctype>

namespace spindle {
namespace {

char Upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool StartsWithNoCase(std::string_view text, std::size_t pos, std::string_view prefix) {
    if (text.size() - pos < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (Upper(text[pos + i]) != Upper(prefix[i])) {
            return false;
        }
    }
    return true;
}

void AppendNumber(std::string& out, long value, int minDigits) {
    std::string digits = std::to_string(value);
    while (static_cast<int>(digits.size()) < minDigits) {
        digits.insert(digits.begin(), '0');
    }
    out += digits;
}

class Formatter {
public:
    Formatter(TDateTime value, const FormatSettings& fs) : fs_(fs) {
        const CalendarDate date = DecodeDate(value);
        const ClockTime time = DecodeTime(value);
        year_ = date.Year;
        month_ = date.Month;
        day_ = date.Day;
        hour_ = time.Hour;
        minute_ = time.Minute;
        second_ = time.Second;
        msec_ = time.Millisecond;
        weekday_ = (DayOfWeekMondayFirst(value) + 1) % 7;  // Sunday first
        hasTime_ = SplitDateTime(value).MSec != 0;
    }

    void Append(std::string_view pattern, int depth) {
        if (depth > 2) {
            return;  // a locale pattern that names itself must not recurse for ever
        }
        char lastToken = ' ';
        std::size_t i = 0;
        while (i < pattern.size()) {
            const char starter = pattern[i];
            char token = Upper(starter);
            if (token >= 'A' && token <= 'Z') {
                if (token == 'M' && lastToken == 'H') {
                    token = 'N';
                }
                lastToken = token;
            }
            const std::size_t count = CountRun(pattern, i);
            switch (token) {
                case 'Y':
                    if (count <= 2) {
                        AppendNumber(out_, year_ % 100, 2);
                    } else {
                        AppendNumber(out_, year_, 4);
                    }
                    i += count;
                    break;
                case 'M':
                    if (count <= 2) {
                        AppendNumber(out_, month_, static_cast<int>(count));
                    } else if (count == 3) {
                        out_ += fs_.ShortMonthNames[month_ - 1];
                    } else {
                        out_ += fs_.LongMonthNames[month_ - 1];
                    }
                    i += count;
                    break;
                case 'D':
                    if (count <= 2) {
                        AppendNumber(out_, day_, static_cast<int>(count));
                    } else if (count == 3) {
                        out_ += fs_.ShortDayNames[weekday_];
                    } else if (count == 4) {
                        out_ += fs_.LongDayNames[weekday_];
                    } else if (count == 5) {
                        Append(fs_.ShortDateFormat, depth + 1);
                    } else {
                        Append(fs_.LongDateFormat, depth + 1);
                    }
                    i += count;
                    break;
                case 'H': {
                    int hour = hour_;
                    if (TwelveHourClockAhead(pattern, i + count)) {
                        if (hour == 0) {
                            hour = 12;
                        } else if (hour > 12) {
                            hour -= 12;
                        }
                    }
                    AppendNumber(out_, hour, count >= 2 ? 2 : 1);
                    i += count;
                    break;
                }
                case 'N':
                    AppendNumber(out_, minute_, count >= 2 ? 2 : 1);
                    i += count;
                    break;
                case 'S':
                    AppendNumber(out_, second_, count >= 2 ? 2 : 1);
                    i += count;
                    break;
                case 'Z':
                    AppendNumber(out_, msec_, count >= 3 ? 3 : 1);
                    i += count;
                    break;
                case 'T':
                    Append(count == 1 ? fs_.ShortTimeFormat : fs_.LongTimeFormat, depth + 1);
                    i += count;
                    break;
                case 'C':
                    Append(fs_.ShortDateFormat, depth + 1);
                    if (hasTime_) {
                        out_ += ' ';
                        Append(fs_.LongTimeFormat, depth + 1);
                    }
                    i += count;
                    break;
                case 'A':
                    i = AppendAmPm(pattern, i);
                    break;
                case '/':
                    out_ += fs_.DateSeparator;
                    ++i;
                    break;
                case ':':
                    out_ += fs_.TimeSeparator;
                    ++i;
                    break;
                case '\'':
                case '"': {
                    const std::size_t close = pattern.find(starter, i + 1);
                    const std::size_t end =
                        close == std::string_view::npos ? pattern.size() : close;
                    out_.append(pattern.substr(i + 1, end - i - 1));
                    i = close == std::string_view::npos ? pattern.size() : close + 1;
                    break;
                }
                default:
                    out_ += starter;
                    ++i;
                    break;
            }
        }
    }

    std::string Take() { return std::move(out_); }

private:
    static std::size_t CountRun(std::string_view pattern, std::size_t i) {
        std::size_t j = i;
        while (j < pattern.size() && pattern[j] == pattern[i]) {
            ++j;
        }
        return j - i;
    }

    // An am/pm marker later in the pattern (before the next hour field) asks for
    // the 12-hour clock.
    static bool TwelveHourClockAhead(std::string_view pattern, std::size_t from) {
        char quote = 0;
        for (std::size_t j = from; j < pattern.size(); ++j) {
            const char c = pattern[j];
            if (quote != 0) {
                if (c == quote) {
                    quote = 0;
                }
                continue;
            }
            if (c == '\'' || c == '"') {
                quote = c;
            } else if (c == 'h' || c == 'H') {
                return false;
            } else if (c == 'a' || c == 'A') {
                if (StartsWithNoCase(pattern, j, "am/pm") || StartsWithNoCase(pattern, j, "a/p") ||
                    StartsWithNoCase(pattern, j, "ampm")) {
                    return true;
                }
            }
        }
        return false;
    }

    std::size_t AppendAmPm(std::string_view pattern, std::size_t i) {
        const bool pm = hour_ >= 12;
        if (StartsWithNoCase(pattern, i, "am/pm")) {
            out_.append(pattern.substr(pm ? i + 3 : i, 2));
            return i + 5;
        }
        if (StartsWithNoCase(pattern, i, "a/p")) {
            out_ += pattern[pm ? i + 2 : i];
            return i + 3;
        }
        if (StartsWithNoCase(pattern, i, "ampm")) {
            out_ += pm ? fs_.TimePMString : fs_.TimeAMString;
            return i + 4;
        }
        out_ += pattern[i];
        return i + 1;
    }

    const FormatSettings& fs_;
    std::string out_;
    int year_, month_, day_, hour_, minute_, second_, msec_, weekday_;
    bool hasTime_;
};

}  // namespace

std::string FormatDateTime(std::string_view pattern, TDateTime value,
                           const FormatSettings& settings) {
    Formatter formatter(value, settings);
    formatter.Append(pattern, 0);
    return formatter.Take();
}

std::string ShortDatePickerPattern(const FormatSettings& settings) {
    const std::string_view pattern = settings.ShortDateFormat;
    std::string out;
    // Text between the fields, quoted as one run when it holds a letter or a quote.
    std::string text;
    auto field = [&out, &text](std::size_t count, char letter) {
        const bool quoted = std::any_of(text.begin(), text.end(), [](char t) {
            return t == '\'' || (Upper(t) >= 'A' && Upper(t) <= 'Z');
        });
        if (quoted) {
            out += '\'';
        }
        for (const char t : text) {
            out += t;
            if (t == '\'') {
                out += t;  // a quote in the text is written twice
            }
        }
        if (quoted) {
            out += '\'';
        }
        text.clear();
        out.append(count, letter);
    };
    std::size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        std::size_t count = 1;
        while (i + count < pattern.size() && pattern[i + count] == c) {
            ++count;
        }
        switch (Upper(c)) {
            case 'D':
                field(std::min<std::size_t>(count, 4), 'd');
                break;
            case 'M':
                field(std::min<std::size_t>(count, 4), 'M');
                break;
            case 'Y':
                field(count <= 2 ? 2 : 4, 'y');
                break;
            case '/':
                text += settings.DateSeparator;
                count = 1;
                break;
            case '\'':
            case '"': {
                const std::size_t close = pattern.find(c, i + 1);
                const std::size_t end = close == std::string_view::npos ? pattern.size() : close;
                text.append(pattern.substr(i + 1, end - i - 1));
                count = end + 1 - i;
                break;
            }
            default:
                text += c;
                count = 1;
                break;
        }
        i += count;
    }
    field(0, ' ');
    return out;
}

}  // namespace spindle
