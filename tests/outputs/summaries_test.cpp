#include "outputs/summaries.h"

#include <gtest/gtest.h>

#include "station/rotation.h"
#include "support/process.h"
#include "support/run_fixture.h"
#include "support/station_builder.h"

namespace spindle {
namespace {

using test::ReadAll;
using test::ScriptedOperator;
using test::StationBuilder;
using test::TempDir;

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

}  // namespace
}  // namespace spindle
