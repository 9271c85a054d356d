#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/operator.h"

namespace spindle {

// A reader of one audio or video format: the playing time in seconds (before it is cut
// to 16 bits), 0 when the file holds no header it knows.
using FormatReader = std::uint32_t (*)(const std::string& path, Operator& op);

// The reader for a lower-case extension with its dot (".wav", ".aiff"), or nullptr when
// the program reads no duration from such files.
FormatReader FindFormatReader(std::string_view extension);

}  // namespace spindle
