#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "editor/playlist_document.h"
#include "generator/run_report.h"

namespace spindle {

class Station;
class RulesCache;

// What making hours of a log again did.
struct RegenerateOutcome {
    bool Done = false;
    // Why nothing was changed; empty when done.
    std::string Problem;
    std::vector<std::uint64_t> NewIds;
    // Each rule a track after the hours now breaks that it kept before, as a line.
    std::vector<std::string> Conflicts;
    // Each pick of the new hours that had to break a rule because every candidate did.
    std::vector<std::string> Relaxed;
    long TracksBefore = 0;
    long TracksAfter = 0;
};

// Makes hours `from` to `to` (both included) of the document again, as the run that made
// the log would have: the station's Schedules, Rotations, Categories and rules, the hour
// fit, with the log's tracks before the hours looked back at and those after them kept
// apart from as if they had played first. The hours' items are replaced in the document
// (one Undo takes them back); nothing outside them changes. The station's last uses stay
// as they were: the saved log records them. `seed` makes the choices repeatable; `cache`
// keeps the station's rules read for the next edit.
RegenerateOutcome RegenerateHours(PlaylistDocument& document, Station& station, LogHour from,
                                  LogHour to, RunReport& report,
                                  std::optional<std::uint32_t> seed = std::nullopt,
                                  RulesCache* cache = nullptr);

}  // namespace spindle
