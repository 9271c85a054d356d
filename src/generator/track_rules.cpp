#include "generator/track_rules.h"

#include "base/translate.h"

namespace spindle {
namespace {

// How the rule compares tracks: by album, or by title (as StationRules keeps them: AlbumKey,
// TitleKey); an unknown one matches nothing.
const std::string& KeyOf(const TrackFacts* facts, RuleKind kind) {
    static const std::string none;
    if (facts == nullptr) {
        return none;
    }
    return kind == RuleKind::Album ? facts->Album : facts->Title;
}

double MinutesBetween(TDateTime earlier, TDateTime later) {
    return (later - earlier) * kMinutesPerDay;
}

// The plays less than `minutes` before the slot: one exactly that far keeps the rule, as
// it keeps the repeat intervals.
std::span<const PlayedTrack> Within(const PlayHistory& history, TDateTime slot, int minutes) {
    return history.Since(slot - (minutes - 1e-6) / kMinutesPerDay);
}

RuleVerdict ItemsBroken(TDateTime played, double items) {
    return {true, false, played, items};
}

}  // namespace

bool HasValue(const TrackFacts* facts, const AttributeMatch& match) {
    if (facts == nullptr) {
        return false;
    }
    const auto found = facts->Attributes.find(match.Attribute);
    return found != facts->Attributes.end() && found->second == match.Value;
}

RuleVerdict SameWithin::Check(const Candidate& candidate, TDateTime slot) const {
    const std::string& key = KeyOf(candidate.Facts, def_.Kind);
    if (key.empty()) {
        return {};
    }
    const auto recent = Within(history_, slot, def_.Minutes);
    for (auto play = recent.rbegin(); play != recent.rend(); ++play) {
        // Other tracks of the album or title are kept apart; the track itself is the song
        // interval's.
        const bool itself = play->Path == candidate.Entry.FileName;
        if (play->At <= slot && !itself && KeyOf(play->Facts, def_.Kind) == key) {
            return {true, false, play->At, def_.Minutes - MinutesBetween(play->At, slot)};
        }
    }
    return {};
}

std::string Separation::Unit() const {
    return def_.Count > 0 ? tr("items") : tr("minutes");
}

RuleVerdict Separation::Check(const Candidate& candidate, TDateTime slot) const {
    if (!HasValue(candidate.Facts, def_.Match)) {
        return {};
    }
    if (def_.Count > 0) {
        const auto last = history_.Last(static_cast<std::size_t>(def_.Count));
        for (std::size_t back = 1; back <= last.size(); ++back) {
            const PlayedTrack& play = last[last.size() - back];
            if (HasValue(play.Facts, def_.Match)) {
                return ItemsBroken(play.At, def_.Count - static_cast<double>(back) + 1);
            }
        }
        return {};
    }
    const auto recent = Within(history_, slot, def_.Minutes);
    for (auto play = recent.rbegin(); play != recent.rend(); ++play) {
        if (play->At <= slot && HasValue(play->Facts, def_.Match)) {
            return {true, false, play->At, def_.Minutes - MinutesBetween(play->At, slot)};
        }
    }
    return {};
}

std::string Run::Unit() const {
    return tr("items");
}

RuleVerdict Run::Check(const Candidate& candidate, TDateTime) const {
    if (!HasValue(candidate.Facts, def_.Match)) {
        return {};
    }
    const auto last = history_.Last(static_cast<std::size_t>(def_.Count));
    if (last.size() < static_cast<std::size_t>(def_.Count)) {
        return {};
    }
    for (const PlayedTrack& play : last) {
        if (!HasValue(play.Facts, def_.Match)) {
            return {};
        }
    }
    return ItemsBroken(last.back().At, 1);  // one more than the run may hold
}

std::string Transition::Unit() const {
    return tr("items");
}

RuleVerdict Transition::Check(const Candidate& candidate, TDateTime) const {
    if (!HasValue(candidate.Facts, def_.Next)) {
        return {};
    }
    const auto last = history_.Last(1);
    if (last.empty() || !HasValue(last.front().Facts, def_.Match)) {
        return {};
    }
    return ItemsBroken(last.front().At, 1);
}

}  // namespace spindle
