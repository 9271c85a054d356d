// MPEG video: from the time code of the first group of pictures to that of the last.
// Broadcast material often starts its time codes at 01:00:00; a file that starts at
// zero, or holds one group alone, measures as the last time code.
#include "fileinfo/format_readers.h"

namespace spindle {
namespace {

const std::string_view kGroupStart("\x00\x00\x01\xB8", 4);

std::optional<std::uint32_t> TimeCodeAt(const ByteSource& file, std::uint64_t at) {
    unsigned char code[4];
    if (!ReadExact(file, at + 4, code, 4)) {
        return std::nullopt;
    }
    const std::uint32_t t = ReadBE32(code);
    return ((t >> 26) & 31) * 3600 + ((t >> 20) & 63) * 60 + ((t >> 13) & 63);
}

// Where the first group starts, searched from the start in windows that overlap by the
// length of the start code less one.
std::optional<std::uint64_t> FirstGroup(const ByteSource& file) {
    constexpr std::size_t kWindow = 64 * 1024;
    for (std::uint64_t position = 0; position < file.Size(); position += kWindow - 3) {
        const std::string window = ReadBytes(file, position, kWindow);
        const std::size_t k = FindBytes(window, kGroupStart);
        if (k != std::string::npos) {
            return position + k;
        }
        if (window.size() < kWindow) {
            break;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::uint32_t> MpegVideoDuration(const ByteSource& file) {
    const std::uint64_t size = file.Size();
    if (size < 8195) {
        return std::nullopt;
    }
    std::uint64_t position = size - 3;
    while (position >= 8195) {
        position -= 8195;
        const std::string window = ReadBytes(file, position, 8192);
        const std::size_t k = FindBytes(window, kGroupStart);
        if (k != std::string::npos) {
            const auto last = TimeCodeAt(file, position + k);
            if (!last) {
                return std::nullopt;
            }
            const std::optional<std::uint64_t> firstAt = FirstGroup(file);
            if (!firstAt || *firstAt == position + k) {
                return last;
            }
            const std::uint32_t first = TimeCodeAt(file, *firstAt).value_or(0);
            return first <= *last ? *last - first : *last;
        }
    }
    return std::nullopt;
}

}  // namespace spindle
