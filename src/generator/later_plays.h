#pragma once

#include <string>
#include <unordered_map>

#include "base/datetime.h"
#include "rules/play_history.h"

namespace spindle {

// The plays that follow a stretch being scheduled again (hours of a log made anew, a
// track replaced by hand). A pick keeps its distance from each of them as if that play
// had come first: the rules look back from the pick at them in a mirror, each as far
// before the mirrored slot as it really plays after the slot. The mirror turns at a
// midnight, so calendar days and times of day keep their distances too.
struct LaterPlays {
    TDateTime Pivot = 0.0;
    // What is scheduled is one item: the plays after it follow it directly, so rules that
    // count items count them in the mirror too.
    bool SingleItem = false;
    // The plays reflected about the pivot, in the mirror's time order: the latest first.
    PlayHistory Mirrored;
    // The first later play of each file and of each artist, for the repeat intervals.
    std::unordered_map<std::string, TDateTime> FirstOfPath;
    std::unordered_map<const ArtistRec*, TDateTime> FirstOfArtist;

    TDateTime Mirror(TDateTime t) const { return 2.0 * Pivot - t; }
};

}  // namespace spindle
