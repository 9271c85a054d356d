// Monkey's Audio. Files of encoders from version 3.98 on start with a descriptor that
// says where the header with the frame counts is; older ones carry a copy of the source
// WAV header at offset 40.
#include "fileinfo/format_readers.h"

namespace spindle {
namespace {

std::optional<std::uint32_t> FromSourceHeader(const ByteSource& file) {
    const std::string h = ReadBytes(file, 40, 38);
    if (h.size() < 32 || h.compare(0, 4, "RIFF") != 0 || h.compare(8, 4, "WAVE") != 0 ||
        h.compare(12, 4, "fmt ") != 0) {
        return std::nullopt;
    }
    const unsigned char* b = Bytes(h);
    const std::uint32_t riffSize = ReadLE32(b + 4);
    const std::uint32_t fmtSize = ReadLE32(b + 16);
    if (fmtSize < 12) {
        return std::nullopt;
    }
    const std::uint32_t bytesPerSecond = ReadLE32(b + 28);
    if (bytesPerSecond == 0) {
        return std::nullopt;
    }
    std::uint32_t extra = 0;
    if (fmtSize >= 18) {
        if (h.size() < 38) {
            return std::nullopt;
        }
        extra = ReadLE16(b + 36);
    }
    const double data = static_cast<double>(riffSize) - fmtSize - extra;
    if (data <= 0) {
        return 0;
    }
    return RoundedSeconds(data / bytesPerSecond);
}

// The descriptor (its own length at 8) and, after it, the header: blocks per frame at
// 4, the final frame's blocks at 8, the frame count at 12 and the sample rate at 20.
std::optional<std::uint32_t> FromDescriptor(const ByteSource& file) {
    const std::string d = ReadBytes(file, 0, 12);
    if (d.size() < 12 || d.compare(0, 4, "MAC ") != 0 || ReadLE16(Bytes(d) + 4) < 3980) {
        return std::nullopt;
    }
    const std::uint32_t descriptorBytes = ReadLE32(Bytes(d) + 8);
    const std::string h = ReadBytes(file, descriptorBytes, 24);
    if (descriptorBytes < 12 || h.size() < 24) {
        return std::nullopt;
    }
    const std::uint64_t blocksPerFrame = ReadLE32(Bytes(h) + 4);
    const std::uint64_t finalBlocks = ReadLE32(Bytes(h) + 8);
    const std::uint64_t frames = ReadLE32(Bytes(h) + 12);
    const std::uint32_t rate = ReadLE32(Bytes(h) + 20);
    if (rate == 0 || frames == 0) {
        return std::nullopt;
    }
    const std::uint64_t blocks = (frames - 1) * blocksPerFrame + finalBlocks;
    return RoundedSeconds(static_cast<double>(blocks) / rate);
}

}  // namespace

std::optional<std::uint32_t> ApeDuration(const ByteSource& file) {
    if (auto seconds = FromSourceHeader(file)) {
        return seconds;
    }
    return FromDescriptor(file);
}

}  // namespace spindle
