#include "forms/rule_form.h"

#include <algorithm>

#include "base/datetime.h"
#include "base/format.h"
#include "base/translate.h"
#include "rules/rule_sentence.h"
#include "rules/rule_words.h"

namespace spindle {
namespace {

Verdict CheckMatch(const AttributeMatch& match, const std::vector<AttributeDef>& attributes,
                   const char* field) {
    if (match.Attribute.empty() || match.Value.empty()) {
        return {attributes.empty()
                    ? tr("The station has no attributes yet: define them in the Options first.")
                    : tr("Choose an attribute and one of its values."),
                field};
    }
    const auto attribute =
        std::find_if(attributes.begin(), attributes.end(),
                     [&](const AttributeDef& a) { return a.Name == match.Attribute; });
    if (attribute == attributes.end()) {
        return {Format(tr("The station has no attribute \"%0:s\"."), match.Attribute), field};
    }
    const std::vector<std::string>& values = attribute->Values;
    if (std::find(values.begin(), values.end(), match.Value) == values.end()) {
        return {Format(tr("\"%0:s\" is not a value of the attribute \"%1:s\"."), match.Value,
                       match.Attribute),
                field};
    }
    return {};
}

Verdict CheckNumber(int number, int least, int most, const char* field) {
    if (number < least || number > most) {
        return {Format(tr("Give a number from %0:d to %1:d."), least, most), field};
    }
    return {};
}

Verdict CheckWindow(const TimeWindow& window) {
    for (const int date : {window.FromDate, window.ToDate}) {
        if (date != 0 && !IsValidDate(2000, date / 100, date % 100)) {
            return {tr("Each date must be a day of the year."), "Window"};
        }
    }
    if ((window.Weekdays & 0x7f) == 0) {
        return {tr("Choose at least one weekday."), "Window"};
    }
    if (window == TimeWindow{}) {
        return {tr("The window allows every day and hour: give the dates, weekdays or hours "
                   "it allows."),
                "Window"};
    }
    return {};
}

}  // namespace

RuleForm FormOf(RuleKind kind) {
    return DescriptorOf(kind).Form;
}

const std::vector<RuleKind>& AddableKinds() {
    static const std::vector<RuleKind> kinds = [] {
        std::vector<RuleKind> addable;
        for (const KindDescriptor* descriptor : RuleKinds()) {
            if (descriptor->Judge != nullptr) {
                addable.push_back(descriptor->Kind);
            }
        }
        return addable;
    }();
    return kinds;
}

RuleDef NewRule(RuleKind kind) {
    RuleDef rule = DescriptorOf(kind).Fresh();
    rule.Kind = kind;
    return rule;
}

Verdict CheckRule(const RuleDef& rule, const std::vector<AttributeDef>& attributes) {
    const RuleForm form = FormOf(rule.Kind);
    const auto first = [](std::initializer_list<Verdict> verdicts) {
        for (const Verdict& v : verdicts) {
            if (!v.Ok()) {
                return v;
            }
        }
        return Verdict{};
    };
    const bool matches = form.Match || (form.TrackOrMatch && rule.Track.empty());
    const bool items = form.ItemsOrTime && rule.Count > 0;
    const bool timed = form.Minutes && !items && !(form.PerDay && rule.PerDay);
    Verdict verdict = first({
        matches ? CheckMatch(rule.Match, attributes, "Match") : Verdict{},
        form.Next ? CheckMatch(rule.Next, attributes, "Next") : Verdict{},
        form.Count || items
            ? CheckNumber(rule.Count, 1, form.Share && rule.Percent ? 100 : rule_words::kLargest,
                          form.Count ? "Count" : "Minutes")
            : Verdict{},
        timed ? CheckNumber(rule.Minutes, 1, form.MostMinutes, "Minutes") : Verdict{},
        form.Days ? CheckNumber(rule.Days, 1, rule_words::kLargest, "Days") : Verdict{},
        form.Window ? CheckWindow(rule.Allowed) : Verdict{},
    });
    if (!verdict.Ok()) {
        return verdict;
    }
    // Whatever the form let through must read back from its line.
    if (const ParsedRule parsed = ParseRule(RuleText(rule)); !parsed.Rule) {
        return {Format(tr("The rule cannot be kept: %0:s"), parsed.Problem), {}};
    }
    return {};
}

std::size_t MoveRule(std::vector<RuleDef>& rules, std::size_t from, std::size_t to) {
    if (from >= rules.size()) {
        return from;
    }
    to = std::min(to, rules.size());
    const std::size_t at = to > from ? to - 1 : to;
    const RuleDef moved = rules[from];
    rules.erase(rules.begin() + static_cast<long>(from));
    rules.insert(rules.begin() + static_cast<long>(at), moved);
    return at;
}

std::size_t NewRulePosition(const std::vector<RuleDef>& rules, int selected) {
    if (selected >= 0 && static_cast<std::size_t>(selected) < rules.size()) {
        return static_cast<std::size_t>(selected) + 1;
    }
    std::size_t at = 0;
    for (std::size_t k = 0; k < rules.size(); ++k) {
        if (!Removable(rules[k])) {
            at = k + 1;  // an interval
        }
    }
    return at;
}

std::string NewRulePlace(const std::vector<RuleDef>& rules, std::size_t at,
                         const FormatSettings& settings) {
    if (at == 0 || rules.empty()) {
        return tr("It goes at the top of the list, as the most important rule.");
    }
    return Format(tr("It goes below \"%0:s\"; move it up or down in the list to rank it."),
                  RuleSentence(rules[std::min(at, rules.size()) - 1], settings));
}

std::size_t AddWebcastingCaps(std::vector<RuleDef>& rules, std::size_t at) {
    std::size_t added = 0;
    at = std::min(at, rules.size());
    for (const RuleDef& cap : WebcastingCaps()) {
        if (std::find(rules.begin(), rules.end(), cap) == rules.end()) {
            rules.insert(rules.begin() + static_cast<long>(at + added), cap);
            ++added;
        }
    }
    return added;
}

}  // namespace spindle
