#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <tuple>
#include <vector>

#include "base/text_case.h"
#include "generator/station_rules.h"
#include "rules/kinds/window.h"

namespace spindle {
namespace {

using kinds::InsideWindow;
using kinds::MinutesSinceClosed;
using kinds::MinutesUntilOpen;

constexpr TDateTime kSlot = 46363.5;  // Monday 7 December 2026, 12:00
constexpr double kMinute = 1.0 / kMinutesPerDay;

// A track as a rule sees it: "path|album|title|Attr=Value,Attr=Value".
struct Track {
    std::string Path;
    TrackFacts Facts;
};

Track Parse(const std::string& text) {
    std::vector<std::string> parts(4);
    std::size_t at = 0;
    for (std::size_t k = 0; k < 4; ++k) {
        const std::size_t bar = k < 3 ? text.find('|', at) : std::string::npos;
        parts[k] = text.substr(at, bar == std::string::npos ? std::string::npos : bar - at);
        at = bar == std::string::npos ? text.size() : bar + 1;
    }
    Track t{parts[0],
            {FoldCase(parts[1]), FoldCase(parts[2]), {}, {}, {}}};  // as StationRules keeps them
    for (std::size_t from = 0; from < parts[3].size();) {
        const std::size_t comma = std::min(parts[3].find(',', from), parts[3].size());
        const std::string pair = parts[3].substr(from, comma - from);
        t.Facts.Attributes[pair.substr(0, pair.find('='))] = pair.substr(pair.find('=') + 1);
        from = comma + 1;
    }
    return t;
}

const TrackKeys& Numbered(RunKeys& keys, const Track& track) {
    return keys.Number(track.Path, track.Facts.Album, track.Facts.Title, track.Facts.Attributes);
}

// Each kind of rule deciding on one candidate after the plays before it (minutes from the
// slot, track); artists share a record when their paths start alike ("a/..." and "a/...").
TEST(StationRules, EachKindKeepsOrBreaksByHowMuch) {
    struct Case {
        const char* rule;
        std::vector<std::pair<double, const char*>> before;
        const char* candidate;
        bool broken;
        double amount;
        double shift = 0;  // minutes the slot is moved from noon
        // A quota's hour: the songs still planned after the slot; the plays of the last 60
        // minutes are the hour's. None for the other kinds.
        int after = -1;
        // clang-format off
    } const cases[] = {
        {"album 60 minutes", {{-30, "a/1|Blue||"}}, "b/2|blue||", true, 30},
        {"album 60 minutes", {{-60, "a/1|Blue||"}}, "b/2|Blue||", false, 0},
        // no album: nothing to compare
        {"album 60 minutes", {{-30, "a/1|||"}}, "b/2|||", false, 0},
        {"title 2 hours", {{-20, "a/1||Hello|"}}, "b/2||HELLO|", true, 100},
        {"title 2 hours", {{-20, "b/2||Hello|"}}, "b/2||Hello|", false, 0},  // the song's own
        {"album 60 minutes", {{-20, "b/2|Blue||"}}, "b/2|Blue||", false, 0},  // as for a title
        {"separate Vocal=Female 3 items",
         {{-12, "a/1|||Vocal=Female"}, {-8, "b/1|||Vocal=Male"}, {-4, "c/1|||"}},
         "d/1|||Vocal=Female", true, 1},
        {"separate Vocal=Female 2 items",
         {{-12, "a/1|||Vocal=Female"}, {-8, "b/1|||Vocal=Male"}, {-4, "c/1|||"}},
         "d/1|||Vocal=Female", false, 0},
        {"separate Vocal=Female 3 items", {{-4, "c/1|||Vocal=Female"}},
         "d/1|||Vocal=Male", false, 0},
        {"separate Vocal=Female 30 minutes", {{-10, "a/1|||Vocal=Female"}},
         "d/1|||Vocal=Female", true, 20},
        {"run Tempo=Fast 2", {{-8, "a/1|||Tempo=Fast"}, {-4, "b/1|||Tempo=Fast"}},
         "c/1|||Tempo=Fast", true, 1},
        {"run Tempo=Fast 2", {{-8, "a/1|||Tempo=Slow"}, {-4, "b/1|||Tempo=Fast"}},
         "c/1|||Tempo=Fast", false, 0},
        {"run Tempo=Fast 2", {{-4, "b/1|||Tempo=Fast"}}, "c/1|||Tempo=Fast", false, 0},
        {"transition Tempo=Fast -> Tempo=Slow", {{-4, "a/1|||Tempo=Fast"}},
         "b/1|||Tempo=Slow", true, 1},
        {"transition Tempo=Fast -> Tempo=Slow",
         {{-8, "a/1|||Tempo=Fast"}, {-4, "b/1|||Tempo=Medium"}}, "c/1|||Tempo=Slow", false, 0},
        {"transition Tempo=Fast -> Tempo=Slow", {{-4, "a/1|||Tempo=Slow"}},
         "b/1|||Tempo=Fast", false, 0},
        {"window Season=Christmas dates 12-01..12-26", {}, "a/1|||Season=Christmas", false, 0},
        {"window Season=Christmas dates 12-10..12-26", {},
         "a/1|||Season=Christmas", true, 3 * 1440 - 720},
        {"window Season=Christmas dates 12-10..12-26", {}, "a/1|||", false, 0},
        {"window track \"a/1\" hours 21:00-06:00", {}, "a/1|||", true, 360},  // closed at 6
        {"window track \"a/1\" days Sat-Sun", {}, "a/1|||", true, 720},
        {"window Season=Christmas dates 12-01..12-06", {}, "a/1|||Season=Christmas", true, 720},
        {"hour-rotation 1 hour 3 days", {{-1440 - 20, "a/1|||"}}, "a/1|||", true, 40},
        {"hour-rotation 1 hour 3 days", {{-4 * 1440 + 10, "a/1|||"}}, "a/1|||", false, 0},
        {"hour-rotation 1 hour 3 days", {{-2 * 1440 + 61, "a/1|||"}}, "a/1|||", false, 0},
        // Today's play is the song interval's; one late yesterday is near one early today.
        {"hour-rotation 1 hour 3 days", {{-30, "a/1|||"}}, "a/1|||", false, 0},
        {"hour-rotation 1 hour 3 days", {{-20, "a/1|||"}}, "a/1|||", true, 40, 730},
        {"cap track 2 per day", {{-700, "a/1|||"}, {-60, "a/1|||"}}, "a/1|||", true, 1},
        {"cap track 2 per day", {{-730, "a/1|||"}, {-60, "a/1|||"}}, "a/1|||", false, 0},
        {"cap artist 2 per 3 hours", {{-170, "a/1|||"}, {-60, "a/2|||"}}, "a/3|||", true, 1},
        {"cap artist 2 per 3 hours", {{-190, "a/1|||"}, {-60, "a/2|||"}}, "a/3|||", false, 0},
        {"cap album 1 per 3 hours", {{-60, "b/1|X||"}}, "c/1|x||", true, 1},
        // 9 songs in the hour want 3 local (2.7 rounded up): 6 slots after can still make it.
        {"quota Origin=Local at least 30%", {{-8, "a/1|||"}, {-4, "b/1|||"}}, "c/1|||",
         false, 0, 0, 6},
        {"quota Origin=Local at least 30%", {{-8, "a/1|||"}, {-4, "b/1|||"}}, "c/1|||",
         false, 0, 0, 2},  // 5 songs want 2: the 2 slots after
        {"quota Origin=Local at least 30%", {{-8, "a/1|||"}, {-4, "b/1|||"}}, "c/1|||",
         true, 1, 0, 1},  // 4 songs want 2, one slot is left
        {"quota Origin=Local at least 30%", {{-8, "a/1|||"}, {-4, "b/1|||"}},
         "c/1|||Origin=Local", false, 0, 0, 0},
        {"quota Origin=Local at least 3", {{-4, "b/1|||Origin=Local"}}, "c/1|||", true, 1, 0, 0},
        {"quota Origin=Local at least 3", {}, "c/1|||", true, 1, 0, 0},  // all of a 1-song hour
        {"quota Tempo=Slow at most 2", {{-8, "a/1|||Tempo=Slow"}, {-4, "b/1|||Tempo=Slow"}},
         "c/1|||Tempo=Slow", true, 1, 0, 5},
        {"quota Tempo=Slow at most 2", {{-8, "a/1|||Tempo=Slow"}, {-4, "b/1|||Tempo=Slow"}},
         "c/1|||Tempo=Fast", false, 0, 0, 5},
        {"quota Tempo=Slow at most 2", {{-90, "a/1|||Tempo=Slow"}, {-4, "b/1|||Tempo=Slow"}},
         "c/1|||Tempo=Slow", false, 0, 0, 5},  // the last hour's is not this hour's
        {"quota Tempo=Slow at most 20%", {{-8, "a/1|||Tempo=Slow"}, {-4, "b/1|||"}},
         "c/1|||Tempo=Slow", false, 0, 0, 7},  // 2 of 10
        {"quota Tempo=Slow at most 20%", {{-8, "a/1|||Tempo=Slow"}, {-4, "b/1|||"}},
         "c/1|||Tempo=Slow", true, 1, 0, 2},  // 2 of 5, 1 allowed
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
        const ParsedRule parsed = ParseRule(c.rule);
        ASSERT_TRUE(parsed.Rule) << parsed.Problem;
        std::vector<Track> tracks;
        for (const auto& [minutes, text] : c.before) {
            tracks.push_back(Parse(text));
        }
        const Track candidate = Parse(c.candidate);
        std::vector<ArtistRec> records(8);  // one per first letter
        auto artistOf = [&](const std::string& path) { return &records[(path[0] - 'a') % 8]; };
        const TDateTime slot = kSlot + c.shift * kMinute;
        PlayHistory history;
        RunKeys keys;
        // The slots after weigh the quota's value.
        std::vector<int> after(c.after >= 0 ? keys.Value(parsed.Rule->Match) + 1 : 0);
        if (!after.empty()) {
            after.back() = c.after;
        }
        for (std::size_t k = 0; k < tracks.size(); ++k) {
            if (c.after >= 0 && c.before[k].first > -60) {
                history.SetHour(slot - 30 * kMinute, after);
            }
            history.Add({slot + c.before[k].first * kMinute,
                         tracks[k].Path,
                         "",
                         &Numbered(keys, tracks[k]),
                         {artistOf(tracks[k].Path)}});
        }
        ArtistRec* const artists[] = {artistOf(candidate.Path)};
        Candidate cand{{}, 0, artists, &Numbered(keys, candidate)};
        cand.Entry.FileName = candidate.Path;
        if (c.after >= 0) {
            history.SetHour(slot - 30 * kMinute, after);
        }
        const RuleList rules = MakeRules({*parsed.Rule}, 0, 0, history, keys);
        const RuleVerdict v = rules.front()->Check(cand, slot);
        EXPECT_EQ(v.Broken, c.broken);
        EXPECT_NEAR(v.Amount, c.amount, 1e-6);
    }
}

// Windows read the wall clock as the log has it: across midnight, across the year's end,
// and on the night the clocks go forward (2:30 is on the log though not on the clock: a
// window read through the local time zone would move it to 3:30).
TEST(StationRules, TimeWindowsHoldAtTheirBoundaries) {
    const char* zone = std::getenv("TZ");
    const std::string saved = zone != nullptr ? zone : "";
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
    auto at = [](int y, int mo, int d, int h, int mi) {
        return EncodeDate(y, mo, d) + EncodeTime(h, mi, 0);
    };
    TimeWindow night;
    night.FromMinute = 21 * 60;
    night.ToMinute = 6 * 60;
    TimeWindow holidays;
    holidays.FromDate = 1220;
    holidays.ToDate = 106;
    TimeWindow fridaySaturdayNights = night;  // days Fri,Sat hours 21:00-06:00
    fridaySaturdayNights.Weekdays = 0x60;
    TimeWindow christmasEve;  // dates 12-24 hours 18:00-02:00
    christmasEve.FromDate = christmasEve.ToDate = 1224;
    christmasEve.FromMinute = 18 * 60;
    christmasEve.ToMinute = 2 * 60;
    TimeWindow early;
    early.FromMinute = 2 * 60;
    early.ToMinute = 3 * 60;
    const struct {
        const TimeWindow& window;
        TDateTime moment;
        bool inside;
        double until;
        double since = -1;
    } cases[] = {
        {night, at(2026, 12, 7, 20, 59), false, 1, 14 * 60 + 59},
        {night, at(2026, 12, 7, 21, 0), true, 0},
        {night, at(2026, 12, 7, 23, 59), true, 0},
        {night, at(2026, 12, 8, 0, 0), true, 0},
        {night, at(2026, 12, 8, 5, 59), true, 0},
        {night, at(2026, 12, 8, 6, 0), false, 15 * 60, 0},
        {holidays, at(2026, 12, 19, 23, 59), false, 1},
        {holidays, at(2026, 12, 31, 23, 59), true, 0},
        {holidays, at(2027, 1, 1, 0, 0), true, 0},
        {holidays, at(2027, 1, 6, 23, 59), true, 0},
        {holidays, at(2027, 1, 7, 0, 0), false, 347 * 1440.0, 0},
        // A night belongs to the day it starts on (11 December 2026 is a Friday).
        {fridaySaturdayNights, at(2026, 12, 10, 23, 0), false, 22 * 60},
        {fridaySaturdayNights, at(2026, 12, 11, 3, 0), false, 18 * 60, 4 * 1440 + 21 * 60},
        {fridaySaturdayNights, at(2026, 12, 11, 23, 0), true, 0},
        {fridaySaturdayNights, at(2026, 12, 13, 5, 59), true, 0},
        {fridaySaturdayNights, at(2026, 12, 13, 6, 0), false, 5 * 1440 + 15 * 60},
        {christmasEve, at(2026, 12, 24, 1, 0), false, 17 * 60},
        {christmasEve, at(2026, 12, 25, 1, 0), true, 0},
        {christmasEve, at(2026, 12, 25, 18, 0), false, 364 * 1440},
        {early, at(2026, 3, 29, 2, 30), true, 0},
        {early, at(2026, 3, 29, 3, 0), false, 23 * 60},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        EXPECT_EQ(InsideWindow(c.window, c.moment), c.inside);
        EXPECT_NEAR(MinutesUntilOpen(c.window, c.moment).value_or(-1), c.until, 1e-6);
        if (c.since >= 0) {
            EXPECT_NEAR(MinutesSinceClosed(c.window, c.moment).value_or(-1), c.since, 1e-6);
        }
    }
    zone != nullptr ? setenv("TZ", saved.c_str(), 1) : unsetenv("TZ");
    tzset();
}

// A play moved later (an intro went before it) keeps the history in play order, and the
// plays under its keys with it; one added out of order sorts in and moves the places of
// those after it.
TEST(PlayHistory, AMovedPlayStaysInOrder) {
    PlayHistory history;
    RunKeys keys;
    const TrackKeys& a = keys.Number("a", "blue", "", {{"Tempo", "Fast"}});
    const TrackKeys& b = keys.Number("b", "blue", "", {});
    const auto timesOf = [&](PlayHistory::Key key, std::uint32_t id) {
        std::vector<std::pair<TDateTime, std::size_t>> times;
        for (const KeyPlay& play : history.PlaysOf(key, id)) {
            times.emplace_back(play.At, play.Seq);
        }
        return times;
    };
    using Times = std::vector<std::pair<TDateTime, std::size_t>>;
    history.Add({1.0, "a", "", &a, {}});
    history.Add({2.0, "b", "", &b, {}});
    history.Add({3.0, "a", "", &a, {}});
    history.MoveLast(3.5);
    history.MoveLast(3.2);  // never earlier
    EXPECT_EQ(history.Last(1).front().At, 3.5);
    EXPECT_EQ(timesOf(PlayHistory::Key::Track, a.Track), (Times{{1.0, 0}, {3.5, 2}}));
    EXPECT_EQ(history.Since(3.4).size(), 1u);
    history.Add({1.5, "b", "", &b, {}});  // one out of order still sorts in
    EXPECT_EQ(history.Last(1).front().Path, "a");
    EXPECT_EQ(timesOf(PlayHistory::Key::Album, a.Album),
              (Times{{1.0, 0}, {1.5, 1}, {2.0, 2}, {3.5, 3}}));
    EXPECT_EQ(timesOf(PlayHistory::Key::Value, keys.Value({"Tempo", "Fast"})),
              (Times{{1.0, 0}, {3.5, 3}}));
    // An hour's songs are those made for it, though the clock set back to its start sorts
    // its first play in before the last hour's overrun.
    const std::uint32_t fast = keys.Value({"Tempo", "Fast"});
    history.SetHour(4.0, std::vector<int>(fast + 1, 3));
    history.Add({4.1, "a", "", &a, {}});
    history.SetHour(4.2, std::vector<int>(fast + 1, 2));
    history.Add({4.15, "a", "", &a, {}});
    const HourSongs hour = history.SongsThisHour(fast);
    EXPECT_EQ(std::tie(hour.Played, hour.WithValue, hour.After), std::make_tuple(1, 1, 2));
}

}  // namespace
}  // namespace spindle
