// AIFF and AIFC: sample frames over the sample rate of the COMM chunk.
#include <cmath>

#include "fileinfo/format_readers.h"

namespace spindle {
namespace {

// An IEEE 754 80-bit extended value, big-endian.
double Extended80(const unsigned char* b) {
    const int exponent = ((b[0] & 0x7F) << 8) | b[1];
    std::uint64_t mantissa = 0;
    for (int i = 2; i < 10; ++i) {
        mantissa = (mantissa << 8) | b[i];
    }
    if (exponent == 0x7FFF) {
        return NAN;
    }
    const double value = std::ldexp(static_cast<double>(mantissa), exponent - 16383 - 63);
    return (b[0] & 0x80) != 0 ? -value : value;
}

}  // namespace

std::optional<std::uint32_t> AiffDuration(const ByteSource& file) {
    const std::string form = ReadBytes(file, 0, 12);
    if (form.size() < 12 || form.compare(0, 4, "FORM") != 0) {
        return std::nullopt;
    }
    const std::uint64_t at = form.compare(8, 4, "AIFC") == 0 ? 24 : 12;
    const std::string comm = ReadBytes(file, at, 26);
    if (comm.size() < 26 || comm.compare(0, 4, "COMM") != 0) {
        return std::nullopt;
    }
    const std::uint32_t frames = ReadBE32(Bytes(comm) + 10);
    const double rate = Extended80(Bytes(comm) + 16);
    if (!(rate > 0) || !std::isfinite(rate)) {
        return std::nullopt;
    }
    const double seconds = std::trunc(frames / rate);
    return seconds >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(seconds);
}

}  // namespace spindle
