#include "outputs/html_pages.h"
#include "outputs/playlist_line.h"
#include "outputs/playlist_log.h"
#include "outputs/summaries.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utime.h>
#include <algorithm>
#include <tuple>

#include "base/list_text.h"
#include "editor/instant_replace.h"
#include "fileinfo/silent_mp3.h"
#include "outputs/generation.h"
#include "outputs/output_pass.h"
#include "reports/prints.h"
#include "scan/track_tags_cache.h"
#include "station/rotation.h"
#include "support/audio_files.h"
#include "support/process.h"
#include "support/run_fixture.h"
#include "support/scripted_operator.h"
#include "support/station_builder.h"
#include "support/temp_dir.h"

namespace spindle {
namespace {

using test::ReadAll;
using test::ScriptedOperator;
using test::TempDir;

const FormatSettings kEn = FormatSettings::English();

// The previous log stays whole under its own name until the new one is closed, and then
// as the backup.
TEST(PlaylistLogWriter, QuotesInsideTextFieldsAreDoubledAndReadBack) {
    TempDir dir;
    dir.Write("Dec0714.plg", "the previous log\r\n");
    ScriptedOperator op;
    RunReport report(op, nullptr);
    PlaylistLogFile log(kEn);
    ASSERT_TRUE(log.Open(dir / "Dec0714", report));
    log.Header(46361.4753472222, 46363.5833333333, 0);
    EXPECT_EQ(ReadAll(dir / "Dec0714.plg"), "the previous log\r\n");
    log.Hour(0, 46363.5833333333);
    log.Item(kItemBreakNote, 1, 0.5, "Say \"cheese\", please", 0, "Break Note");
    log.Item(kItemTrack, 2, 0.25, "/m/The \"Best\" - Song.mp3", 215, "Hits, \"Current\"");
    ASSERT_TRUE(log.Close(report));
    EXPECT_EQ(ReadAll(dir / "Dec0714.bak"), "the previous log\r\n");
    EXPECT_EQ(ReadAll(dir / "Dec0714.plg"),
              "A,\"46361.4753472222\",\"46363.5833333333\",0\r\n"
              "B,0,\"46363.5833333333\"\r\n"
              "4,1,\"0.5\",\"Say \"\"cheese\"\", please\",0,\"Break Note\"\r\n"
              "0,2,\"0.25\",\"/m/The \"\"Best\"\" - Song.mp3\",215,\"Hits, \"\"Current\"\"\"\r\n");
    LogContents read;
    ASSERT_EQ(ReadPlaylistLog(dir / "Dec0714.plg", kEn, read), LogReadError::None);
    ASSERT_EQ(read.Lines.size(), 3u);
    EXPECT_EQ(read.Lines[1].Text, "Say \"cheese\", please");
    EXPECT_EQ(read.Lines[2].Text, "/m/The \"Best\" - Song.mp3");
    EXPECT_EQ(read.Lines[2].Owner, "Hits, \"Current\"");
    EXPECT_EQ(read.Start, 46363.5833333333);
}

TEST(PlaylistLogReader, ToleratesDamagedLogs) {
    TempDir dir;
    LogContents damaged;
    EXPECT_EQ(ReadPlaylistLog(dir / "missing.plg", kEn, damaged), LogReadError::CannotOpen);
    for (const char* wrong : {"X,\"1\",\"2\",0\r\n", ""}) {
        EXPECT_EQ(ReadPlaylistLog(dir.Write("wrong.plg", wrong), kEn, damaged),
                  LogReadError::InvalidFormat);
    }

    const std::string text =
        "A,\"1\",\"46363.5\"\r\n"  // three fields: the flag reads as a blank
        "B,0,\"46363.5\"\r\n"
        "0,1,\"0\",\"/m/a.mp3\",215,\"Hits\",\"extra\",9\r\n"  // extra fields ignored
        "0,2,\"zero\",\"/m/b.mp3\",215,\"Hits\"\r\n"           // a time that is no number
        "0,3,\"0.1\",\"/m/c.mp3\r\n"                           // unterminated quote, cut short
        "B,5\r\n"                                              // hour line cut short
        "12,4,\"0.2\",\"x\",1,\"y\"\r\n"                       // no such type
        "0,5,\"0.3\",\"/m/d.mp3\",70000,\"Hits\"\r\n"
        "99,6,\"0.4\",\"/x/promo.wav\",12,\"<other>\"\r\n";  // an older editor's "Other"
    ASSERT_EQ(ReadPlaylistLog(dir.Write("damaged.plg", text), kEn, damaged), LogReadError::None);
    EXPECT_EQ(damaged.HeaderFlag, " ");
    ASSERT_EQ(damaged.Lines.size(), 4u);
    EXPECT_EQ(damaged.Lines[3].Type, kItemVoice);
    EXPECT_EQ(damaged.Lines[1].Text, "/m/a.mp3");
    EXPECT_EQ(damaged.Lines[2].Duration, 70000 - 65536);
    EXPECT_EQ(damaged.BadLines, (std::vector<std::size_t>{4, 5, 6, 7}));
}

TEST(PlaylistLogReader, ClockTimesStartEachHourOnTheHour) {
    ClockOfItems clock;
    clock.StartHour(46363.5);
    EXPECT_EQ(clock.Of(3.083), 46363.5);  // carried-over running time does not matter
    EXPECT_NEAR(clock.Of(3.583), 46363.5 + 0.5 / 24.0, 1e-12);
    clock.StartHour(46363.5 + 1.0 / 24.0);
    EXPECT_EQ(clock.Of(4.2), 46363.5 + 1.0 / 24.0);
}

class OutputPassTest : public ::testing::Test {
protected:
    OutputPassTest() : b(dir), report(op, nullptr) {
        b.Save();
        facts.PlaylistLogName = (dir.Path() / "data/Logs/Dec0714").string();
        facts.Hours = 2;
        std::filesystem::create_directories(dir.Path() / "data/Logs");
    }
    TempDir dir;
    test::StationBuilder b;
    ScriptedOperator op;
    RunReport report;
    RunFacts facts;
};

TEST_F(OutputPassTest, ABadLogGivesItsMessagesAndNoPlaylist) {
    PlaylistOutputs outputs(b.Get());
    EXPECT_FALSE(outputs.CreatePlaylistFiles(facts, report));
    EXPECT_EQ(report.Lines().back(), "Unable to open Playlist Log file.");
    dir.Write("data/Logs/Dec0714.plg", "\"unterminated");
    EXPECT_FALSE(outputs.CreatePlaylistFiles(facts, report));
    EXPECT_EQ(report.Lines().back(), "Invalid Playlist Log file format.");
    EXPECT_FALSE(std::filesystem::exists(b.Opt().PlaylistFolder));
}

TEST_F(OutputPassTest, WritesExtendedPlaylistsAndSkipsBadLines) {
    b.Opt().PlaylistFormat = "#EXTINF:%S,%a - %t%n%p/%f%e";
    b.Opt().FilenameFormat = "mmmdd-hh\".m3u\"";
    b.Opt().BreakNoteString = "";
    dir.Write("data/Logs/Dec0714.plg",
              "A,\"46361.5\",\"46363.5833333333\",0\r\n"
              "B,0,\"46363.5833333333\"\r\n"
              "3,0,\"0\",\"Hour Marker\",0,\"\"\r\n"
              "0,1,\"0\",\"/m/Band - Song.mp3\",215,\"Hits\"\r\n"
              "0,2,\"bad\",\"/m/Band - Other.mp3\",215,\"Hits\"\r\n"
              "4,3,\"0.1\",\"News\",0,\"Break Note\"\r\n"
              "5,3,\"0.2\",\"(continued from last hour)\",3600,\"\"\r\n"
              "B,0,\"46363.625\"\r\n"
              "0,1,\"1\",\"/m/Band - Third.mp3\",180,\"Hits\"\r\n");
    PlaylistOutputs outputs(b.Get());
    ASSERT_TRUE(outputs.CreatePlaylistFiles(facts, report));
    EXPECT_EQ(
        ReadAll(b.Opt().PlaylistFolder + "/Dec07-14.m3u"),
        "#EXTM3U\r\nSTART OF HOUR 14:00:00\r\n#EXTINF:215,Band - Song\r\n/m/Band - Song.mp3\r\n");
    EXPECT_EQ(ReadAll(b.Opt().PlaylistFolder + "/Dec07-15.m3u"),
              "#EXTM3U\r\n#EXTINF:180,Band - Third\r\n/m/Band - Third.mp3\r\n");
    ASSERT_EQ(op.Messages.size(), 1u);
    EXPECT_EQ(op.Messages[0].Text, "Line 5 of the Playlist Log cannot be read and is left out.");
    // Playlist names never leave their folder: the short date holds "/".
    b.Opt().FilenameFormat = "ddddd\".m3u\"";
    ASSERT_TRUE(outputs.CreatePlaylistFiles(facts, report));
    EXPECT_TRUE(std::filesystem::exists(b.Opt().PlaylistFolder + "/12-7-2026.m3u"));
}

TEST(PurgeOldOutputs, DeletesOldGeneratedFilesButNeverTheDataFolder) {
    TempDir dir;
    test::StationBuilder b(dir);
    b.Save();
    Station& s = b.Get();
    s.Clock = [] { return 46400.5; };
    s.Opt.DeleteOldPlaylists = 7;
    // A log folder set to the data folder itself must not cost the station its data.
    s.Opt.VoiceTrackFolder = s.DataFolderText();
    const std::tuple<std::string, double, bool> files[] = {
        {"data/Playlist/Oct01.ALB", 46380, false},
        {"data/Playlist/Nov30.ALB", 46395, true},
        {"data/HTMLPlaylist/Index.html", 46300, true},
        {"data/Logs/Oct0100.plg", 46300, false},
        {"data/Options.dat", 46000, true}};
    for (const auto& [name, day, kept] : files) {
        if (!std::filesystem::exists(dir.Path() / name)) {
            dir.Write(name, "x");
        }
        const auto when = static_cast<time_t>((day - 25569.0) * 86400.0);
        const struct utimbuf times { when, when };
        ::utime((dir / name).c_str(), &times);
    }
    PurgeOldOutputs(s);
    for (const auto& [name, day, kept] : files) {
        EXPECT_EQ(std::filesystem::exists(dir.Path() / name), kept) << name;
    }
}

PlaylistLineRules Rules() {
    PlaylistLineRules r;
    r.Settings = FormatSettings::English();
    return r;
}

PlaylistItem Song(std::string_view path = "/music/Band - Song#0012.mp3") {
    PlaylistItem item;
    item.Path = path;
    item.Duration = 215;
    item.Number = "7";
    item.Owner = "Current Hits";
    item.TypeDigit = '0';
    item.Clock = EncodeDate(2026, 12, 7) + EncodeTime(14, 0, 12);
    item.ItemTime = 1.5;
    return item;
}

// Each code of a line format on a song (its path when another is given) with the
// default rules.
TEST(PlaylistLine, ExpandsEveryCode) {
    const char* const accented = "/music/Zo\xC3\xAB \xC3\x85ngstr\xC3\xB6m - Caf\xC3\xA9 Noir.mp3";
    const struct {
        const char* Format;
        const char* Path;  // null: the song's
        const char* Expected;
    } cases[] = {
        // The plain formats write the path unchanged, whichever separator they name.
        {"%p/%f%e", nullptr, "/music/Band - Song#0012.mp3"},
        {"", nullptr, "/music/Band - Song#0012.mp3"},
        {"%p\\%f%e", nullptr, "/music/Band - Song#0012.mp3"},
        {"%u|%p|%f|%e", nullptr, "/music/Band - Song#0012.mp3|/music|Band - Song#0012|.mp3"},
        {"%a|%t|%i", nullptr, "Band|Song#0012|12"},
        {"%S|%s|%d|%h", nullptr, "215|03:35|01:30:00|14:00:12"},
        {"%c|%C|%N|%b|%n", nullptr, "Current Hits|0|7|\t|\r\n"},
        {"#EXTINF:%S,%a - %t|%C%h|%c%n%p/%f%e", nullptr,
         "#EXTINF:215,Band - Song#0012|014:00:12|Current Hits\r\n/music/Band - Song#0012.mp3"},
        // Widths pad or cut by characters, not bytes: never half a character, never a
        // blank short.
        {"[%30t]", nullptr, "[Song#0012                     ]"},
        {"[%3t]", nullptr, "[Son]"},
        {"[%9999999t]", nullptr, "[Song#0012]"},
        {"[%3a]", accented, "[Zo\xC3\xAB]"},
        {"[%10t]", accented, "[Caf\xC3\xA9 Noir ]"},
        // Dates with and without a pattern; a ")" too far away leaves the text as it is.
        {"x%D(yyyy-mm-dd)y", nullptr, "x2026-12-07y"},
        {"%D", nullptr, "12/7/2026"},
        {"%D(a long text without its end here)", nullptr,
         "12/7/2026(a long text without its end here)"},
        // Unknown codes and a trailing per cent vanish; per cents in values stay.
        {"a%%b%qc%", nullptr, "abc"},
        {"a%12", nullptr, "a"},
        {"%t|%a", "/music/100% Band - %t%f %n.mp3", "%t%f %n|100% Band"},
        {"%a|%t", "/m/Jingle.mp3", "|Jingle"},  // no delimiter: no artist
    };
    for (const auto& c : cases) {
        const PlaylistItem item = c.Path != nullptr ? Song(c.Path) : Song();
        EXPECT_EQ(FormatPlaylistLine(c.Format, item, Rules()), c.Expected) << c.Format;
    }
    PlaylistItem item = Song();
    item.Duration = 3725;  // long durations count whole minutes
    EXPECT_EQ(FormatPlaylistLine("%s", item, Rules()), "62:05");
    EXPECT_EQ(MinutesAndSeconds(0), "00:00");
}

TEST(PlaylistLine, PlayoutCodesQuoteForLiquidsoap) {
    PlaylistLineRules rules = Rules();
    rules.Crossfade = 0.9;
    PlaylistItem item = Song("/m/A \"Q\" \\ B - T, 1: x#0012~2.5.mp3");
    item.Owner = "Hits";
    EXPECT_EQ(FormatPlaylistLine("annotate:%A:%p/%f%e", item, rules),
              "annotate:title=\"T, 1: x\",artist=\"A \\\"Q\\\" \\\\ B\",duration=\"215\","
              "category=\"Hits\",liq_cross_duration=\"2.5\",intro=\"12\","
              "scheduled=\"2026-12-07 14:00:12\":/m/A \"Q\" \\ B - T, 1: x#0012~2.5.mp3");
    EXPECT_EQ(FormatPlaylistLine("%x", Song(), rules), "0.9");
    rules.KorvelCrossfade = false;  // the file name's mark is not read: the allowance
    EXPECT_EQ(FormatPlaylistLine("%x", item, rules), "0.9");
    item.Duration = 1;  // an item shorter than two allowances gets none
    EXPECT_EQ(FormatPlaylistLine("%x", item, rules), "0");
}

// The folder substitutions (the second on the first's result; "%u" keeps the path), names
// with the title first, and short names.
TEST(PlaylistLine, PathSubstitutionsTitleFirstAndShortNames) {
    const PlaylistItem song = Song("/music/Band - Song.mp3");
    PlaylistLineRules rules = Rules();
    rules.First = {"/MUSIC", "M:"};
    EXPECT_EQ(FormatPlaylistLine("%p/%f%e", song, rules), "M:/Band - Song.mp3");
    EXPECT_EQ(FormatPlaylistLine("%u", song, rules), "/music/Band - Song.mp3");
    rules.First = {"", "."};
    EXPECT_EQ(FormatPlaylistLine("%p/%f%e", song, rules), "Band - Song.mp3");
    rules.First = {"", "/srv/audio"};
    rules.Second = {"audio", "AUDIO"};
    EXPECT_EQ(FormatPlaylistLine("%p/%f%e", song, rules), "/srv/AUDIO/Band - Song.mp3");
    rules = Rules();
    rules.Names.ArtistFirst = 1;
    EXPECT_EQ(FormatPlaylistLine("%a|%t", Song("/m/Song - Band.mp3"), rules), "Band|Song");
    // Short names only for files that exist.
    test::TempDir dir;
    const std::string path = test::WriteMp3(dir, "ID1.mp3", 5);
    EXPECT_EQ(FormatPlaylistLine("%~", Song(path), Rules()), "ID1");
    EXPECT_EQ(FormatPlaylistLine("%~", Song("/nowhere/ID1.mp3"), Rules()), "");
}

using test::StationBuilder;

// A station whose pages a test reads: songs of 215 and 3725 seconds, a 30-second ID
// and a 90-second sponsor spot.
class HtmlTest : public ::testing::Test {
protected:
    HtmlTest() : b(dir) {
        b.AddCategory("Hits & <More>", {b.MusicFolder("Hits", {"Band & Co - <Song>"}, 215)});
        b.AddCategory("Long", {b.MusicFolder("Long", {"Orchestra - Symphony No. 5"}, 3725)});
        b.AddSpotGroup("IDs", {b.SpotFolder("IDs", {"ID"}, 30)});
        b.AddSpotGroup("Sponsors", {b.SpotFolder("Sponsors", {"Bakery - Bread"}, 90)});
        b.AddRotation("Hour",
                      {MakeSpotGroupItem("IDs"), MakeCategoryItem("Hits & <More>"),
                       MakeSpotGroupItem("Sponsors"), MakeCategoryItem("Long")},
                      true);
        b.AddSchedule("All", "1111111", "...DEFAULT...");
        DefaultHtmlCode(b.Opt(), "kxyz", "https://kxyz.example");
        b.Save();
        Options& o = b.Opt();
        o.HTMLEnabled = true;
        test::RunFrom(o, 46363, 23, 3);
        o.TimeCheck = false;
        o.HTMLSpots = true;
        o.HTMLSpotsOver = "60";
    }
    std::string Page(const std::string& name) { return ReadAll(b.Opt().HTMLFolder + "/" + name); }

