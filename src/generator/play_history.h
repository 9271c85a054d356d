#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/datetime.h"
#include "rules/track_facts.h"
#include "station/artists.h"

namespace spindle {

// A track on the air: what the rules beyond the repeat intervals look back at.
struct PlayedTrack {
    TDateTime At = 0.0;
    std::string Path;
    std::string Category;
    const TrackFacts* Facts = nullptr;  // none when nothing is known of the track
    std::vector<ArtistRec*> Artists;
};

// The tracks played before the slot being filled, in the order they play: those a saved run
// put on the air before this run's start, then this run's picks, each at its time on the
// running clock. Spots are not in it, so a break
// between two songs does not part them for a rule on what follows what.
class PlayHistory {
public:
    void Add(PlayedTrack play);
    // The last play added starts at `at` instead, no earlier than it did.
    void MoveLast(TDateTime at);
    void Clear();

    // The last `count` plays at most, the latest last.
    std::span<const PlayedTrack> Last(std::size_t count) const;
    // The plays at or after `from`, the latest last.
    std::span<const PlayedTrack> Since(TDateTime from) const;
    // When the track was played, in time order.
    const std::vector<TDateTime>& PlaysOf(const std::string& path) const;

private:
    std::vector<PlayedTrack> plays_;
    std::unordered_map<std::string, std::vector<TDateTime>> byPath_;
};

}  // namespace spindle
