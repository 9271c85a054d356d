// A station brought over from Windows: its data folder as a Windows machine left it,
// migrated by the real program, then run.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "base/datetime.h"
#include "base/format_datetime.h"
#include "base/list_text.h"
#include "base/text_file.h"
#include "station/migrate.h"
#include "station/options.h"
#include "station/rotation.h"
#include "station/schedule.h"
#include "support/audio_files.h"
#include "support/process.h"
#include "support/station_builder.h"

namespace spindle {
namespace {

using test::Cli;
using test::ReadAll;
using test::TempDir;
namespace fs = std::filesystem;

// Music under here/Music (names in UTF-8, as copied over), and a data folder as a
// Windows station wrote it: CR LF, Windows-1252 names in its files and in a track list's
// file name, "C:\" and "\\server\share" folders, decimal commas, "%p\%f%e".
class FromWindows : public ::testing::Test {
protected:
    FromWindows() {
        today = DateOf(NowLocal());
        for (const char* song :
             {"Caf\xC3\xA9 - Yesterday", "A - One", "B - Two", "C - Three", "D - Four"}) {
            test::WriteMp3(dir, std::string("here/Music/Rock/") + song + ".mp3", 200);
        }
        test::WriteMp3(dir, "here/Music/Other/E - Linked.mp3", 200);
        dir.Write("here/Music/Rock/Linked.lnk", test::ShortcutBytes("..\\Other\\E - Linked.mp3"));
        test::WriteMp3(dir, "share/IDs/ID.mp3", 10);

        const std::string yesterday = std::to_string(today - 1) + ",5";
        Data("Categories.dat",
             EncodeListText({"Caf\xE9 Rock", "", EncodeListText({"c:\\MUSIC\\rock"}), "200", "1",
                             "2880", "0", "0", "0", "0", "0"}));
        Data("Spots.dat", EncodeListText({"IDs", "", EncodeListText({"\\\\SERVER\\share\\IDs"})}));
        Data("Caf\xE9 Rock.dat", "C:\\Music\\Rock\\Caf\xE9 - Yesterday.mp3*" + yesterday +
                                     "?200|46000,25\r\n"
                                     "C:\\Music\\Rock\\Gone - Missing.mp3*46000?180|46000\r\n"
                                     "a line that lost its markers\r\n");
        std::vector<std::string> items(5, MakeCategoryItem("Caf\xE9 Rock"));
        items.insert(items.begin(), MakeSpotGroupItem("IDs"));
        Data("Rotations.dat", EncodeListText({"Hour", "", "1", EncodeListText(items)}));
        std::vector<std::string> hours;
        for (int h = 0; h < 24; ++h) {
            hours.push_back(ScheduleEntryText(h, 0, "...DEFAULT..."));
        }
        Data("Schedules.dat", EncodeListText({"All", "", "1111111", EncodeListText(hours), ""}));
        Options o = DefaultOptions("C:\\Spindle\\", today, FormatSettings::English());
        test::RunFrom(o, today + 1, 0, 1);
        o.TimeCheck = false;
        o.PlaylistFormat = "%p\\%f%e";
        o.PlaylistFolder = "C:\\Spindle\\Playlist";
        o.LogFolder = "C:\\Spindle\\Logs";
        Data("Options.dat", OptionsLine(o));
    }

    void Data(const std::string& name, const std::string& line) {
        dir.Write("data/" + name, line.back() == '\n' ? line : line + "\r\n");
    }
    std::string Here(const std::string& name) const { return dir / ("here/" + name); }
    // spindle-cli migrate on the data folder with its drive and share mappings.
    test::ProcessResult Migrate(const std::vector<std::string>& more = {}) const {
        std::vector<std::string> args{"migrate", "--data", dir / "data"};
        for (const std::string& map :
             {"C:\\Music=" + Here("Music"), "c:\\spindle=" + Here("Spindle"),
              "\\\\server\\SHARE=" + (dir / "share")}) {
            args.insert(args.end(), {"--map", map});
        }
        args.insert(args.end(), more.begin(), more.end());
        return Cli(args);
    }

