// Properties every generated week must keep, over libraries and rotations made up from
// a seed: repeat intervals hold unless the run said it could not keep them, item
// numbers follow the playlist period, and hours are neither short nor overrun, with the
// hour fit off and (even seeds, on 5-8 minute tracks) on.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>

#include "base/format_datetime.h"
#include "base/paths.h"
#include "base/unattended_operator.h"
#include "station/rotation.h"
#include "support/run_fixture.h"
#include "support/station_builder.h"

namespace spindle {
namespace {

using test::Generate;
using test::RunResult;
using test::StationBuilder;
using test::TempDir;

class RepeatProperties : public ::testing::TestWithParam<unsigned> {};

TEST_P(RepeatProperties, AWeekKeepsItsPromises) {
    const unsigned seed = GetParam();
    const bool fit = seed % 2 == 0;
    std::mt19937 gen(seed);
    TempDir dir;
    StationBuilder b(dir);

    // 24 artists, a few songs each, in two categories; some artists related.
    std::vector<std::string> rock;
    std::vector<std::string> pop;
    for (int a = 0; a < 24; ++a) {
        const std::string artist = "Artist" + std::to_string(a);
        const int songs = 1 + static_cast<int>(gen() % 3);
        for (int s = 0; s < songs; ++s) {
            (a % 2 == 0 ? rock : pop).push_back(artist + " - Song" + std::to_string(s));
        }
    }
    // Each Category in two folders of different lengths, for the fit to choose from.
    for (auto* songs : {&rock, &pop}) {
        const std::string name = songs == &rock ? "Rock" : "Pop";
        const std::vector<std::string> half(songs->begin() + songs->size() / 2, songs->end());
        songs->resize(songs->size() / 2);
        b.AddCategory(name, {b.MusicFolder(name + "1", *songs, (fit ? 300 : 150) + gen() % 90),
                             b.MusicFolder(name + "2", half, (fit ? 390 : 150) + gen() % 90)});
    }
    b.AddSpotGroup("IDs", {b.SpotFolder("IDs", {"ID1", "ID2", "ID3"}, 5 + gen() % 20)});
    b.Get().Related.SetLines({"Artist0;Artist1;", "Artist4;Artist7;Artist10;"});

    std::vector<std::string> items;
    const int count = 6 + static_cast<int>(gen() % 8);
    for (int k = 0; k < count; ++k) {
        const unsigned kind = gen() % 5;
        items.push_back(kind == 0   ? MakeSpotGroupItem("IDs")
                        : kind == 1 ? MakeBreakNoteItem("Note " + std::to_string(k))
                        : kind == 2 ? MakeCategoryItem("Pop")
                                    : MakeCategoryItem("Rock"));
    }
    items.push_back(MakeCategoryItem("Rock"));
    b.AddRotation("Hour", items, true);
    b.AddSchedule("All", "1111111", "...DEFAULT...", {ScheduleEntryText(7, 30, "IDs")});
    b.Save();

    Station& station = b.Get();
    test::RunFrom(station.Opt, 46363, static_cast<int>(gen() % 24), 7 * 24);
    station.Opt.PlaylistPeriod = kPeriodDay;
    station.Opt.TimeResetPeriod = kPeriodHour;
    station.Opt.SystemSongInterval = std::to_string(120 + gen() % 240);
    station.Opt.SystemArtistInterval = std::to_string(30 + gen() % 60);
    station.Opt.NewerTracks = static_cast<int>(gen() % 4);
    station.Opt.TimeCheckMinutes = fit ? 2 : static_cast<int>(gen() % 4);
    station.Opt.FitHours = fit;
    station.Opt.CrossfadeAllowance = "0";
    station.FixedSeed = seed;
    UnattendedOperator op;
    const RunResult r = Generate(station, op);
    ASSERT_TRUE(r.Ok);

    const double songDays = station.Opt.SongIntervalMinutes() / 1440.0;
    const double artistDays = station.Opt.ArtistIntervalMinutes() / 1440.0;
    const double tolerance = station.Opt.TimeCheckMinutes / 60.0;
    std::map<std::string, double> trackPlayed;
    std::map<std::string, double> artistPlayed;
    long hourIndex = -1;
    TDateTime hourStart = 0;
    long expectedNumber = 0;
    double hourEnd = 0.0;
    bool hourHasCategory = false;
    auto checkHourLength = [&] {
        if (hourIndex >= 0 && hourHasCategory) {
            EXPECT_GE(hourEnd + tolerance, hourIndex + 1.0 - 1e-4)
                << "hour " << hourIndex << " short";
        }
    };
    for (const LogLine& l : r.Log.Lines) {
        if (l.LineKind == LogLine::Kind::Hour) {
            checkHourLength();
            ++hourIndex;
            hourStart = l.HourStart;
            EXPECT_NEAR(hourStart,
                        station.Opt.StartDay + station.Opt.StartHour / 24.0 + hourIndex / 24.0,
                        1e-9);
            if (hourIndex % 24 == 0) {
                EXPECT_EQ(l.Counter, "0");
                expectedNumber = 0;
            } else {
                EXPECT_EQ(l.Counter, std::to_string(expectedNumber));
            }
            hourEnd = hourIndex;
            hourHasCategory = false;
            continue;
        }
        const bool counts = l.Type != kItemHourMarker && l.Type != kItemContinuation;
        if (counts) {
            ++expectedNumber;
        }
        EXPECT_EQ(l.Number, std::to_string(expectedNumber));
        hourEnd = std::max(hourEnd, l.Time + l.Duration / 3600.0);
        if (l.Type != kItemTrack) {
            continue;
        }
        hourHasCategory = true;
        // No track starts once the hour is over by more than the tolerance.
        EXPECT_LT(l.Time - tolerance, hourIndex + 1.0) << l.Text;
        const double playTime = hourStart + (l.Time - hourIndex) / 24.0;
        // The log's single-precision times may put the play a second either side of
        // the minute the run's message names.
        bool excused = false;
        std::string when;
        for (double shift : {0.0, -2.0, 2.0}) {
            when = FormatDateTime("dddd t", playTime + shift / 86400.0, station.Settings());
            excused =
                excused || r.HasLine("Selection error on Category \"" + l.Owner + "\" for " + when);
        }
        if (auto it = trackPlayed.find(l.Text); it != trackPlayed.end()) {
            EXPECT_TRUE(playTime - songDays >= it->second || excused)
                << l.Text << " again after " << (playTime - it->second) * 1440 << " minutes at "
                << when;
        }
        trackPlayed[l.Text] = playTime + 0.000002;
        const std::string artist = ArtistOfFile(ExtractFileName(l.Text), NameRules{});
        const std::string key = station.Related.Key(artist);
        if (auto it = artistPlayed.find(key); it != artistPlayed.end()) {
            EXPECT_TRUE(playTime - artistDays >= it->second || excused)
                << key << " again after " << (playTime - it->second) * 1440 << " minutes";
        }
        artistPlayed[key] = playTime + 0.000002;
    }
    checkHourLength();
    EXPECT_EQ(hourIndex, 7 * 24 - 1);
}

INSTANTIATE_TEST_SUITE_P(Seeds, RepeatProperties,
                         ::testing::Values(1u, 2u, 3u, 4u, 5u, 6u, 8u, 10u),
                         [](const ::testing::TestParamInfo<unsigned>& seed) {
                             return "Seed" + std::to_string(seed.param);
                         });

}  // namespace
}  // namespace spindle
