#include "station/options.h"

#include <gtest/gtest.h>

#include <tuple>

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
    EXPECT_EQ(o.FilenameFormat, "mmmdd\".ALB\"");
    EXPECT_EQ(o.PlaylistPeriod, kPeriodDay);
    EXPECT_EQ(o.TimeResetPeriod, kPeriodHour);
    EXPECT_EQ(o.PlaylistFolder, "/srv/station/Playlist");
    EXPECT_EQ(o.LogFolder, "/srv/station/Logs");
    EXPECT_EQ(o.CrossfadeAllowance, "0.9");
    EXPECT_EQ(Items(o)[27], "251");
    // A new station records with the recorder installed beside it, offers no programs or
    // batch files as tracks, and starts with repeat intervals.
    EXPECT_EQ(std::tie(o.RecordingApp, o.SystemSongInterval, o.SystemArtistInterval),
              std::tuple("spindle-record", "180", "60"));
    EXPECT_EQ(o.Extensions.SelectedNames().size(), ExtensionSet::kCount - 2);
    EXPECT_EQ(o.Extensions.SelectedNames().back(), "MPG");  // EXE and BAT, the last, are off
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
    // The playout presets: one file an hour, notes and markers as comment lines.
    for (const char* preset : {kPresetExtendedM3U, kPresetLiquidsoap}) {
        ASSERT_TRUE(ApplyFormatPreset(o, preset));
        EXPECT_EQ(o.PlaylistPeriod, kPeriodHour);
        EXPECT_TRUE(o.IncludeHM);
        EXPECT_EQ(o.BreakNoteString.substr(0, 2), "# ");
        EXPECT_EQ(o.MarkerString.substr(0, 2), "# ");
    }
    EXPECT_EQ(o.PlaylistFormat, "annotate:%A:%p/%f%e");
    EXPECT_EQ(o.FilenameFormat, "yyyy-mm-dd-hh\".m3u\"");
    EXPECT_EQ(FormatPresetNames().size(), 4u);
}

// A line of the file's 61 items written out by hand, not by our writer, so a field
// read from or written to the wrong position shows.
std::vector<std::string> HandWrittenItems() {
    return {"46400",   "6",  "7",         "1",   "90",      "4320", "_",   "mmmdd\".M3U\"",
            "/srv/pl", "",   "0",         "1",   "5",       "1.5",  "2",   "1",
            "1",       "45", "/srv/html", "k19", "k20",     "",     "",    "/srv",
            "M:",      "",   "",          "251", "%p/%f%e", "KXYZ", "<b>", "",
            "0",       "0",  "/srv/logs", "1",   "1",       "0",    "1",   "0",
            "",        "",   "0",         "1",   "MP3",     "3",    "0",   "/srv/vt",
            "1",       "9",  "Dec0714",   "rec", "0",       "0",    "10",  "20",
            "1",       "",   "0",         "0",   "0"};
}

TEST(Options, EachItemIsReadFromItsOwnPosition) {
    TempDir dir;
    dir.Write("Options.dat", EncodeListText(HandWrittenItems()) + "\r\n");
    const Options o = LoadOptions(dir.Path(), kToday, kEn).Values;
    EXPECT_EQ(std::tie(o.StartDay, o.StartHour, o.TotalDays, o.TotalHours, o.TimeCheckMinutes,
                       o.NewerTracks, o.DeleteOldPlaylists, o.VoiceTrackLeft),
              std::tuple(46400, 6, 7, 3, 5, 2, 9, 20));
    EXPECT_EQ(std::tuple(o.ArtistIntervalMinutes(), o.SongIntervalMinutes(),
                         o.HTMLSpotsOverSeconds(), o.TrackLog, o.PlayEnabled),
              std::tuple(90u, 4320u, 45u, true, false));
    EXPECT_EQ(std::tie(o.ArtistDelim, o.PathSubTo1, o.HTMLTitle, o.LogFolder, o.LogBaseName),
              std::tuple("_", "M:", "KXYZ", "/srv/logs", "Dec0714"));
    EXPECT_EQ(o.HTMLUserHeader, std::vector<std::string>{"<b>"});
    EXPECT_EQ(o.Extensions.SelectedNames(), std::vector<std::string>{"MP3"});
    EXPECT_EQ(Items(o), HandWrittenItems());  // and written back to the same positions
    // Stored before the newer scheduling settings, with no Settings.ini: they stay off.
    EXPECT_FALSE(o.FitHours || o.CreditedArtists || o.RelaxedRuleReport);
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
    // A file without its version item is an old one too.
    items = HandWrittenItems();
    items.resize(20);
    items[7] = ".M3U";
    dir.Write("Options.dat", EncodeListText(items) + "\r\n");
    const Options old = LoadOptions(dir.Path(), kToday, kEn).Values;
    EXPECT_EQ(old.FilenameFormat, "mmmdd-hh\".M3U\"");
    EXPECT_EQ(old.TotalDays, 8);
    EXPECT_EQ(old.HTMLFolder, "/srv/html");
    EXPECT_EQ(old.Extensions.SelectedNames().size(), ExtensionSet::kCount);  // all, as then
}

