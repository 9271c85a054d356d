// Saves that fail part-way must leave every previous file whole under its own name,
// tell the operator, and keep the changed flags set so that nothing is silently lost;
// spindle-cli -r killed with SIGKILL at any moment must leave a station that loads whole.
#include <SQLiteCpp/Database.h>
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <csignal>
#include <map>
#include <random>

#include "base/format_datetime.h"
#include "base/list_text.h"
#include "base/text_file.h"
#include "base/unattended_operator.h"
#include "forms/library_edits.h"
#include "generator/generation_run.h"
#include "generator/run_report.h"
#include "outputs/generation.h"
#include "outputs/playlist_log.h"
#include "station/rotation.h"
#include "station/station.h"
#include "station/track_list.h"
#include "stationdb/history.h"
#include "support/process.h"
#include "support/run_fixture.h"
#include "support/scripted_operator.h"
#include "support/station_builder.h"
#include "support/temp_dir.h"

namespace spindle {
namespace {

using test::ReadAll;
using test::ScriptedOperator;
using test::Snapshot;
using test::StationBuilder;
using test::TempDir;
namespace fs = std::filesystem;

// Every file `then` held in `folder` is still there exactly as it was.
void ExpectKept(const fs::path& folder, const std::map<std::string, std::string>& then) {
    const auto now = Snapshot(folder);
    for (const auto& [name, bytes] : then) {
        EXPECT_EQ(now.contains(name) ? now.at(name) : "(gone)", bytes) << name;
    }
}

// The data folder's files, the station database by what it holds: its journal files and
// its pages change as programs open and close it.
std::map<std::string, std::string> DataSnapshot(const fs::path& folder) {
    auto files = Snapshot(folder);
    std::erase_if(files, [](const auto& file) { return file.first.starts_with("Station.db"); });
    if (fs::exists(folder / "Station.db")) {
        SQLite::Database db((folder / "Station.db").string(), SQLite::OPEN_READONLY);
        std::string& held = files["Station.db"];
        for (const char* table : {"airings", "runs", "recordings"}) {
            held += std::to_string(
                        db.execAndGet(std::string("SELECT count(*) FROM ") + table).getInt64()) +
                    " ";
        }
    }
    return files;
}

// A station with every kind of data file, a generated week and its outputs.
class FaultTest : public ::testing::Test {
protected:
    FaultTest() : b(dir) {
        b.AddCategory(
            "Hits", {b.MusicFolder("Hits", {"A - One", "B - Two", "C - Three", "D - Four"}, 240)});
        b.AddSpotGroup("IDs", {b.SpotFolder("IDs", {"ID"}, 10)});
        b.AddRotation(
            "Hour", {MakeSpotGroupItem("IDs"), MakeCategoryItem("Hits"), MakeCategoryItem("Hits")},
            true);
        b.AddSchedule("All", "1111111", "...DEFAULT...");
        b.Get().Related.SetLines({"A;B;"});
        test::RunFrom(b.Opt(), DateOf(NowLocal()) + 1, 0, 2);
        b.Opt().PlaylistPeriod = kPeriodHour;
        b.Opt().FilenameFormat = "mmmdd-hh\".m3u\"";
        b.Save();
        ScriptedOperator quiet;
        RunReport report(quiet, nullptr);
        EXPECT_TRUE(RunGeneration(b.Get(), report));
        b.Get().SaveAll();
        before = DataSnapshot(b.DataFolder());
    }

    // Changes every kind of data so that every file has something new to save; the
    // Category is renamed, so its track list is to follow.
    void ChangeEverything(Station& s) {
        RenameEntry(s, ListKind::Categories, 0, "Renamed");
        s.Opt.HTMLTitle = "Changed";
        s.Categories[0]->Notes = "changed";
        s.SpotGroups[0]->Notes = "changed";
        s.Rotations[0]->Notes = "changed";
        s.Schedules[0]->Notes = "changed";
        s.Related.SetLines({"A;B;C;"});
        s.Categories[0]->Files[0].LastUsed = 46999.5;
        s.Changed = ChangedFlags{true, true, true, true, true, true, true};
    }

    // Every data file is still exactly as it was, and no temporary file is left behind.
    void ExpectDataUnchanged() { EXPECT_EQ(DataSnapshot(b.DataFolder()), before); }

