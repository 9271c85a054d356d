#pragma once

#include <string>
#include <vector>

#include "stationdb/station_db.h"

namespace spindle::test {

// Records `plays` as a run of the hours from `from` up to `to` would: tracks of three
// minutes, each in the hour it starts in, named by nothing but what the database keeps.
inline DbStatus RecordPlays(StationDb& db, TDateTime from, TDateTime to,
                            const std::vector<Airing>& plays) {
    std::vector<LogAiring> airings;
    for (const Airing& play : plays) {
        const std::int64_t at = ClockSeconds(play.AiredAt);
        airings.push_back({at, at - at % 3600, 0, play.Path, play.Category, 180});
    }
    return db.RecordRun({ClockSeconds(from), ClockSeconds(to), AiringSource::Run, {}, 0}, airings,
                        [](const std::string&, const RecordingFacts* kept) {
                            return kept != nullptr ? *kept : RecordingFacts{};
                        });
}

}  // namespace spindle::test
