#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "generator/run_report.h"
#include "generator/run_state.h"
#include "library/station.h"

namespace spindle {

struct Pick {
    std::string Path;  // empty when nothing was given
    std::uint16_t Duration = 0;
    // The file has no playing time on record; Duration is a stand-in.
    bool Unmeasured = false;
    // Nothing was given because leaving the slot out ends the hour nearer its end.
    bool LeftOut = false;
    explicit operator bool() const { return !Path.empty(); }
};

// What a slot near the hour's end should fill: the seconds left for the tracks (played
// lengths, after the crossfade), this slot's included, how many rotation slots still
// follow it, and whether leaving it out may be best.
struct Fit {
    double LeftSeconds = 0.0;
    int SlotsAfter = 0;
    bool MayLeaveOut = false;
    double ToleranceSeconds = 0.0;
    double Shortest = 0.0;  // the Category's shortest and longest played lengths
    double Longest = 0.0;
    double Crossfade = 0.0;
    bool CrossfadeFromName = true;
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
    // With `fit`, the tracks that break no rule are weighed by how near their length
    // brings the slot to its target; the rules are never relaxed for fit.
    Pick SelectTrack(TCategoryDetails& category, TDateTime playTime, const Fit* fit = nullptr);

    // Makes the artist records of a track's artists (through Related Artists) current;
    // false when none is known.
    bool LookupArtist(const std::string& path);

    // Counts the track and its artist as used in this run and stamps the new last use.
    void NoteUse(FileRec& entry, TDateTime newLastUsed);

private:
    Station& station_;
    // Each path's artist record once found: artists and related lines do not change
    // during a run, and selection asks for the same tracks' artists over and over.
    std::unordered_map<std::string, std::vector<ArtistRec*>> artistsOfPath_;
    const RunSettings& settings_;
    RunState& state_;
    RunReport& report_;
};

}  // namespace spindle
