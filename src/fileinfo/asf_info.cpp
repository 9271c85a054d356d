// ASF, WMA and WMV: the File Properties object's play duration less its preroll.
#include "fileinfo/format_readers.h"

namespace spindle {
namespace {
// The header object is read only so far; real headers are a few kilobytes.
constexpr std::size_t kMaxHeader = 16 << 20;
}  // namespace

std::optional<std::uint32_t> AsfDuration(const ByteSource& file) {
    static const std::string_view kHeaderGuid("\x30\x26\xB2\x75\x8E\x66\xCF\x11", 8);
    static const std::string_view kFilePropertiesGuid("\xA1\xDC\xAB\x8C\x47\xA9\xCF\x11", 8);
    const std::string start = ReadBytes(file, 0, 20);
    if (start.size() < 20 || std::string_view(start).substr(0, 8) != kHeaderGuid) {
        return std::nullopt;
    }
    const std::uint32_t n = ReadLE32(Bytes(start) + 16);
    const std::string header = ReadBytes(file, 20, std::min<std::size_t>(n, kMaxHeader));
    const std::size_t found = FindBytes(header, kFilePropertiesGuid);
    if (found == std::string::npos) {
        return std::nullopt;
    }
    const std::uint64_t p = found + 1;
    unsigned char play[8];
    unsigned char preroll[8];
    if (!ReadExact(file, p + 83, play, 8) || !ReadExact(file, p + 99, preroll, 8)) {
        return std::nullopt;
    }
    const auto playMs = static_cast<std::int64_t>(ReadLE64(play) / 10000);
    const auto prerollMs = static_cast<std::int64_t>(ReadLE64(preroll) & 0x7FFFFFFFFFFFFFFFull);
    const std::int64_t seconds = (playMs - prerollMs) / 1000;
    if (seconds <= 0) {
        return 0;
    }
    return static_cast<std::uint32_t>(std::min<std::int64_t>(seconds, 0xFFFFFFFF));
}

}  // namespace spindle
