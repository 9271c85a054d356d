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
    // COMM may follow other chunks (a version, a comment, a name); chunk bodies are
    // padded to an even length.
    std::string comm;
    std::uint64_t at = 12;
    for (int n = 0; n < 1000 && comm.empty(); ++n) {
        const std::string head = ReadBytes(file, at, 8);
        if (head.size() < 8) {
            return std::nullopt;
        }
        const std::uint32_t chunkSize = ReadBE32(Bytes(head) + 4);
        if (head.compare(0, 4, "COMM") == 0) {
            comm = ReadBytes(file, at, 26);
            if (comm.size() < 26) {
                return std::nullopt;
            }
        }
        at += 8 + std::uint64_t{chunkSize} + (chunkSize & 1);
    }
    if (comm.empty()) {
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
