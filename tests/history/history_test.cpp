// The play history: what runs, editor saves, imports and the playout's as-run log leave in
// it, and the reports of use made from it.
#include <SQLiteCpp/Database.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "editor/document_save.h"
#include "editor/playlist_document.h"
#include "history/log_import.h"
#include "history/outside_files.h"
#include "history/use_reports.h"
#include "outputs/generation.h"
#include "station/rotation.h"
#include "support/run_fixture.h"
#include "support/scripted_operator.h"
#include "support/station_builder.h"
#include "support/temp_dir.h"

namespace spindle {
namespace {

using test::ScriptedOperator;
using test::StationBuilder;
using test::TempDir;
namespace fs = std::filesystem;

constexpr std::int64_t kMonday = 46356;  // 2026-11-30

class HistoryTest : public ::testing::Test {
protected:
    HistoryTest() : b(dir) {
        std::vector<std::string> names;
        for (int i = 0; i < 40; ++i) {
            names.push_back("Artist " + std::to_string(i) + " - Song");
        }
        b.AddCategory("Hits", {b.MusicFolder("Hits", names, 230)});
        b.AddSpotGroup("IDs", {b.SpotFolder("IDs", {"ID"}, 10)});
        // Seventeen songs, time checking off: the last one of each hour starts after the
        // next hour is due.
        std::vector<std::string> hour = {MakeSpotGroupItem("IDs"), MakeBreakNoteItem("Break")};
        hour.insert(hour.end(), 17, MakeCategoryItem("Hits"));
        b.AddRotation("Hour", hour);
        b.Opt().TimeCheck = false;
        b.AddSchedule("All", "1111111", "...DEFAULT...");
        b.Get().FixedSeed = 7;
        b.Save();
    }

    // Runs `hours` from `day` `hour` and saves as the operator does; the log read back.
    LogContents RunAndSave(std::int64_t day, int hour, int hours) {
        test::RunFrom(b.Opt(), day, hour, hours);
        ScriptedOperator op;
        const test::RunResult run = test::Generate(b.Get(), op);
        EXPECT_TRUE(run.Ok);
        EXPECT_TRUE(b.Get().SaveAll());
        return run.Log;
    }

    std::int64_t Count(const std::string& query) {
        SQLite::Database db((b.DataFolder() / "Station.db").string());
        return db.execAndGet(query).getInt64();
    }

    std::vector<HistoryAiring> History(std::int64_t from = 0, std::int64_t to = 1LL << 40) {
        StationDb db(b.DataFolder(), StationDb::Mode::IfExists);
        return db.History(from, to).Value;
    }

