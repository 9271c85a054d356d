// The base of the program: text as it reads and writes it (case, text files, CSV, list
// text, command words, the operator's language), numbers, dates and times as texts, paths,
// safe file replacement, the random source and the unattended operator.
#include "base/command_words.h"
#include "base/csv_reader.h"
#include "base/datetime.h"
#include "base/float_text.h"
#include "base/format.h"
#include "base/format_datetime.h"
#include "base/list_text.h"
#include "base/safe_file.h"
#include "base/text_case.h"
#include "base/text_file.h"
#include "base/translate.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <tuple>

#include "base/paths.h"
#include "base/random_source.h"
#include "base/unattended_operator.h"
#include "support/temp_dir.h"

namespace spindle {
namespace {

TEST(TextCase, ComparesNamesWithoutRegardToCase) {
    EXPECT_TRUE(SameText("Current Hits", "CURRENT hits"));
    EXPECT_TRUE(SameText("Beyoncé", "BEYONCÉ"));
    EXPECT_TRUE(SameText("Straße", "STRASSE"));  // full folding, not just one letter each
    EXPECT_TRUE(SameText("ΣΊΣΥΦΟΣ", "σίσυφος"));
    EXPECT_FALSE(SameText("Jazz", "Jazz "));
    EXPECT_LT(CompareText("abc", "ABD"), 0);
    EXPECT_GT(CompareText("b", "A"), 0);
    EXPECT_LT(CompareText("a", "ab"), 0);
    EXPECT_FALSE(SameText("a\xFF", "b\xFF"));  // invalid bytes do not break comparison
    EXPECT_FALSE(FoldCase("\xC3").empty());
}

TEST(TextCase, LowerAndUpperCaseAndSortedSetsFollowUnicode) {
    EXPECT_EQ(LowerCase(".MP3"), ".mp3");
    EXPECT_EQ(UpperCase(".aiff"), ".AIFF");
    EXPECT_EQ(LowerCase("ÉCOLE"), "école");
    EXPECT_EQ(UpperCase("straße"), "STRASSE");
    // Sorted sets find any spelling.
    std::set<std::string, TextLess> names{"Jazz", "blues", "Émile"};
    EXPECT_EQ(names.count("JAZZ"), 1u);
    EXPECT_EQ(names.count("émile"), 1u);
    EXPECT_EQ(*names.begin(), "blues");
}

using test::TempDir;
using Lines = std::vector<std::string>;  // and list items, and words

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

TEST(ListText, QuotesOnlyItemsThatNeedIt) {
    EXPECT_EQ(EncodeListText({"Jazz", "Late night", "a,b", "say \"hi\"", "tab\there", ""}),
              "Jazz,\"Late night\",\"a,b\",\"say \"\"hi\"\"\",\"tab\there\",");
    EXPECT_EQ(EncodeListText({""}), "\"\"");
    EXPECT_EQ(EncodeListText({}), "");
    EXPECT_EQ(EncodeListText({"", "x"}), ",x");
}

// Any items come back, a nested list of folders with commas and quotes and a path with
// backslashes among them.
TEST(ListText, RoundTripsAnyItems) {
    const std::vector<Lines> lists = {
        {"Jazz", "", "/music/a, b", "\"quoted\"", " lead", "trail ", "multi\r\nline"},
        {"Rock", EncodeListText({"/music/Rock, Classic", "/music/\"Best\" of", "/plain"}), "215"},
        {"0", "C:\\Music\\Band - Song.mp3", "Say \"cheese\""},
        {""},
        {"a", ""},
        {"", "", ""},
        {"Ünïcödé – ♪", "日本語"},
    };
    for (const Lines& items : lists) {
        EXPECT_EQ(DecodeListText(EncodeListText(items)), items) << EncodeListText(items);
    }
}

TEST(ListText, ReadsLooseTextTolerantly) {
    EXPECT_EQ(DecodeListText("  a , b  "), (Lines{"a", "b"}));
    EXPECT_EQ(DecodeListText("a,,b"), (Lines{"a", "", "b"}));
    EXPECT_EQ(DecodeListText("a b"), (Lines{"a", "b"}));  // blanks separate too
    EXPECT_EQ(DecodeListText("\"unclosed, to end"), (Lines{"unclosed, to end"}));
    EXPECT_EQ(DecodeListText("\"ab\"cd,e"), (Lines{"ab", "cd", "e"}));
    EXPECT_EQ(DecodeListText(""), Lines{});
    EXPECT_EQ(DecodeListText("   "), Lines{});
    EXPECT_EQ(DecodeListText(","), (Lines{"", ""}));
    EXPECT_EQ(DecodeListText(std::string_view("a\0b", 3)), (Lines{"a", "b"}));
}

// A command the operator typed splits into the words a shell would see, and nothing more.
TEST(CommandWords, SplitsAsAShellWouldWithoutOne) {
    const std::pair<const char*, Lines> cases[] = {
        {"", {}},
        {"  arecord  -f cd ", {"arecord", "-f", "cd"}},
        {"\"/opt/My Recorder/rec\" --title 'Voice track'",
         {"/opt/My Recorder/rec", "--title", "Voice track"}},
        {"say\\ it \"a \\\"b\\\"\" $HOME;rm", {"say it", "a \"b\"", "$HOME;rm"}},
        {"'unclosed quote", {"unclosed quote"}},
        {"''", {""}},
    };
    for (const auto& [text, words] : cases) {
        EXPECT_EQ(CommandWords(text), words) << text;
    }
    for (const char* word : {"/usr/bin/rec", "/opt/My Rec's/rec", "", "a\\b\"c"}) {
        EXPECT_EQ(CommandWords(QuotedWord(word) + " x"), (Lines{word, "x"})) << word;
    }
}

TEST(Translation, TextsComeFromTheOperatorsCatalogue) {
    InitTranslation(SPINDLE_TEST_LOCALE_DIR);
    std::setlocale(LC_MESSAGES, "C.UTF-8");
    setenv("LANGUAGE", "de", 1);
    EXPECT_EQ(std::string(tr("Manual File Duration Entry (seconds)")),
              "Manuelle Eingabe der Dateidauer (Sekunden)");
    // A text the catalogue lacks stays English.
    EXPECT_EQ(std::string(tr("Unable to create Playlist Log file.")),
              "Unable to create Playlist Log file.");
    unsetenv("LANGUAGE");
    std::setlocale(LC_MESSAGES, "C");
}

TEST(Format, NumberedPlaceholders) {
    EXPECT_EQ(Format("%0:d of %1:d total tracks used.", 12, 340), "12 of 340 total tracks used.");
    EXPECT_EQ(
        Format("File or Folder \"%0:s\" does not exist in Category \"%1:s\".", "/m/x", "Jazz"),
        "File or Folder \"/m/x\" does not exist in Category \"Jazz\".");
    EXPECT_EQ(Format("%1:s before %0:s", "a", "b"), "b before a");
    EXPECT_EQ(Format("%0:s %1:s Summary", "KXYZ", "Playlist Track"), "KXYZ Playlist Track Summary");
    // Sequential ones continue after an index.
    EXPECT_EQ(Format("%s-%s", "a", "b"), "a-b");
    EXPECT_EQ(Format("%1:s %s", "a", "b", "c"), "b c");
}

TEST(Format, NumbersInGeneralAndThousandsForm) {
    EXPECT_EQ(Format("(%.1g hours)", 150.0 / 60.0), "(3 hours)");
    EXPECT_EQ(Format("(%.1g days)", 2880.0 / 1440.0), "(2 days)");
    EXPECT_EQ(Format("%.0n bytes", 1234567.0), "1,234,567 bytes");
    EXPECT_EQ(Format("%g", 46363.5833333333), "46363.5833333333");
    EXPECT_EQ(Format("%d", -42), "-42");
    EXPECT_EQ(Format("%.3d", 7), "007");
    EXPECT_EQ(Format("%5s|%-5s|", "ab", "cd"), "   ab|cd   |");
    EXPECT_EQ(Format("%x", 255), "FF");
    EXPECT_EQ(Format("%.2f", 2.0), "2.00");
    FormatSettings de = FormatSettings::English();  // with the given separators
    de.DecimalSeparator = ",";
    de.ThousandSeparator = ".";
    EXPECT_EQ(FormatIn(de, "%g", 0.9), "0,9");
    EXPECT_EQ(FormatIn(de, "%.0n", 1234567.0), "1.234.567");
}

// A faulty pattern keeps its text; values are never expanded again.
TEST(Format, AFaultyPatternKeepsItsText) {
    EXPECT_EQ(Format("%s", "100% %s %d"), "100% %s %d");
    EXPECT_EQ(Format("%2:s and %s", "a"), "%2:s and a");
    EXPECT_EQ(Format("50%% done"), "50% done");
    EXPECT_EQ(Format("ends with %"), "ends with %");
    EXPECT_EQ(Format("%q %s", "x"), "%q x");
    EXPECT_EQ(Format("%d", "text"), "");
}

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

const FormatSettings kEn = FormatSettings::English();

// Fifteen digits (the Playlist Log's times; single-precision item times as they are held),
// scientific notation outside the fixed range, and every value read back.
TEST(FloatText, WritesFifteenDigitsAndReadsThemBack) {
    const float item1 = static_cast<float>(12.0 / 3600.0);
    const float item2 = item1 + static_cast<float>(206.0 / 3600.0);
    const float item3 = item2 + static_cast<float>(21.0 / 3600.0);
    const TDateTime day = EncodeDate(2026, 12, 7);
    const std::pair<double, const char*> cases[] = {
        {day - 2 + EncodeTime(11, 24, 30), "46361.4753472222"},
        {day + 14.0 / 24, "46363.5833333333"},
        {day + 15.0 / 24, "46363.625"},
        {46363.0, "46363"},
        {item1, "0.00333333341404796"},
        {item2, "0.0605555549263954"},
        {item3, "0.0663888901472092"},
        {1.0 / 3.0, "0.333333333333333"},
        {static_cast<float>(1.0 / 3.0), "0.333333343267441"},
        {0.25, "0.25"},
        {0.00001, "0.00001"},
        {0.000001, "1E-6"},
        {1.5e-7, "1.5E-7"},
        {123456789012345.0, "123456789012345"},
        {1234567890123456.0, "1.23456789012346E15"},
        {1e20, "1E20"},
        {-2.5, "-2.5"},
        {0.0, "0"},
        {-0.0, "0"},
        {123456.789, "123456.789"}};
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(FloatToText(value, kEn), text);
        const auto back = TextToFloat(text, kEn);
        ASSERT_TRUE(back) << text;
        EXPECT_NEAR(*back, value, std::fabs(value) * 1e-14) << text;
    }
}

TEST(FloatText, RoundsHalfAwayFromZero) {
    EXPECT_EQ(FloatToText(2.5, kEn, 1), "3");
    EXPECT_EQ(FloatToText(0.125, kEn, 2), "0.13");
    EXPECT_EQ(FloatToText(9.96, kEn, 2), "10");
    EXPECT_EQ(FloatToText(99.5, kEn, 2), "1E2");
    EXPECT_EQ(FloatToText(0.99999999999999999, kEn), "1");
}

TEST(FloatText, UsesTheDecimalSeparatorBothWays) {
    FormatSettings de = kEn;
    de.DecimalSeparator = ",";
    EXPECT_EQ(FloatToText(0.9, de), "0,9");
    EXPECT_EQ(TextToFloat("0,9", de), 0.9);
    EXPECT_FALSE(TextToFloat("0.9", de));
    EXPECT_EQ(TextToFloat("46363,5833333333", de), 46363.5833333333);
}

TEST(FloatText, RejectsWhatIsNotANumber) {
    for (const char* bad :
         {"", " ", "abc", "1.2.3", "1e", "--1", "1,5", "0x10", "1e999", "NAN", "12abc", "."}) {
        EXPECT_FALSE(TextToFloat(bad, kEn)) << bad;
    }
    EXPECT_EQ(TextToFloat("  7 ", kEn), 7.0);
    EXPECT_EQ(TextToFloat("-.5", kEn), -0.5);
    EXPECT_EQ(TextToFloat("5.", kEn), 5.0);
    EXPECT_EQ(TextToFloat("+1E3", kEn), 1000.0);
}

TEST(FloatText, FixedNotationWithThousands) {
    EXPECT_EQ(FloatToFixed(1234567.0, 0, true, kEn), "1,234,567");
    EXPECT_EQ(FloatToFixed(999.5, 0, true, kEn), "1,000");
    EXPECT_EQ(FloatToFixed(0.004, 2, false, kEn), "0.00");
    EXPECT_EQ(FloatToFixed(0.006, 2, false, kEn), "0.01");
    EXPECT_EQ(FloatToFixed(-12.345, 1, false, kEn), "-12.3");
}

TEST(FloatText, WholeNumbers) {
    EXPECT_EQ(TextToInt("0012"), 12);
    EXPECT_EQ(TextToInt("-5"), -5);
    EXPECT_EQ(TextToInt("+5"), 5);
    EXPECT_EQ(TextToInt("-9223372036854775808"), std::numeric_limits<long long>::min());
    for (const char* bad :
         {"", "-", "--5", "+-5", "1 ", " 1", "12a", "9223372036854775808", "1.0"}) {
        EXPECT_FALSE(TextToInt(bad)) << bad;
    }
}

// Day numbers count from 30 December 1899 (1900 was no leap year) both ways, weekdays
// Monday first.
TEST(DateTime, DayNumbersDecodeToTheirDatesAndWeekdays) {
    const struct {
        int Year, Month, Day;
        double Number;
        int Weekday;
    } cases[] = {{1, 1, 1, -693593, 0},   {1899, 12, 23, -7, 5},    {1899, 12, 30, 0, 5},
                 {1899, 12, 31, 1, 6},    {1900, 2, 27, 59, 1},     {1900, 2, 28, 60, 2},
                 {1900, 3, 1, 61, 3},     {2000, 1, 1, 36526, 5},   {2024, 2, 29, 45351, 3},
                 {2026, 12, 7, 46363, 0}, {2026, 12, 13, 46369, 6}, {9999, 12, 31, 2958465, 4}};
    for (const auto& c : cases) {
        EXPECT_EQ(EncodeDate(c.Year, c.Month, c.Day), c.Number);
        const CalendarDate d = DecodeDate(c.Number);
        EXPECT_EQ(std::tuple(d.Year, d.Month, d.Day), std::tuple(c.Year, c.Month, c.Day))
            << c.Number;
        EXPECT_EQ(DayOfWeekMondayFirst(c.Number), c.Weekday) << c.Number;
    }
}

TEST(DateTime, RejectsImpossibleDates) {
    TDateTime out = 5.0;
    EXPECT_FALSE(TryEncodeDate(2023, 2, 29, out));
    EXPECT_FALSE(TryEncodeDate(2026, 13, 1, out));
    EXPECT_FALSE(TryEncodeDate(0, 1, 1, out));
    EXPECT_EQ(out, 5.0);
    EXPECT_EQ(EncodeDate(2026, 4, 31), 0.0);
}

// A time of day rounds to the millisecond; no value breaks decoding.
TEST(DateTime, TimesOfDayAndValuesOutOfRange) {
    const ClockTime t = DecodeTime(46363.0 + EncodeTime(14, 5, 9, 250));
    EXPECT_EQ(std::tuple(t.Hour, t.Minute, t.Second, t.Millisecond), std::tuple(14, 5, 9, 250));
    // A value a hair below midnight is already the next day.
    EXPECT_EQ(DecodeDate(46363.9999999999).Day, 8);
    EXPECT_EQ(DecodeTime(46363.9999999999).Hour, 0);
    // Negative values count backwards: -1.25 is 29 December 1899, 06:00.
    EXPECT_EQ(DecodeDate(-1.25).Day, 29);
    EXPECT_EQ(DecodeTime(-1.25).Hour, 6);
    // Values out of range do not break decoding.
    EXPECT_EQ(DecodeDate(1e300).Year, 9999);
    EXPECT_EQ(DecodeDate(-1e300).Year, 1);
    EXPECT_EQ(DecodeDate(std::numeric_limits<double>::quiet_NaN()).Year, 1899);
}

TEST(DateTime, DosDateTimesRoundTripThroughLocalTime) {
    setenv("TZ", "UTC", 1);
    tzset();
    // 2026-12-07 14:05:08 UTC
    const std::time_t t = 1796652308;
    const std::uint32_t dos = DosDateTimeFromUnix(t);
    ASSERT_NE(dos, 0u);
    const TDateTime back = DosDateTimeToDateTime(dos);
    EXPECT_EQ(DecodeDate(back).Year, 2026);
    EXPECT_EQ(DecodeTime(back).Minute, 5);
    EXPECT_EQ(DecodeTime(back).Second, 8);  // two-second resolution
    EXPECT_NEAR(LocalDateTimeFromUnix(t), back, 1.0 / 86400.0);
    // Outside their range they are no date.
    EXPECT_EQ(DosDateTimeFromUnix(0), 0u);  // 1970 is before 1980
    EXPECT_EQ(DosDateTimeToDateTime(0), 0.0);
    EXPECT_EQ(DosDateTimeToDateTime(0xFFFFFFFF), 0.0);  // month 15, hour 31
}

TEST(Paths, SplitsFolderNameAndExtensionAndKeepsPlainNamesIn) {
    const std::string song = "/music/Band - Song.mp3";
    EXPECT_EQ((std::vector<std::string>{
                  ExtractFileName(song), ExtractFilePath(song), ExtractFileExt(song),
                  ExtractFileExt("/music.d/README"), ExtractFileExt("archive.tar.gz"),
                  BaseNameNoExt(song), BaseNameNoExt("/a.b/noext"), BaseNameNoExt("Song~1.mp3"),
                  ChangeFileExt("/logs/Dec0714.plg", ".bak"), IncludeTrailingDelimiter("/logs"),
                  IncludeTrailingDelimiter("/logs/"), ExcludeTrailingDelimiter("/logs//"),
                  ExcludeTrailingDelimiter("/")}),
              (std::vector<std::string>{"Band - Song.mp3", "/music/", ".mp3", "", ".gz",
                                        "Band - Song", "noext", "Song~1", "/logs/Dec0714.bak",
                                        "/logs/", "/logs/", "/logs", "/"}));
    // Plain file names cannot leave their folder.
    using namespace std::string_view_literals;
    EXPECT_TRUE(IsPlainFileName("{Jazz}.dat") && IsPlainFileName("..hidden"));
    for (const std::string_view name : {""sv, ".."sv, "../Options.dat"sv, "a/b.dat"sv, "a\0b"sv}) {
        EXPECT_FALSE(IsPlainFileName(name)) << name;
    }
}

TEST(RandomSource, StaysInRangeAndReachesEveryValue) {
    RandomSource r(7);
    std::map<std::uint32_t, int> seen;
    for (int i = 0; i < 6000; ++i) {
        const std::uint32_t v = r.Below(6);
        ASSERT_LT(v, 6u);
        ++seen[v];
    }
    ASSERT_EQ(seen.size(), 6u);
    for (const auto& [value, count] : seen) {
        EXPECT_GT(count, 850) << value;  // about 1000 each
        EXPECT_LT(count, 1150) << value;
    }
    EXPECT_EQ(r.Below(0), 0u);
    EXPECT_EQ(r.Below(1), 0u);
}

TEST(UnattendedOperator, ListsMessagesAndAnswersWithoutAsking) {
    std::vector<std::string> sunk;
    UnattendedOperator op([&](MessageKind, const std::string& line) { sunk.push_back(line); });
    EXPECT_TRUE(op.Unattended());
    EXPECT_EQ(op.Show(MessageKind::Error, "Cannot resolve shortcut", Buttons::Ok), Answer::Ok);
    EXPECT_EQ(op.Show(MessageKind::Warning, "Warn", Buttons::OkCancel), Answer::Ok);
    EXPECT_FALSE(op.Query("Manual File Duration Entry (seconds)", "x.cda", "0"));
    EXPECT_EQ(op.Lines(), (std::vector<std::string>{"Cannot resolve shortcut", "Warn"}));
    EXPECT_EQ(sunk, op.Lines());
}

using test::ReadAll;
namespace fs = std::filesystem;

TEST(SafeFile, ReplacesKeepingTheBackupAndFailsWithoutItsFolder) {
    TempDir dir;
    const auto target = dir.Write("Categories.dat", "old\r\n");
    const auto backup = dir.Write("Categories.bak", "older\r\n");
    ASSERT_TRUE(ReplaceFile(target, "new\r\n", backup));
    EXPECT_EQ(ReadAll(target), "new\r\n");
    EXPECT_EQ(ReadAll(backup), "old\r\n");
    EXPECT_EQ(test::Snapshot(dir.Path()).size(), 2u);  // no temporary file left behind
    // A new file needs no backup; a replaced one keeps its permissions.
    ASSERT_TRUE(ReplaceFile(dir / "Spots.dat", "x", dir / "Spots.bak"));
    EXPECT_EQ(ReadAll(dir / "Spots.dat"), "x");
    EXPECT_FALSE(fs::exists(dir / "Spots.bak"));
    ::chmod(target.c_str(), 0640);
    ASSERT_TRUE(ReplaceFile(target, "b"));
    struct stat st {};
    ::stat(target.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(BackupPathFor("/d/Categories.dat"), fs::path("/d/Categories.bak"));
    EXPECT_EQ(BackupPathFor("/d/{Jazz}.dat"), fs::path("/d/{Jazz}.bak"));
    // A missing folder fails without being made. (A read-only folder, a full disk and a
    // backup that cannot be made are met through the station's saves, in FaultTest and
    // SavedStation.)
    const SaveResult r = ReplaceFile(dir / "gone/Options.dat", "x");
    EXPECT_EQ(r.Failure, SaveFailure::Write);
    EXPECT_FALSE(r.Detail.empty());
    EXPECT_FALSE(fs::exists(dir / "gone"));
}

TEST(SafeFile, AnAbandonedWriterChangesNothingAndLargeContentsStream) {
    TempDir dir;
    const auto target = dir.Write("Generate.log", "kept");
    {
        SafeFileWriter writer(target, dir / "Generate.bak");
        ASSERT_TRUE(writer.IsOpen());
        writer.Write("half a file");
    }
    EXPECT_EQ(ReadAll(target), "kept");
    EXPECT_EQ(test::Snapshot(dir.Path()).size(), 1u);
    // Large contents stream in pieces.
    SafeFileWriter writer(dir / "big.plg");
    std::string expected;
    for (int i = 0; i < 20000; ++i) {
        const std::string line =
            "0," + std::to_string(i) + ",\"0.5\",\"/m/a.mp3\",215,\"Hits\"\r\n";
        expected += line;
        ASSERT_TRUE(writer.Write(line));
    }
    ASSERT_TRUE(writer.Commit());
    EXPECT_EQ(ReadAll(dir / "big.plg"), expected);
}

}  // namespace
}  // namespace spindle
