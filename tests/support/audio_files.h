#pragma once

#include <string>
#include <utility>
#include <vector>

#include "support/temp_dir.h"

namespace spindle::test {

// A tiny valid MP3 file (one MPEG-1 Layer III frame with a Xing frame count) that plays
// for `seconds` whole seconds by its header. Written under `dir`, folders made as needed.
std::string WriteMp3(const TempDir& dir, const std::string& name, unsigned seconds);

// An ID3v2.4 tag of UTF-8 text frames, each an id ("TPE1") and its text; "TXXX:NAME" is a
// free text frame named NAME.
std::string Id3v2Tag(const std::vector<std::pair<std::string, std::string>>& frames);

// A minimal Windows shell link that leads, by its relative path, to `relative` (with "\"
// between folders).
std::string ShortcutBytes(const std::string& relative, const std::string& base = {});

}  // namespace spindle::test
