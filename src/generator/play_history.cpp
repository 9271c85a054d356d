#include "generator/play_history.h"

#include <algorithm>

namespace spindle {

void PlayHistory::Add(PlayedTrack play) {
    // Plays come in time order; one out of order (a clock set back) still keeps the
    // list sorted, which every look-back relies on.
    auto at = plays_.end();
    if (!plays_.empty() && play.At < plays_.back().At) {
        at = std::upper_bound(plays_.begin(), plays_.end(), play.At,
                              [](TDateTime t, const PlayedTrack& p) { return t < p.At; });
    }
    std::vector<TDateTime>& times = byPath_[play.Path];
    times.insert(std::upper_bound(times.begin(), times.end(), play.At), play.At);
    plays_.insert(at, std::move(play));
}

void PlayHistory::Clear() {
    plays_.clear();
    byPath_.clear();
}

std::span<const PlayedTrack> PlayHistory::Last(std::size_t count) const {
    const std::size_t n = std::min(count, plays_.size());
    return std::span<const PlayedTrack>(plays_).last(n);
}

std::span<const PlayedTrack> PlayHistory::Since(TDateTime from) const {
    const auto first = std::lower_bound(plays_.begin(), plays_.end(), from,
                                        [](const PlayedTrack& p, TDateTime t) { return p.At < t; });
    return {first, plays_.end()};
}

const std::vector<TDateTime>& PlayHistory::PlaysOf(const std::string& path) const {
    static const std::vector<TDateTime> none;
    const auto found = byPath_.find(path);
    return found == byPath_.end() ? none : found->second;
}

void PlayHistory::MoveLast(TDateTime at) {
    if (plays_.empty() || at <= plays_.back().At) {
        return;
    }
    std::vector<TDateTime>& times = byPath_[plays_.back().Path];
    // Its own entry is the last at its old time; none later, as no play is later.
    const auto old = std::upper_bound(times.begin(), times.end(), plays_.back().At);
    if (old != times.begin()) {
        *std::prev(old) = at;
        std::sort(times.begin(), times.end());
    }
    plays_.back().At = at;
}

}  // namespace spindle
