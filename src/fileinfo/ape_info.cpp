// Monkey's Audio: the copy of the source WAV header at offset 40.
#include "fileinfo/format_readers.h"

namespace spindle {

std::optional<std::uint32_t> ApeDuration(const ByteSource& file) {
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
    return static_cast<std::uint32_t>(RoundHalfEven(data / bytesPerSecond)) & 0xFFFF;
}

}  // namespace spindle
