#pragma once

#include <string>

#include "base/format_settings.h"
#include "outputs/playlist_log.h"
#include "stationdb/history.h"

namespace spindle {

// The items of a Playlist Log that go on the air (tracks, spots, intros, outros and voice
// items; never markers, notes or continuations), at the clock times its pages and
// playlists give them, with the hours the log covers.
RunHistory HistoryOfLog(const LogContents& log, AiringSource source, const std::string& name);

// The same, read from the Playlist Log `file`; empty hours when it cannot be read, with the
// message in `problem`.
RunHistory ReadLogHistory(const std::string& file, const FormatSettings& settings,
                          AiringSource source, std::string& problem);

}  // namespace spindle
