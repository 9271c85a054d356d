// Days of a small station under a rule of every kind, replayed by a checker that reads the
// rules apart from the scheduler.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>

#include "base/unattended_operator.h"
#include "fileinfo/silent_mp3.h"
#include "rules/attribute_csv.h"
#include "station/rotation.h"
#include "stationdb/station_db.h"
#include "support/audio_files.h"
#include "support/rule_checker.h"
#include "support/rule_station.h"
#include "support/run_fixture.h"
#include "support/station_builder.h"

namespace spindle {
namespace {

constexpr std::int64_t kMonday = 46363;  // 7 December 2026

// Three Categories of tagged tracks: two songs an artist on an album of a name every artist
// has, titles that come back by other artists, and versions named in the tag or the name.
// Sixteen songs an hour of 2.5 to 5 minutes: without time checking, hours run over and
// under. Run with time checking off, on with a 3-minute tolerance, and on with none.
class RuleReplay : public ::testing::TestWithParam<int> {
protected:
    RuleReplay() : b(dir) {
        EXPECT_EQ(test::SetStationRules(b.DataFolder(), test::RulesOfEveryKind()), "");
        int artist = 0;
        for (const auto& [name, tracks] :
             {std::pair{"Current", 50}, {"Recurrent", 80}, {"Gold", 120}}) {
            b.AddCategory(name, {Shelf(name, tracks, artist)});
            artist += tracks / 2;
        }
        b.AddSpotGroup("IDs", {b.SpotFolder("IDs", {"ID One", "ID Two"}, 8)});
        b.AddSpotGroup("Ads", {b.SpotFolder("Ads", {"Bakery", "Garage", "Bank"}, 30)});
        std::vector<std::string> hour{
            MakeSpotGroupItem("IDs"),      MakeCategoryItem("Current"),
            MakeCategoryItem("Gold"),      MakeCategoryItem("Recurrent"),
            MakeSpotGroupItem("Ads"),      MakeCategoryItem("Current"),
            MakeCategoryItem("Gold"),      MakeBreakNoteItem("20:Weather"),
            MakeCategoryItem("Recurrent"), MakeCategoryItem("Current"),
            MakeSpotGroupItem("Ads"),      MakeCategoryItem("Gold")};
        const std::vector<std::string> once = hour;
        hour.insert(hour.end(), once.begin(), once.end());
        b.AddRotation("Hour", hour, true);
        b.AddSchedule("All", "1111111", "Hour");
        b.Save();
        Options& o = b.Opt();
        test::RunFrom(o, kMonday, 0, 96);
        o.SystemSongInterval = "360";
        o.SystemArtistInterval = "45";
        o.TimeCheck = GetParam() >= 0;
        o.TimeCheckMinutes = std::max(GetParam(), 0);
        o.RelaxedRuleReport = true;
        b.Get().Clock = [] { return kMonday - 1 + 0.5; };
        b.Get().FixedSeed = 11;
    }

    // A folder of `tracks` files of varied lengths with album (and some title) tags.
    std::string Shelf(const std::string& name, int tracks, int firstArtist) {
        for (int k = 0; k < tracks; ++k) {
            const std::string artist = "Artist " + std::to_string(firstArtist + k / 2);
            const std::string title = "Song " + std::to_string((k * 7 + firstArtist) % 90);
            // Every artist's album is "Greatest Hits", and one in seventeen is on a
            // compilation; versions are named in the tag's title or in the file name.
            std::vector<std::pair<std::string, std::string>> tags{{"TALB", "Greatest Hits"}};
            if (k % 17 == 3) {
                tags.emplace_back("TPE2", "Various Artists");
            }
            if (k % 11 == 5) {
                tags.emplace_back("TIT2", title + " (Live)");
            } else if (k % 19 == 7) {
                tags.emplace_back("TIT2", title + " \u2013 Live at the Hall");
            }
            const std::string version = k % 13 == 6 ? " [Radio Edit]" : "";
            dir.Write("music/" + name + "/" + artist + " - " + title + version + ".mp3",
                      test::Id3v2Tag(tags) + SilentMp3Bytes(150 + k * 37 % 151));
        }
        return dir / ("music/" + name);
    }