    TempDir dir;
    StationBuilder b;
    ScriptedOperator op;
};

TEST_F(HtmlTest, OnePagePerHourWithItsSelectorsAndButtons) {
    ASSERT_TRUE(test::Generate(b.Get(), op).Ok);
    // Made again from the log (as the Playlist Editor does) after the start moved on.
    b.Opt().StartHour = 2;
    b.Opt().StartDay = 46364;
    RunFacts facts;
    facts.Start = 46363 + 23.0 / 24;
    facts.Hours = 3;
    facts.LastHour = facts.Start + 2.0 / 24;
    facts.PlaylistLogName = b.Opt().LogFolderPath() + "Dec0723";
    RunReport report(op, nullptr);
    ASSERT_TRUE(RemakeOutputs(b.Get(), facts, report));
    // The pages whole: the encoding, the day and hour selectors with one of each chosen,
    // the first page's Prev and the last page's Next disabled, escaped names with their
    // lengths, long spots in red and short ones left out.
    for (const char* page : {"Dec0723.html", "Dec0800.html", "Dec0801.html"}) {
        EXPECT_TRUE(test::MatchesGolden(Page(page), std::string("html/") + page));
    }
}

// Category names and start times shown; a header without a link colour is reported once
// and the pages use black.
TEST_F(HtmlTest, CategoryNamesStartTimesAndAHeaderWithoutAColour) {
    b.Opt().HTMLCategoryNames = true;
    b.Opt().HTMLStartTime = true;
    b.Opt().HTMLUserHeader = {"<body text=\"#00CC00\" vlink=\"#808080\">"};
    const test::RunResult r = test::Generate(b.Get(), op);
    ASSERT_TRUE(r.Ok);
    // The 30-second ID before it is overlapped by the 0.9-second crossfade.
    EXPECT_NE(
        Page("Dec0800.html")
            .find(" <font size=\"1\" color=\"#808080\">00:29</font> Hits &amp; &lt;More&gt; "),
        std::string::npos);
    EXPECT_EQ(std::count(r.Lines.begin(), r.Lines.end(), "No alink color found in HTML Header"), 1);
    EXPECT_NE(Page("Dec0723.html").find("<font size=\"1\" color=\"#000000\">Scheduled for"),
              std::string::npos);
}

TEST(HtmlCode, DefaultsForAStation) {
    Options o;
    DefaultHtmlCode(o, "", "x");
    EXPECT_TRUE(o.HTMLTitle.empty());
    DefaultHtmlCode(o, "Rock & Roll FM", "");
    EXPECT_EQ(o.HTMLTitle, "Rock & Roll FM Playlist");
    EXPECT_NE(o.HTMLUserHeader[0].find("<b>ROCK &amp; ROLL FM<br>"), std::string::npos);
    EXPECT_NE(o.HTMLUserFooter[0].find("<A HREF={URL}>"), std::string::npos);
    EXPECT_EQ(HeaderColour(o.HTMLUserHeader[0], "alink"), "#FF5500");
    EXPECT_FALSE(HeaderColour("<body>", "text"));
}

TEST(SummaryTitle, NamesTheStationAndThePeriod) {
    Options o;
    const FormatSettings en = FormatSettings::English();
    const TDateTime start = 46363.0 + 14.0 / 24.0;
    o.HTMLTitle = "KXYZ Playlist";
    o.TotalDays = 1;
    EXPECT_EQ(
        SummaryTitle(o, "Track", start, en),
        "\"KXYZ Playlist Track Summary\",\"for 1 days commencing Monday, December 7, 2026, 2pm\"");
    o.TotalDays = 7;
    EXPECT_NE(SummaryTitle(o, "Track", start, en).find("\"for  the week commencing"),
              std::string::npos);
    o.TotalDays = 14;
    EXPECT_NE(SummaryTitle(o, "Track", start, en).find("\"for 2 weeks commencing"),
              std::string::npos);
    o.TotalDays = 0;
    o.HTMLTitle = "";
    EXPECT_EQ(
        SummaryTitle(o, "Spot", start, en).rfind("\"Station Spot Summary\",\"for 0 weeks com", 0),
        0u);
    o.HTMLTitle = "The \"Best\"";
    EXPECT_EQ(SummaryTitle(o, "Spot", start, en).substr(0, 32),
              "\"The \"\"Best\"\" Spot Summary\",\"for");
}

// Two hours: the same song three times, a jingle from two folders, a sponsor spot, and a
// voice-track placeholder that never reaches the playlist.
class SummaryRun : public ::testing::Test {
protected:
    SummaryRun() : b(dir) {
        b.AddCategory("Song", {b.MusicFolder("Song", {"Band - Mr. Song, \"Live\""}, 600)});
        b.AddCategory("Jingles",
                      {b.MusicFolder("A", {"Jingle"}, 5), b.MusicFolder("B", {"Jingle"}, 5)});
        b.AddSpotGroup("Sponsors", {b.SpotFolder("Sponsors", {"Bakery"}, 30)});
        b.AddRotation(
            "Hour",
            {MakeCategoryItem("Song"), MakeSpotGroupItem("Sponsors", 5),
             MakeCategoryItem("Jingles"), MakeVoiceTrackItem(30), MakeCategoryItem("Song")},
            true);
        b.AddSchedule("All", "1111111", "...DEFAULT...");
        b.Save();
        Options& o = b.Opt();
        test::RunFrom(o, 46363, 14, 2);
        o.TimeCheck = false;
        o.TrackLog = true;
        o.SpotLog = true;
        o.HTMLTitle = "KXYZ";
    }
    TempDir dir;
    StationBuilder b;
    ScriptedOperator op;
};

TEST_F(SummaryRun, CountsTracksAndListsEveryAiring) {
    const test::RunResult r = test::Generate(b.Get(), op);
    ASSERT_TRUE(r.Ok);
    EXPECT_TRUE(r.HasLine("Creating Track Summary Log... Done"));
    EXPECT_TRUE(r.HasLine("Creating Spot Summary Log... Done"));
    const std::string logs = b.Opt().LogFolderPath();
    // The song four times whatever its title's dots, the jingle of two folders twice, the
    // sponsor spot at each airing, and no voice-track placeholder.
    EXPECT_TRUE(test::MatchesGolden(ReadAll(logs + "Track-Dec0714.csv"), "Track-Dec0714.csv"));
    EXPECT_TRUE(test::MatchesGolden(ReadAll(logs + "Spot-Dec0714.csv"), "Spot-Dec0714.csv"));

    // A second run of the same start keeps the first summary as the backup.
    const std::string first = ReadAll(logs + "Track-Dec0714.csv");
    ASSERT_TRUE(test::Generate(b.Get(), op).Ok);
    EXPECT_EQ(ReadAll(logs + "Track-Dec0714.bak"), first);
    // A spreadsheet's reader gets exactly the fields written.
    const auto rows = test::CsvRows(logs + "Track-Dec0714.csv");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1], (std::vector<std::string>{"Band", "Mr. Song, \"Live\"", "4"}));
    // A run without spots writes the title only.
    b.Get().Rotations[0]->Items.erase(b.Get().Rotations[0]->Items.begin() + 1);
    ASSERT_TRUE(test::Generate(b.Get(), op).Ok);
    const std::string spots = ReadAll(b.Opt().LogFolderPath() + "Spot-Dec0714.csv");
    EXPECT_EQ(spots.find("\r\n"), spots.size() - 2);
}

