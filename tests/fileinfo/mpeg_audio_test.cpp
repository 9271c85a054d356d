#include "fileinfo/mpeg_audio.h"

#include <gtest/gtest.h>

#include <tuple>

#include "support/temp_dir.h"

namespace spindle {
namespace {

using test::DataPath;

// MPEG-1 Layer III, 128 kbit/s, 44100 Hz, no CRC, joint stereo.
constexpr std::uint32_t kMpeg1Stereo128 = 0xFFFB9040;
// The same in single channel mode.
constexpr std::uint32_t kMpeg1Mono128 = 0xFFFB90C0;
// MPEG-2 Layer III, 64 kbit/s, 22050 Hz.
constexpr std::uint32_t kMpeg2At22050 = 0xFFF38040;
// MPEG-2.5 Layer III, 64 kbit/s, 11025 Hz.
constexpr std::uint32_t kMpeg25At11025 = 0xFFE38040;

void PutBE32(std::string& bytes, std::size_t at, std::uint32_t value) {
    bytes[at] = static_cast<char>(value >> 24);
    bytes[at + 1] = static_cast<char>(value >> 16);
    bytes[at + 2] = static_cast<char>(value >> 8);
    bytes[at + 3] = static_cast<char>(value);
}

std::string Frame(std::uint32_t header, std::size_t fileSize, std::size_t at = 0) {
    std::string bytes(fileSize, '\0');
    PutBE32(bytes, at, header);
    return bytes;
}

MpegHeaderInfo Read(const std::string& bytes) {
    return ReadMpegAudio(MemoryByteSource(bytes));
}

TEST(MpegAudio, DecodesFrameHeadersAndRejectsInvalidOnes) {
    MpegHeaderInfo info;
    info.StreamBytes = 4800000;
    ASSERT_TRUE(ParseFrameHeader(kMpeg1Stereo128, info));
    EXPECT_EQ(info.ChannelMode, 1);
    EXPECT_EQ(info.ProtectionBit, 1);
    EXPECT_EQ(info.Duration, 300);
    // Version, layer, sample rate, bitrate and frame length.
    using Fields = std::tuple<int, int, unsigned, unsigned, int>;
    const std::pair<std::uint32_t, Fields> valid[] = {
        {kMpeg1Stereo128, {1, 3, 44100, 128, 144 * 128000 / 44100}},
        {kMpeg1Stereo128 | 0x200, {1, 3, 44100, 128, 418}},         // padded
        {0xFFFDA000, {1, 2, 44100, 192, 144 * 192000 / 44100}},     // Layer II, index 10
        {0xFFFF9200, {1, 1, 44100, 288, 48 * 288000 / 44100 + 4}},  // Layer I, padded
        {kMpeg25At11025, {3, 3, 11025, 64, 72 * 64000 / 11025}},
    };
    for (const auto& [header, fields] : valid) {
        ASSERT_TRUE(ParseFrameHeader(header, info)) << std::hex << header;
        EXPECT_EQ(Fields(info.Version, info.Layer, info.SampleRate, info.Bitrate, info.FrameLength),
                  fields)
            << std::hex << header;
    }
    // Nothing; version bits 01 (reserved); layer bits 00; free format (bitrate 0); bitrate
    // index 15; sample rate index 3.
    for (const std::uint32_t header :
         {0x00000000u, 0xFFEB9040u, 0xFFF99040u, 0xFFFB0040u, 0xFFFBF040u, 0xFFFB9C40u}) {
        EXPECT_FALSE(ParseFrameHeader(header, info)) << std::hex << header;
    }
}

// A first frame with a VBR header (or what looks like one) at `at`: the header's name,
// and a frame count at `countAt`.
struct VbrCase {
    const char* Why;
    std::uint32_t Header;
    std::size_t Size;
    const char* Name;
    std::size_t At;
    std::size_t CountAt;
    std::uint32_t Count;
    std::uint16_t Seconds;
};

TEST(MpegAudio, EstimatesFromSizeOrTakesTheVbrFrameCount) {
    const VbrCase cases[] = {
        {"no header: size over bitrate", kMpeg1Stereo128, 4800000, "", 0, 0, 0, 300},
        {"MPEG-2.5: size over bitrate", kMpeg25At11025, 64000, "", 0, 0, 0, 8},
        {"Xing: 1152 x 11484 / 44100, whatever the size", kMpeg1Stereo128, 200000, "Xing", 36, 44,
         11484, 299},
        {"Xing of a mono file at +21", kMpeg1Mono128, 200000, "Xing", 21, 29, 11484, 299},
        {"Xing at +21 of a stereo file is no header", kMpeg1Stereo128, 200000, "Xing", 21, 29,
         11484, 12},
        {"Xing below 32 kHz: 576 samples a frame", kMpeg2At22050, 200000, "Xing", 21, 29, 5000,
         130},
        {"VBRI: 576 x 5000 / 22050", kMpeg2At22050, 100000, "VBRI", 36, 50, 5000, 130},
        {"an Info header is no VBR header", kMpeg1Stereo128, 4800000, "Info", 36, 44, 11484, 300},
        {"a zero frame count is ignored", kMpeg1Stereo128, 4800000, "Xing", 36, 44, 0, 300},
        {"huge counts wrap to 16 bits", kMpeg1Stereo128, 20000, "Xing", 36, 44, 0xFFFFFFFF,
         static_cast<std::uint16_t>(1152ull * 0xFFFFFFFFull / 44100)},
    };
    for (const VbrCase& c : cases) {
        std::string bytes = Frame(c.Header, c.Size);
        if (*c.Name != '\0') {
            bytes.replace(c.At, 4, c.Name);
            PutBE32(bytes, c.CountAt, c.Count);
        }
        EXPECT_EQ(Read(bytes).Duration, c.Seconds) << c.Why;
    }
    std::string vbri = Frame(kMpeg2At22050, 100000);
    vbri.replace(36, 4, "VBRI");
    PutBE32(vbri, 46, 777777);
    PutBE32(vbri, 50, 5000);
    EXPECT_EQ(Read(vbri).StreamBytes, 777777u);
}

TEST(MpegAudio, FindsTheFirstFramePastATagOrJunk) {
    std::string tagged = Frame(kMpeg1Stereo128, 4804106, 4106);
    tagged.replace(0, 10, std::string("ID3\x03\x00\x00\x00\x00\x20\x00", 10));
    EXPECT_EQ(Read(tagged).StreamBytes, 4804106u);  // the tag's bytes still count
    EXPECT_EQ(Read(tagged).Duration, 300);
    std::string junk = Frame(kMpeg1Stereo128, 480000, 1001);
    for (std::size_t i = 0; i < 1001; ++i) {
        junk[i] = static_cast<char>(i % 7 == 0 ? 0xFF : 0x12);
    }
    EXPECT_EQ(Read(junk).Duration, 30);
}

TEST(MpegAudio, BadBytesMissingFilesAndFoldersGiveZero) {
    EXPECT_EQ(Read("").Duration, 0);
    EXPECT_EQ(Read(std::string("\xFF\xFB\x90\x40\x00", 5)).Duration, 0);  // 5 bytes
    EXPECT_EQ(Read(std::string(100000, '\x55')).Duration, 0);
    EXPECT_EQ(Read(Frame(kMpeg1Stereo128, 300, 0)).Duration, 0);  // frame longer than the file
    // A tag whose size points far past the end.
    const std::string farTag = std::string("ID3\x04\x00\x00\x7F\x7F\x7F\x7F", 10);
    EXPECT_EQ(Read(farTag + std::string(100, 'x')).Duration, 0);
    // A second tag header that would lead back to the first one's end.
    std::string looping(4096, '\0');
    for (const std::size_t at : {0, 10, 20}) {
        looping.replace(at, 10, std::string("ID3\x03\x00\x00\x00\x00\x00\x00", 10));
    }
    EXPECT_EQ(Read(looping).Duration, 0);
    test::TempDir dir;
    EXPECT_EQ(MpegAudioDuration(dir / "none.mp3"), 0);
    EXPECT_EQ(MpegAudioDuration(dir.Path().string()), 0);
    // Real files are compared with an independent reader in IndependentReader.
    EXPECT_EQ(MpegAudioDuration(DataPath("audio/cbr-64k-id3v2.mp3").string()), 6);
}

}  // namespace
}  // namespace spindle