    std::vector<std::string> StationPaths() {
        std::vector<std::string> paths;
        for (const auto& c : b.Get().Categories) {
            for (const FileRec& f : c->Files) {
                paths.push_back(f.FileName);
            }
        }
        return paths;
    }

    test::TempDir dir;
    test::StationBuilder b;
};

// Every rule a played track breaks is in the relaxed-rule report, for its slot, and every
// row of the report for a station rule is a rule its track breaks.
TEST_P(RuleReplay, EveryBrokenRuleIsReportedAndEveryReportIsABreak) {
    const std::vector<std::string> paths = StationPaths();
    ASSERT_EQ(paths.size(), 250u);
    const std::string csv = dir.Write("attributes.csv", test::AttributeCsv(paths));
    const AttributeImport imported = ImportAttributes(b.DataFolder(), paths, csv);
    ASSERT_EQ(imported.Problem, "");
    EXPECT_TRUE(imported.Rows.empty());
    EXPECT_GT(imported.Applied, 220);

    UnattendedOperator op;
    const test::RunResult run = test::Generate(b.Get(), op);
    ASSERT_TRUE(run.Ok);
    const test::RuleCheckInputs inputs = test::LoadRuleCheckInputs(b.Get());
    ASSERT_TRUE(inputs.Problems.empty()) << inputs.Problems.front();
    ASSERT_EQ(inputs.Rules.at("Gold").size(), 11u);
    EXPECT_EQ(inputs.Tracks.at(dir / "music/Current/Artist 0 - Song 0.mp3").Album,
              "greatest hits|artist 0");  // the album's tag, the artist's file name
    const std::vector<test::LoggedPlay> plays = test::LoggedPlays(run.Log, b.Get());
    ASSERT_GT(plays.size(), 96u * 12);
    if (GetParam() < 0) {  // the running clock leaves the hours' starts
        EXPECT_TRUE(std::any_of(plays.begin(), plays.end(), [](const test::LoggedPlay& p) {
            return std::fabs(p.At - p.Slot) * 1440 > 3;
        }));
    }
    const std::vector<test::RuleBreak> breaks = test::CheckRules(plays, inputs);

    std::string problem;
    std::vector<test::RuleBreak> reported = test::ReadRelaxedReport(
        b.Opt().LogFolderPath() + "Relaxed-" + b.Opt().LogBaseName + ".csv", problem);
    ASSERT_EQ(problem, "");
    std::erase_if(reported,
                  [](const test::RuleBreak& r) { return r.Rule == "song" || r.Rule == "artist"; });
    // A quota is weighed by the hour: a song the report names broke it only as one without
    // the value ("at least") or with it ("at most"), and the run names each hour that ends
    // without keeping it.
    long quotaRows = 0;
    std::erase_if(reported, [&](const test::RuleBreak& r) {
        const ParsedRule rule = ParseRule(r.Rule);
        if (!rule.Rule || rule.Rule->Kind != RuleKind::Quota) {
            return false;
        }
        const auto& attributes = inputs.Tracks.at(r.Track).Attributes;
        const auto value = attributes.find(rule.Rule->Match.Attribute);
        const bool has = value != attributes.end() && value->second == rule.Rule->Match.Value;
        EXPECT_EQ(has, rule.Rule->AtMost) << test::Describe(r);
        ++quotaRows;
        return true;
    });
    const std::vector<test::HourBreak> shortHours = test::QuotasBroken(plays, inputs);
    EXPECT_EQ(test::ReportedHourBreaks(run.Lines), shortHours);
    // The quotas steer: few hours miss them, though picks give way to them.
    EXPECT_GT(quotaRows, 0);
    EXPECT_LT(shortHours.size(), 96u / 4);
    for (const auto& [what, missing] :
         {std::pair{"broken, not reported: ", test::Unmatched(breaks, reported)},
          {"reported, not broken: ", test::Unmatched(reported, breaks)}}) {
        EXPECT_TRUE(missing.empty())
            << missing.size() << " " << what << test::Describe(missing.front());
    }
    // The replay weighs real breaks: most kinds of rule give way somewhere in four days.
    std::set<std::string> relaxed;
    for (const test::RuleBreak& r : reported) {
        relaxed.insert(r.Rule);
    }
    EXPECT_GE(relaxed.size(), 5u) << breaks.size() << " breaks";
}

INSTANTIATE_TEST_SUITE_P(TimeCheck, RuleReplay, ::testing::Values(-1, 3, 0),
                         [](const ::testing::TestParamInfo<int>& minutes) {
                             return minutes.param < 0 ? std::string("Off")
                                                      : "Tolerance" + std::to_string(minutes.param);
                         });

// A quota in one Category's list counts on that Category alone: the other Category's slots
// after it do not weigh the quota, so each hour's one slot of it must take a female vocal.
TEST(Quota, LooksAheadOnlyAtTheSlotsThatWeighIt) {
    test::TempDir dir;
    test::StationBuilder b(dir);
    std::vector<std::string> names;
    for (int k = 0; k < 12; ++k) {
        names.push_back("Artist " + std::to_string(k) + " - Song " + std::to_string(k));
    }
    b.AddCategory("Mixed", {b.MusicFolder("Mixed", names, 180)});
    b.AddCategory("Other", {b.MusicFolder("Other", names, 180)});
    b.AddRotation("Hour",
                  {MakeCategoryItem("Mixed"), MakeCategoryItem("Other"), MakeCategoryItem("Other"),
                   MakeCategoryItem("Other")},
                  true);
    b.AddSchedule("All", "1111111", "Hour");
    b.Save();
    ASSERT_EQ(test::SetStationRules(b.DataFolder(), {"artist", "song"}), "");
    ASSERT_TRUE(StationDb(b.DataFolder(), StationDb::Mode::IfExists)
                    .SetRules("Mixed", {"quota Vocal=Female at least 50%", "artist", "song"}));
    std::string csv = "path,Vocal\r\n";
    std::vector<std::string> paths;
    for (const FileRec& f : b.Get().FindCategory("Mixed")->Files) {
        paths.push_back(f.FileName);
        csv += "\"" + f.FileName + "\"," + (paths.size() % 2 == 0 ? "Female" : "Male") + "\r\n";
    }
    ASSERT_EQ(ImportAttributes(b.DataFolder(), paths, dir.Write("a.csv", csv)).Problem, "");
    test::RunFrom(b.Opt(), kMonday, 0, 24);
    b.Opt().SystemSongInterval = "0";
    b.Opt().SystemArtistInterval = "0";
    b.Get().FixedSeed = 5;
    UnattendedOperator op;
    const test::RunResult run = test::Generate(b.Get(), op);
    ASSERT_TRUE(run.Ok);
    int mixed = 0;
    for (const LogLine& line : run.ItemsOfType(kItemTrack)) {
        if (line.Owner == "Mixed") {
            ++mixed;
            const auto at = std::find(paths.begin(), paths.end(), line.Text) - paths.begin();
            EXPECT_EQ(at % 2, 1) << line.Text;  // the female vocals' places
        }
    }
    EXPECT_GE(mixed, 24);
    // Mixed alone cannot make half of the hour: each hour says so, as a line the operator
    // must see (an unattended run ends with status 3), and nothing else is wrong.
    const long short_ = std::count_if(run.Lines.begin(), run.Lines.end(), [](const auto& line) {
        return line.find("(quota Vocal=Female at least 50%): ") != std::string::npos;
    });
    EXPECT_EQ(short_, 24);
    EXPECT_EQ(run.Problems, short_);
}

}  // namespace
}  // namespace spindle
