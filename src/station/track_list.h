#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/format_settings.h"
#include "station/details.h"

namespace spindle {

// One line of a saved track list: "path*lastUsed?duration|fileDate".
struct SavedTrack {
    std::string FileName;
    TDateTime LastUsed = 0.0;
    std::uint16_t Duration = 0;
    TDateTime FileDate = 0.0;
};

// The track-list file name of a group: "Name.dat", or "{Name}.dat" for a Spot Group.
// A group's own list goes by the name its saved definitions give it (ListName).
std::string TrackListFileName(const TCustomDetails& group);
std::string TrackListFileName(const std::string& name, GroupKind kind);

// Why a group of this name can have no track list of its own: the file would lie
// outside the data folder, or be one of the station's own files (a data file, or a
// Spot Group's track list named by a Category in braces). Empty when the name is fine.
std::string TrackListNameProblem(const std::string& name, GroupKind kind);
inline bool IsTrackListName(const std::string& name, GroupKind kind) {
    return TrackListNameProblem(name, kind).empty();
}

// The parts of a track-list line "path*lastUsed?duration|fileDate". The markers are
// looked for from the end: the values never hold them, while a file name may. Nothing
// when a marker is missing.
struct TrackListFields {
    std::string_view Path;
    std::string_view LastUsed;
    std::string_view Duration;
    std::string_view FileDate;
};
std::optional<TrackListFields> SplitTrackListLine(std::string_view line);

// Where the track list `fileName` of a data folder is: under that name, or, in a folder
// brought from a Windows station, under its name in Windows-1252; `fileName` in the
// folder when neither exists.
std::filesystem::path FindTrackListFile(const std::filesystem::path& dataFolder,
                                        const std::string& fileName);

// Reads a saved track list. A line without its three markers ends the reading; a line
// for which `exists` says no is skipped (with no `exists`, every line is kept); a line
// whose values do not convert is kept with those values 0 and reported through
// `badLine` (its path).
std::vector<SavedTrack> ReadTrackList(const std::filesystem::path& file,
                                      const std::function<bool(const std::string&)>& exists,
                                      const FormatSettings& settings,
                                      const std::function<void(const std::string&)>& badLine);

// Whether a path names an existing file (links followed).
bool IsExistingFile(const std::string& path);

// The file text of a track list: one line per track, leaving out tracks with neither a
// duration nor a last use.
std::string TrackListText(const std::vector<FileRec>& files, const FormatSettings& settings);

// A date-time of a data file: with the settings' decimal separator, or with "." or ","
// for files written under another locale.
std::optional<double> ReadDataFloat(std::string_view text, const FormatSettings& settings);

}  // namespace spindle
