#pragma once

#include <string>

#include "support/temp_dir.h"

namespace spindle::test {

// A tiny valid MP3 file (one MPEG-1 Layer III frame with a Xing frame count) that plays
// for `seconds` whole seconds by its header. Written under `dir`, folders made as needed.
std::string WriteMp3(const TempDir& dir, const std::string& name, unsigned seconds);

// A minimal Windows shell link that leads, by its relative path, to `relative` (with "\"
// between folders).
std::string ShortcutBytes(const std::string& relative);

}  // namespace spindle::test
