#pragma once

#include <optional>

#include "base/datetime.h"
#include "rules/rule_def.h"

namespace spindle::kinds {

// Whether the window lets a track play at `moment` (wall-clock time, as the log has it).
bool InsideWindow(const TimeWindow& window, TDateTime moment);
// Minutes from `moment` until the window next lets a track play (0 inside it); none when it
// never does within a year.
std::optional<double> MinutesUntilOpen(const TimeWindow& window, TDateTime moment);
// Minutes from the window's last close before `moment` (0 inside it); none when it did not
// let a track play within the year before.
std::optional<double> MinutesSinceClosed(const TimeWindow& window, TDateTime moment);

}  // namespace spindle::kinds