    TempDir dir;
    std::int64_t today = 0;
};

TEST_F(FromWindows, ADryRunReportsAndChangesNothing) {
    const auto before = test::Snapshot(dir.Path() / "data");
    const test::ProcessResult r = Migrate({"--dry-run"});
    EXPECT_EQ(r.ExitCode, 3) << r.Out << r.Err;  // one track's file is gone
    EXPECT_NE(r.Out.find("Category \"Caf\xC3\xA9 Rock\": 2 paths found, 1 not found"),
              std::string::npos)
        << r.Out;
    EXPECT_NE(r.Out.find("not found: " + Here("Music/Rock/Gone - Missing.mp3")), std::string::npos);
    EXPECT_NE(r.Out.find("Line 3 of"), std::string::npos);
    EXPECT_NE(r.Out.find("would write " + (dir / "data/Options.dat")), std::string::npos);
    EXPECT_EQ(test::Snapshot(dir.Path() / "data"), before);

    // Run before it is migrated, the station names the command instead of a message
    // per folder, writes no output into a folder named "C:\...", and loses nothing.
    const test::ProcessResult unmigrated = Cli({"-r", "--data", dir / "data"}, dir.Path().string());
    EXPECT_EQ(unmigrated.ExitCode, 1);
    EXPECT_FALSE(fs::exists(dir.Path() / "C:\\Spindle\\Logs"));
    EXPECT_NE(unmigrated.Out.find("spindle-cli migrate --data"), std::string::npos);
    EXPECT_NE(unmigrated.Out.find("is a path of a Windows station. Bring"), std::string::npos);
    auto after = test::Snapshot(dir.Path() / "data");
    after.erase(".spindle.lock");
    EXPECT_EQ(after, before);
}

TEST_F(FromWindows, MigratedItRunsWithItsOldHistory) {
    const test::ProcessResult r = Migrate();
    ASSERT_EQ(r.ExitCode, 3) << r.Out << r.Err;
    EXPECT_NE(r.Out.find("\"c:\\MUSIC\\rock\" found as \"" + Here("Music/Rock") + "\""),
              std::string::npos)
        << r.Out;
    const std::string list = ReadAll(dir.Path() / "data/Caf\xC3\xA9 Rock.dat");
    EXPECT_NE(list.find(Here("Music/Rock/Caf\xC3\xA9 - Yesterday.mp3*") +
                        std::to_string(today - 1) + ".5?200|46000.25\r\n"),
              std::string::npos)
        << list;
    EXPECT_NE(list.find("a line that lost its markers\r\n"), std::string::npos);
    EXPECT_TRUE(fs::exists(dir.Path() / "data/Caf\xE9 Rock.bak"));
    const auto options = DecodeListText((*ReadTextLines(dir.Path() / "data/Options.dat"))[0]);
    EXPECT_EQ(options[8], Here("Spindle/Playlist"));
    EXPECT_EQ(options[28], "%p/%f%e");
    EXPECT_NE(ReadAll(dir.Path() / "data/Spots.dat").find(dir / "share/IDs"), std::string::npos);

    // The first run after: five songs for five items, yesterday's kept out by its
    // two-day interval, so the shortcut's song plays with the rest.
    fs::create_directories(Here("Spindle"));
    const test::ProcessResult run = Cli({"-r", "--seed", "4", "--data", dir / "data"});
    EXPECT_TRUE(run.ExitCode == 0 || run.ExitCode == 3) << run.Out << run.Err;
    const std::string log = ReadAll(dir.Path() / "here/Spindle/Logs/Generate.log");
    EXPECT_NE(log.find("Playlist files created successfully."), std::string::npos) << log;
    const std::string plg =
        ReadAll(Here("Spindle/Logs/") +
                FormatDateTime("mmmdd", static_cast<double>(today + 1), FormatSettings::English()) +
                "00.plg");
    EXPECT_EQ(plg.find("Yesterday"), std::string::npos) << plg;
    EXPECT_NE(plg.find("/../Other/E - Linked.mp3"), std::string::npos) << plg;
    EXPECT_EQ(log.find("Selection error"), std::string::npos) << log;
    EXPECT_NE(ReadAll(dir.Path() / "data/Caf\xC3\xA9 Rock.dat")
                  .find("Yesterday.mp3*" + std::to_string(today - 1) + ".5?200|"),
              std::string::npos);
    EXPECT_TRUE(fs::exists(dir.Path() / "here/Spindle/Playlist"));
}

TEST(PathMapper, MapsDrivesAndSharesWhateverTheirCase) {
    TempDir dir;
    dir.MakeFolder("Music/Jazz");
    const PathMapper mapper({{"C:\\Music", dir / "Music"}, {"\\\\srv\\a", "/x"}});
    const auto folded = mapper.Map("c:\\music\\JAZZ");
    EXPECT_EQ(folded.Path, dir / "Music/Jazz");
    EXPECT_TRUE(folded.Exists && folded.Folded);
    EXPECT_EQ(mapper.Map("\\\\SRV\\A\\b.mp3").Path, "/x/b.mp3");
    EXPECT_FALSE(mapper.Map("C:\\Musical\\x.mp3").Mapped);  // a whole folder name or nothing
    EXPECT_FALSE(mapper.Map("D:\\Music\\x.mp3").Mapped);
    EXPECT_FALSE(mapper.Map("/srv/music/x.mp3").Windows);
    // Nested mappings: the longer one wins, whichever comes first.
    const PathMapping music{"C:\\Music", "/m"}, jazz{"c:\\music\\Jazz\\", "/j"};
    for (const auto& nested : {std::vector{music, jazz}, std::vector{jazz, music}}) {
        EXPECT_EQ(PathMapper(nested).Map("C:\\Music\\Jazz\\x.mp3").Path, "/j/x.mp3");
    }
    EXPECT_FALSE(ParsePathMapping("no-equals"));
    EXPECT_EQ(ParsePathMapping("C:\\M=/m")->To, "/m");
}

}  // namespace
}  // namespace spindle
