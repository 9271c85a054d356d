#include "outputs/playlist_log.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <tuple>

#include "base/list_text.h"
#include "outputs/output_pass.h"
#include "station/rotation.h"
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

}  // namespace
}  // namespace spindle
