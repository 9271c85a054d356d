#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "editor/playlist_document.h"

namespace spindle {

// The files of the selected rows in view order, for playing them: notes and markers are
// left out ("<other>" files are played).
std::vector<std::string> PreviewFiles(const HourView& view,
                                      const std::vector<std::uint64_t>& selected);

// Where the preview list is written: a folder of the user's own ($XDG_RUNTIME_DIR, else
// the temporary folder), never the station's data folder.
std::string PreviewListPath();

// Writes the list ("#EXTM3U" first, UTF-8); false when it cannot be written.
bool WritePreviewList(const std::string& path, const std::vector<std::string>& files);

}  // namespace spindle
