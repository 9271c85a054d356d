#include "support/audio_files.h"

#include "fileinfo/silent_mp3.h"

namespace spindle::test {

std::string WriteMp3(const TempDir& dir, const std::string& name, unsigned seconds) {
    return dir.Write(name, SilentMp3Bytes(seconds));
}

std::string ShortcutBytes(const std::string& relative) {
    std::string lnk(0x4C, '\0');
    lnk[0] = 0x4C;
    const unsigned char clsid[16] = {0x01, 0x14, 0x02, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
    lnk.replace(4, 16, reinterpret_cast<const char*>(clsid), 16);
    lnk[0x14] = 0x08;  // a relative path follows
    return lnk + static_cast<char>(relative.size()) + '\0' + relative;
}

}  // namespace spindle::test
