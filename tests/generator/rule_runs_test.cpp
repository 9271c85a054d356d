#include <gtest/gtest.h>

#include "base/text_file.h"
#include "base/unattended_operator.h"
#include "stationdb/station_db.h"
#include "support/recorded_plays.h"
#include "support/run_fixture.h"
#include "support/station_builder.h"

namespace spindle {
namespace {

constexpr std::int64_t kMonday = 46363;  // 7 December 2026

// One Category, "Mix", of two songs played one an hour, with no repeat intervals: the
// station's own rules decide.
class RuleRunTest : public ::testing::Test {
protected:
    RuleRunTest() : b(dir) {
        folder = b.MusicFolder("Mix", {"A - One", "B - Two"}, 240);
        b.AddCategory("Mix", {folder});
        b.AddRotation("A", {MakeCategoryItem("Mix")}, true);
        b.AddSchedule("All", "1111111", "A");
        b.Save();
        Station& s = b.Get();
        test::RunFrom(s.Opt, kMonday, 0, 1);
        s.Opt.SystemSongInterval = "0";
        s.Opt.SystemArtistInterval = "0";
        s.Opt.TimeCheck = false;
        s.Opt.RelaxedRuleReport = true;
        s.Clock = [] { return kMonday - 1 + 0.5; };
        s.FixedSeed = 3;
    }

    std::string Track(const char* name) const { return folder + "/" + name + ".mp3"; }

    void SetRules(const std::vector<std::string>& rules) {
        StationDb db(b.DataFolder(), StationDb::Mode::OrCreate);
        ASSERT_TRUE(db.SetRules("Mix", rules)) << db.Problem();
    }

    std::string Played() {
        const test::RunResult r = test::Generate(b.Get(), unattended);
        EXPECT_TRUE(r.Ok);
        const auto tracks = r.ItemTexts(kItemTrack);
        return tracks.size() == 1 ? tracks.front() : std::string();
    }

    test::TempDir dir;
    test::StationBuilder b;
    std::string folder;
    UnattendedOperator unattended;
};

// Both songs break a rule: the one whose broken rule is lower in the list plays, and the
// report names the rule and by how much.
TEST_F(RuleRunTest, WhenEveryTrackBreaksARuleTheLeastImportantOneGives) {
    const std::string notA = "window track \"" + Track("A - One") + "\" days Sat-Sun";
    const std::string notB = "window track \"" + Track("B - Two") + "\" hours 06:00-07:00";
    SetRules({notA, notB});
    EXPECT_EQ(Played(), Track("B - Two"));
    // Asked, the hint names the rule the pick breaks; each rule blocked half the draws.
    test::ScriptedOperator op;
    op.QueueAnswer(Answer::Yes);
    const test::RunResult asked = test::Generate(b.Get(), op);
    ASSERT_TRUE(asked.Ok);
    EXPECT_TRUE(
        asked.HasLine("Repeat rules relaxed: Mix: song 0, artist 0, \"B - Two.mp3 plays "
                      "only 6:00 AM to 7:00 AM\" 1"))
        << asked.Lines.back();
    ASSERT_EQ(op.Messages.size(), 1u);
    EXPECT_NE(op.Messages[0].Text.find(
                  "Hint: The rule \"B - Two.mp3 plays only 6:00 AM to 7:00 AM\" may be too strict"),
              std::string::npos)
        << op.Messages[0].Text;
    EXPECT_EQ(op.Messages[0].Text.find("Hint:"), op.Messages[0].Text.rfind("Hint:"));
    const std::string csv =
        ReadTextFile(b.Get().Opt.LogFolderPath() + "Relaxed-" + b.Get().Opt.LogBaseName + ".csv")
            .value_or("");
    EXPECT_NE(
        csv.find("\" hours 06:00-07:00\",\"" + Track("B - Two") + "\",\"\",360.0,\"minutes\""),
        std::string::npos)
        << csv;
    SetRules({notB, notA});
    EXPECT_EQ(Played(), Track("A - One"));
    // Both break the first rule (the song interval); then the second decides, though B
    // played longer ago.
    b.Opt().SystemSongInterval = "10000";
    for (FileRec& f : b.Get().FindCategory("Mix")->Files) {
        f.SavedLastUsed = f.FileName == Track("A - One") ? kMonday - 0.5 : kMonday - 1;
    }
    SetRules({"song", notB, notA});
    EXPECT_EQ(Played(), Track("A - One"));
}

// What a saved run put on the air is in the database for the next run to look back at; a
// period run again replaces its airings.
TEST_F(RuleRunTest, HourRotationLooksBackAtTheRunsBefore) {
    SetRules({"hour-rotation 1 hour 3 days"});
    auto runDay = [&](std::int64_t day) {
        b.Opt().StartDay = day;
        const std::string played = Played();
        EXPECT_TRUE(b.Get().SaveAll());
        return played;
    };
    const std::string monday = runDay(kMonday);
    const std::string tuesday = runDay(kMonday + 1);
    EXPECT_NE(tuesday, monday);
    EXPECT_EQ(runDay(kMonday + 1), tuesday);
    StationDb db(b.DataFolder(), StationDb::Mode::IfExists);
    const auto aired = db.Airings(kMonday, kMonday + 2);
    ASSERT_TRUE(aired);
    ASSERT_EQ(aired.Value.size(), 2u);
    EXPECT_EQ(aired.Value[0].Path, monday);
    EXPECT_EQ(aired.Value[1].Path, tuesday);
    EXPECT_EQ(aired.Value[1].Category, "Mix");
}

// Every airing is kept, rules or none, and a run looks back as far as its rules reach:
// a cap over two days, added after Monday's run, holds on Tuesday afternoon.
TEST_F(RuleRunTest, RulesAddedLaterSeeEveryEarlierAiringTheyReach) {
    SetRules({});
    const std::string monday = Played();
    ASSERT_TRUE(b.Get().SaveAll());
    const std::string other = monday == Track("A - One") ? Track("B - Two") : Track("A - One");
    SetRules({"cap track 1 per 48 hours", "window track \"" + other + "\" days Sat-Sun"});
    test::RunFrom(b.Opt(), kMonday + 1, 12, 1);
    EXPECT_EQ(Played(), other);
}

// Both break the same rule: the one that breaks it by less plays, though the other was
// used longer ago.
TEST_F(RuleRunTest, BetweenEqualBreaksTheSmallerOneGives) {
    SetRules({"hour-rotation 1 hour 3 days"});
    StationDb db(b.DataFolder(), StationDb::Mode::IfExists);
    ASSERT_TRUE(test::RecordPlays(db, kMonday - 1, kMonday,
                                  {{Track("A - One"), kMonday - 1 + 10.0 / 1440, "Mix"},
                                   {Track("B - Two"), kMonday - 1 + 40.0 / 1440, "Mix"}}));
    for (FileRec& f : b.Get().FindCategory("Mix")->Files) {
        f.LastUsed = f.FileName == Track("A - One") ? kMonday - 3 : kMonday - 2;
    }
    EXPECT_EQ(Played(), Track("B - Two"));
}

}  // namespace
}  // namespace spindle
