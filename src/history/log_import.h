#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace spindle {

class Station;

struct LogImport {
    int Logs = 0;     // logs that brought airings
    int Airings = 0;  // airings recorded
    std::vector<std::string> Problems;
};

// Fills the play history from the Playlist Logs in the station's log folder, the hours
// from `from` up to `to` (seconds) when given. The newest log (by when it was made) speaks
// for an hour two logs hold; an hour the history already holds is left as it is, so a
// second import of the same logs adds nothing.
LogImport ImportPlaylistLogs(const Station& station, std::optional<std::int64_t> from,
                             std::optional<std::int64_t> to);

}  // namespace spindle
