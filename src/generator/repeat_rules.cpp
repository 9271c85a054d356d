#include "generator/repeat_rules.h"

#include <cmath>

#include "base/translate.h"

namespace spindle {
namespace {

Verdict BrokenBy(TDateTime played, TDateTime slot, double days) {
    return {true, played, (days - std::fabs(slot - played)) * kMinutesPerDay};
}

}  // namespace

bool OutsideInterval(TDateTime played, TDateTime slot, double days) {
    if (days == 0.0 || played == 0.0) {
        return true;
    }
    return played <= slot ? slot - days >= played : played - days >= slot;
}

const char* SongInterval::Hint() const {
    return tr("Hint: The Song Repeat Protection interval may be too high.");
}

Verdict SongInterval::Check(const Candidate& candidate, TDateTime slot) const {
    const TDateTime played = candidate.Entry.LastUsed;
    return OutsideInterval(played, slot, days_) ? Verdict{} : BrokenBy(played, slot, days_);
}

const char* ArtistInterval::Hint() const {
    return tr("Hint: The Artist Repeat Protection interval may be too high.");
}

Verdict ArtistInterval::Check(const Candidate& candidate, TDateTime slot) const {
    if (candidate.Artists.empty()) {
        return {true, std::nullopt, 0.0};
    }
    std::optional<TDateTime> nearest;
    for (const ArtistRec* r : candidate.Artists) {
        if (!OutsideInterval(r->LastPlayed, slot, days_) &&
            (!nearest || std::fabs(slot - r->LastPlayed) < std::fabs(slot - *nearest))) {
            nearest = r->LastPlayed;
        }
    }
    return nearest ? BrokenBy(*nearest, slot, days_) : Verdict{};
}

}  // namespace spindle
