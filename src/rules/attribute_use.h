#pragma once

// Which rules an attribute or one of its values is named by, and what that keeps from
// going: an attribute a rule names is not removed.

#include <string>
#include <string_view>
#include <vector>

#include "base/format_settings.h"
#include "stationdb/station_db.h"

namespace spindle {

// The rules that name `attribute` (only those naming its `value`, when one is given),
// each as "Station: <rule>" or "Category "Gold": <rule>", the station's first.
// Each rule is named by its sentence, as the Rules tab shows it.
std::vector<std::string> RulesNaming(const RuleTexts& rules, std::string_view attribute,
                                     std::string_view value, const FormatSettings& settings);
// Why `attribute` cannot be removed: rules name it. Empty when it can.
std::string AttributeRemovalProblem(std::string_view attribute, const RuleTexts& rules,
                                    const FormatSettings& settings);
// Removes `attribute` with the values tracks have of it, unless rules name it (checked in
// the same transaction, so a rule added meanwhile still keeps it).
DbStatus RemoveAttribute(StationDb& db, const std::string& attribute,
                         const FormatSettings& settings);

}  // namespace spindle
