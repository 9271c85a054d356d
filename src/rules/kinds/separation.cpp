#include "base/format.h"
#include "base/translate.h"
#include "rules/kinds/kind_parts.h"

// No two tracks with a value within so many items, or within so many minutes.

namespace spindle::kinds {
namespace {

constexpr int kMostItems = 100;
constexpr int kLongestSeparation = 24 * 60;

void Read(rule_words::Reader& reader, RuleDef& rule) {
    rule.Match = ReadMatch(reader);
    const int number = reader.Number();
    const std::string unit = reader.OneOf(tr("\"items\", \"minutes\" or \"hours\""),
                                          {"item", "items", "minute", "minutes", "hour", "hours"});
    if (unit == "item" || unit == "items") {
        rule.Count = number;
    } else {
        rule.Minutes = DurationMinutes(number, unit);
    }
}

std::string Write(const RuleDef& rule) {
    return MatchText(rule.Match) + " " +
           (rule.Count > 0 ? Amount(rule.Count, "item", "items") : DurationText(rule.Minutes));
}

std::string Sentence(const RuleDef& rule, const FormatSettings&) {
    return Format(tr("No two tracks with %0:s within %1:s"), MatchWords(rule.Match),
                  rule.Count > 0 ? Counted(rule.Count, N_("%0:d item"), N_("%0:d items"))
                                 : DurationWords(rule.Minutes));
}

void Limit(const RuleDef& rule) {
    if (rule.Count > 0) {
        LimitReach(rule.Count, kMostItems, "items");
    } else {
        LimitReach(rule.Minutes, kLongestSeparation, "hours");
    }
}

RuleVerdict Judge(const JudgedRule& rule, const RuleCandidate& candidate, TDateTime slot,
                  const PlayHistory& history) {
    if (!HasValue(candidate.Keys, rule.Match)) {
        return {};
    }
    const std::vector<KeyPlay>& plays = history.PlaysOf(PlayHistory::Key::Value, rule.Match);
    const int count = rule.Def.Count;
    if (count > 0) {
        // The latest play with the value, counted back from the slot: 1 for the last play.
        if (plays.empty()) {
            return {};
        }
        const std::size_t back = history.Size() - plays.back().Seq;
        return back <= static_cast<std::size_t>(count)
                   ? ItemsBroken(plays.back().At, count - static_cast<double>(back) + 1)
                   : RuleVerdict{};
    }
    const KeyPlay* near =
        LatestWithin(plays, slot, rule.Def.Minutes, [](const KeyPlay&) { return true; });
    return near != nullptr ? MinutesBroken(*near, slot, rule.Def.Minutes) : RuleVerdict{};
}

const char* Unit(const RuleDef& rule) {
    return rule.Count > 0 ? N_("items") : N_("minutes");
}

constexpr RuleForm Form() {
    RuleForm form;
    form.Match = form.ItemsOrTime = form.Minutes = true;
    return form;
}

RuleDef Fresh() {
    RuleDef rule;
    rule.Count = 3;
    return rule;
}

}  // namespace

constinit const KindDescriptor kSeparation{RuleKind::Separation,
                                           "separate",
                                           N_("Attribute separation"),
                                           Form(),
                                           Fresh,
                                           Read,
                                           Write,
                                           Sentence,
                                           Limit,
                                           MinutesLookBack,
                                           Judge,
                                           Unit,
                                           nullptr};

}  // namespace spindle::kinds
