#include "support/audio_files.h"

#include "fileinfo/silent_mp3.h"

namespace spindle::test {

std::string Mp3Bytes(unsigned seconds) {
    return SilentMp3Bytes(seconds);
}

std::string WriteMp3(const TempDir& dir, const std::string& name, unsigned seconds) {
    return dir.Write(name, SilentMp3Bytes(seconds));
}

}  // namespace spindle::test
