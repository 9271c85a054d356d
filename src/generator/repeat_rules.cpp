#include "generator/repeat_rules.h"

#include <cmath>

#include "base/format.h"
#include "base/translate.h"
#include "rules/rule_def.h"
#include "rules/rule_sentence.h"

namespace spindle {
namespace {

RuleVerdict BrokenBy(TDateTime played, TDateTime slot, double days) {
    return {true, false, played, (days - std::fabs(slot - played)) * kMinutesPerDay};
}

}  // namespace

std::string RuleWords(const std::string& line, const FormatSettings& settings) {
    const ParsedRule parsed = ParseRule(line);
    return parsed.Rule ? RuleSentence(*parsed.Rule, settings) : line;
}

std::string RepeatRule::Hint(const FormatSettings& settings) const {
    return Format(tr("Hint: The rule \"%0:s\" may be too strict for the tracks of this Category."),
                  RuleWords(Name(), settings));
}

std::string RepeatRule::Unit() const {
    return tr("minutes");
}

bool OutsideInterval(TDateTime played, TDateTime slot, double days) {
    if (days == 0.0 || played == 0.0) {
        return true;
    }
    return played <= slot ? slot - days >= played : played - days >= slot;
}

std::string SongInterval::Hint(const FormatSettings&) const {
    return tr("Hint: The Song Repeat Protection interval may be too high.");
}

RuleVerdict SongInterval::Check(const Candidate& candidate, TDateTime slot) const {
    const TDateTime played = candidate.Entry.LastUsed;
    return OutsideInterval(played, slot, days_) ? RuleVerdict{} : BrokenBy(played, slot, days_);
}

std::string ArtistInterval::Hint(const FormatSettings&) const {
    return tr("Hint: The Artist Repeat Protection interval may be too high.");
}

RuleVerdict ArtistInterval::Check(const Candidate& candidate, TDateTime slot) const {
    if (candidate.Artists.empty()) {
        return {true, true, std::nullopt, 0.0};
    }
    std::optional<TDateTime> nearest;
    for (const ArtistRec* r : candidate.Artists) {
        if (!OutsideInterval(r->LastPlayed, slot, days_) &&
            (!nearest || std::fabs(slot - r->LastPlayed) < std::fabs(slot - *nearest))) {
            nearest = r->LastPlayed;
        }
    }
    return nearest ? BrokenBy(*nearest, slot, days_) : RuleVerdict{};
}

}  // namespace spindle
