#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "generator/run_report.h"
#include "generator/run_state.h"
#include "library/station.h"

namespace spindle {

struct Pick {
    std::string Path;  // empty when nothing was given
    std::uint16_t Duration = 0;
    // The file has no playing time on record; Duration is a stand-in.
    bool Unmeasured = false;
    explicit operator bool() const { return !Path.empty(); }
};

// Chooses tracks from Categories under the song and artist repeat intervals, with the
// new-track bias and the operator's say when nothing passes.
class TrackSelector {
public:
    TrackSelector(Station& station, const RunSettings& settings, RunState& state, RunReport& report)
        : station_(station), settings_(settings), state_(state), report_(report) {}

    // The next track of a Category for play time `playTime`, with its bookkeeping.
    // Empty when the Category has no tracks, or when the operator cancelled the run
    // (state.Warning is then Cancel).
    Pick SelectTrack(TCategoryDetails& category, TDateTime playTime);

    // Makes the artist record of a track's artist (through Related Artists) current.
    bool LookupArtist(const std::string& path);

    // Counts the track and its artist as used in this run and stamps the new last use.
    void NoteUse(FileRec& entry, TDateTime newLastUsed);

private:
    Station& station_;
    // Each path's artist record once found: artists and related lines do not change
    // during a run, and selection asks for the same tracks' artists over and over.
    std::unordered_map<std::string, ArtistRec*> artistOfPath_;
    const RunSettings& settings_;
    RunState& state_;
    RunReport& report_;
};

}  // namespace spindle
