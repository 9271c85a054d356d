#pragma once

#include <string>
#include <vector>

#include "editor/playlist_document.h"
#include "generator/run_report.h"
#include "outputs/playlist_log.h"
#include "station/station.h"
#include "support/scripted_operator.h"

namespace spindle::test {

// The outcome of one generation run of a station.
struct RunResult {
    bool Ok = false;
    std::vector<std::string> Lines;   // the progress window
    long Problems = 0;                // the messages and lines the operator must see
    LogContents Log;                  // the Playlist Log read back
    std::vector<std::string> RawLog;  // its lines as written

    bool HasLine(const std::string& text) const;
    bool HasLineStartingWith(const std::string& text) const;
    // The log lines of item type `type`.
    std::vector<LogLine> ItemsOfType(int type) const;
    // Their texts (a track's path, a note's text).
    std::vector<std::string> ItemTexts(int type) const;
};

// Runs a generation with `op` answering and reads back the Playlist Log it wrote.
RunResult Generate(Station& station, Operator& op);

// How many items of a Playlist Log go on the air (tracks, spots, intros, outros, voice
// items), counted from its lines as read.
std::size_t OnAirItems(const LogContents& log);

// The ids of an hour's rows in the Playlist Editor's document, in view order.
std::vector<std::uint64_t> RowIds(const PlaylistDocument& doc, LogHour hour);

}  // namespace spindle::test
