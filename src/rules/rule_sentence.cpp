#include "rules/rule_sentence.h"

#include "base/translate.h"
#include "rules/rule_kind.h"

namespace spindle {

std::string RuleSentence(const RuleDef& rule, const FormatSettings& settings) {
    return DescriptorOf(rule.Kind).Sentence(rule, settings);
}

std::string RuleKindName(RuleKind kind) {
    return tr(DescriptorOf(kind).Name);
}

}  // namespace spindle