    TempDir dir;
    StationBuilder b;
    std::map<std::string, std::string> before;
};

// Loads the station in a child process (as nobody, with the folders down to it open to
// others, when asked), lets `act` work on it under a file-size limit of `sizeLimit`
// bytes when one is given, and gives back what `act` said.
std::string InChildStation(const fs::path& top, const fs::path& data,
                           const std::function<std::string(Station&, ScriptedOperator&)>& act,
                           bool nobody, rlim_t sizeLimit = RLIM_INFINITY) {
    if (nobody) {
        for (fs::path p = data.parent_path(); p != p.parent_path() && p != top.parent_path();
             p = p.parent_path()) {
            ::chmod(p.c_str(), 0755);
        }
    }
    return test::InChild(
        [&] {
            std::signal(SIGXFSZ, SIG_IGN);
            ScriptedOperator op;
            Station s(data, op, FormatSettings::English());
            s.LoadAll();
            const struct rlimit limit = {sizeLimit, sizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            return act(s, op);
        },
        nobody);
}

std::string FirstMessage(const ScriptedOperator& op) {
    return op.Messages.empty() ? "" : op.Messages[0].Text;
}

TEST_F(FaultTest, SavesThatCannotBeWrittenKeepEveryFileAndFlag) {
    auto saveEverything = [&](Station& s, ScriptedOperator& op) {
        ChangeEverything(s);
        const bool saved = s.SaveAll();
        const ChangedFlags& c = s.Changed;
        const bool all = c.Options && c.Categories && c.Spots && c.Rotations && c.Schedules &&
                         c.FileLists && c.Related;
        return std::string(saved ? "saved " : "failed ") + (all ? "all " : "some ") +
               std::to_string(op.Messages.size()) + " " + FirstMessage(op);
    };
    // The disk full: a message for every file that failed.
    const std::string full = InChildStation(dir.Path(), b.DataFolder(), saveEverything, false, 1);
    EXPECT_EQ(full.substr(0, 11), "failed all ") << full;
    EXPECT_GE(std::stoi(full.substr(11)), 7) << full;
    ExpectDataUnchanged();
    // A data folder the operator may not write to.
    ::chmod(b.DataFolder().c_str(), 0555);
    const std::string readOnly = InChildStation(dir.Path(), b.DataFolder(), saveEverything, true);
    ::chmod(b.DataFolder().c_str(), 0755);
    EXPECT_EQ(readOnly.substr(0, 11), "failed all ") << readOnly;
    EXPECT_NE(readOnly.find("Unable to create"), std::string::npos) << readOnly;
    ExpectDataUnchanged();
}

// A fault thrown inside a run, which the worker or the CLI catches above it, takes the
// run back as a failure does: a Save All after it leaves the start where it was.
TEST_F(FaultTest, AFaultThrownInsideARunTakesItBack) {
    struct Throwing : OutputPass {
        void PurgeOldOutputs(RunReport&) override {}
        bool CreatePlaylistFiles(const RunFacts&, RunReport&) override {
            throw std::runtime_error("fault");
        }
    } outputs;
    ScriptedOperator quiet;
    RunReport report(quiet, nullptr);
    PlaylistLogFile log(b.Get().Settings());
    EXPECT_THROW(GenerationRun(b.Get(), report).CreatePlaylist(log, outputs), std::runtime_error);
    b.Opt().IncrementHour = true;      // so that a Save All would move the start on,
    b.Get().Changed.FileLists = true;  // after the operator corrects a track
    b.Get().SaveAll();
    EXPECT_EQ(ReadAll(b.DataFolder() / "Options.dat"), before.at("Options.dat"));
}

TEST_F(FaultTest, DiskFullWhileWritingThePlaylistLogAndPlaylists) {
    // A station yet without its database, whose opening would be the first write to fail.
    for (const char* name : {"Station.db", "Station.db-wal", "Station.db-shm"}) {
        fs::remove(b.DataFolder() / name);
    }
    before = DataSnapshot(b.DataFolder());
    const auto outputsBefore = Snapshot(b.Opt().LogFolder);
    const auto playlistsBefore = Snapshot(b.Opt().PlaylistFolder);
    const std::string result = InChildStation(
        dir.Path(), b.DataFolder(),
        [](Station& s, ScriptedOperator& op) {
            RunReport report(op, nullptr);
            const bool ok = RunGeneration(s, report);
            const auto& lines = report.Lines();
            const bool aborted =
                std::find(lines.begin(), lines.end(), "Playlist Creation Aborted.") != lines.end();
            return std::string(ok ? "generated" : "failed") +
                   (s.Changed.FileLists ? " marked" : " unmarked") + (aborted ? " aborted" : "") +
                   "|" + FirstMessage(op);
        },
        false, 1);
    EXPECT_EQ(result, "failed unmarked aborted|Unable to create Playlist Log file.");
    EXPECT_EQ(Snapshot(b.Opt().PlaylistFolder), playlistsBefore);
    ExpectKept(b.Opt().LogFolder, outputsBefore);
    ExpectDataUnchanged();
}

TEST_F(FaultTest, AFolderWithoutPermissionKeepsItsHistory) {
    ::chmod(b.DataFolder().c_str(), 0777);
    for (const auto& entry : fs::directory_iterator(b.DataFolder())) {
        ::chmod(entry.path().c_str(), 0666);
    }
    const fs::path hits = dir.Path() / "music/Hits";
    ::chmod((dir.Path() / "music").c_str(), 0755);
    ::chmod(hits.c_str(), 0700);  // the music belongs to another user
    const std::string result = InChildStation(
        dir.Path(), b.DataFolder(),
        [](Station& s, ScriptedOperator& op) {
            s.Changed.FileLists = true;
            const bool saved = s.SaveAll();
            // Kept with their history, but not to be scheduled: this user cannot reach them.
            return std::to_string(s.Categories[0]->Files.size()) + "+" +
                   std::to_string(s.Categories[0]->Absent.size()) +
                   (saved ? " saved|" : " failed|") + FirstMessage(op);
        },
        true);
    ::chmod(hits.c_str(), 0755);
    EXPECT_EQ(result.substr(0, 10), "0+4 saved|") << result;
    EXPECT_NE(result.find("cannot be read (Permission denied); its saved tracks are kept"),
              std::string::npos)
        << result;
    EXPECT_EQ(ReadAll(b.DataFolder() / "Hits.dat"), before.at("Hits.dat"));
}

// Pages and summaries are extras: one that cannot be written is reported, and the
// playlists, the last uses and the start still count.
TEST_F(FaultTest, APageOrSummaryThatCannotBeWrittenDoesNotFailTheRun) {
    Station& s = b.Get();
    s.Opt.HTMLEnabled = true;
    s.Opt.TrackLog = true;
    s.Opt.SpotLog = true;
    s.Opt.StartDay += 1;
    const std::string stamp =
        FormatDateTime("mmmdd", static_cast<double>(s.Opt.StartDay), s.Settings());
    // A folder where the last hour's page and the old summary's backup belong.
    dir.MakeFolder("data/HTMLPlaylist/" + stamp + "01.html/blocked");
    dir.Write("data/Logs/Track-" + stamp + "00.csv", "old");
    dir.MakeFolder("data/Logs/Track-" + stamp + "00.bak/blocked");
    UnattendedOperator quiet;
    s.Changed = ChangedFlags{};
    const test::RunResult r = test::Generate(s, quiet);
    EXPECT_TRUE(r.Ok);
    EXPECT_TRUE(r.HasLine("Unable to rename Track Summary file."));
    EXPECT_TRUE(r.HasLineStartingWith("Unable to delete HTML Playlist file"));
    EXPECT_TRUE(r.HasLine("Creating Spot Summary Log... Done"));
    EXPECT_FALSE(r.HasLine("Playlist Creation Aborted."));
    EXPECT_TRUE(s.Changed.FileLists);
}

// A progress window that does something to the folders when a given line appears.
class Saboteur : public Progress {
public:
    Saboteur(std::string line, std::function<void()> act)
        : line_(std::move(line)), act_(std::move(act)) {}
    void AddLine(std::string_view line) override {
        if (line.rfind(line_, 0) == 0 && act_) {
            act_();
            act_ = nullptr;
        }
    }

private:
    std::string line_;
    std::function<void()> act_;
};

// A folder removed while the run writes into it: the run stops, says why, and marks
// nothing to be saved; the station still loads whole.
TEST_F(FaultTest, AFolderRemovedDuringTheRun) {
    Station& s = b.Get();
    s.Opt.StartDay += 1;  // a new log name, so the old log's folder holds only old files
    const std::string cases[][3] = {
        {"Creating Playlist log ...", s.Opt.LogFolder, "Unable to create Playlist Log file."},
        {"Creating Playlist for", s.Opt.PlaylistFolder, "Unable to delete Playlist file"},
    };
    for (const auto& [line, folder, said] : cases) {
        ScriptedOperator op;
        Saboteur saboteur(line, [&] { fs::remove_all(folder); });
        RunReport report(op, &saboteur);
        s.Changed = ChangedFlags{};
        EXPECT_FALSE(RunGeneration(s, report));
        EXPECT_EQ(report.Lines().back(), "Playlist Creation Aborted.");
        EXPECT_EQ(FirstMessage(op).rfind(said, 0), 0u) << FirstMessage(op);
        EXPECT_FALSE(s.Changed.FileLists);
        ExpectDataUnchanged();
    }
    ScriptedOperator op;
    Station again(b.DataFolder(), op, FormatSettings::English());
    again.LoadAll();
    EXPECT_EQ(again.Categories[0]->Files.size(), 4u);
}

// What a station holds that a kill must not lose.
struct Contents {
    std::size_t Categories = 0, Spots = 0, Rotations = 0, Schedules = 0, Tracks = 0,
                RelatedLines = 0, OptionItems = 0;
    bool operator==(const Contents&) const = default;
};

Contents Load(const fs::path& data) {
    UnattendedOperator op;
    Station s(data, op, FormatSettings::English());
    s.Isolated = true;  // what the saved files hold, not what the folders add
    s.LoadAll();
    for (const auto& cat : s.Categories) {
        // Every line of every track list is whole.
        bool bad = false;
        ReadTrackList(data / TrackListFileName(*cat), nullptr, s.Settings(),
                      [&](const std::string&) { bad = true; });
        EXPECT_FALSE(bad) << cat->Name;
    }
    const std::size_t optionItems =
        DecodeListText(ReadTextLines(data / "Options.dat").value().at(0)).size();
    return {s.Categories.size(), s.SpotGroups.size(),     s.Rotations.size(),
            s.Schedules.size(),  s.TotalCategoryTracks(), s.Related.Lines().size(),
            optionItems};
}

// The play history is sound and holds no half run: each run it keeps airings of holds
// every item of its log that goes on the air. A log written after the run was recorded is
// a later run's of the same period, killed before it recorded its own.
void ExpectWholeRuns(const fs::path& data) {
    SQLite::Database db((data / "Station.db").string(), SQLite::OPEN_READONLY);
    EXPECT_EQ(db.execAndGet("PRAGMA integrity_check").getString(), "ok");
    SQLite::Statement runs(db,
                           "SELECT r.log, count(a.id), r.saved_at FROM runs r JOIN airings a ON "
                           "a.run_id = r.id GROUP BY r.id");
    while (runs.executeStep()) {
        LogContents log;
        const std::string name = runs.getColumn(0).getString();
        ASSERT_EQ(ReadPlaylistLog((data / "Logs" / (name + ".plg")).string(),
                                  FormatSettings::English(), log),
                  LogReadError::None);
        const bool whole =
            runs.getColumn(1).getInt64() == static_cast<std::int64_t>(test::OnAirItems(log));
        EXPECT_TRUE(whole || ClockSeconds(log.Created) >= runs.getColumn(2).getInt64()) << name;
    }
}

TEST(KilledDuringUnattendedRun, TheStationLoadsWholeAfterEveryKill) {
    test::TempDir dir;
    const std::string cli = SPINDLE_CLI_PATH;
    const std::string station = (dir.Path() / "station").string();
    const std::string data = station + "/data";
    test::RunProcess({cli, "make-demo", station});
    test::RunProcess({cli, "-r", "--data", data, "--seed", "1"});  // saved track lists from here on
    const Contents expected = Load(data);
    ASSERT_EQ(expected.Categories, 5u);
    ASSERT_GT(expected.Tracks, 300u);
    ASSERT_EQ(expected.OptionItems, 61u);

    std::mt19937 gen(99);
    for (int round = 0; round < 12; ++round) {
        // A demo week takes a few hundred milliseconds; kill anywhere in it.
        test::RunProcess({cli, "-r", "--data", data, "--seed", std::to_string(round)}, {}, {},
                         static_cast<int>(gen() % 400000));
        EXPECT_EQ(Load(data), expected) << "after a kill in round " << round;
        ExpectWholeRuns(data);
    }
}

}  // namespace
}  // namespace spindle
