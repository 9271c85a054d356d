#include "base/format_datetime.h"

#include <gtest/gtest.h>

namespace spindle {
namespace {

struct Case {
    const char* Pattern;
    const char* Expected;
};

// 7 December 2026 (a Monday) at 14:05:09.
const TDateTime kMoment = 46363.0 + EncodeTime(14, 5, 9, 42);

TEST(FormatDateTime, FormatsWithEnglishSettings) {
    const Case cases[] = {
        // File names of logs, playlists, pages and summaries.
        Case{"mmmddhh", "Dec0714"}, Case{"mmmdd-hh\".M3U\"", "Dec07-14.M3U"},
        Case{"mmmdd\".ALB\"", "Dec07.ALB"}, Case{"mmmdd", "Dec07"}, Case{"hh", "14"},
        Case{"mmmddhh-", "Dec0714-"},
        // Days, months and years.
        Case{"d", "7"}, Case{"dd", "07"}, Case{"ddd", "Mon"}, Case{"dddd", "Monday"},
        Case{"ddddd", "12/7/2026"}, Case{"dddddd", "Monday, December 7, 2026"}, Case{"m", "12"},
        Case{"mm", "12"}, Case{"mmm", "Dec"}, Case{"mmmm", "December"}, Case{"yy", "26"},
        Case{"yyyy", "2026"}, Case{"yyyy-mm-dd", "2026-12-07"},
        // Clock, with "m" after an hour field meaning minutes.
        Case{"h", "14"}, Case{"hh:nn:ss", "14:05:09"}, Case{"h:m:s", "14:5:9"},
        Case{"hh:mm", "14:05"}, Case{"hh dd mm", "14 07 12"}, Case{"n", "5"}, Case{"zzz", "042"},
        Case{"t", "2:05 PM"}, Case{"tt", "2:05:09 PM"},
        // Twelve-hour markers.
        Case{"hh:nnam/pm", "02:05pm"}, Case{"h AM/PM", "2 PM"}, Case{"ha/p", "2p"},
        Case{"h ampm", "2 PM"}, Case{"dddddd hh:nnam/pm", "Monday, December 7, 2026 02:05pm"},
        Case{"dddddd ham/pm", "Monday, December 7, 2026 2pm"},
        Case{"dddddd, hh:nnam/pm", "Monday, December 7, 2026, 02:05pm"},
        Case{"ddddd hh:nn", "12/7/2026 14:05"},
        Case{"dddddd tt", "Monday, December 7, 2026 2:05:09 PM"},
        // Literal text and separators.
        Case{"'hour' h", "hour 14"}, Case{"\"a/p\" hh", "a/p 14"},
        Case{"c", "12/7/2026 2:05:09 PM"}, Case{"'unclosed", "unclosed"}, Case{"x-#", "x-#"}};
    for (const auto& [pattern, expected] : cases) {
        EXPECT_EQ(FormatDateTime(pattern, kMoment, FormatSettings::English()), expected) << pattern;
    }
    // Midnight and noon on the twelve-hour clock.
    EXPECT_EQ(FormatDateTime("h:nnam/pm", 46363.0, FormatSettings::English()), "12:00am");
    EXPECT_EQ(FormatDateTime("h:nnam/pm", 46363.5, FormatSettings::English()), "12:00pm");
    EXPECT_EQ(FormatDateTime("hh", 46363.0, FormatSettings::English()), "00");
}

TEST(FormatDateTime, FollowsTheGivenSettings) {
    FormatSettings de = FormatSettings::English();
    de.ShortDateFormat = "dd.mm.yyyy";
    de.ShortMonthNames[11] = "Dez";
    de.DateSeparator = ".";
    EXPECT_EQ(FormatDateTime("ddddd", kMoment, de), "07.12.2026");
    EXPECT_EQ(FormatDateTime("mmmddhh", kMoment, de), "Dez0714");
    EXPECT_EQ(FormatDateTime("d/m", kMoment, de), "7.12");
    de.ShortDateFormat = "ddddd";  // a pattern that refers to itself ends
    EXPECT_EQ(FormatDateTime("ddddd", kMoment, de), "");
}

// The date pickers show the short date as the lists do.
TEST(FormatDateTime, TheShortDateGoesToDatePickersInTheirLetters) {
    const struct {
        const char* Pattern;
        const char* Separator;
        const char* Picker;
    } cases[] = {{"m/d/yyyy", "/", "M/d/yyyy"},
                 {"dd.mm.yyyy", ".", "dd.MM.yyyy"},
                 {"mm/dd/yy", "-", "MM-dd-yy"},
                 {"yyyy\"年\"mm\"月\"dd\"日\"", "/", "yyyy年MM月dd日"},
                 {"d 'de' mmmm \"l'an\" yyyy", "/", "d' de 'MMMM' l''an 'yyyy"}};
    for (const auto& c : cases) {
        FormatSettings s = FormatSettings::English();
        s.ShortDateFormat = c.Pattern;
        s.DateSeparator = c.Separator;
        EXPECT_EQ(ShortDatePickerPattern(s), c.Picker) << c.Pattern;
    }
}

TEST(FormatDateTime, LocalePatternsAreConvertedFromTheCLibrary) {
    EXPECT_EQ(PatternFromStrftime("%d.%m.%Y"), "dd.mm.yyyy");
    EXPECT_EQ(PatternFromStrftime("%m/%d/%y"), "mm/dd/yy");
    EXPECT_EQ(PatternFromStrftime("%Y年%m月%d日"), "yyyy\"年\"mm\"月\"dd\"日\"");
    EXPECT_EQ(PatternFromStrftime("%I:%M:%S %p"), "hh:nn:ss ampm");
}

}  // namespace
}  // namespace spindle
