// MPEG video: the time code of the last group of pictures.
#include "fileinfo/format_readers.h"

namespace spindle {

std::optional<std::uint32_t> MpegVideoDuration(const ByteSource& file) {
    const std::uint64_t size = file.Size();
    if (size < 8195) {
        return std::nullopt;
    }
    static const std::string_view kGroupStart("\x00\x00\x01\xB8", 4);
    std::uint64_t position = size - 3;
    while (position >= 8195) {
        position -= 8195;
        const std::string window = ReadBytes(file, position, 8192);
        const std::size_t k = FindBytes(window, kGroupStart);
        if (k != std::string::npos) {
            unsigned char code[4];
            if (!ReadExact(file, position + k + 4, code, 4)) {
                return std::nullopt;
            }
            const std::uint32_t t = ReadBE32(code);
            return ((t >> 26) & 31) * 3600 + ((t >> 20) & 63) * 60 + ((t >> 13) & 63);
        }
    }
    return std::nullopt;
}

}  // namespace spindle
