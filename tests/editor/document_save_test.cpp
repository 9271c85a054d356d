#include "editor/document_save.h"

#include "editor/insertion.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "base/unattended_operator.h"
#include "library/rotation.h"
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
        test::RunFrom(b.Opt(), 46363, 0, 3);
        b.Opt().PlaylistPeriod = kPeriodHour;
        b.Opt().FilenameFormat = "mmmdd-hh\".m3u\"";
        b.Opt().TimeCheck = false;
        b.Save();
        b.Get().FixedSeed = 4;
        run = test::Generate(b.Get(), op);
        base = b.Opt().LogFolderPath() + b.Opt().LogBaseName;
        doc.Load(base + ".plg", false, b.Get().Settings());
    }
    std::vector<std::uint64_t> Rows(LogHour hour) const { return test::RowIds(doc, hour); }

    test::TempDir dir;
    test::StationBuilder b;
    UnattendedOperator op;
    test::RunResult run;
    std::string base;
    PlaylistDocument doc;
};

TEST_F(DocumentSave, AnUnchangedLogIsWrittenAlikeWithItsPlaylists) {
    ASSERT_TRUE(run.Ok);
    const auto playlists = test::Snapshot(b.Opt().PlaylistFolder);
    doc.SetModified(true);  // written again although nothing changed
    RunReport report(op, nullptr);
    ASSERT_TRUE(SaveDocument(doc, b.Get(), base, report));
    EXPECT_TRUE(fs::exists(base + ".bak"));
    EXPECT_FALSE(doc.Modified());
    LogContents again;
    ASSERT_EQ(ReadPlaylistLog(base + ".plg", b.Get().Settings(), again), LogReadError::None);
    ASSERT_EQ(again.Lines.size(), run.Log.Lines.size());
    for (std::size_t i = 0; i < again.Lines.size(); ++i) {
        const LogLine& x = again.Lines[i];
        const LogLine& y = run.Log.Lines[i];
        EXPECT_EQ(x.Text, y.Text) << i;
        EXPECT_EQ(x.Number, y.Number) << i;
        EXPECT_EQ(x.Counter, y.Counter) << i;
        EXPECT_NEAR(x.Time, y.Time, 1e-6) << i;
    }
    EXPECT_EQ(test::Snapshot(b.Opt().PlaylistFolder), playlists);
}

// Delete and replace reach the log and the playlists; the replacement's last use
// reaches its track list; an item moved before the first of an hour that starts a
// playlist file keeps every file apart.
TEST_F(DocumentSave, EditsReachTheLogTheLibraryAndThePlaylists) {
    const std::size_t files = test::Snapshot(b.Opt().PlaylistFolder).size();
    const auto first = Rows({0, 0});
    doc.Delete({first[0]});
    TCategoryDetails& hits = *b.Get().Categories[0];
    FileRec added;
    added.FileName = dir / "music/Hits/F - Six.mp3";  // nowhere else in the log
    added.Duration = 600;
    added.LastUsed = 1.0;
    hits.Files.push_back(added);
    FileRec& fresh = hits.Files.back();
    const std::uint64_t replaced =
        doc.Replace(first[1], fresh.FileName, fresh.Duration, "Hits", 0, {});
    // Before the day's first item, and of a kind older editors could not save.
    const std::uint64_t other =
        doc.Insert({0, 0}, {Rows({0, 0})[0]},
                   {InsertedItem({SelectKind::Other, dir / "Promo.wav", 12}, false)})[0];
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
    EXPECT_FALSE(doc.Find(replaced) == nullptr);
    EXPECT_FALSE(doc.Find(other) == nullptr);
    EXPECT_EQ(test::Snapshot(b.Opt().PlaylistFolder).size(), files);
    const std::string playlist = test::ReadAll(b.Opt().PlaylistFolder + "/Dec07-00.m3u");
    EXPECT_NE(playlist.find(fs::path(fresh.FileName).filename().string()), std::string::npos);
    EXPECT_NE(playlist.find("Promo.wav"), std::string::npos);
}

// A log whose old copy cannot become its backup is left as it was, and so are the edits.
TEST_F(DocumentSave, AFailedSaveSaysSoAndKeepsTheEdits) {
    fs::create_directories(base + ".bak/in the way");
    const std::string before = test::ReadAll(base + ".plg");
    doc.Delete({Rows({0, 0})[0]});
    RunReport report(op, nullptr);
    EXPECT_FALSE(SaveDocument(doc, b.Get(), base, report));
    EXPECT_TRUE(doc.Modified());
    EXPECT_EQ(test::ReadAll(base + ".plg"), before);
    const auto& lines = report.Lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Unable to rename Playlist Log file."),
              lines.end());
}

}  // namespace
}  // namespace spindle