    TempDir dir;
    StationBuilder b;
};

// Every item that goes on the air is kept, spots too, notes never; the next run keeps the
// item the last hour before it overran with; a shorter period run again replaces only its
// own hours, and a run that is not saved records nothing.
TEST_F(HistoryTest, RunsAreRecordedWhenSavedAndReplacedByRunNotByTime) {
    const LogContents first = RunAndSave(kMonday, 0, 48);
    ASSERT_EQ(History().size(), test::OnAirItems(first));
    EXPECT_GT(Count("SELECT count(*) FROM airings WHERE type = 1"), 0);
    const LogContents next = RunAndSave(kMonday + 2, 0, 24);
    EXPECT_EQ(History().size(), test::OnAirItems(first) + test::OnAirItems(next));

    // Monday again: Tuesday and Wednesday stay as they were recorded.
    const std::size_t later = History(ClockSeconds(kMonday + 1), 1LL << 40).size();
    const LogContents again = RunAndSave(kMonday, 0, 24);
    EXPECT_EQ(History(ClockSeconds(kMonday + 1), 1LL << 40).size(), later);
    EXPECT_EQ(Count("SELECT count(*) FROM airings WHERE hour < " +
                    std::to_string(ClockSeconds(kMonday + 1))),
              static_cast<std::int64_t>(test::OnAirItems(again)));
    EXPECT_EQ(Count("SELECT count(*) FROM runs"), 3);

    test::RunFrom(b.Opt(), kMonday + 5, 0, 2);
    ScriptedOperator op;
    ASSERT_TRUE(test::Generate(b.Get(), op).Ok);
    b.Get().LastRunStart = 0;  // the operator closed without saving
    b.Get().LastRunAirings = {};
    EXPECT_TRUE(b.Get().SaveAll());
    EXPECT_EQ(Count("SELECT count(*) FROM runs"), 3);
}

// An editor save puts what it saved in place of its log's airings, also when the run is
// saved after it; an import fills only the hours nobody recorded, so a second one adds
// nothing.
TEST_F(HistoryTest, EditorSavesAndImportsOfTheLogs) {
    test::RunFrom(b.Opt(), kMonday, 6, 3);
    ScriptedOperator runOp;
    const std::size_t recorded = test::OnAirItems(test::Generate(b.Get(), runOp).Log);
    const std::string log = b.Opt().LogFolderPath() + b.Opt().LogBaseName;
    PlaylistDocument doc;
    ASSERT_TRUE(doc.Load(log + ".plg", true, b.Get().Settings()).Loaded);
    std::uint64_t track = 0;
    for (const EditorItem& item : doc.Items()) {
        track = item.Type == 0 ? item.Id : track;
    }
    doc.Delete({track});
    ScriptedOperator op;
    RunReport report(op, nullptr);
    ASSERT_TRUE(SaveDocument(doc, b.Get(), log, report));
    EXPECT_EQ(History().size(), recorded - 1);
    ASSERT_TRUE(b.Get().SaveAll());  // the run, saved after its log was edited
    EXPECT_EQ(History().size(), recorded - 1);
    EXPECT_EQ(Count("SELECT count(*) FROM runs WHERE source = 1"), 1);

    fs::remove(b.DataFolder() / "Station.db");
    const LogImport first = ImportPlaylistLogs(b.Get(), std::nullopt, std::nullopt);
    EXPECT_TRUE(first.Problems.empty());
    EXPECT_EQ(first.Logs, 1);
    EXPECT_EQ(first.Airings, static_cast<int>(recorded - 1));
    const LogImport second = ImportPlaylistLogs(b.Get(), std::nullopt, std::nullopt);
    EXPECT_EQ(second.Airings, 0);
    EXPECT_EQ(Count("SELECT count(*) FROM runs"), 1);
    EXPECT_EQ(ImportPlaylistLogs(b.Get(), ClockSeconds(kMonday + 1), std::nullopt).Airings, 0);
}

// The as-run log confirms what it finds near its time, adds what nobody scheduled, marks
// what its span missed, changes nothing when read twice, and outlives a run of its hour
// again; a file moved with the same name and length is the recording it was.
TEST_F(HistoryTest, AsRunLogAndMovedFiles) {
    RunAndSave(kMonday, 6, 1);
    std::vector<HistoryAiring> planned = History();
    ASSERT_GE(planned.size(), 4u);
    const HistoryAiring& late = planned[1];
    const std::int64_t end = planned[3].At;
    const std::vector<AsRunLine> lines = {{planned[0].At, planned[0].Path},
                                          {late.At + 95, late.Path},
                                          {late.At + 200, "/elsewhere/Live - Set.mp3"},
                                          {end, planned[3].Path}};
    StationDb db(b.DataFolder(), StationDb::Mode::IfExists);
    const auto named = [](const std::string&, const RecordingFacts*) {
        return RecordingFacts{"Live", "Set", {}, {}, {}, {}};
    };
    const DbRead<AsRunResult> read = db.RecordAsRun(lines, 120, named);
    ASSERT_TRUE(read) << read.Problem;
    EXPECT_EQ(read.Value.Matched, 3);
    EXPECT_EQ(read.Value.Unscheduled, 1);
    EXPECT_EQ(read.Value.NotAired, 1);  // the third, between the lines
    EXPECT_EQ(db.RecordAsRun(lines, 120, named).Value.Known, 4);

    UseReportRequest request;
    request.Report = UseReport::Differences;
    request.From = ClockSeconds(kMonday);
    request.To = ClockSeconds(kMonday + 1);
    request.AsRun = db.AsRunDays(request.From, request.To).Value;
    const UseReportTable diff = MakeUseReport(History(), request);
    ASSERT_EQ(diff.Rows.size(), 4u);
    EXPECT_EQ(diff.Rows[1][2], "late 1:35");
    EXPECT_EQ(diff.Rows[2][2], "not scheduled");
    EXPECT_EQ(diff.Rows[3][2], "not aired");
    EXPECT_EQ(diff.Basis, "Counted from the as-run log: what aired.");

    // The hour run again keeps what the as-run log told of it.
    const std::size_t told = History().size();
    RunAndSave(kMonday, 6, 1);
    EXPECT_EQ(History().size(), told);
    EXPECT_EQ(MakeUseReport(History(), request).Rows, diff.Rows);

    // The file of a track moves.
    const HistoryAiring& track = planned[1];
    ASSERT_EQ(track.Type, 0);
    const std::string moved = track.Path + ".moved.mp3";
    fs::rename(track.Path, moved);
    const auto keep = [&](const std::string&, const RecordingFacts*) { return track.Facts; };
    ASSERT_TRUE(db.RecordRun(
        {ClockSeconds(kMonday + 3), ClockSeconds(kMonday + 3) + 3600, AiringSource::Run, {}, 0},
        {{ClockSeconds(kMonday + 3), ClockSeconds(kMonday + 3), 0, moved, "Hits", track.Duration}},
        keep));
    const std::vector<HistoryAiring> after = History(ClockSeconds(kMonday + 3), 1LL << 40);
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0].Recording, track.Recording);
    EXPECT_EQ(after[0].Path, moved);
}

