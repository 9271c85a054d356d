// spindle-cli -r as cron runs it: a real process on a data folder made by the test.
#include <SQLiteCpp/Database.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "base/format_datetime.h"
#include "base/list_text.h"
#include "base/text_file.h"
#include "station/data_lock.h"
#include "station/rotation.h"
#include "stationdb/station_db.h"
#include "support/process.h"
#include "support/station_builder.h"

namespace spindle {
namespace {

using test::Cli;
using test::ProcessResult;
using test::ReadAll;
using test::RunProcess;
using test::StationBuilder;
using test::TempDir;
namespace fs = std::filesystem;

// Twelve songs by twelve artists, a rotation of four songs and an ID, three hours a run;
// the song interval is too long for so few songs unless it is 0.
void MakeStation(const TempDir& dir, std::int64_t startDay, const char* songInterval = "240") {
    StationBuilder b(dir);
    std::vector<std::string> songs;
    for (int i = 0; i < 12; ++i) {
        songs.push_back("Band" + std::to_string(i) + " - Song" + std::to_string(i));
    }
    b.AddCategory("Hits", {b.MusicFolder("Hits", songs, 600)});
    b.AddSpotGroup("IDs", {b.SpotFolder("IDs", {"ID"}, 10)});
    b.AddRotation("Hour",
                  {MakeSpotGroupItem("IDs"), MakeCategoryItem("Hits"), MakeCategoryItem("Hits"),
                   MakeCategoryItem("Hits"), MakeCategoryItem("Hits")},
                  true);
    b.AddSchedule("All", "1111111", "...DEFAULT...");
    test::RunFrom(b.Opt(), startDay, 6, 3);
    b.Opt().SystemSongInterval = songInterval;
    b.Save();
}

std::vector<std::string> Items(const fs::path& plg) {
    std::vector<std::string> items;
    const auto lines = ReadTextLines(plg);
    for (const std::string& line : lines.value_or(std::vector<std::string>{})) {
        if (line.rfind("0,", 0) == 0) {
            items.push_back(fs::path(DecodeListText(line)[3]).filename());  // its file name
        }
    }
    return items;
}

TEST(UnattendedRun, GeneratesSavesAndTheNextRunContinues) {
    TempDir dir;
    const std::int64_t today = DateOf(NowLocal());
    MakeStation(dir, today + 1);
    const std::string data = (dir.Path() / "data").string();
    const std::string stamp1 =
        FormatDateTime("mmmdd", static_cast<double>(today + 1), FormatSettings::English());

    const ProcessResult first = Cli({"-r", "--data", data, "--seed", "7"});
    ASSERT_EQ(first.ExitCode, 3) << first.Out << first.Err;
    const fs::path plg1 = dir.Path() / "data/Logs" / (stamp1 + "06.plg");
    ASSERT_TRUE(fs::exists(plg1));
    EXPECT_TRUE(fs::exists(dir.Path() / "data/Playlist" / (stamp1 + ".ALB")));
    EXPECT_EQ(ReadAll(dir.Path() / "data/Logs/Generate.log").substr(0, 31),
              "Deleting old playlist files ...");

    // The start moved on by the run's 3 hours, and the last uses were saved.
    const auto options = DecodeListText((*ReadTextLines(dir.Path() / "data/Options.dat"))[0]);
    EXPECT_EQ(options[0], std::to_string(today + 1));
    EXPECT_EQ(options[1], "9");
    const std::vector<std::string> played = Items(plg1);
    ASSERT_GE(played.size(), 12u);
    const std::string hits = ReadAll(dir.Path() / "data/Hits.dat");
    EXPECT_EQ(hits.find("*0?"), std::string::npos) << hits;  // every song has a last use
    // The same seed on a twin station makes the same choices.
    TempDir twin;
    MakeStation(twin, today + 1);
    ASSERT_EQ(Cli({"-r", "--data", twin / "data", "--seed", "7"}).ExitCode, 3);
    EXPECT_EQ(Items(twin.Path() / "data/Logs" / (stamp1 + "06.plg")), played);

    // The next run starts at 09:00 and, with a four-hour song interval, cannot repeat
    // any of the first run's songs in its first hour without saying so.
    const ProcessResult second = Cli({"-r", "--data", data, "--seed", "7"});
    ASSERT_EQ(second.ExitCode, 3) << second.Out << second.Err;  // a repeat rule relaxed
    const fs::path plg2 = dir.Path() / "data/Logs" / (stamp1 + "09.plg");
    ASSERT_TRUE(fs::exists(plg2));
    const std::vector<std::string> next = Items(plg2);
    // Fresh songs would have filled 09:00 without a word: the saved last uses did not.
    const std::string weekday =
        FormatDateTime("dddd", static_cast<double>(today + 1), FormatSettings::English());
    EXPECT_NE(second.Out.find("Selection error on Category \"Hits\" for " + weekday + " 9:"),
              std::string::npos)
        << second.Out;
    ASSERT_GE(next.size(), 4u);
    EXPECT_NE(std::vector<std::string>(played.end() - 4, played.end()),
              std::vector<std::string>(next.begin(), next.begin() + 4));
}

// What cron is told: 0 clean, 3 finished with something to look at, 1 failed (and
// nothing moved on).
TEST(UnattendedRun, TheExitStatusTellsCronWhatHappened) {
    const std::int64_t tomorrow = DateOf(NowLocal()) + 1;
    struct Case {
        const char* Name;
        std::function<void(const fs::path& data)> Spoil;
        int Status;
        const char* Said;
    };
    // A station with a rule, run once; then `spoil` puts its database out of use.
    std::unique_ptr<SQLite::Database> holder;  // another program's hold on the database
    auto withRules = [&](std::vector<std::string> rules,
                         std::function<void(const fs::path&)> spoil = nullptr) {
        return [rules, spoil](const fs::path& data) {
            ASSERT_TRUE(StationDb(data, StationDb::Mode::OrCreate).SetRules("", rules));
            const std::string options = ReadAll(data / "Options.dat");
            ASSERT_NE(Cli({"-r", "--data", data.string()}).ExitCode, 1);
            std::ofstream(data / "Options.dat", std::ios::binary) << options;
            if (spoil) {
                spoil(StationDb::FileIn(data));
            }
        };
    };
    auto sql = [](std::string statement) {
        return [statement](const fs::path& file) {
            SQLite::Database(file.string(), SQLite::OPEN_READWRITE).exec(statement);
        };
    };
    const std::vector<std::string> album{"album 60 minutes"};
    const Case cases[] = {
        {"clean", nullptr, 0, "Playlist files created successfully."},
        {"rules, and a database of a newer version",
         withRules(album, sql("PRAGMA user_version = 99")), 1,
         "(database version 99; this version knows up to"},
        {"rules, and a damaged database",
         withRules(album,
                   [](const fs::path& file) {
                       std::ofstream(file, std::ios::binary | std::ios::in) << "not a database";
                   }),
         1, "The station database cannot be used, so the station's rules cannot be kept"},
        {"rules, and a database another program holds",
         withRules(album,
                   [&](const fs::path& file) {
                       holder = std::make_unique<SQLite::Database>(file.string(),
                                                                   SQLite::OPEN_READWRITE);
                       holder->exec(
                           "PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE; "
                           "DELETE FROM settings");
                   }),
         1, "database is locked"},
        {"rules kept for a Category that is gone",
         withRules(album, sql("UPDATE rules SET scope = 'Gone'")), 3,
         "The rules kept for \"Gone\" belong to no Category"},
        {"a window on a track the station does not have",
         withRules({"window track \"/nowhere/A - B.mp3\" hours 06:00-07:00"}), 3,
         "names a track no Category holds"},
        {"unmounted folder",
         [](const fs::path& data) { fs::rename(data / "../music/Hits", data / "../away"); }, 3,
         "does not exist in Category \"Hits\""},
        {"file without a playing time",
         [](const fs::path& data) { std::ofstream(data / "../music/Hits/Zed - Empty.mp3"); }, 3,
         "Empty.mp3\" in \"Hits\" cannot be told"},
        {"no schedule, after a good run of the same period",
         [](const fs::path& data) {
             const std::string options = ReadAll(data / "Options.dat");
             ASSERT_EQ(Cli({"-r", "--data", data.string()}).ExitCode, 0);
             std::ofstream(data / "Options.dat", std::ios::binary) << options;
             fs::remove(data / "Schedules.dat");
             for (const auto& f : fs::directory_iterator(data / "Logs")) {  // and weeks old
                 fs::last_write_time(f, fs::last_write_time(f) - std::chrono::days(30));
             }
         },
         1, "No Schedule has been established for"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TempDir dir;
        MakeStation(dir, tomorrow, "0");
        const fs::path data = dir.Path() / "data";
        if (c.Spoil) {
            c.Spoil(data);
        }
        const std::string optionsBefore = ReadAll(data / "Options.dat");
        auto logs = [&] {  // the earlier run's log, .bak and summaries; not the run's report
            auto files = test::Snapshot(data / "Logs");
            return files.erase("Generate.log"), files;
        };
        const auto logsBefore = fs::exists(data / "Logs") ? logs() : decltype(logs()){};
        const ProcessResult r = Cli({"-r", "--data", data.string(), "--seed", "1"});
        EXPECT_EQ(r.ExitCode, c.Status) << r.Out << r.Err;
        EXPECT_NE(r.Out.find(c.Said), std::string::npos) << r.Out;
        EXPECT_NE(ReadAll(data / "Logs/Generate.log").find(c.Said), std::string::npos);
        if (c.Status == 1) {
            EXPECT_EQ(r.Out.find("successfully"), std::string::npos) << r.Out;
            EXPECT_EQ(ReadAll(data / "Options.dat"), optionsBefore);      // the start stays
            EXPECT_EQ(Cli({"-r", "--data", data.string()}).ExitCode, 1);  // and fails again
            EXPECT_TRUE(!logsBefore.empty() && logs() == logsBefore);
        } else {
            EXPECT_NE(ReadAll(data / "Options.dat"), optionsBefore);  // the start moved on
        }
        holder.reset();
    }
}

// Refused with nothing changed: a folder another run holds, one without a station (a
// typo must not be filled with an empty one), one that does not exist, no folder given.
TEST(UnattendedRun, RefusesAFolderItCannotRunOn) {
    TempDir dir;
    MakeStation(dir, DateOf(NowLocal()) + 1, "0");
    const fs::path data = dir.Path() / "data";
    const std::string optionsBefore = ReadAll(data / "Options.dat");
    dir.MakeFolder("typo");
    {
        const DataFolderLock running(data, "spindle (desktop)");
        ASSERT_TRUE(running.Held());
        const std::pair<std::vector<std::string>, std::string> cases[] = {
            {{"-r", "--data", data.string()},
             "Another run is using the data folder \"" + data.string() +
                 "\" (spindle (desktop), process " + std::to_string(::getpid()) + ", since "},
            {{"-r", "--data", dir / "typo"}, (dir / "typo") + " holds no station"},
            {{"-r", "--data", dir / "nowhere"}, "does not exist"},
            {{"-r", "--data"}, "--data needs a value"},
        };
        for (const auto& [args, said] : cases) {
            const ProcessResult r = Cli(args);
            EXPECT_EQ(r.ExitCode, args.size() == 2 ? 2 : 1) << said;
            EXPECT_NE(r.Err.find(said), std::string::npos) << r.Err;
        }
        EXPECT_EQ(ReadAll(data / "Options.dat"), optionsBefore);
        EXPECT_TRUE(fs::is_empty(dir.Path() / "typo"));
    }
    EXPECT_EQ(Cli({"-r", "--data", data.string()}).ExitCode, 0);  // released with its holder
}

// cron starts its jobs in another folder than the one the demo was made from; the
// program speaks the language of its environment, dates included, from its catalogue
// beside itself.
TEST(UnattendedRun, TheDemoRunsFromAnyFolderInTheEnvironmentsLanguage) {
    TempDir dir;
    ASSERT_EQ(Cli({"make-demo", "demo"}, dir.Path().string()).ExitCode, 0);
    const std::string options = ReadAll(dir / "demo/data/Options.dat");
    const ProcessResult r = Cli({"-r", "--data", dir / "demo/data"}, "/");
    EXPECT_EQ(r.ExitCode, 0) << r.Out << r.Err;
    EXPECT_EQ(r.Out.find("does not exist"), std::string::npos);
    EXPECT_NE(r.Out.find("Creating Playlist log ..."), std::string::npos) << r.Out;
    EXPECT_NE(r.Out.find("Repeat rules relaxed: none"), std::string::npos) << r.Out;

    // The same week again, as cron does after Options.dat was restored: the last uses of
    // the first run lie ahead of every slot, and still nothing breaks a repeat rule.
    std::ofstream(dir / "demo/data/Options.dat", std::ios::binary) << options;

    const std::string german = RunProcess({SPINDLE_CLI_PATH, "-r", "--data", dir / "demo/data"},
                                          {"LANG=de_DE.UTF-8", "LC_ALL="})
                                   .Out;
    EXPECT_NE(german.find("Playlist-Protokoll wird erstellt ..."), std::string::npos) << german;
    // "... begonnen am Montag, 7. Dezember 2026 ...": a German weekday, the day with its dot.
    const std::size_t at = german.find("begonnen am ");
    ASSERT_NE(at, std::string::npos) << german;
    const std::string date = german.substr(at + 12, german.find(". ", at) - at - 12);
    const std::string weekday = date.substr(0, date.find(", "));
    EXPECT_TRUE(weekday.ends_with("tag") || weekday == "Mittwoch") << german;
    EXPECT_GT(std::atoi(date.c_str() + weekday.size() + 2), 0) << german;
    for (const auto& file : fs::directory_iterator(dir / "demo/data/Logs")) {
        if (file.path().filename().string().starts_with("Relaxed-")) {
            const std::string rows = ReadAll(file.path());
            EXPECT_EQ(rows.find("\r\n") + 2, rows.size()) << rows;  // the heading only
        }
    }
}

}  // namespace
}  // namespace spindle
