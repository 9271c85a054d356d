// AVI: microseconds per frame times the total frames of the main header.
#include "fileinfo/format_readers.h"

namespace spindle {

std::optional<std::uint32_t> AviDuration(const ByteSource& file) {
    const std::string h = ReadBytes(file, 0, 52);
    if (h.size() < 52 || h.compare(24, 4, "avih") != 0) {
        return std::nullopt;
    }
    const std::uint64_t micro = ReadLE32(Bytes(h) + 32);
    const std::uint64_t frames = ReadLE32(Bytes(h) + 48);
    return static_cast<std::uint32_t>(micro * frames / 1000000);
}

}  // namespace spindle
