#pragma once

// Replays a Playlist Log against the station's rules beyond the repeat intervals, with its
// own reading of each rule, so a run's picks can be checked apart from the scheduler that
// made them. Used by the tests and by the rules benchmark (it needs no test framework).

#include <map>
#include <ostream>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/datetime.h"
#include "outputs/playlist_log.h"
#include "rules/rule_def.h"
#include "station/station.h"

namespace spindle::test {

// What the checker knows of a track.
struct CheckedTrack {
    std::string Album;                 // case-folded; empty when unknown
    std::string Title;                 // case-folded: the tag's, else the file name's
    std::vector<std::string> Artists;  // keys of the track's artists, case-folded
    std::map<std::string, std::string> Attributes;
};

// The station's rules beyond the repeat intervals, by Category, and its tracks.
struct RuleCheckInputs {
    std::map<std::string, std::vector<RuleDef>> Rules;     // by the Category's name
    std::unordered_map<std::string, CheckedTrack> Tracks;  // by path
    std::vector<std::string> Problems;                     // rules or facts that could not be read
};

// A track a Category put on the air: when it plays on the running clock (the run's start
// plus the item's time, an hour that ran over pushing the next one on; never earlier than
// the play before it), and its slot as the log shows it (each hour's first item on the
// hour), by which the relaxed-rule report names it.
struct LoggedPlay {
    TDateTime At = 0.0;
    TDateTime Slot = 0.0;
    std::string Path;
    std::string Category;
    bool Selected = true;  // chosen by the rules; false for a block Category's tracks
    TDateTime Hour = 0.0;  // the start of the log's hour it is in
};

// A rule broken by the track played in a slot.
struct RuleBreak {
    TDateTime Slot = 0.0;
    std::string Category;
    std::string Rule;  // as RuleText writes it
    std::string Track;
};

// Reads the rules and the track facts of a loaded station from its database and track
// lists: each Category's rules are those EffectiveRules gives, less song and artist.
RuleCheckInputs LoadRuleCheckInputs(const Station& station);

// The tracks of the log's Category items, in the order they play. Spots, notes and the
// other items are left out: they do not part two songs.
std::vector<LoggedPlay> LoggedPlays(const LogContents& log, const Station& station);

// Every rule broken by a selected track, looking back at the plays before it. A quota is
// weighed by each hour as a whole, not here: see QuotasBroken.
std::vector<RuleBreak> CheckRules(const std::vector<LoggedPlay>& plays,
                                  const RuleCheckInputs& inputs);

// A quota an hour does not keep: its start and the rule as RuleText writes it.
struct HourBreak {
    long long Hour = 0;  // in minutes from the calendar's day 0
    std::string Rule;
    bool operator<(const HourBreak& o) const {
        return Hour != o.Hour ? Hour < o.Hour : Rule < o.Rule;
    }
    bool operator==(const HourBreak&) const = default;
};
std::string Describe(const HourBreak& b);
inline void PrintTo(const HourBreak& b, std::ostream* out) {
    *out << Describe(b);
}

// The quotas of the Categories that chose a track in an hour which the hour's songs (every
// track of its Category items) do not keep, each hour and rule once, in order.
std::vector<HourBreak> QuotasBroken(const std::vector<LoggedPlay>& plays,
                                    const RuleCheckInputs& inputs);

// The same, as the run's lines name them ("The hour from 2026-12-07 14:00 does not keep the
// rule "...": ...").
std::vector<HourBreak> ReportedHourBreaks(const std::vector<std::string>& lines);

// The rows of a relaxed-rule report ("Relaxed-<log>.csv"); `problem` tells why none could
// be read.
std::vector<RuleBreak> ReadRelaxedReport(const std::string& path, std::string& problem);

// The breaks of `of` that `in` does not hold: same Category, rule and track, in a slot
// no more than two seconds apart (the report gives slots to the second).
std::vector<RuleBreak> Unmatched(const std::vector<RuleBreak>& of,
                                 const std::vector<RuleBreak>& in);

std::string Describe(const RuleBreak& b);

// Each hour of the log as it plays: the lengths of its items less their crossfades (0.9 s,
// or as the file name says when `crossfadeFromName`), in seconds.
std::vector<double> PlayedHourLengths(const LogContents& log, bool crossfadeFromName);

}  // namespace spindle::test
