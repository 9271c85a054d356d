// WAV: the audio bytes over the average bytes per second. A plain file (its format chunk
// first, its sizes true) is measured as the RIFF size less the format chunk; any other
// layout by its "data" chunk, never counting more bytes than the file holds.
#include <cmath>

#include "fileinfo/format_readers.h"

namespace spindle {
namespace {

constexpr std::uint32_t kUnknownSize = 0xFFFFFFFF;  // what streaming recorders leave

struct WavLayout {
    std::uint64_t FmtAt = 0;  // where the "fmt " chunk's body starts; 0 when not found
    std::uint32_t FmtSize = 0;
    std::uint64_t DataAt = 0;  // where the "data" chunk's body starts; 0 when not found
    std::uint32_t DataSize = 0;
};

// Walks the chunks after the RIFF header; chunk bodies are padded to an even length.
WavLayout WalkChunks(const ByteSource& file) {
    WavLayout layout;
    const std::uint64_t size = file.Size();
    std::uint64_t pos = 12;
    for (int n = 0; n < 1000 && pos + 8 <= size; ++n) {
        unsigned char head[8];
        if (!ReadExact(file, pos, head, 8)) {
            break;
        }
        const std::string_view id(reinterpret_cast<char*>(head), 4);
        const std::uint32_t chunkSize = ReadLE32(head + 4);
        if (id == "fmt " && layout.FmtAt == 0) {
            layout.FmtAt = pos + 8;
            layout.FmtSize = chunkSize;
        } else if (id == "data" && layout.DataAt == 0) {
            layout.DataAt = pos + 8;
            layout.DataSize = chunkSize;
        }
        if (layout.FmtAt != 0 && layout.DataAt != 0) {
            break;
        }
        pos += 8 + std::uint64_t{chunkSize} + (chunkSize & 1);
    }
    return layout;
}

}  // namespace

std::optional<std::uint32_t> WavDuration(const ByteSource& file) {
    const std::uint64_t size = file.Size();
    if (size < 44) {
        return std::nullopt;
    }
    unsigned char header[12];
    if (!ReadExact(file, 0, header, sizeof header) ||
        std::string_view(reinterpret_cast<char*>(header), 4) != "RIFF" ||
        std::string_view(reinterpret_cast<char*>(header + 8), 4) != "WAVE") {
        return std::nullopt;
    }
    const std::uint32_t riffSize = ReadLE32(header + 4);
    const WavLayout layout = WalkChunks(file);
    unsigned char fmt[16];
    if (layout.FmtAt == 0 || layout.FmtSize < 12 || !ReadExact(file, layout.FmtAt, fmt, 16)) {
        return std::nullopt;
    }
    const std::uint32_t bytesPerSecond = ReadLE32(fmt + 8);
    if (bytesPerSecond == 0) {
        return std::nullopt;
    }
    double data = 0;
    const bool plain =
        layout.FmtAt == 20 && riffSize != kUnknownSize && std::uint64_t{riffSize} + 8 <= size &&
        (layout.DataAt == 0 ||
         (layout.DataSize != kUnknownSize && layout.DataAt + layout.DataSize <= size));
    if (plain) {
        std::uint32_t extra = 0;
        if (layout.FmtSize > 17) {
            unsigned char extraBytes[2];
            if (!ReadExact(file, layout.FmtAt + 16, extraBytes, 2)) {
                return std::nullopt;
            }
            extra = ReadLE16(extraBytes);
        }
        data = static_cast<double>(riffSize) - layout.FmtSize - extra;
    } else if (layout.DataAt != 0) {
        const std::uint64_t held = size > layout.DataAt ? size - layout.DataAt : 0;
        const std::uint64_t declared = layout.DataSize == kUnknownSize || layout.DataSize == 0
                                           ? held
                                           : std::uint64_t{layout.DataSize};
        data = static_cast<double>(std::min(declared, held));
    }
    if (data <= 0) {
        return 0;
    }
    return RoundedSeconds(data / bytesPerSecond);
}

}  // namespace spindle
