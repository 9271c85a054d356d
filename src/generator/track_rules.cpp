#include "generator/track_rules.h"

#include "base/translate.h"

namespace spindle {
namespace {

double MinutesBetween(TDateTime earlier, TDateTime later) {
    return (later - earlier) * kMinutesPerDay;
}

RuleVerdict ItemsBroken(TDateTime played, double items) {
    return {true, false, played, items};
}

RuleVerdict MinutesBroken(const KeyPlay& play, TDateTime slot, int minutes) {
    return {true, false, play.At, minutes - MinutesBetween(play.At, slot)};
}

}  // namespace

RuleVerdict SameWithin::Check(const Candidate& candidate, TDateTime slot) const {
    if (candidate.Facts == nullptr) {
        return {};
    }
    const bool album = def_.Kind == RuleKind::Album;
    const std::uint32_t key = album ? candidate.Facts->Album : candidate.Facts->Title;
    // Other tracks of the album or title are kept apart; the track itself is the song
    // interval's.
    const KeyPlay* other = LatestWithin(
        history_.PlaysOf(album ? PlayHistory::Key::Album : PlayHistory::Key::Title, key), slot,
        def_.Minutes, [&](const KeyPlay& p) { return p.Track != candidate.Facts->Track; });
    return other != nullptr ? MinutesBroken(*other, slot, def_.Minutes) : RuleVerdict{};
}

std::string Separation::Unit() const {
    return def_.Count > 0 ? tr("items") : tr("minutes");
}

RuleVerdict Separation::Check(const Candidate& candidate, TDateTime slot) const {
    if (!HasValue(candidate.Facts, match_)) {
        return {};
    }
    const std::vector<KeyPlay>& plays = history_.PlaysOf(PlayHistory::Key::Value, match_);
    if (def_.Count > 0) {
        // The latest play with the value, counted back from the slot: 1 for the last play.
        if (plays.empty()) {
            return {};
        }
        const std::size_t back = history_.Size() - plays.back().Seq;
        return back <= static_cast<std::size_t>(def_.Count)
                   ? ItemsBroken(plays.back().At, def_.Count - static_cast<double>(back) + 1)
                   : RuleVerdict{};
    }
    const KeyPlay* near =
        LatestWithin(plays, slot, def_.Minutes, [](const KeyPlay&) { return true; });
    return near != nullptr ? MinutesBroken(*near, slot, def_.Minutes) : RuleVerdict{};
}

std::string Run::Unit() const {
    return tr("items");
}

RuleVerdict Run::Check(const Candidate& candidate, TDateTime) const {
    if (!HasValue(candidate.Facts, match_)) {
        return {};
    }
    // The last Count plays all have the value when the Count-th latest play with it is
    // the Count-th latest play of all.
    const std::vector<KeyPlay>& plays = history_.PlaysOf(PlayHistory::Key::Value, match_);
    const auto count = static_cast<std::size_t>(def_.Count);
    if (count == 0 || plays.size() < count || history_.Size() < count ||
        plays[plays.size() - count].Seq != history_.Size() - count) {
        return {};
    }
    return ItemsBroken(plays.back().At, 1);  // one more than the run may hold
}

std::string Transition::Unit() const {
    return tr("items");
}

RuleVerdict Transition::Check(const Candidate& candidate, TDateTime) const {
    if (!HasValue(candidate.Facts, next_)) {
        return {};
    }
    const auto last = history_.Last(1);
    if (last.empty() || !HasValue(last.front().Keys, match_)) {
        return {};
    }
    return ItemsBroken(last.front().At, 1);
}

}  // namespace spindle
