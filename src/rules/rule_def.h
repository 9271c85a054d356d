#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace spindle {

// The kinds of rule a Category's list may hold. Song and Artist are the repeat intervals
// the Category dialog and Options set; the list only places them.
enum class RuleKind {
    Song,          // the song repeat interval
    Artist,        // the artist repeat interval
    Album,         // no two tracks of one album within Minutes
    Title,         // no two tracks of one title (another artist's, another version) within Minutes
    Separation,    // no two tracks with Match within Count items, or within Minutes
    Run,           // at most Count tracks with Match in a row
    Transition,    // no track with Next right after one with Match
    Window,        // a track with Match (or the track Track) plays only inside the window
    HourRotation,  // not within +-Minutes of a time of day it played on the previous Days
    Cap,           // at most Count plays of one track / artist / album per day / in Minutes
    Quota,         // at least (or at most) Count songs, or Count percent, of each hour with Match
};

// "Tempo=Fast": a track matches when its attribute has that value.
struct AttributeMatch {
    std::string Attribute;
    std::string Value;
    bool operator==(const AttributeMatch&) const = default;
};

enum class CapOf { Track, Artist, Album };

// When a Window lets its tracks play. Each part left at its default allows everything.
struct TimeWindow {
    // Month and day, as month * 100 + day (1201 for 1 December), both ends included; the
    // range may wrap past the year's end (1215 to 0106). 0 for every day of the year.
    int FromDate = 0;
    int ToDate = 0;
    // Weekdays allowed, bit 0 Sunday to bit 6 Saturday.
    std::uint8_t Weekdays = 0x7f;
    // Minutes after midnight: from FromMinute up to (not including) ToMinute; may wrap past
    // midnight (21:00 to 06:00). Equal ends allow the whole day.
    int FromMinute = 0;
    int ToMinute = 0;
    bool operator==(const TimeWindow&) const = default;
};

// An hour rotation's reach in minutes stays under this: 12 hours either side of a time of
// day is every time of day.
inline constexpr int kHourRotationLimit = 12 * 60;

// One rule as the operator set it.
struct RuleDef {
    RuleKind Kind = RuleKind::Song;
    AttributeMatch Match;  // Separation, Run, Window (unless Track), Transition's first
    AttributeMatch Next;   // Transition: what may not follow Match
    std::string Track;     // Window on one track: its path, as the Category holds it
    int Count = 0;         // Separation (items), Run, Cap
    int Minutes = 0;       // Album, Title, Separation (when Count is 0), HourRotation, Cap
    int Days = 0;          // HourRotation
    CapOf Of = CapOf::Track;
    bool PerDay = false;   // Cap: per calendar day, not within Minutes
    TimeWindow Allowed;    // Window
    bool AtMost = false;   // Quota: at most Count, not at least
    bool Percent = false;  // Quota: Count is a share of the hour's songs, in percent
    bool operator==(const RuleDef&) const = default;
};

// The weekdays of `days` (bit 0 Sunday) from Monday on, each named by `name` (0 Sunday to
// 6 Saturday) and parted by `separator`; a run of three days or more as its first and last
// joined by `through` ("Mon-Fri").
std::string WeekdayList(std::uint8_t days, const std::function<std::string(int)>& name,
                        std::string_view separator, std::string_view through);

// The rule as one line of the rules file and the station database ("separate
// Vocal=Female items 3"); ParseRule reads it back.
std::string RuleText(const RuleDef& rule);

struct ParsedRule {
    std::optional<RuleDef> Rule;
    std::string Problem;  // for the operator, when Rule is empty
};
ParsedRule ParseRule(std::string_view text);

// The list a Category's selection keeps, most important first: its own, else the
// station's, with the repeat intervals added at the end where the list leaves them out
// (the artist's before the song's, which is the order a station without rules relaxes in).
std::vector<RuleDef> EffectiveRules(const std::vector<RuleDef>& own,
                                    const std::vector<RuleDef>& station);

// Whether the rule's Match names an attribute value it judges by (and, for a transition,
// its Next too); a window on one track does not.
bool UsesMatch(const RuleDef& rule);

// Whether a rule may leave a list: the repeat intervals stay, to be placed only.
bool Removable(const RuleDef& rule);

// Whether a list holds a rule beyond the repeat intervals: only such a list needs what the
// intervals do not (tags, attributes, the plays of earlier runs).
bool BeyondIntervals(const std::vector<RuleDef>& rules);

// The play caps US webcasting licences set: at most 4 tracks of one artist and 3 of one
// album in any 3 hours.
std::vector<RuleDef> WebcastingCaps();

}  // namespace spindle
