#include "fileinfo/mpeg_audio.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

namespace spindle {
namespace {

// Indexed [version 1..3][bits 11-10].
constexpr std::uint32_t kSampleRates[4][4] = {
    {0, 0, 0, 0},
    {44100, 48000, 32000, 0},
    {22050, 24000, 16000, 0},
    {11025, 12000, 8000, 0},
};

// Indexed [table][bits 15-12]: MPEG-1 Layers I, II, III, then the low-sampling-frequency
// tables of MPEG-2 and 2.5 for Layer I and for Layers II and III.
constexpr std::uint32_t kBitrates[5][16] = {
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
};

std::uint32_t BitrateFor(int version, int layer, unsigned index) {
    if (version == 1) {
        return kBitrates[layer - 1][index];
    }
    return kBitrates[layer == 1 ? 3 : 4][index];
}

std::uint32_t FrameCoefficient(int version, int layer) {
    if (layer == 1) {
        return 48;
    }
    if (layer == 3 && version != 1) {
        return 72;
    }
    return 144;
}

int XingOffset(int version, int channelMode) {
    if (version == 1) {
        return channelMode == 3 ? 21 : 36;
    }
    return channelMode == 3 ? 13 : 21;
}

void ApplyVbrHeader(MpegHeaderInfo& info, const unsigned char* bytes, std::size_t frameOffset,
                    std::optional<std::size_t> byteOffset) {
    const std::uint32_t frames = ReadBE32(bytes + frameOffset);
    if (frames == 0 || info.SampleRate == 0) {
        return;
    }
    if (byteOffset) {
        info.StreamBytes = ReadBE32(bytes + *byteOffset);
    }
    const std::uint64_t samplesPerFrame = info.SampleRate < 32000 ? 576 : 1152;
    info.Duration =
        static_cast<std::uint16_t>((samplesPerFrame * frames / info.SampleRate) & 0xFFFF);
}

// A file position that, like the reader it serves, moves forward as bytes are read.
// Bytes come through a buffer, so the byte-by-byte search for a frame costs no more
// than reading the file once.
class Cursor {
public:
    explicit Cursor(const ByteSource& source) : source_(source), size_(source.Size()) {}

    std::uint64_t Position() const { return pos_; }
    std::uint64_t Size() const { return size_; }
    bool AtEnd() const { return pos_ >= size_; }
    void Seek(std::uint64_t pos) { pos_ = pos; }
    std::size_t Read(unsigned char* buffer, std::size_t count) {
        std::size_t got = 0;
        while (got < count && pos_ < size_) {
            if (pos_ < bufferStart_ || pos_ >= bufferStart_ + buffer_.size()) {
                bufferStart_ = pos_;
                // No bigger than what is left: most files are far smaller than a block.
                buffer_.resize(
                    static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, size_ - pos_)));
                buffer_.resize(source_.ReadAt(pos_, buffer_.data(), buffer_.size()));
                if (buffer_.empty()) {
                    size_ = pos_;  // a file that cannot be read further ends here
                    break;
                }
            }
            const std::size_t offset = static_cast<std::size_t>(pos_ - bufferStart_);
            const std::size_t n = std::min(count - got, buffer_.size() - offset);
            std::memcpy(buffer + got, buffer_.data() + offset, n);
            got += n;
            pos_ += n;
        }
        std::memset(buffer + got, 0, count - got);
        return got;
    }

private:
    static constexpr std::size_t kBlock = 64 * 1024;
    const ByteSource& source_;
    std::uint64_t size_;
    std::uint64_t pos_ = 0;
    std::uint64_t bufferStart_ = 0;
    std::string buffer_;
};

std::uint32_t SamplesPerFrame(const MpegHeaderInfo& info) {
    if (info.Layer == 1) {
        return 384;
    }
    return info.Layer == 3 && info.Version != 1 ? 576 : 1152;
}

// A file without a VBR header whose first frames differ in bitrate is variable, and
// the first frame's bitrate says nothing of the rest: its frames are counted. Nothing
// when the first frames agree (constant bitrate, where the estimate stands).
std::optional<std::uint16_t> CountedDuration(Cursor& file, std::uint64_t start,
                                             const MpegHeaderInfo& first) {
    constexpr std::uint64_t kProbeFrames = 32;
    std::uint64_t frames = 0;
    bool differs = false;
    MpegHeaderInfo frame;
    for (std::uint64_t pos = start;;) {
        file.Seek(pos);
        unsigned char b[4];
        if (file.Read(b, 4) < 4 || !ParseFrameHeader(ReadBE32(b), frame) ||
            frame.FrameLength == 0 || frame.Version != first.Version ||
            frame.Layer != first.Layer || frame.SampleRate != first.SampleRate) {
            break;
        }
        differs = differs || frame.Bitrate != first.Bitrate;
        if (!differs && frames >= kProbeFrames) {
            return std::nullopt;
        }
        ++frames;
        pos += frame.FrameLength;
    }
    if (!differs) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>((frames * SamplesPerFrame(first) / first.SampleRate) &
                                      0xFFFF);
}

}  // namespace

