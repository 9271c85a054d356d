#include "editor/instant_replace.h"

#include <gtest/gtest.h>

#include "station/station.h"
#include "support/scripted_operator.h"
#include "support/temp_dir.h"

namespace spindle {
namespace {

// An hour of three tracks and a spot, and a library to replace them from.
class InstantReplaceTest : public ::testing::Test {
protected:
    InstantReplaceTest() : station(dir.Path(), op, FormatSettings::English()) {
        auto hits = std::make_unique<TCategoryDetails>();
        hits->Name = "Hits";
        for (const char* name : {"A - One", "B - Two", "A - Three", "C - Four"}) {
            FileRec f;
            f.FileName = std::string("/music/") + name + ".mp3";
            f.Duration = 200;
            f.Index = static_cast<std::int32_t>(hits->Files.size());
            hits->Files.push_back(f);
        }
        station.Categories.push_back(std::move(hits));
        auto ids = std::make_unique<TSpotDetails>();
        ids->Name = "IDs";
        ids->Files = {FileRec{"/spots/ID2.mp3", 0, 0, 0, 12, 0}};
        station.SpotGroups.push_back(std::move(ids));
        station.Random.Seed(3);
        const std::string start = "46363";
        doc.Load(
            dir.Write("x.plg",
                      test::ListLines({{"A", "46362", start},
                                       {"B", "0", start},
                                       {"0", "1", "0", "/music/B - Two.mp3", "200", "Hits"},
                                       {"0", "2", "0.06", "/music/A - One.mp3", "200", "Hits"},
                                       {"1", "3", "0.12", "/spots/ID1.mp3", "10", "IDs"},
                                       {"0", "4", "0.13", "/music/C - Four.mp3", "200", "Lost"}})),
            true, station.Settings());
    }
    std::uint64_t Row(std::size_t i) const { return doc.ViewOf({0, 0}).Rows[i].Id; }

    test::TempDir dir;
    test::ScriptedOperator op;
    Station station;
    PlaylistDocument doc;
};

TEST_F(InstantReplaceTest, TracksUnderTheIntervalsAndSpotsFromTheirGroup) {
    // Same artist: only another file by A will do.
    auto done = InstantReplace(doc, station, Row(1), true, 0, 0, {});
    ASSERT_TRUE(done.Replaced()) << done.Message;
    EXPECT_EQ(doc.Find(done.Id)->Path, "/music/A - Three.mp3");

    // Under the intervals the neighbours decide, across the removed item: B stands
    // before the row and C after it, so only D will do; without D, the reason is told.
    auto& files = station.Categories[0]->Files;
    files = {files[1], files[3]};  // B - Two, C - Four
    done = InstantReplace(doc, station, Row(1), false, 0, 3600, {});
    EXPECT_EQ(done.Message,
              "Unable to replace \"A - Three.mp3\" due to Artist Repeat Interval constraints.");
    done = InstantReplace(doc, station, Row(1), false, 3600, 0, {});
    EXPECT_EQ(done.Message,
              "Unable to replace \"A - Three.mp3\" due to Song Repeat Interval constraints.");
    files.push_back(FileRec{"/music/D - Five.mp3", 0, 0, 0, 180, 2});
    done = InstantReplace(doc, station, Row(1), false, 3600, 3600, {});
    ASSERT_TRUE(done.Replaced()) << done.Message;
    EXPECT_EQ(doc.Find(done.Id)->Path, "/music/D - Five.mp3");
    EXPECT_EQ(doc.Find(done.Id)->Duration, 180u);

    done = InstantReplace(doc, station, Row(2), false, 0, 0, {});
    ASSERT_TRUE(done.Replaced());
    EXPECT_EQ(doc.Find(done.Id)->Path, "/spots/ID2.mp3");
    EXPECT_EQ(InstantReplace(doc, station, Row(3), false, 0, 0, {}).Message,
              "Unable to find Category Lost");

    // A Category's own song interval is in minutes: ten keep C - Four, two rows on, away
    // from the first row; six do not. A replacement that fails leaves the log unmodified
    // and no Undo behind.
    doc.Load(dir / "x.plg", true, station.Settings());
    station.Categories[0]->Files = {FileRec{"/music/B - Two.mp3", 0, 0, 0, 200, 0}};
    EXPECT_FALSE(InstantReplace(doc, station, Row(0), false, 0, 0, {}).Replaced());  // itself
    station.Categories[0]->Files = {FileRec{"/music/C - Four.mp3", 0, 0, 0, 200, 0}};
    station.Categories[0]->SongRepeatOption = kRepeatSpecify;
    for (const std::uint32_t minutes : {10u, 6u}) {
        station.Categories[0]->SongRepeatInterval = minutes;
        doc.BeginEdit();
        EXPECT_EQ(InstantReplace(doc, station, Row(0), false, 0, 0, {}).Replaced(), minutes == 6);
        EXPECT_EQ(std::pair(doc.Modified(), doc.CanUndo()), std::pair(minutes == 6, minutes == 6));
    }
}

// The run's artist keys decide, in the log and before its start (the track lists' last
// uses): a related or a credited artist within the interval blocks a replacement.
TEST_F(InstantReplaceTest, RunsArtistKeysAcrossTheLogsStart) {
    struct Case {
        std::size_t Row;  // 0 opens the log; 1 follows "B - Two" (200 s)
        const char* Candidate;
        const char* Earlier;  // another Category's track, last used `At` s from the start
        int At;
        const char* Related;
        bool Credited;
        std::uint32_t Song, Artist;
        const char* Blocked;  // the reason told, or nullptr for a replacement
    };
    const Case cases[] = {
        {1, "D - Five", "B - Two", 0, "B;D;", false, 0, 3600, "Artist"},
        {0, "D - Five", "G - Old", -600, "G;D;", false, 0, 3600, "Artist"},
        {0, "D feat. G - Five", "G - Old", -600, "", true, 0, 3600, "Artist"},
        {0, "D feat. G - Five", "G - Old", -600, "", false, 0, 3600, nullptr},
        {0, "D - Five", "D - Old", -3500, "", false, 0, 3600, "Artist"},
        {1, "D - Five", "D - Old", -3500, "", false, 0, 3600, nullptr},  // 3700 s apart
        {0, "D - Five", "D - Old", 7200, "", false, 0, 3600, nullptr},   // this log's own
        {0, "D - Five", "D - Five", -600, "", false, 3600, 0, "Song"},
    };
    station.Categories.push_back(std::make_unique<TCategoryDetails>());
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        doc.Load(dir / "x.plg", true, station.Settings());
        const TDateTime used = 46363.0 + c.At / kSecondsPerDay;
        station.Categories[0]->Files = {
            FileRec{std::string("/music/") + c.Candidate + ".mp3", 0, 0, 0, 180, 0}};
        station.Categories[1]->Files = {
            FileRec{std::string("/music/") + c.Earlier + ".mp3", 0, used, used, 200, 0}};
        station.Opt.CreditedArtists = c.Credited;
        station.Related.SetLines({c.Related});
        station.RebuildArtists();
        const auto done = InstantReplace(doc, station, Row(c.Row), false, c.Song, c.Artist, {});
        EXPECT_EQ(done.Replaced(), c.Blocked == nullptr) << done.Message;
        if (c.Blocked != nullptr) {
            EXPECT_NE(done.Message.find(std::string(c.Blocked) + " Repeat"), std::string::npos);
        }
    }
}

}  // namespace
}  // namespace spindle
