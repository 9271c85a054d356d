#pragma once

#include <string>

#include "base/format_settings.h"
#include "rules/rule_def.h"

namespace spindle {

// A rule as the operator reads it in a list, one sentence in the operator's language
// ("No two tracks with Vocal Female within 3 items"); dates, weekdays and times in the
// station's own forms.
std::string RuleSentence(const RuleDef& rule, const FormatSettings& settings);

// The name of a kind of rule, as a list of kinds to choose from shows it.
std::string RuleKindName(RuleKind kind);

}  // namespace spindle
