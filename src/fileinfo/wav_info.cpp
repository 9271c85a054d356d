// WAV: the RIFF size less the format chunk, over the average bytes per second.
#include <cmath>

#include "fileinfo/format_readers.h"

namespace spindle {

std::optional<std::uint32_t> WavDuration(const ByteSource& file) {
    const std::uint64_t size = file.Size();
    if (size < 44) {
        return std::nullopt;
    }
    unsigned char header[16];
    if (!ReadExact(file, 0, header, sizeof header) ||
        std::string_view(reinterpret_cast<char*>(header), 4) != "RIFF" ||
        std::string_view(reinterpret_cast<char*>(header + 8), 4) != "WAVE") {
        return std::nullopt;
    }
    const std::uint32_t riffSize = ReadLE32(header + 4);
    std::uint64_t pos = 12;
    unsigned char id[4];
    // Chunks before "fmt " are skipped; every step moves on, so the walk ends.
    for (;;) {
        if (!ReadExact(file, pos, id, 4)) {
            return std::nullopt;
        }
        pos += 4;
        if (std::string_view(reinterpret_cast<char*>(id), 4) == "fmt ") {
            break;
        }
        unsigned char sizeBytes[4];
        if (!ReadExact(file, pos, sizeBytes, 4)) {
            return std::nullopt;
        }
        pos += 4;
        const std::uint32_t chunkSize = ReadLE32(sizeBytes);
        if (pos + chunkSize + 20 > size) {
            return std::nullopt;
        }
        pos += chunkSize;
    }
    unsigned char fmt[20];
    if (!ReadExact(file, pos, fmt, 16)) {
        return std::nullopt;
    }
    const std::uint32_t fmtSize = ReadLE32(fmt);
    if (fmtSize < 12) {
        return std::nullopt;
    }
    const std::uint32_t bytesPerSecond = ReadLE32(fmt + 12);
    if (bytesPerSecond == 0) {
        return std::nullopt;
    }
    std::uint32_t extra = 0;
    if (fmtSize > 17) {
        unsigned char extraBytes[2];
        if (!ReadExact(file, pos + 20, extraBytes, 2)) {
            return std::nullopt;
        }
        extra = ReadLE16(extraBytes);
    }
    const double data = static_cast<double>(riffSize) - fmtSize - extra;
    if (data <= 0) {
        return 0;
    }
    return static_cast<std::uint32_t>(RoundHalfEven(data / bytesPerSecond)) & 0xFFFF;
}

}  // namespace spindle
