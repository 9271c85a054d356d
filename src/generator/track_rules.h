#pragma once

#include <string>

#include "generator/play_history.h"
#include "generator/repeat_rules.h"
#include "rules/rule_def.h"

namespace spindle {

// A rule the station set beyond the repeat intervals: it names itself by its text and
// looks back at the plays before the slot.
class StationRule : public RepeatRule {
public:
    StationRule(RuleDef def, const PlayHistory& history)
        : def_(std::move(def)), history_(history) {}
    std::string Name() const override { return RuleText(def_); }

protected:
    RuleDef def_;
    const PlayHistory& history_;
};

// Whether a track has the attribute's value.
bool HasValue(const TrackFacts* facts, const AttributeMatch& match);

// No two tracks of one album, or of one title (another artist's or another version),
// within the rule's minutes.
class SameWithin final : public StationRule {
public:
    using StationRule::StationRule;
    RuleVerdict Check(const Candidate& candidate, TDateTime slot) const override;
};

// No two tracks with the value within so many items, or minutes.
class Separation final : public StationRule {
public:
    using StationRule::StationRule;
    std::string Unit() const override;
    RuleVerdict Check(const Candidate& candidate, TDateTime slot) const override;
};

// At most so many tracks with the value in a row.
class Run final : public StationRule {
public:
    using StationRule::StationRule;
    std::string Unit() const override;
    RuleVerdict Check(const Candidate& candidate, TDateTime slot) const override;
};

// A track with the second value never right after one with the first.
class Transition final : public StationRule {
public:
    using StationRule::StationRule;
    std::string Unit() const override;
    RuleVerdict Check(const Candidate& candidate, TDateTime slot) const override;
};

}  // namespace spindle
