#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base/format_settings.h"
#include "forms/library_edits.h"
#include "rules/rule_def.h"
#include "rules/rule_kind.h"
#include "stationdb/station_db.h"

namespace spindle {

// What the form of a kind asks for: its descriptor's.
RuleForm FormOf(RuleKind kind);

// The kinds an operator adds to a list, in the order offered; the repeat intervals are in
// every list already.
const std::vector<RuleKind>& AddableKinds();

// A new rule of `kind` with the values its form starts with.
RuleDef NewRule(RuleKind kind);

// Checks a rule a form made, in the order of the form: what it matches (the station's
// attributes and values), its numbers, its window, and that the line it is stored as
// reads back. Field: "Match", "Next", "Track", "Count", "Minutes", "Days" or "Window".
Verdict CheckRule(const RuleDef& rule, const std::vector<AttributeDef>& attributes);

// Moves rule `from` to stand before rule `to` (the list's size: after the last), as a drop
// places it; returns where it now stands.
std::size_t MoveRule(std::vector<RuleDef>& rules, std::size_t from, std::size_t to);

// Where a new rule goes in a list, ranked by importance: below the selected rule, or,
// with none selected, below the song and artist intervals, so that a first rule never
// outranks song repetition unasked. `selected` is -1 for none.
std::size_t NewRulePosition(const std::vector<RuleDef>& rules, int selected);
// The dialog's word on that place: "It goes below ...", or at the top of an empty list.
std::string NewRulePlace(const std::vector<RuleDef>& rules, std::size_t at,
                         const FormatSettings& settings);

// Adds the webcasting caps at `at`, leaving out one the list holds already; returns how
// many were added.
std::size_t AddWebcastingCaps(std::vector<RuleDef>& rules, std::size_t at);

}  // namespace spindle
