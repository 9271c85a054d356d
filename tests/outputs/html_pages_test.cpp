#include "outputs/html_pages.h"

#include <gtest/gtest.h>

#include "outputs/generation.h"
#include "station/rotation.h"
#include "support/run_fixture.h"
#include "support/station_builder.h"

namespace spindle {
namespace {

using test::ReadAll;
using test::ScriptedOperator;
using test::StationBuilder;
using test::TempDir;

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

}  // namespace
}  // namespace spindle
