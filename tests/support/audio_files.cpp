#include "support/audio_files.h"

namespace spindle::test {

std::string Mp3Bytes(unsigned seconds) {
    // 128 kbit/s, 44100 Hz, joint stereo: the Xing header sits 36 bytes into the frame.
    std::string bytes(417, '\0');
    const unsigned char header[4] = {0xFF, 0xFB, 0x90, 0x40};
    bytes.replace(0, 4, reinterpret_cast<const char*>(header), 4);
    bytes.replace(36, 4, "Xing");
    bytes[43] = 0x01;  // flags: frame count present
    const unsigned frames = (seconds * 44100 + 1151) / 1152;
    bytes[44] = static_cast<char>(frames >> 24);
    bytes[45] = static_cast<char>(frames >> 16);
    bytes[46] = static_cast<char>(frames >> 8);
    bytes[47] = static_cast<char>(frames);
    return bytes + std::string(64, '\0');
}

std::string WriteMp3(const TempDir& dir, const std::string& name, unsigned seconds) {
    return dir.Write(name, Mp3Bytes(seconds));
}

}  // namespace spindle::test
