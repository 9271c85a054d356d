#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "forms/library_edits.h"
#include "rules/rule_def.h"
#include "stationdb/station_db.h"

namespace spindle {

// What the form of a kind of rule asks for; the rest of its RuleDef is not used.
struct RuleForm {
    bool Match = false;         // an attribute and one of its values
    bool Next = false;          // Transition: the value that may not follow Match
    bool TrackOrMatch = false;  // Window: one track, or the tracks with Match
    bool ItemsOrTime = false;   // Separation: within Count items, or within Minutes
    bool Count = false;         // Run, Cap
    bool Minutes = false;       // a span of time
    bool Days = false;          // HourRotation
    bool Of = false;            // Cap: track, artist or album
    bool PerDay = false;        // Cap: per calendar day instead of within Minutes
    bool Window = false;        // dates, weekdays, hours
};
RuleForm FormOf(RuleKind kind);

// The kinds an operator adds to a list, in the order offered; the repeat intervals are in
// every list already.
const std::vector<RuleKind>& AddableKinds();

// A new rule of `kind` with the values its form starts with.
RuleDef NewRule(RuleKind kind);

// Whether a rule may leave a list: the repeat intervals stay, to be placed only.
bool Removable(const RuleDef& rule);

// Whether a list holds a rule beyond the repeat intervals: only such a list needs what the
// intervals do not (tags, attributes, the plays of earlier runs).
bool BeyondIntervals(const std::vector<RuleDef>& rules);

// Checks a rule a form made, in the order of the form: what it matches (the station's
// attributes and values), its numbers, its window, and that the line it is stored as
// reads back. Field: "Match", "Next", "Track", "Count", "Minutes", "Days" or "Window".
Verdict CheckRule(const RuleDef& rule, const std::vector<AttributeDef>& attributes);

// Moves rule `from` to stand before rule `to` (the list's size: after the last), as a drop
// places it; returns where it now stands.
std::size_t MoveRule(std::vector<RuleDef>& rules, std::size_t from, std::size_t to);

// Adds the webcasting caps at `at`, leaving out one the list holds already; returns how
// many were added.
std::size_t AddWebcastingCaps(std::vector<RuleDef>& rules, std::size_t at);

// What a Category's rules page shows and starts from. The database keeps a Category's rules
// under the name the saved Categories give it (TCustomDetails::ListName), as its track
// list is kept, until a save of the Categories carries them to its new name.
struct CategoryRules {
    std::vector<RuleDef> Own;      // the Category's own list; empty: it uses the station's
    std::vector<RuleDef> Station;  // the station's list, with the repeat intervals
    std::vector<AttributeDef> Attributes;
    std::string Problem;  // the database could not be read: the rules are not to be changed
};
CategoryRules ReadCategoryRules(const std::filesystem::path& dataFolder,
                                const std::string& category);

// Stores a Category's own list (empty: it uses the station's) when it differs from what
// the database holds, so a station whose rules never changed gets no database; without
// one, a list that means what no rules mean is not stored either.
DbStatus SaveCategoryRules(const std::filesystem::path& dataFolder, const std::string& category,
                           const std::vector<RuleDef>& own);

// Moves the rules of a Category never saved to its new name, in one step.
DbStatus RenameCategoryRules(const std::filesystem::path& dataFolder, const std::string& from,
                             const std::string& to);

// For a save of the Categories: carries each renamed one's rules from its saved name to its
// name and drops those of the Categories deleted since (Station::DeletedCategories). Gives
// back the rules as they were, to be put back should the file not be saved; nothing when
// none moved.
DbRead<std::optional<RuleTexts>> CarryCategoryRules(const Station& station);

}  // namespace spindle
