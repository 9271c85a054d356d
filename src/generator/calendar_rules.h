#pragma once

#include <optional>
#include <vector>

#include "generator/track_rules.h"

namespace spindle {

// Whether the window lets a track play at `moment` (wall-clock time, as the log has it).
bool InsideWindow(const TimeWindow& window, TDateTime moment);
// Minutes from `moment` until the window next lets a track play (0 inside it); none when it
// never does within a year.
std::optional<double> MinutesUntilOpen(const TimeWindow& window, TDateTime moment);
// Minutes from the window's last close before `moment` (0 inside it); none when it did not
// let a track play within the year before.
std::optional<double> MinutesSinceClosed(const TimeWindow& window, TDateTime moment);

// A track with the value (or the one track) plays only inside its window.
class Window final : public StationRule {
public:
    using StationRule::StationRule;
    RuleVerdict Check(const Candidate& candidate, TDateTime slot) const override;
};

// Not within so many minutes of a time of day the track played at on the days before.
class HourRotation final : public StationRule {
public:
    using StationRule::StationRule;
    RuleVerdict Check(const Candidate& candidate, TDateTime slot) const override;
};

// At most so many plays of the track, of any of its artists, or of its album, in a
// calendar day or within the rule's minutes.
class Cap final : public StationRule {
public:
    using StationRule::StationRule;
    std::string Unit() const override;
    RuleVerdict Check(const Candidate& candidate, TDateTime slot) const override;
};

}  // namespace spindle
