#include "rules/attribute_use.h"

#include "base/format.h"
#include "base/translate.h"
#include "rules/rule_def.h"
#include "rules/rule_sentence.h"

namespace spindle {
namespace {

bool Names(const AttributeMatch& match, std::string_view attribute, std::string_view value) {
    return match.Attribute == attribute && (value.empty() || match.Value == value);
}

}  // namespace

std::vector<std::string> RulesNaming(const RuleTexts& rules, std::string_view attribute,
                                     std::string_view value, const FormatSettings& settings) {
    std::vector<std::string> naming;
    for (const auto& [scope, texts] : rules) {
        const std::string where =
            scope.empty() ? std::string(tr("Station")) : Format(tr("Category \"%0:s\""), scope);
        for (const std::string& text : texts) {
            // A rule that cannot be read names nothing the scheduler would look for.
            const ParsedRule parsed = ParseRule(text);
            if (parsed.Rule && (Names(parsed.Rule->Match, attribute, value) ||
                                Names(parsed.Rule->Next, attribute, value))) {
                naming.push_back(where + ": " + RuleSentence(*parsed.Rule, settings));
            }
        }
    }
    return naming;
}

std::string AttributeRemovalProblem(std::string_view attribute, const RuleTexts& rules,
                                    const FormatSettings& settings) {
    const std::vector<std::string> naming = RulesNaming(rules, attribute, {}, settings);
    if (naming.empty()) {
        return {};
    }
    std::string message = Format(tr("The attribute \"%0:s\" cannot be removed while rules "
                                    "name it. Remove or change these rules first:"),
                                 std::string(attribute));
    for (const std::string& rule : naming) {
        message += "\n" + rule;
    }
    return message;
}

DbStatus RemoveAttribute(StationDb& db, const std::string& attribute,
                         const FormatSettings& settings) {
    return db.RemoveAttribute(attribute, [&](const RuleTexts& rules) {
        return AttributeRemovalProblem(attribute, rules, settings);
    });
}

}  // namespace spindle
