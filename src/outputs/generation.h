#pragma once

#include "generator/generation_run.h"
#include "station/station.h"

namespace spindle {

// A whole generation run of a station with its real outputs: the Create Playlist
// action, and the unattended run. True when the playlists were made.
bool RunGeneration(Station& station, RunReport& report);

// The output pass alone over a Playlist Log already written (the editor's save): the
// playlists, pages and summaries made again.
bool RemakeOutputs(Station& station, const RunFacts& facts, RunReport& report);

}  // namespace spindle
