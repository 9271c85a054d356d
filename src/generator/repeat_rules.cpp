#include "generator/repeat_rules.h"

#include <cmath>

#include "base/format.h"
#include "base/translate.h"
#include "generator/later_plays.h"
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

// The play nearest the slot of those given that falls within the interval, if any.
static void Nearer(std::optional<TDateTime>& nearest, TDateTime played, TDateTime slot,
                   double days) {
    if (!OutsideInterval(played, slot, days) &&
        (!nearest || std::fabs(slot - played) < std::fabs(slot - *nearest))) {
        nearest = played;
    }
}

RuleVerdict SongInterval::Check(const Candidate& candidate, TDateTime slot) const {
    std::optional<TDateTime> nearest;
    Nearer(nearest, candidate.Entry.LastUsed, slot, days_);
    if (later_ != nullptr) {
        if (const auto next = later_->FirstOfPath.find(candidate.Entry.FileName);
            next != later_->FirstOfPath.end()) {
            Nearer(nearest, next->second, slot, days_);
        }
    }
    return nearest ? BrokenBy(*nearest, slot, days_) : RuleVerdict{};
}

std::string ArtistInterval::Hint(const FormatSettings&) const {
    return tr("Hint: The Artist Repeat Protection interval may be too high.");
}

RuleVerdict ArtistInterval::Check(const Candidate& candidate, TDateTime slot) const {
    if (days_ == 0.0) {
        return {};
    }
    if (candidate.Artists.empty()) {
        return {true, true, std::nullopt, 0.0};
    }
    std::optional<TDateTime> nearest;
    for (const ArtistRec* r : candidate.Artists) {
        Nearer(nearest, r->LastPlayed, slot, days_);
        if (later_ != nullptr) {
            if (const auto next = later_->FirstOfArtist.find(r);
                next != later_->FirstOfArtist.end()) {
                Nearer(nearest, next->second, slot, days_);
            }
        }
    }
    return nearest ? BrokenBy(*nearest, slot, days_) : RuleVerdict{};
}

}  // namespace spindle
