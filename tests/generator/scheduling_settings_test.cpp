// The scheduling settings beyond the file's items: each credited artist kept apart,
// hours fitted to end on the hour, and the report of every repeat rule relaxed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "base/list_text.h"
#include "base/paths.h"
#include "base/text_file.h"
#include "base/unattended_operator.h"
#include "station/rotation.h"
#include "support/process.h"
#include "support/rule_checker.h"
#include "support/run_fixture.h"
#include "support/station_builder.h"

namespace spindle {
namespace {

using test::Generate;
using test::RunResult;
using test::StationBuilder;
using test::TempDir;

constexpr double kMonday = 46363;  // 7 December 2026

// A Default Rotation of `items` in every hour of the week; the station is saved and set
// to run from Monday 00:00.
void EveryHourFromMonday(StationBuilder& b, const std::vector<std::string>& items, int hours,
                         const std::vector<std::string>& timed = {}) {
    b.AddRotation("Hour", items, true);
    b.AddSchedule("All", "1111111", "...DEFAULT...", timed);
    b.Save();
    test::RunFrom(b.Opt(), static_cast<std::int64_t>(kMonday), 0, hours);
    b.Get().Clock = [] { return kMonday - 0.5; };
    b.Get().FixedSeed = 11;
}

TEST(SchedulingSettings, CreditedArtistsSplitButNamedBandsStayWhole) {
    const std::vector<std::string> kept = DefaultArtistNamesKeptWhole();
    using V = std::vector<std::string>;
    const std::pair<const char*, V> cases[] = {
        {"Lady Gaga, Beyoncé", {"Lady Gaga", "Beyoncé"}},
        {"Earth, Wind & Fire", {"Earth, Wind & Fire"}},
        {"earth, wind & fire feat. The Emotions", {"earth, wind & fire", "The Emotions"}},
        {"Jay-Z ft. Alicia Keys & Beyoncé", {"Jay-Z", "Alicia Keys", "Beyoncé"}},
        {"Calvin Harris x Dua Lipa", {"Calvin Harris", "Dua Lipa"}},
        {"Tiësto vs. Diplo / Tiësto", {"Tiësto", "Diplo"}},
        {"Santana (Featuring Rob Thomas)", {"Santana", "Rob Thomas"}},
        {"AC/DC", {"AC/DC"}},
        {"Rex Orange County", {"Rex Orange County"}},
        {"Daft Punk", {"Daft Punk"}},
        {"Jordin Sparks feat", {"Jordin Sparks feat"}},
    };
    for (const auto& [text, credits] : cases) {
        EXPECT_EQ(SplitCreditedArtists(text, kept), credits) << text;
    }
}

// "Lady Gaga, Beyoncé - Telephone" and "Beyoncé - Halo" are two plays of Beyoncé: with
// the setting on they are never within the artist interval of each other.
TEST(SchedulingSettings, TelephoneAndHaloAreBothBeyonce) {
    auto closeCalls = [](bool split) {
        TempDir dir;
        StationBuilder b(dir);
        b.AddCategory("Hits", {b.MusicFolder("Hits",
                                             {"Lady Gaga, Beyoncé - Telephone", "Beyoncé - Halo",
                                              "Band - Song", "Group - Tune", "Singer - Ballad"},
                                             600)});
        b.Opt().TimeCheck = false;
        b.Opt().SystemArtistInterval = "25";
        b.Opt().CreditedArtists = split;
        // Saved and loaded again: the artists as the setting names them.
        EveryHourFromMonday(b, std::vector<std::string>(6, MakeCategoryItem("Hits")), 24);
        test::ScriptedOperator op;
        const RunResult r = Generate(b.Get(), op);
        int close = 0;
        std::vector<std::string> beyonce;
        for (const LogLine& line : r.ItemsOfType(kItemTrack)) {
            beyonce.push_back(line.Text.find("Beyonc") != std::string::npos ? "B" : "-");
        }
        for (std::size_t i = 1; i < beyonce.size(); ++i) {
            // 10-minute tracks: the next two slots lie within 25 minutes.
            close +=
                beyonce[i] == "B" && (beyonce[i - 1] == "B" || (i > 1 && beyonce[i - 2] == "B"));
        }
        EXPECT_FALSE(r.HasLineStartingWith("Selection error"));
        return close;
    };
    EXPECT_EQ(closeCalls(true), 0);
    EXPECT_GT(closeCalls(false), 0);
}

// A realistic station: three Categories of tracks from 2:30 to 5:30, IDs, two ad groups
// of 30- and 60-second spots, a 14-item hour with a note and two minutes of news due on
// the hour; song interval a day, artist interval an hour, tolerance two minutes.
void RealisticStation(StationBuilder& b, bool fit) {
    unsigned n = 0;
    for (const char* category : {"Current", "Recurrent", "Gold"}) {
        std::vector<std::string> folders;
        for (unsigned seconds = 150; seconds <= 330; seconds += 15) {
            std::vector<std::string> names;
            for (int k = 0; k < 16; ++k, ++n) {
                names.push_back("Artist" + std::to_string(n / 2) + " - Song" + std::to_string(n));
            }
            folders.push_back(
                b.MusicFolder(std::string(category) + std::to_string(seconds), names, seconds));
        }
        b.AddCategory(category, folders);
    }
    b.AddSpotGroup("IDs", {b.SpotFolder("IDs", {"ID1", "ID2", "ID3"}, 8)});
    b.AddSpotGroup("Ads", {b.SpotFolder("Ads30", {"Bakery", "Garage", "Shop"}, 30),
                           b.SpotFolder("Ads60", {"Bank", "Cinema"}, 60)});
    b.Opt().SystemSongInterval = "1440";
    b.Opt().SystemArtistInterval = "60";
    b.Opt().TimeCheck = true;
    b.Opt().TimeCheckMinutes = 2;
    b.Opt().FitHours = fit;
    std::vector<std::string> news;
    for (int h = 0; h < 24; ++h) {
        news.push_back(ScheduleEntryText(h, 60, std::string(kBreakNoteEntry) + "120:News"));
    }
    EveryHourFromMonday(
        b,
        {MakeSpotGroupItem("IDs"), MakeCategoryItem("Current"), MakeCategoryItem("Recurrent"),
         MakeCategoryItem("Gold"), MakeCategoryItem("Current"), MakeSpotGroupItem("Ads"),
         MakeSpotGroupItem("Ads"), MakeCategoryItem("Current"), MakeCategoryItem("Recurrent"),
         MakeBreakNoteItem("20:Weather"), MakeCategoryItem("Gold"), MakeCategoryItem("Current"),
         MakeSpotGroupItem("Ads"), MakeCategoryItem("Recurrent")},
        7 * 24, news);
}

// Each hour's length: what its items play, less their crossfades.
std::vector<double> HourLengths(const RunResult& r, const Station& s) {
    return test::PlayedHourLengths(r.Log, s.Opt.KorvelCrossfade);
}

// With hour fit on, a week's hours end on the hour: 95% within 30 seconds of 60:00, all
// within the tolerance, no rule relaxed more often and no Category's tracks played less
// evenly than without it; the run counts the slots it left out.
TEST(SchedulingSettings, FittedHoursEndOnTheHour) {
    struct Week {
        std::vector<double> Lengths;
        long Errors = 0;
        double Spread = 0.0;  // the most plays of a track against the mean, worst Category
        std::string Counts;   // the time checking and hour fit lines
        long Tracks = 0;
    };
    auto week = [](bool fit) {
        TempDir dir;
        StationBuilder b(dir);
        RealisticStation(b, fit);
        test::ScriptedOperator op;
        const RunResult r = Generate(b.Get(), op);
        Week w;
        w.Lengths = HourLengths(r, b.Get());
        for (const std::string& line : r.Lines) {
            w.Errors += line.rfind("Selection error", 0) == 0;
            const bool count =
                line.starts_with("Time Checking: ") || line.starts_with("Hour fit: ");
            w.Counts += count ? line : "";
        }
        w.Tracks = static_cast<long>(r.ItemsOfType(kItemTrack).size());
        std::map<std::string, std::map<std::string, int>> plays;
        for (const LogLine& line : r.ItemsOfType(kItemTrack)) {
            ++plays[line.Owner][line.Text];
        }
        for (const auto& [category, tracks] : plays) {
            int most = 0;
            int total = 0;
            for (const auto& [track, n] : tracks) {
                most = std::max(most, n);
                total += n;
            }
            w.Spread = std::max(
                w.Spread, most * double(b.Get().FindCategory(category)->Files.size()) / total);
        }
        return w;
    };
    const Week fitted = week(true);
    const Week plain = week(false);
    ASSERT_EQ(fitted.Lengths.size(), 168u);
    long within30 = 0;
    double worst = 0.0;
    for (const double len : fitted.Lengths) {
        within30 += std::fabs(len - 3600.0) <= 30.0;
        worst = std::max(worst, std::fabs(len - 3600.0));
    }
    EXPECT_GE(within30 * 100, 95 * static_cast<long>(fitted.Lengths.size()));
    EXPECT_LE(worst, 120.0);
    EXPECT_LE(fitted.Errors, plain.Errors);
    EXPECT_LE(fitted.Spread, plain.Spread * 1.1);
    // Every Category slot of the week's clocks (nine an hour) played or was left out; the
    // tracks topping hours up come on top.
    long dropped = -1, added = 0, leftOut = 0;
    std::sscanf(fitted.Counts.c_str(),
                "Time Checking: %ld Rotation items dropped from full hours, %ld tracks added to "
                "fill short hours.Hour fit: %ld",
                &dropped, &added, &leftOut);
    EXPECT_EQ(fitted.Tracks, 1512 - leftOut + added) << fitted.Counts;
    EXPECT_EQ(dropped, 0);
    // No fitted hour ran past the tolerance, so none is reported.
    EXPECT_TRUE(fitted.Counts.ends_with(" slots left out.")) << fitted.Counts;
    EXPECT_EQ(plain.Counts.find("Hour fit"), std::string::npos);
}

// The fit leaves an hour's last slot out only when the hour then ends within the
// tolerance: with 2:20 left and nothing shorter than 5:20, the track plays and the hour
// runs over rather than leave the air silent before the next one.
TEST(SchedulingSettings, FitNeverLeavesAnHourShortBeyondTheTolerance) {
    TempDir dir;
    StationBuilder b(dir);
    std::vector<std::string> names;
    for (int k = 0; k < 40; ++k) {
        names.push_back("Artist" + std::to_string(k) + " - Song" + std::to_string(k));
    }
    b.AddCategory("Long", {b.MusicFolder("Long", names, 320)});
    b.Opt().SystemSongInterval = "0";
    b.Opt().SystemArtistInterval = "0";
    b.Opt().TimeCheck = b.Opt().FitHours = true;
    b.Opt().TimeCheckMinutes = 2;
    std::vector<std::string> hour(10, MakeCategoryItem("Long"));
    hour.push_back(MakeBreakNoteItem("270:Weather"));
    hour.push_back(MakeCategoryItem("Long"));
    EveryHourFromMonday(b, hour, 1);
    test::ScriptedOperator op;
    const RunResult r = Generate(b.Get(), op);
    EXPECT_EQ(r.ItemsOfType(kItemTrack).size(), 11u);
    EXPECT_GE(HourLengths(r, b.Get()).at(0), 3600.0 - 120.0);
    // Run over past the tolerance with the fit on: the operator hears of it.
    EXPECT_TRUE(r.HasLineStartingWith(
        "Time Checking: 1 of 1 hours ended later than the tolerance allows, the latest 2:59 "
        "after the next hour was due. The hour fit"))
        << ::testing::PrintToString(r.Lines);
    EXPECT_EQ(r.Problems, 1);
}

// Every selection that relaxed a rule has a row for each rule it broke, saying by how many
// minutes; the run ends with the counts per Category and rule. With the report off, neither.
TEST(SchedulingSettings, EveryRelaxedRuleIsReported) {
    for (const bool reportOn : {true, false}) {
        TempDir dir;
        StationBuilder b(dir);
        b.AddCategory("Hits", {b.MusicFolder("Hits", {"A - One", "A - Two", "A - Three"}, 600)});
        b.AddCategory("Gold",
                      {b.MusicFolder("Gold", {"A - Old", "D - Classic", "E - Oldie"}, 600)});
        b.Opt().TimeCheck = false;
        b.Opt().SystemSongInterval = "1440";
        b.Opt().SystemArtistInterval = "30";
        b.Opt().RelaxedRuleReport = reportOn;
        const std::string hits = MakeCategoryItem("Hits");
        const std::string gold = MakeCategoryItem("Gold");
        EveryHourFromMonday(b, {hits, gold, hits, gold, hits, gold}, 3);
        UnattendedOperator op;
        const RunResult r = Generate(b.Get(), op);
        const std::string csv = b.Opt().LogFolderPath() + "Relaxed-" + b.Opt().LogBaseName + ".csv";
        if (!reportOn) {
            EXPECT_FALSE(std::filesystem::exists(csv));
            EXPECT_FALSE(r.Lines.back().starts_with("Repeat rules relaxed")) << r.Lines.back();
            continue;
        }
        std::vector<std::string> errors;  // the Category of each relaxed selection
        for (const std::string& line : r.Lines) {
            const std::string prefix = "Selection error on Category \"";
            if (line.rfind(prefix, 0) == 0) {
                errors.push_back(
                    line.substr(prefix.size(), line.find('"', prefix.size()) - prefix.size()));
            }
        }
        const auto rows = test::CsvRows(csv);
        ASSERT_FALSE(errors.empty());
        EXPECT_EQ(rows[0][2], "Rule relaxed");
        std::vector<std::string> picks;  // rows of one slot belong to one selection
        std::map<std::string, std::pair<int, int>> counts;
        int both = 0;
        for (std::size_t k = 1; k < rows.size(); ++k) {
            ASSERT_EQ(rows[k].size(), 6u);  // no unit without station rules
            const bool song = rows[k][2] == "song";
            EXPECT_TRUE(song || rows[k][2] == "artist");
            if (k > 1 && rows[k][0] == rows[k - 1][0]) {
                both += rows[k - 1][2] != rows[k][2];
            } else {
                picks.push_back(rows[k][1]);
            }
            // Minutes inside the interval: the interval less the time since the play.
            const auto when = [](const std::string& text) {
                return (std::stod(text.substr(11, 2)) * 60 + std::stod(text.substr(14, 2)) +
                        std::stod(text.substr(17, 2)) / 60) +
                       1440.0 * (std::stoi(text.substr(8, 2)) - 1);
            };
            EXPECT_NEAR(std::stod(rows[k][5]),
                        (song ? 1440 : 30) - std::fabs(when(rows[k][0]) - when(rows[k][4])), 0.06)
                << rows[k][0] << " " << rows[k][4];
            ++(song ? counts[rows[k][1]].first : counts[rows[k][1]].second);
        }
        EXPECT_EQ(picks, errors);  // in the order the run met them
        EXPECT_GT(both, 0);        // a pick that broke both rules names both
        std::string expected = "Repeat rules relaxed: ";
        for (const auto& [category, n] : counts) {
            expected += (expected.back() == ' ' ? "" : "; ") + category + ": song " +
                        std::to_string(n.first) + ", artist " + std::to_string(n.second);
        }
        EXPECT_EQ(r.Lines.back(), expected);
    }
}

}  // namespace
}  // namespace spindle
