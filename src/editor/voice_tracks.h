#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/format_settings.h"
#include "editor/playlist_document.h"

namespace spindle {

// The file of the next voice track recorded in an hour: the folder, the hour as
// "mmmddhh-", one more than the highest two-digit number of the hour's "<Voice Track>"
// rows, and "#<intro seconds>" when an intro timing is given, then ".wav". A name whose
// file exists already is passed over, so no recording is ever overwritten.
std::string NextVoiceTrackName(const std::string& folder, TDateTime hourStart, const HourView& view,
                               std::optional<int> introSeconds, const FormatSettings& settings);

// Creates the empty 44-byte WAV the recording program records into, and its folder
// (not the folders above it: a share that is not mounted stays missing) when there is
// none; false when the file cannot be made or exists already.
bool WriteVoiceTrackPlaceholder(const std::string& path);

// Whether the recording program put anything into the placeholder.
bool RecordingMade(const std::string& path);

// The next voice-track placeholder after `after` (from the start when none) that is not
// removed; placeholders whose text is empty are not looked for.
std::optional<std::uint64_t> FindNextMarker(const PlaylistDocument& document,
                                            std::optional<std::uint64_t> after);

// Where a recording goes when Record is pressed on `selected` (none: the hour's end).
struct RecordTarget {
    std::string Path;                    // the file recorded into
    std::optional<std::uint64_t> Again;  // a recorded voice track, recorded again
};
// A recorded voice track is recorded again at its own path; anything else gets a new
// file in `folder`.
RecordTarget ChooseRecordTarget(const PlaylistDocument& document,
                                std::optional<std::uint64_t> selected, const std::string& folder,
                                LogHour shown, std::optional<int> introSeconds,
                                const FormatSettings& settings);

// Puts a new recording into the document: in place of the selected placeholder, else
// at the current position. Gives the new item's id (0 when the hour holds nothing).
std::uint64_t PutRecording(PlaylistDocument& document, LogHour shown,
                           std::optional<std::uint64_t> selected, const std::string& path,
                           std::uint32_t duration);

}  // namespace spindle
