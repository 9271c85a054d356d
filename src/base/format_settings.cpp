#include "base/format_settings.h"

#include <langinfo.h>
#include <locale.h>

#include <cctype>
#include <cstring>

namespace spindle {
namespace {

bool IsCLocale(const char* name) {
    return name == nullptr || std::strcmp(name, "C") == 0 || std::strcmp(name, "POSIX") == 0 ||
           std::strncmp(name, "C.", 2) == 0;
}

std::string Info(nl_item item, locale_t loc) {
    const char* text = nl_langinfo_l(item, loc);
    return text != nullptr ? std::string(text) : std::string();
}

void AppendLiteral(std::string& out, std::string& pending) {
    if (pending.empty()) {
        return;
    }
    bool hasLetter = false;
    for (unsigned char c : pending) {
        if (std::isalpha(c) || c >= 0x80) {
            hasLetter = true;
        }
    }
    if (hasLetter) {
        out += '"' + pending + '"';
    } else {
        out += pending;
    }
    pending.clear();
}

}  // namespace

std::string PatternFromStrftime(const std::string& cPattern) {
    std::string out;
    std::string literal;
    for (std::size_t i = 0; i < cPattern.size(); ++i) {
        const char c = cPattern[i];
        if (c != '%' || i + 1 >= cPattern.size()) {
            literal += c;
            continue;
        }
        char code = cPattern[++i];
        // Flags and field widths of the GNU extensions are dropped.
        while ((code == '-' || code == '_' || code == '0' || code == '^' || code == '#' ||
                code == 'E' || code == 'O') &&
               i + 1 < cPattern.size()) {
            code = cPattern[++i];
        }
        const char* piece = nullptr;
        switch (code) {
            case 'd':
                piece = "dd";
                break;
            case 'e':
                piece = "d";
                break;
            case 'm':
                piece = "mm";
                break;
            case 'y':
                piece = "yy";
                break;
            case 'Y':
                piece = "yyyy";
                break;
            case 'b':
            case 'h':
                piece = "mmm";
                break;
            case 'B':
                piece = "mmmm";
                break;
            case 'a':
                piece = "ddd";
                break;
            case 'A':
                piece = "dddd";
                break;
            case 'H':
                piece = "hh";
                break;
            case 'I':
                piece = "hh";
                break;
            case 'l':
                piece = "h";
                break;
            case 'k':
                piece = "h";
                break;
            case 'M':
                piece = "nn";
                break;
            case 'S':
                piece = "ss";
                break;
            case 'p':
            case 'P':
                piece = "ampm";
                break;
            case 'T':
                piece = "hh:nn:ss";
                break;
            case 'R':
                piece = "hh:nn";
                break;
            case 'r':
                piece = "hh:nn:ss ampm";
                break;
            case 'D':
                piece = "mm/dd/yy";
                break;
            case 'F':
                piece = "yyyy-mm-dd";
                break;
            case 'n':
            case 't':
                literal += ' ';
                break;
            case '%':
                literal += '%';
                break;
            default:
                break;
        }
        if (piece != nullptr) {
            AppendLiteral(out, literal);
            out += piece;
        }
    }
    AppendLiteral(out, literal);
    return out;
}

FormatSettings FormatSettings::FromLocale() {
    FormatSettings fs;
    locale_t loc = newlocale(LC_TIME_MASK | LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr));
    if (loc == static_cast<locale_t>(nullptr)) {
        return fs;
    }
    const char* timeName = getenv("LC_ALL");
    if (timeName == nullptr || *timeName == '\0') {
        timeName = getenv("LC_TIME");
    }
    if (timeName == nullptr || *timeName == '\0') {
        timeName = getenv("LANG");
    }
    if (!IsCLocale(timeName)) {
        const std::string radix = Info(RADIXCHAR, loc);
        if (!radix.empty()) {
            fs.DecimalSeparator = radix;
        }
        fs.ThousandSeparator = Info(THOUSEP, loc);
        if (fs.ThousandSeparator.empty()) {
            fs.ThousandSeparator = fs.DecimalSeparator == "," ? "." : ",";
        }
        static constexpr nl_item kAbMon[] = {ABMON_1, ABMON_2,  ABMON_3,  ABMON_4,
                                             ABMON_5, ABMON_6,  ABMON_7,  ABMON_8,
                                             ABMON_9, ABMON_10, ABMON_11, ABMON_12};
        static constexpr nl_item kMon[] = {MON_1, MON_2, MON_3, MON_4,  MON_5,  MON_6,
                                           MON_7, MON_8, MON_9, MON_10, MON_11, MON_12};
        static constexpr nl_item kAbDay[] = {ABDAY_1, ABDAY_2, ABDAY_3, ABDAY_4,
                                             ABDAY_5, ABDAY_6, ABDAY_7};
        static constexpr nl_item kDay[] = {DAY_1, DAY_2, DAY_3, DAY_4, DAY_5, DAY_6, DAY_7};
        for (int i = 0; i < 12; ++i) {
            if (auto s = Info(kAbMon[i], loc); !s.empty())
                fs.ShortMonthNames[i] = s;
            if (auto s = Info(kMon[i], loc); !s.empty())
                fs.LongMonthNames[i] = s;
        }
        for (int i = 0; i < 7; ++i) {
            if (auto s = Info(kAbDay[i], loc); !s.empty())
                fs.ShortDayNames[i] = s;
            if (auto s = Info(kDay[i], loc); !s.empty())
                fs.LongDayNames[i] = s;
        }
        const std::string am = Info(AM_STR, loc);
        const std::string pm = Info(PM_STR, loc);
        if (!am.empty() && !pm.empty()) {
            fs.TimeAMString = am;
            fs.TimePMString = pm;
        }
        const std::string dateFmt = Info(D_FMT, loc);
        if (!dateFmt.empty()) {
            fs.ShortDateFormat = PatternFromStrftime(dateFmt);
            for (char c : dateFmt) {
                if (c == '/' || c == '.' || c == '-') {
                    fs.DateSeparator = std::string(1, c);
                    break;
                }
            }
            // Locales name no long date pattern; put the long names in the short one's order.
            const bool dayFirst =
                dateFmt.find("%d") < dateFmt.find("%m") || dateFmt.find("%e") < dateFmt.find("%m");
            // Where the day is written "7." ("7.12.2026"), so it is in the long date.
            fs.LongDateFormat = !dayFirst                 ? "dddd, mmmm d, yyyy"
                                : fs.DateSeparator == "." ? "dddd, d. mmmm yyyy"
                                                          : "dddd, d mmmm yyyy";
        }
        const std::string timeFmt = Info(T_FMT, loc);
        if (!timeFmt.empty()) {
            fs.LongTimeFormat = PatternFromStrftime(timeFmt);
            fs.ShortTimeFormat = fs.LongTimeFormat;
            if (auto pos = fs.ShortTimeFormat.find(":ss"); pos != std::string::npos) {
                fs.ShortTimeFormat.erase(pos, 3);
            }
        }
        if (am.empty()) {
            fs.TimeAMString.clear();
            fs.TimePMString.clear();
        }
    }
    freelocale(loc);
    return fs;
}

}  // namespace spindle