// Every text fits: the names are what is looked at.
struct NoWidths : FontMetrics {
    double TextWidth(std::string_view, const PrintFont&) const override { return 0; }
    double LineHeight(const PrintFont& font) const override { return font.Points; }
};

// A station that takes artist and title from the tags names a track by its tags wherever
// it names one, and finds the same artist by them.
TEST(TaggedOutputs, EveryOutputNamesATrackByItsTags) {
    test::TempDir dir;
    test::StationBuilder b(dir);
    test::ScriptedOperator op;
    const std::string tagged =
        dir.Write("music/Hits/Name A - Name T.mp3",
                  test::Id3v2Tag({{"TPE1", "Tag A"}, {"TIT2", "Tag T"}}) + SilentMp3Bytes(200));
    const std::string sameArtist = dir.Write(
        "music/Hits/Other - Song.mp3", test::Id3v2Tag({{"TPE1", "Tag A"}}) + SilentMp3Bytes(200));
    b.AddCategory("Hits", {dir / "music/Hits"});
    b.AddRotation("Hour", {MakeCategoryItem("Hits"), MakeCategoryItem("Hits")}, true);
    b.AddSchedule("All", "1111111", "...DEFAULT...");
    ASSERT_TRUE(SetArtistTitleSource(b.DataFolder(), ArtistTitleSource::Tags));
    b.Save();
    Station& station = b.Get();
    Options& o = station.Opt;
    test::RunFrom(o, 46363, 14, 1);
    o.SystemSongInterval = "60";  // each file once
    o.HTMLEnabled = o.TrackLog = true;
    o.FilenameFormat = "\"p.m3u\"";
    o.PlaylistFormat = "%a|%t|%A";
    ASSERT_TRUE(test::Generate(station, op).Ok);

    PlaylistDocument doc;
    ASSERT_TRUE(doc.Load(o.LogFolderPath() + "Dec0714.plg", true, station.Settings()).Loaded);
    const NoWidths metrics;
    PageLayout layout(metrics, 540, 780, "KXYZ", "", "");
    LayOutPlaylist(layout, doc, {0, 0, 0, 23, true}, station.Settings(), 0.0, false,
                   station.Names());
    std::string printed;
    for (const PrintCell& cell : layout.Pages().at(0).Cells) {
        printed += cell.Text + "\n";
    }
    // Each output with the tagged file's line in it.
    const std::pair<std::string, std::string> outputs[] = {
        {test::ReadAll(o.HTMLFolder + "/Dec0714.html"), " Tag A - Tag T "},
        {test::ReadAll(o.PlaylistFolder + "/p.m3u"), "Tag A|Tag T|title=\"Tag T\""},
        {test::ReadAll(o.LogFolderPath() + "Track-Dec0714.csv"), "\"Tag A\",\"Tag T\",1"},
        {printed, "\nTag A - Tag T\n"},
    };
    for (const auto& [text, name] : outputs) {
        EXPECT_TRUE(text.find(name) != text.npos && text.find("Name T") == text.npos) << name;
    }

    // "Other - Song" is by "Tag A" too.
    const auto row = std::ranges::find(doc.Items(), tagged, &EditorItem::Path);
    ASSERT_NE(row, doc.Items().end());
    const ReplaceOutcome done = InstantReplace(doc, station, row->Id, true, 0, 0, {});
    EXPECT_EQ(done.Replaced() ? doc.Find(done.Id)->Path : done.Message, sameArtist);
}

}  // namespace
}  // namespace spindle
