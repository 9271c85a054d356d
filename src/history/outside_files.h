#pragma once

// What the playout system and the station's streaming statistics hand back: the as-run
// log and the listener figures.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "stationdb/history.h"

namespace spindle {

// The as-run log the example Liquidsoap script appends to: one line for each file the
// playout started, "YYYY-MM-DD HH:MM:SS", a tab, and the file's path. Blank lines and
// lines beginning with "#" say nothing; any other line that does not read so is listed by
// its number.
struct AsRunRead {
    std::vector<AsRunLine> Lines;
    std::vector<std::size_t> BadLines;
};
AsRunRead ReadAsRunLog(std::string_view text);

// Listener figures: a CSV of the hour ("YYYY-MM-DD HH", with ":MM" allowed and ignored)
// and its average listeners. A first line that names its columns (its first field no date)
// is skipped; a line that does not read is named in Problems and left out; of two lines
// of one hour, the later holds.
struct ListenerFigures {
    std::vector<std::pair<std::int64_t, double>> Hours;  // hour start in seconds, listeners
    std::vector<std::string> Problems;
};
ListenerFigures ReadListenerFigures(std::string_view text);

// "YYYY-MM-DD" from 1900 on (and, with `withTime`, " HH:MM:SS", or " HH" / " HH:MM" when
// `hourOnly`) as seconds on the station's clock; false when it is no such date and time.
bool ReadStamp(std::string_view text, bool withTime, bool hourOnly, std::int64_t& seconds);

}  // namespace spindle
