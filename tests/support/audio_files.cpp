#include "support/audio_files.h"

#include "fileinfo/silent_mp3.h"

namespace spindle::test {

std::string WriteMp3(const TempDir& dir, const std::string& name, unsigned seconds) {
    return dir.Write(name, SilentMp3Bytes(seconds));
}

namespace {

std::string SyncSafe(std::size_t n) {
    return {static_cast<char>(n >> 21 & 0x7F), static_cast<char>(n >> 14 & 0x7F),
            static_cast<char>(n >> 7 & 0x7F), static_cast<char>(n & 0x7F)};
}

}  // namespace

std::string Id3v2Tag(const std::vector<std::pair<std::string, std::string>>& frames) {
    std::string body;
    for (const auto& [id, text] : frames) {
        std::string data = "\x03" + text;  // UTF-8
        if (id.starts_with("TXXX:")) {
            data = "\x03" + id.substr(5) + '\0' + text;
        }
        body += id.substr(0, 4) + SyncSafe(data.size()) + std::string(2, '\0') + data;
    }
    return std::string("ID3\x04\0\0", 6) + SyncSafe(body.size()) + body;
}

std::string ShortcutBytes(const std::string& relative, const std::string& base) {
    std::string lnk(0x4C, '\0');
    lnk[0] = 0x4C;
    const unsigned char clsid[16] = {0x01, 0x14, 0x02, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
    lnk.replace(4, 16, reinterpret_cast<const char*>(clsid), 16);
    lnk[0x14] = base.empty() ? 0x08 : 0x0A;  // a relative path follows, after the link info
    if (!base.empty()) {
        // Header, a volume of 0x11 bytes, the base path and an empty suffix after it.
        const auto u32 = [](std::size_t v) {
            return std::string{static_cast<char>(v), static_cast<char>(v >> 8), '\0', '\0'};
        };
        const std::size_t at = 0x1C + 0x11;
        lnk += u32(at + base.size() + 2) + u32(0x1C) + u32(1) + u32(0x1C) + u32(at) + u32(0) +
               u32(at + base.size() + 1) + u32(0x10) + u32(3) + u32(0) + u32(0x10) +
               std::string(1, '\0') + base + std::string(2, '\0');
    }
    return lnk + static_cast<char>(relative.size()) + '\0' + relative;
}

}  // namespace spindle::test
