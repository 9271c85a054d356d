#include "base/format.h"
#include "base/translate.h"
#include "rules/kinds/kind_parts.h"

// At most so many tracks with a value in a row.

namespace spindle::kinds {
namespace {

constexpr int kMostItems = 100;

void Read(rule_words::Reader& reader, RuleDef& rule) {
    rule.Match = ReadMatch(reader);
    rule.Count = reader.Number();
}

std::string Write(const RuleDef& rule) {
    return MatchText(rule.Match) + " " + std::to_string(rule.Count);
}

std::string Sentence(const RuleDef& rule, const FormatSettings&) {
    return Format(tr("At most %0:s with %1:s in a row"),
                  Counted(rule.Count, N_("%0:d track"), N_("%0:d tracks")), MatchWords(rule.Match));
}

void Limit(const RuleDef& rule) {
    LimitReach(rule.Count, kMostItems, "items");
}

RuleVerdict Judge(const JudgedRule& rule, const RuleCandidate& candidate, TDateTime,
                  const PlayHistory& history) {
    if (!HasValue(candidate.Keys, rule.Match)) {
        return {};
    }
    // The last Count plays all have the value when the Count-th latest play with it is
    // the Count-th latest play of all.
    const std::vector<KeyPlay>& plays = history.PlaysOf(PlayHistory::Key::Value, rule.Match);
    const auto count = static_cast<std::size_t>(rule.Def.Count);
    if (count == 0 || plays.size() < count || history.Size() < count ||
        plays[plays.size() - count].Seq != history.Size() - count) {
        return {};
    }
    return ItemsBroken(plays.back().At, 1);  // one more than the run may hold
}

constexpr RuleForm Form() {
    RuleForm form;
    form.Match = form.Count = true;
    return form;
}

RuleDef Fresh() {
    RuleDef rule;
    rule.Count = 2;
    return rule;
}

}  // namespace

constinit const KindDescriptor kRun{
    RuleKind::Run, "run", N_("Attribute run"), Form(), Fresh,   Read,   Write,
    Sentence,      Limit, DayLookBack,         Judge,  InItems, nullptr};

}  // namespace spindle::kinds
