#include "rules/rule_def.h"

#include <algorithm>
#include <array>

#include "base/format.h"
#include "base/translate.h"
#include "rules/rule_kind.h"
#include "rules/rule_words.h"

// One rule is one line of English keywords, whatever the operator's language: the rules
// file is shared between stations and kept under version control.

namespace spindle {
namespace {

using rule_words::LineError;
using rule_words::Reader;

}  // namespace

std::string WeekdayList(std::uint8_t days, const std::function<std::string(int)>& name,
                        std::string_view separator, std::string_view through) {
    static constexpr std::array<int, 7> kMondayFirst{1, 2, 3, 4, 5, 6, 0};
    const auto on = [&](std::size_t at) { return (days & (1u << kMondayFirst[at])) != 0; };
    std::string text;
    for (std::size_t i = 0; i < kMondayFirst.size(); ++i) {
        if (!on(i)) {
            continue;
        }
        std::size_t end = i;
        while (end + 1 < kMondayFirst.size() && on(end + 1)) {
            ++end;
        }
        text += (text.empty() ? std::string() : std::string(separator)) + name(kMondayFirst[i]);
        if (end > i) {
            text += std::string(end - i >= 2 ? through : separator) + name(kMondayFirst[end]);
        }
        i = end;
    }
    return text;
}

std::string RuleText(const RuleDef& rule) {
    const KindDescriptor& kind = DescriptorOf(rule.Kind);
    const std::string words = kind.Write(rule);
    return std::string(kind.Keyword) + (words.empty() ? "" : " " + words);
}

ParsedRule ParseRule(std::string_view text) {
    try {
        Reader reader(rule_words::Lex(text));
        if (reader.AtEnd()) {
            return {std::nullopt, tr("the rule is empty")};
        }
        const std::string keyword = reader.Keyword(tr("a rule"));
        const KindDescriptor* kind = KindOfKeyword(keyword);
        if (kind == nullptr) {
            return {std::nullopt, Format(tr("unknown rule \"%0:s\""), keyword)};
        }
        RuleDef rule;
        rule.Kind = kind->Kind;
        kind->Read(reader, rule);
        reader.End();
        kind->Limit(rule);
        return {rule, {}};
    } catch (const LineError& error) {
        return {std::nullopt, error.Problem};
    }
}

std::vector<RuleDef> EffectiveRules(const std::vector<RuleDef>& own,
                                    const std::vector<RuleDef>& station) {
    std::vector<RuleDef> rules = own.empty() ? station : own;
    for (const RuleKind kind : {RuleKind::Artist, RuleKind::Song}) {
        if (std::none_of(rules.begin(), rules.end(),
                         [&](const RuleDef& rule) { return rule.Kind == kind; })) {
            rules.emplace_back().Kind = kind;
        }
    }
    return rules;
}

std::vector<RuleDef> WebcastingCaps() {
    std::vector<RuleDef> caps(2);
    for (RuleDef& cap : caps) {
        cap.Kind = RuleKind::Cap;
        cap.Minutes = 3 * 60;
    }
    caps[0].Of = CapOf::Artist;
    caps[0].Count = 4;
    caps[1].Of = CapOf::Album;
    caps[1].Count = 3;
    return caps;
}

bool Removable(const RuleDef& rule) {
    return DescriptorOf(rule.Kind).Judge != nullptr;
}

bool BeyondIntervals(const std::vector<RuleDef>& rules) {
    return std::any_of(rules.begin(), rules.end(), Removable);
}

bool UsesMatch(const RuleDef& rule) {
    const RuleForm& form = DescriptorOf(rule.Kind).Form;
    return form.Match || (form.TrackOrMatch && rule.Track.empty());
}

}  // namespace spindle
