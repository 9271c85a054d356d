#include "editor/document_save.h"

#include "editor/insertion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "base/paths.h"
#include "base/unattended_operator.h"
#include "editor/find_replace.h"
#include "outputs/demo_station.h"
#include "station/rotation.h"
#include "support/run_fixture.h"
#include "support/station_builder.h"

namespace spindle {
namespace {

namespace fs = std::filesystem;

// A generated day of hourly playlist files, opened in the editor.
class DocumentSave : public ::testing::Test {
protected:
    DocumentSave() : b(dir) {
        b.AddCategory(
            "Hits", {b.MusicFolder(
                        "Hits", {"A - One", "B - Two", "C - Three", "D - Four", "E - Five"}, 600)});
        b.AddSpotGroup("IDs", {b.SpotFolder("IDs", {"ID"}, 10)});
        b.AddRotation(
            "A", {MakeSpotGroupItem("IDs"), MakeCategoryItem("Hits"), MakeCategoryItem("Hits")},
            true);
        b.AddSchedule("All", "1111111", "A");
        b.Get().Clock = [] { return 46363 - 1 + 0.5; };  // the day before the log's
        test::RunFrom(b.Opt(), 46363, 0, 3);
        b.Opt().PlaylistPeriod = kPeriodHour;
        b.Opt().FilenameFormat = "mmmdd-hh\".m3u\"";
        b.Opt().TimeCheck = false;
        b.Save();
        b.Get().FixedSeed = 4;
        test::Generate(b.Get(), op);
        base = b.Opt().LogFolderPath() + b.Opt().LogBaseName;
        doc.Load(base + ".plg", false, b.Get().Settings());
    }
    std::vector<std::uint64_t> Rows(LogHour hour) const { return test::RowIds(doc, hour); }

