#include "fileinfo/silent_mp3.h"

namespace spindle {

std::string SilentMp3Bytes(unsigned seconds) {
    // 128 kbit/s, 44100 Hz, joint stereo: the Xing header sits 36 bytes into the frame.
    std::string bytes(417 + 64, '\0');
    const unsigned char header[4] = {0xFF, 0xFB, 0x90, 0x40};
    bytes.replace(0, 4, reinterpret_cast<const char*>(header), 4);
    bytes.replace(36, 4, "Xing");
    bytes[43] = 0x01;  // flags: the frame count is present
    const unsigned frames = (seconds * 44100 + 1151) / 1152;
    bytes[44] = static_cast<char>(frames >> 24);
    bytes[45] = static_cast<char>(frames >> 16);
    bytes[46] = static_cast<char>(frames >> 8);
    bytes[47] = static_cast<char>(frames);
    return bytes;
}

}  // namespace spindle
