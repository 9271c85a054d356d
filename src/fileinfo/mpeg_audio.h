#pragma once

#include <cstdint>
#include <string>

#include "fileinfo/byte_source.h"

namespace spindle {

// What the MPEG audio reader learns of a file; the duration is its result.
struct MpegHeaderInfo {
    std::uint16_t Duration = 0;      // whole seconds
    std::uint32_t StreamBytes = 0;   // bytes behind the estimate: file size or VBRI byte count
    std::uint8_t Version = 0;        // 0 invalid, 1 MPEG-1, 2 MPEG-2, 3 MPEG-2.5
    std::uint8_t Layer = 0;          // 0 invalid, 1 to 3
    std::uint32_t SampleRate = 0;    // Hz
    std::uint32_t Bitrate = 0;       // kbit/s
    std::uint8_t ChannelMode = 0;    // 0 stereo, 1 joint, 2 dual, 3 single channel
    std::uint8_t ProtectionBit = 0;  // 1 means no CRC
    std::uint8_t Padding = 0;
    std::uint16_t FrameLength = 0;  // bytes, header included
};

// Decodes a frame header (first byte in the top bits) into `info`, with the
// constant-bitrate estimate from info.StreamBytes. True when the header is valid.
bool ParseFrameHeader(std::uint32_t header, MpegHeaderInfo& info);

// Finds the first frame (past an ID3v2 tag and any junk), estimates the duration from
// the bitrate, and takes the exact one from a Xing or VBRI frame count.
MpegHeaderInfo ReadMpegAudio(const ByteSource& source);

// Duration of an ".mp3"/".mp2" file; 0 for a file that is missing or unreadable.
std::uint16_t MpegAudioDuration(const std::string& path);

}  // namespace spindle
