#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <tuple>
#include <vector>

#include "generator/repeat_rules.h"

namespace spindle {
namespace {

// The song and artist intervals (in minutes here): kept, or broken by the play nearest the
// slot, on either side of it, and by how many minutes.
TEST(RepeatRules, AnIntervalIsBrokenByThePlayNearestTheSlotOnEitherSide) {
    constexpr TDateTime slot = 46363.5;
    constexpr double m = 1.0 / kMinutesPerDay;
    struct Case {
        bool artist;
        double interval;
        std::vector<double> plays;  // minutes from the slot: the last use, or each artist's
        std::optional<double> previous;
        double inside;
        bool broken;
    } const cases[] = {
        {false, 60, {-61}, {}, 0, false},
        {false, 60, {-59}, -59, 1, true},
        {false, 60, {45}, 45, 15, true},  // a run of a later period played it
        {false, 0, {-1}, {}, 0, false},
        {true, 60, {}, {}, 0, true},  // no artist record: nothing shows it is kept
        {true, 60, {-90, -61}, {}, 0, false},
        {true, 60, {-90, -40, 10}, 10, 50, true},
    };
    for (const Case& c : cases) {
        std::vector<ArtistRec> records(c.plays.size());
        std::vector<ArtistRec*> artists;
        for (std::size_t k = 0; k < records.size(); ++k) {
            records[k].LastPlayed = slot + c.plays[k] * m;
            artists.push_back(&records[k]);
        }
        Candidate candidate{{}, 0, artists};
        candidate.Entry.LastUsed = c.artist ? 0.0 : slot + c.plays[0] * m;
        const SongInterval song(c.interval * m);
        const ArtistInterval artist(c.interval * m);
        const RuleVerdict v =
            c.artist ? artist.Check(candidate, slot) : song.Check(candidate, slot);
        std::optional<double> previous;  // in minutes from the slot
        if (v.PreviousPlay) {
            previous = std::round((*v.PreviousPlay - slot) / m);
        }
        EXPECT_EQ(std::tuple(v.Broken, previous), std::tuple(c.broken, c.previous)) << &c - cases;
        EXPECT_NEAR(v.Amount, c.inside, 1e-6) << &c - cases;
    }
}

}  // namespace
}  // namespace spindle
