#pragma once

#include <string>

namespace spindle {

// The bytes of a tiny MPEG-1 Layer III file (one silent frame with a Xing frame count)
// whose header gives a playing time of `seconds` whole seconds. Demo stations and
// benchmarks fill their libraries with these.
std::string SilentMp3Bytes(unsigned seconds);

}  // namespace spindle
