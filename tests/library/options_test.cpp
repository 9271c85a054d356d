#include "library/options.h"

#include <gtest/gtest.h>

#include "base/list_text.h"
#include "base/safe_file.h"
#include "base/text_file.h"
#include "support/temp_dir.h"

namespace spindle {
namespace {

using test::ReadAll;
using test::TempDir;

const FormatSettings kEn = FormatSettings::English();
const TDateTime kToday = EncodeDate(2026, 12, 6) + 0.4;

std::vector<std::string> Items(const Options& o) {
    return DecodeListText(OptionsLine(o));
}

TEST(Options, DefaultsCarryTheKorvelPresetAndTheDataFolder) {
    const Options o = DefaultOptions("/srv/station", kToday, kEn);
    EXPECT_EQ(o.StartDay, 46362);
    EXPECT_EQ(o.TotalDays, 1);
    EXPECT_EQ(o.PlaylistFormat, "%p/%f%e");
    EXPECT_EQ(o.BreakNoteString, "%u");
    EXPECT_TRUE(o.IncludeHM);
    EXPECT_EQ(o.MarkerString, "START OF HOUR %h");
    EXPECT_EQ(o.FilenameFormat, "mmmdd\".ALB\"");
    EXPECT_EQ(o.PlaylistPeriod, kPeriodDay);
    EXPECT_EQ(o.TimeResetPeriod, kPeriodHour);
    EXPECT_EQ(o.PlaylistFolder, "/srv/station/Playlist");
    EXPECT_EQ(o.LogFolder, "/srv/station/Logs");
    EXPECT_EQ(o.CrossfadeAllowance, "0.9");
    EXPECT_EQ(Items(o).size(), 61u);
    EXPECT_EQ(Items(o)[27], "251");
}

TEST(Options, TheDefaultCrossfadeFollowsTheDecimalSeparator) {
    FormatSettings de = kEn;
    de.DecimalSeparator = ",";
    EXPECT_EQ(DefaultOptions("/s", kToday, de).CrossfadeAllowance, "0,9");
}

TEST(Options, PresetsReplaceTheFormatFields) {
    Options o = DefaultOptions("/s", kToday, kEn);
    ASSERT_TRUE(ApplyFormatPreset(o, kPresetM3UStandard));
    EXPECT_EQ(o.FilenameFormat, "mmmdd-hh\".M3U\"");  // the Korvel name had no hour
    EXPECT_FALSE(o.IncludeHM);
    EXPECT_EQ(o.BreakNoteString, "");
    o.FilenameFormat = "yyyy-mm-dd-hh";
    ASSERT_TRUE(ApplyFormatPreset(o, kPresetM3UStandard));
    EXPECT_EQ(o.FilenameFormat, "yyyy-mm-dd-hh");
    EXPECT_FALSE(ApplyFormatPreset(o, "#EXTINF:%S,%a - %t%n%p/%f%e"));
}

TEST(Options, ALoadedFileSavesBackByteForByte) {
    TempDir dir;
    Options o = DefaultOptions(dir.Path().string(), kToday, kEn);
    o.StartDay = 46400;
    o.StartHour = 6;
    o.TotalDays = 7;
    o.ArtistDelim = "_";
    o.PathSubFrom1 = "/music";
    o.PathSubTo1 = "M:\\Music";
    o.HTMLUserHeader = {"<body bgcolor=\"#333333\">", "<b>KXYZ, the best</b>"};
    o.Kept19 = "kept, as read";
    o.Extensions.SelectNone();
    o.Extensions.Select("MP3");
    o.Extensions.Select("WAV");
    o.LogBaseName = "Dec0714";
    ASSERT_TRUE(ReplaceFile(dir / "Options.dat", OptionsLine(o) + "\r\n"));
    const std::string first = ReadAll(dir / "Options.dat");

    const OptionsLoad loaded = LoadOptions(dir.Path(), kToday, kEn);
    ASSERT_TRUE(loaded.LineRead);
    EXPECT_EQ(loaded.Values.HTMLUserHeader, o.HTMLUserHeader);
    EXPECT_TRUE(loaded.Values.Extensions.IsExtensionEnabled(".WAV"));
    EXPECT_FALSE(loaded.Values.Extensions.IsExtensionEnabled(".OGG"));
    EXPECT_EQ(OptionsLine(loaded.Values) + "\r\n", first);
}

TEST(Options, OlderFilesAreBroughtForward) {
    TempDir dir;
    Options o = DefaultOptions(dir.Path().string(), kToday, kEn);
    o.FilenameFormat = ".M3U";
    o.PlaylistPeriod = kPeriodWeek;
    o.TimeResetPeriod = kPeriodHour;
    o.TotalDays = 2;
    std::vector<std::string> items = Items(o);
    items[27] = "200";
    dir.Write("Options.dat", EncodeListText(items) + "\r\n");
    dir.Write("ZedCreator.log", "A,\"1\",\"2\",0\r\n");
    dir.MakeFolder("Logs");

    const Options loaded = LoadOptions(dir.Path(), kToday, kEn).Values;
    EXPECT_EQ(loaded.FilenameFormat, "mmmdd-hh\".M3U\"");
    EXPECT_EQ(loaded.TimeResetPeriod, kPeriodWeek);
    EXPECT_EQ(loaded.TotalDays, 3);
    EXPECT_EQ(loaded.LogBaseName, "ZedCreator");
    EXPECT_EQ(ReadAll(dir / "Logs/ZedCreator.plg"), "A,\"1\",\"2\",0\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "ZedCreator.log"));
}

TEST(Options, APastStartDayBecomesToday) {
    TempDir dir;
    Options o = DefaultOptions(dir.Path().string(), kToday, kEn);
    o.StartDay = 46355;  // last week
    dir.Write("Options.dat", OptionsLine(o));
    EXPECT_EQ(LoadOptions(dir.Path(), kToday, kEn).Values.StartDay, 46362);
}

TEST(Options, UnknownExtensionNamesLeaveAllSelected) {
    TempDir dir;
    std::vector<std::string> items = Items(DefaultOptions(dir.Path().string(), kToday, kEn));
    items[44] = EncodeListText({"FLAC", "OPUS"});
    dir.Write("Options.dat", EncodeListText(items));
    const Options loaded = LoadOptions(dir.Path(), kToday, kEn).Values;
    EXPECT_EQ(loaded.Extensions.SelectedNames().size(), ExtensionSet::kCount);
}

TEST(Options, ReadingStopsAtTheFirstMalformedItem) {
    TempDir dir;
    Options o = DefaultOptions(dir.Path().string(), kToday, kEn);
    o.TotalDays = 5;
    o.ArtistDelim = "_";
    std::vector<std::string> items = Items(o);
    items[3] = "seven";  // the playlist period
    dir.Write("Options.dat", EncodeListText(items));
    const Options loaded = LoadOptions(dir.Path(), kToday, kEn).Values;
    EXPECT_EQ(loaded.TotalDays, 5);
    EXPECT_EQ(loaded.ArtistDelim, " - ");  // after the bad item: defaults
    EXPECT_EQ(loaded.PlaylistFolder, (dir.Path() / "Playlist").string());
}

TEST(Options, JunkAndEmptyFilesLoadDefaults) {
    TempDir dir;
    for (const std::string& junk :
         {std::string(""), std::string("\r\n"), std::string("\x01\x02\xFF,,\"", 6),
          std::string(5000, ','), std::string("99999999999999999999")}) {
        dir.Write("Options.dat", junk);
        const Options loaded = LoadOptions(dir.Path(), kToday, kEn).Values;
        EXPECT_EQ(loaded.LogFolder, (dir.Path() / "Logs").string());
        EXPECT_TRUE(loaded.Extensions.AnySelected());
        EXPECT_TRUE(loaded.KorvelCrossfade);
    }
}

}  // namespace
}  // namespace spindle