// Each report on a small history of known facts, against its golden file: listeners make
// the performances, spots stay out unless asked, fields lose their tabs and line breaks.
TEST(UseReports, EachFormatAgainstItsGoldenFile) {
    const std::int64_t day = ClockSeconds(kMonday);
    const RecordingFacts hit{"Ana & Bo", "Hit\tSong", "First", "USAAA2600001", "Label", "Composer"};
    const RecordingFacts bare{"Cy", "Bare", "", "", "", ""};
    std::vector<HistoryAiring> airings;
    const auto add = [&](std::int64_t at, const RecordingFacts& facts, int type, int id) {
        HistoryAiring a;
        a.At = a.Planned = day + at;
        a.Type = type;
        a.Duration = 200 + id;
        a.Recording = id;
        a.Path = "/music/" + facts.Title + ".mp3";
        a.Facts = facts;
        airings.push_back(a);
    };
    add(60, hit, 0, 1);
    add(300, bare, 0, 2);
    add(600, {"", "Station ID", "", "", "", ""}, 1, 3);
    add(3700, hit, 0, 1);
    UseReportRequest request;
    request.From = day;
    request.To = day + 86400;
    request.Settings = {"KSPN-FM", "B", "Main, \"HD1\""};
    request.Listeners = {{day, 40}, {day + 3600, 12.4}};
    request.AsRun = {1, 0};
    std::string all;
    for (const UseReport report : AllUseReports()) {
        request.Report = report;
        for (const bool csv : {false, true}) {
            request.Csv = csv;
            all += std::string("== ") + UseReportName(report) + (csv ? " csv" : "") + "\n" +
                   UseReportText(MakeUseReport(airings, request), request);
        }
    }
    request.Report = UseReport::WebcastingCensus;
    request.WithSpots = true;
    request.Listeners = {{day, 40}};
    request.AsRun = {2, 1};
    const UseReportTable partly = MakeUseReport(airings, request);
    all += "== census with spots, one hour's listeners, one day of two told\n" +
           UseReportText(partly, request) + partly.Basis + "\n" + partly.Warnings.at(0) + "\n";
    EXPECT_TRUE(test::MatchesGolden(all, "reports_of_use.txt"));
}

// The outside files a station hands in: what reads and what is named as unreadable.
TEST(OutsideFiles, AsRunLogAndListenerFigures) {
    const AsRunRead asRun = ReadAsRunLog(
        "# started\n2026-11-30 06:00:05\t/music/A - One.mp3\r\n\n2026-11-30 06:3:00\t/x\n"
        "2026-02-30 06:00:00\t/x\n2026-11-30 06:04:10\t\n2026-11-30 23:59:59\t/m/B\tC.mp3");
    ASSERT_EQ(asRun.Lines.size(), 2u);
    EXPECT_EQ(asRun.Lines[0],
              (AsRunLine{ClockSeconds(kMonday) + 6 * 3600 + 5, "/music/A - One.mp3"}));
    EXPECT_EQ(asRun.Lines[1].Path, "/m/B\tC.mp3");
    EXPECT_EQ(asRun.BadLines, (std::vector<std::size_t>{4, 5, 6}));

    const ListenerFigures comma =
        ReadListenerFigures("hour,listeners\n2026-11-30 06,41.5\n2026-11-30 07:00,12\nnoon,3\n");
    ASSERT_EQ(comma.Hours.size(), 2u);
    EXPECT_EQ(comma.Hours[1],
              (std::pair<std::int64_t, double>{ClockSeconds(kMonday) + 7 * 3600, 12}));
    EXPECT_EQ(comma.Problems.size(), 1u);
    const ListenerFigures semicolon = ReadListenerFigures("Stunde;Hörer\n2026-11-30 06;41,5\n");
    ASSERT_EQ(semicolon.Hours.size(), 1u);
    EXPECT_EQ(semicolon.Hours[0].second, 41.5);
}

}  // namespace
}  // namespace spindle
