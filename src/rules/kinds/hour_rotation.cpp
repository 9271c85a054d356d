#include <algorithm>
#include <cmath>

#include "base/format.h"
#include "base/translate.h"
#include "rules/kinds/kind_parts.h"

// Not within so many minutes of a time of day the track played at on the days before.

namespace spindle::kinds {
namespace {

constexpr int kMostDays = 31;

void Read(rule_words::Reader& reader, RuleDef& rule) {
    rule.Minutes = ReadDuration(reader);
    if (rule.Minutes >= kHourRotationLimit) {
        throw rule_words::LineError{
            tr("an hour rotation must be under 12 hours: 12 hours either side is "
               "every time of day")};
    }
    rule.Days = reader.Number();
    reader.OneOf("\"days\"", {"day", "days"});
}

std::string Write(const RuleDef& rule) {
    return DurationText(rule.Minutes) + " " + Amount(rule.Days, "day", "days");
}

std::string Sentence(const RuleDef& rule, const FormatSettings&) {
    if (rule.Days == 1) {
        return Format(tr("Not within %0:s either side of the time of day it played the day before"),
                      DurationWords(rule.Minutes));
    }
    return Format(
        tr("Not within %0:s either side of the times of day it played on the previous %1:d days"),
        DurationWords(rule.Minutes), rule.Days);
}

void Limit(const RuleDef& rule) {
    LimitReach(rule.Days, kMostDays, "days");
}

double LookBack(const RuleDef& rule) {
    return rule.Days + 1.0;
}

RuleVerdict Judge(const JudgedRule& rule, const RuleCandidate& candidate, TDateTime slot,
                  const PlayHistory& history) {
    if (candidate.Keys == nullptr) {
        return {};
    }
    const std::int64_t today = SplitDateTime(slot).Day;
    const double minute = static_cast<double>(SplitDateTime(slot).MSec) / 60000.0;
    RuleVerdict worst;
    // The plays on the days before today that the rule reaches, and none after.
    const std::vector<KeyPlay>& plays =
        history.PlaysOf(PlayHistory::Key::Track, candidate.Keys->Track);
    const auto first = std::lower_bound(plays.begin(), plays.end(),
                                        static_cast<TDateTime>(today - rule.Def.Days) - 1,
                                        [](const KeyPlay& p, TDateTime t) { return p.At < t; });
    for (auto play = first; play != plays.end() && play->At < static_cast<TDateTime>(today) + 1;
         ++play) {
        const DayAndTime at = SplitDateTime(play->At);
        if (at.Day >= today || at.Day < today - rule.Def.Days) {
            continue;
        }
        const double apart = std::fabs(static_cast<double>(at.MSec) / 60000.0 - minute);
        const double distance = std::min(apart, kMinutesPerDay - apart);  // across midnight
        const double inside = rule.Def.Minutes - distance;
        if (inside > kMinutesEpsilon && inside > worst.Amount) {
            worst = {true, false, play->At, inside};
        }
    }
    return worst;
}

constexpr RuleForm Form() {
    RuleForm form;
    form.Minutes = form.Days = true;
    form.MostMinutes = kHourRotationLimit - 1;
    return form;
}

RuleDef Fresh() {
    RuleDef rule;
    rule.Minutes = 60;
    rule.Days = 1;
    return rule;
}

}  // namespace

constinit const KindDescriptor kHourRotation{RuleKind::HourRotation,
                                             "hour-rotation",
                                             N_("Hour rotation"),
                                             Form(),
                                             Fresh,
                                             Read,
                                             Write,
                                             Sentence,
                                             Limit,
                                             LookBack,
                                             Judge,
                                             InMinutes,
                                             nullptr};

}  // namespace spindle::kinds
