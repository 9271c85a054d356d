// OTS media files: the quotient of the two values at 74 and 70.
#include "fileinfo/format_readers.h"

namespace spindle {

std::optional<std::uint32_t> OtsDuration(const ByteSource& file) {
    const std::string h = ReadBytes(file, 0, 78);
    if (h.size() < 78 || h.compare(0, 10, "Ots^Media!") != 0 || h.compare(40, 4, "Ots!") != 0) {
        return std::nullopt;
    }
    const std::uint32_t divisor = ReadLE32(Bytes(h) + 70);
    if (divisor == 0) {
        return std::nullopt;
    }
    return ReadLE32(Bytes(h) + 74) / divisor;
}

}  // namespace spindle
