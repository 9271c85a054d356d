// Ogg Vorbis: the granule position of the last page over the sample rate.
#include <algorithm>

#include "fileinfo/format_readers.h"

namespace spindle {

std::optional<std::uint32_t> OggDuration(const ByteSource& file) {
    const std::uint64_t size = file.Size();
    if (size < 258) {
        return std::nullopt;
    }
    const std::string id = ReadBytes(file, 0, 44);
    if (id.size() < 44 || id.compare(29, 6, "vorbis") != 0 || id[39] == 0) {
        return std::nullopt;
    }
    const std::uint32_t rate = ReadLE32(Bytes(id) + 40);
    if (rate == 0) {
        return std::nullopt;
    }
    // The last page, searched from the end in windows of 258 bytes that overlap by 3.
    std::uint64_t position = size - 3;
    while (position > 254) {
        position -= 255;
        const std::string window = ReadBytes(file, position, 258);
        const std::size_t k = FindBytes(window, "OggS");
        if (k != std::string::npos) {
            unsigned char granule[8];
            if (!ReadExact(file, position + k + 6, granule, 8)) {
                return std::nullopt;
            }
            const auto samples = static_cast<std::int64_t>(ReadLE64(granule));
            if (samples <= 0) {
                return 0;
            }
            return RoundedSeconds(static_cast<double>(samples) / rate);
        }
    }
    return std::nullopt;
}

}  // namespace spindle