// One bad value costs that setting alone; the rest of the operator's settings stay.
TEST(Options, ABadValueTakesItsOwnDefaultAndIsReported) {
    const struct {
        std::size_t Item;
        const char* Value;
        const char* Loaded;    // the item as it is saved again
        const char* Reported;  // empty: nothing to report
    } cases[] = {
        {2, "91", "1", "TotalDays \"91\" -> 1"},
        {1, "-1", "0", ""},  // no hour chosen: hour 0
        {1, "24", "0", "StartHour \"24\" -> 0"},
        {5, "", "", ""},  // an empty interval counts as 0 and stays as typed
        {4, "abc", "abc", "SystemArtistInterval \"abc\" -> 0"},
        {17, "x1", "x1", "HTMLSpotsOver \"x1\" -> 0"},
        {14, "", "0", "NewerTracks \"\" -> 0"},
        {27, "v2", "251", "FileVersion \"v2\" -> 251"},
        {0, "46355", "46362", ""},  // a start day of last week becomes today
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Item);
        TempDir dir;
        std::vector<std::string> items = HandWrittenItems();
        items[c.Item] = c.Value;
        dir.Write("Options.dat", EncodeListText(items) + "\r\n");
        const OptionsLoad loaded = LoadOptions(dir.Path(), kToday, kEn);
        EXPECT_EQ(loaded.Replaced, *c.Reported == '\0' ? std::vector<std::string>{}
                                                       : std::vector<std::string>{c.Reported});
        items[c.Item] = c.Loaded;
        EXPECT_EQ(Items(loaded.Values), items);
    }
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
    // Unknown extension names leave them all selected.
    std::vector<std::string> items = Items(DefaultOptions(dir.Path().string(), kToday, kEn));
    items[44] = EncodeListText({"FLAC", "OPUS"});
    dir.Write("Options.dat", EncodeListText(items));
    const Options loaded = LoadOptions(dir.Path(), kToday, kEn).Values;
    EXPECT_EQ(loaded.Extensions.SelectedNames().size(), ExtensionSet::kCount);
}

// Settings beyond Options.dat live in their own file; lines a later version wrote stay.
TEST(Options, MoreSettingsKeepTheirOwnFile) {
    TempDir dir;
    dir.Write("Settings.ini", "# note\nFuture=1\nPlayerCommand=mpv --no-video\n");
    Options o = LoadOptions(dir.Path(), kToday, kEn).Values;
    EXPECT_EQ(o.PlayerCommand, "mpv --no-video");
    o.PlayerCommand = "vlc";
    dir.Write("Settings.ini", SettingsFileText(o));
    const Options again = LoadOptions(dir.Path(), kToday, kEn).Values;
    EXPECT_EQ(again.PlayerCommand, "vlc");
    EXPECT_EQ(again.OtherSettings, std::vector<std::string>{"Future=1"});
}

}  // namespace
}  // namespace spindle
