#include "base/format.h"
#include "base/translate.h"
#include "rules/kinds/kind_parts.h"

// A track with one value never right after a track with another.

namespace spindle::kinds {
namespace {

void Read(rule_words::Reader& reader, RuleDef& rule) {
    rule.Match = ReadMatch(reader);
    reader.Expect(rule_words::Token::Arrow, "\"->\"");
    rule.Next = ReadMatch(reader);
}

std::string Write(const RuleDef& rule) {
    return MatchText(rule.Match) + " -> " + MatchText(rule.Next);
}

std::string Sentence(const RuleDef& rule, const FormatSettings&) {
    return Format(tr("Not %0:s right after %1:s"), MatchWords(rule.Next), MatchWords(rule.Match));
}

RuleVerdict Judge(const JudgedRule& rule, const RuleCandidate& candidate, TDateTime,
                  const PlayHistory& history) {
    if (!HasValue(candidate.Keys, rule.Next)) {
        return {};
    }
    const auto last = history.Last(1);
    if (last.empty() || !HasValue(last.front().Keys, rule.Match)) {
        return {};
    }
    return ItemsBroken(last.front().At, 1);
}

constexpr RuleForm Form() {
    RuleForm form;
    form.Match = form.Next = true;
    return form;
}

}  // namespace

constinit const KindDescriptor kTransition{RuleKind::Transition,
                                           "transition",
                                           N_("Transition"),
                                           Form(),
                                           Plain,
                                           Read,
                                           Write,
                                           Sentence,
                                           NoLimit,
                                           DayLookBack,
                                           Judge,
                                           InItems,
                                           nullptr};

}  // namespace spindle::kinds
