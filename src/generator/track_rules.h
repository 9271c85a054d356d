#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "generator/play_history.h"
#include "generator/repeat_rules.h"
#include "rules/rule_def.h"

namespace spindle {

// A rule the station set beyond the repeat intervals: it names itself by its text and
// looks back at the plays before the slot.
class StationRule : public RepeatRule {
public:
    // The rule's values are numbered by the run's keys, as the tracks' are.
    StationRule(RuleDef def, const PlayHistory& history, RunKeys& keys)
        : def_(std::move(def)),
          history_(history),
          match_(keys.Value(def_.Match)),
          next_(keys.Value(def_.Next)) {}
    std::string Name() const override { return RuleText(def_); }

protected:
    RuleDef def_;
    const PlayHistory& history_;
    std::uint32_t match_ = 0;  // the numbers of Match and Next
    std::uint32_t next_ = 0;
};

// Whether a track has the value of that number.
inline bool HasValue(const TrackKeys* keys, std::uint32_t value) {
    return keys != nullptr && keys->Has(value);
}

// The latest of `plays` at or before `slot` and less than `minutes` before it (one exactly
// that far keeps the rule, as it keeps the repeat intervals) that `counts`; none when none.
template <typename Counts>
const KeyPlay* LatestWithin(const std::vector<KeyPlay>& plays, TDateTime slot, double minutes,
                            Counts&& counts) {
    const TDateTime from = slot - (minutes - 1e-6) / kMinutesPerDay;
    auto at = std::upper_bound(plays.begin(), plays.end(), slot,
                               [](TDateTime t, const KeyPlay& p) { return t < p.At; });
    while (at != plays.begin() && std::prev(at)->At >= from) {
        --at;
        if (counts(*at)) {
            return &*at;
        }
    }
    return nullptr;
}

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