    test::TempDir dir;
    test::StationBuilder b;
    UnattendedOperator op;
    std::string base;
    PlaylistDocument doc;
};

// A run of the demo station (spots, timed spots of its rotation and of its schedule,
// Hour Markers, crossfades): a save that changed nothing gives the log back byte for
// byte but for its creation time, which becomes the document's Last Modified. Replacing
// a timed spot with a spot and a track everywhere changes those two lines only: the spot
// stays timed at its time, and every other line, numbers too, stays as it was.
TEST(DocumentSaveRoundTrip, WhatWasNotEditedIsWrittenAsRead) {
    test::TempDir dir;
    ASSERT_EQ(MakeDemoStation(dir.Path()), "");
    UnattendedOperator op;
    Station station(dir.Path() / "data", op, FormatSettings::English());
    station.LoadAll();
    test::RunFrom(station.Opt, 46363, 7, 2);
    station.Opt.CrossfadeAllowance = "20";
    station.FixedSeed = 5;
    station.Clock = [] { return 46362.5; };
    ASSERT_TRUE(test::Generate(station, op).Ok);
    const std::string base = station.Opt.LogFolderPath() + station.Opt.LogBaseName;
    const std::string written = test::ReadAll(base + ".plg");
    const auto playlists = test::Snapshot(station.Opt.PlaylistFolder);
    PlaylistDocument doc;
    doc.Load(base + ".plg", false, station.Settings());

    // The rows follow the run's clock (its hours start afresh), not the plain sum.
    const HourView hour = doc.ViewOf({0, 8}, 20.0, true);
    for (const HourRow& row : hour.Rows) {
        if (!row.Timed) {
            EXPECT_NEAR(row.StartOffset, (std::stod(doc.Find(row.Id)->TimeText) - 1) * 3600, 1);
        }
    }
    EXPECT_GE(hour.OnAir, 3600 - 120);  // filled to within the time check
    EXPECT_GT(hour.Total, hour.OnAir + 200);

    doc.SetModified(true);
    station.Clock = [] { return 46363.25; };
    RunReport report(op, nullptr);
    ASSERT_TRUE(SaveDocument(doc, station, base, report));
    EXPECT_EQ(test::ReadAll(base + ".plg"), "A,\"46363.25\"" + written.substr(11));
    EXPECT_EQ(doc.LastModified(), 46363.25);
    EXPECT_FALSE(doc.Modified());
    EXPECT_EQ(test::ReadAll(base + ".bak"), written);
    EXPECT_EQ(test::Snapshot(station.Opt.PlaylistFolder), playlists);

    // A timed spot (the schedule's, a little after its minute) replaced by a spot, and a
    // track replaced everywhere, by files of the same lengths and crossfade marks: the spot
    // stays timed at its time, and every other line, numbers too, stays as it was.
    auto first = [&](int type, int minute) {
        return *std::ranges::find_if(doc.Items(), [&](const EditorItem& item) {
            return item.Hour == 7 && item.Type == type && (minute < 0 || item.Minute == minute);
        });
    };
    const EditorItem timed = first(kItemTimedSpot, 30);
    const EditorItem track = first(kItemTrack, -1);
    std::string expected = test::ReadAll(base + ".plg");
    for (const EditorItem& item : {timed, track}) {
        const std::string time = QuotedField(item.TimeText) + ",";
        const std::size_t at = expected.find(time + QuotedField(item.Path));
        expected.replace(at + time.size(), item.Path.size() + 2,
                         QuotedField("/new/" + ExtractFileName(item.Path)));
    }
    doc.Replace(timed.Id, "/new/" + ExtractFileName(timed.Path), timed.Duration, timed.GroupName,
                kItemSpot, {});
    const Replacement with{"/new/" + ExtractFileName(track.Path), track.Duration, kItemTrack,
                           track.GroupName};
    EXPECT_EQ(ReplaceAllItems(doc, track.Path, "", with, {}), 1);
    ASSERT_TRUE(SaveDocument(doc, station, base, report));
    EXPECT_EQ(test::ReadAll(base + ".plg"), expected);
}

// Delete and replace reach the log and the playlists; the replacement's last use
// reaches its track list; an item moved before the first of an hour that starts a
// playlist file keeps every file apart.
TEST_F(DocumentSave, EditsReachTheLogTheLibraryAndThePlaylists) {
    const std::size_t files = test::Snapshot(b.Opt().PlaylistFolder).size();
    const auto first = Rows({0, 0});
    doc.Delete({first[0]});
    TCategoryDetails& hits = *b.Get().Categories[0];
    // A file nowhere else in the log.
    FileRec& fresh =
        hits.Files.emplace_back(FileRec{dir / "music/Hits/F - Six.mp3", 0, 1.0, 0, 600});
    doc.Replace(first[1], fresh.FileName, fresh.Duration, "Hits", 0, {});
    // Before the day's first item, and of a kind older editors could not save.
    doc.Insert({0, 0}, {Rows({0, 0})[0]},
               {InsertedItem({SelectKind::Other, dir / "Promo.wav", 12}, false)});
    const auto second = Rows({0, 1});
    doc.Cut({second[1]});
    doc.Paste({0, 1}, {second[0]});
    RunReport report(op, nullptr);
    b.Get().Changed = ChangedFlags{};
    ASSERT_TRUE(SaveDocument(doc, b.Get(), base, report));

    PlaylistDocument reloaded;
    reloaded.Load(base + ".plg", false, b.Get().Settings());
    const HourView hour = reloaded.ViewOf({0, 0});
    EXPECT_EQ(hour.Rows.size(), Rows({0, 0}).size());
    EXPECT_EQ(hour.Rows[0].Filename, "Promo.wav");
    EXPECT_EQ(hour.Rows[1].Filename, fs::path(fresh.FileName).filename().string());
    EXPECT_EQ(reloaded.Hours().size(), 3u);
    EXPECT_GT(fresh.LastUsed, 46363.0);  // after the promo inserted before it
    EXPECT_LT(fresh.LastUsed, 46363.0 + 13.0 / 86400);
    EXPECT_TRUE(b.Get().Changed.FileLists);
    EXPECT_EQ(test::Snapshot(b.Opt().PlaylistFolder).size(), files);
    const std::string playlist = test::ReadAll(b.Opt().PlaylistFolder + "/Dec07-00.m3u");
    EXPECT_NE(playlist.find(fs::path(fresh.FileName).filename().string()), std::string::npos);
    EXPECT_NE(playlist.find("Promo.wav"), std::string::npos);
}

// A save refused or failed says why and leaves the log, its backup and the edits as they
// were: over a log that a new run of its period wrote since it was opened (saved over
// only when asked), where the old copy cannot become the backup, and from a log whose
// first or a later hour line cannot be read (its items would be saved under another
// hour); the operator is told so when the log is opened.
TEST_F(DocumentSave, RefusedAndFailedSavesKeepTheLogItsBackupAndTheEdits) {
    const std::string bak = base + ".bak";
    auto refused = [&](const std::string& says) {
        const auto files = test::Snapshot(b.Opt().LogFolderPath());  // the log and its .bak
        doc.Delete({Rows({0, 0})[0]});
        RunReport report(op, nullptr);
        EXPECT_FALSE(SaveDocument(doc, b.Get(), base, report));
        EXPECT_TRUE(doc.Modified());
        EXPECT_EQ(test::Snapshot(b.Opt().LogFolderPath()), files);
        EXPECT_NE(report.Lines().back().find(says), std::string::npos) << says;
    };
    test::Generate(b.Get(), op);
    refused("changed on disk since it was opened");
    RunReport report(op, nullptr);
    EXPECT_TRUE(SaveDocument(doc, b.Get(), base, report, true));
    EXPECT_FALSE(doc.ChangedOnDisk());

    fs::remove(bak);
    fs::create_directories(bak + "/in the way");
    refused("Unable to rename Playlist Log file.");

    const std::string good = test::ReadAll(base + ".plg");
    const std::size_t first = good.find("\r\nB,0,") + 2, second = good.find("\r\nB,", first) + 2;
    for (const auto& [at, damage] : {std::pair{first + 5, 'x'}, std::pair{second, 'X'}}) {
        std::string text = good;
        text[at] = damage;  // the first hour line's time, then a later one's tag
        dir.Write(base + ".plg", text);
        EXPECT_EQ(doc.Load(base + ".plg", false, b.Get().Settings()).Messages.size(), 2u);
        refused("some of its hour lines could not be read");
    }
}

}  // namespace
}  // namespace spindle