bool ParseFrameHeader(std::uint32_t header, MpegHeaderInfo& info) {
    if ((header & 0xFFE00000u) != 0xFFE00000u) {
        return false;
    }
    static constexpr std::uint8_t kVersions[4] = {3, 0, 2, 1};
    info.Version = kVersions[(header >> 19) & 3];
    if (info.Version == 0) {
        return false;
    }
    const unsigned layerBits = (header >> 17) & 3;
    info.Layer = layerBits == 0 ? 0 : static_cast<std::uint8_t>(4 - layerBits);
    info.SampleRate = kSampleRates[info.Version][(header >> 10) & 3];
    info.Bitrate = info.Layer != 0 ? BitrateFor(info.Version, info.Layer, (header >> 12) & 15) : 0;
    info.ProtectionBit = static_cast<std::uint8_t>((header >> 16) & 1);
    info.ChannelMode = static_cast<std::uint8_t>((header >> 6) & 3);
    info.Padding = static_cast<std::uint8_t>((header >> 9) & 1);
    info.Duration = info.Bitrate == 0
                        ? 0
                        : static_cast<std::uint16_t>((std::uint64_t{info.StreamBytes} * 8 /
                                                      (std::uint64_t{info.Bitrate} * 1000)) &
                                                     0xFFFF);
    info.FrameLength = 0;
    if (info.Bitrate >= 1 && info.SampleRate >= 1) {
        std::uint32_t length =
            FrameCoefficient(info.Version, info.Layer) * info.Bitrate * 1000 / info.SampleRate;
        if (info.Padding == 1) {
            length += info.Layer == 1 ? 4 : 1;
        }
        info.FrameLength = static_cast<std::uint16_t>(length);
    }
    return info.Version > 0 && info.Layer > 0 && info.Bitrate > 0 && info.SampleRate > 0;
}

MpegHeaderInfo ReadMpegAudio(const ByteSource& source) {
    MpegHeaderInfo info;
    Cursor file(source);
    const std::uint64_t size = file.Size();
    if (size <= 5) {
        return info;
    }
    const auto fileBytes = static_cast<std::uint32_t>(size);
    info.StreamBytes = fileBytes;
    std::int64_t frameStart = 0;
    bool valid = false;
    do {
        unsigned char b[4];
        const std::uint64_t readAt = file.Position();
        file.Read(b, 4);
        if (b[0] == 'I' && b[1] == 'D' && b[2] == '3' && b[3] >= 2 && b[3] <= 8) {
            unsigned char s[4] = {0, 0, 0, 0};
            if (source.ReadAt(6, s, 4) == 4) {
                const std::uint64_t tagEnd = std::uint64_t{s[0]} * 2097152 +
                                             std::uint64_t{s[1]} * 16384 +
                                             std::uint64_t{s[2]} * 128 + s[3] + 10;
                // A tag is only skipped forwards; a second "ID3" that would lead back
                // to the first tag's end is taken as ordinary bytes.
                if (tagEnd > readAt) {
                    file.Seek(tagEnd);
                    file.Read(b, 4);
                }
            }
        }
        std::uint32_t h = ReadBE32(b);
        bool parsed = ParseFrameHeader(h, info);
        while (!parsed && !file.AtEnd()) {
            unsigned char next = 0;
            file.Read(&next, 1);
            h = (h << 8) | next;
            parsed = ParseFrameHeader(h, info);
        }
        frameStart = static_cast<std::int64_t>(file.Position()) - 4;
        const std::int64_t remaining = static_cast<std::int64_t>(size) - frameStart -
                                       info.FrameLength + 2 * std::int64_t{info.ProtectionBit};
        valid = parsed;
        if (!valid || remaining <= 0) {
            info = MpegHeaderInfo{};
            info.StreamBytes = fileBytes;
            valid = false;
        } else {
            file.Seek(static_cast<std::uint64_t>(frameStart) + info.FrameLength);
            unsigned char skipped[4];
            file.Read(skipped, 4);
        }
    } while (!valid && !file.AtEnd());

    if (!valid || file.AtEnd()) {
        return info;
    }
    const auto start = static_cast<std::uint64_t>(frameStart);
    unsigned char probe[18];
    const bool have18 = source.ReadAt(start + 36, probe, sizeof probe) == sizeof probe;
    if (have18 && std::memcmp(probe, "VBRI", 4) == 0) {
        ApplyVbrHeader(info, probe, 14, 10);
        return info;
    }
    const int offset = XingOffset(info.Version, info.ChannelMode);
    bool haveXing = have18;
    if (offset != 36) {
        haveXing = source.ReadAt(start + static_cast<std::uint64_t>(offset), probe, 12) == 12;
    }
    if (haveXing && std::memcmp(probe, "Xing", 4) == 0) {
        ApplyVbrHeader(info, probe, 8, std::nullopt);
    } else if (const auto counted = CountedDuration(file, start, info)) {
        info.Duration = *counted;
    }
    return info;
}

std::uint16_t MpegAudioDuration(const std::string& path) {
    FileByteSource file(path);
    if (!file.IsOpen()) {
        return 0;
    }
    return ReadMpegAudio(file).Duration;
}

}  // namespace spindle
