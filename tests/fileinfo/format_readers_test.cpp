#include "fileinfo/format_readers.h"

#include <gtest/gtest.h>

#include <optional>

#include "fileinfo/file_duration.h"
#include "support/scripted_operator.h"
#include "support/temp_dir.h"

namespace spindle {
namespace {

using test::ScriptedOperator;
using test::TempDir;

std::string LE32(std::uint32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i)
        s[static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * i));
    return s;
}
std::string LE16(std::uint16_t v) {
    return LE32(v).substr(0, 2);
}
std::string LE64(std::uint64_t v) {
    return LE32(static_cast<std::uint32_t>(v)) + LE32(static_cast<std::uint32_t>(v >> 32));
}
std::string BE32(std::uint32_t v) {
    std::string s = LE32(v);
    return std::string(s.rbegin(), s.rend());
}
std::string Pad(std::string s, std::size_t size) {
    s.resize(std::max(s.size(), size), '\0');
    return s;
}

template <typename Reader>
auto Read(Reader reader, const std::string& bytes) {
    return reader(MemoryByteSource(bytes));
}

// RIFF/WAVE, 8-bit mono, holding `audioBytes`; `before` comes ahead of the format
// chunk, and the sizes and the bytes per second may be given.
std::string Wav(std::size_t audioBytes, const std::string& before = "",
                std::optional<std::uint32_t> riffSize = {},
                std::optional<std::uint32_t> dataSize = {}, std::uint32_t bytesPerSecond = 8000) {
    const std::string body = before + "fmt " + LE32(16) + LE16(1) + LE16(1) + LE32(8000) +
                             LE32(bytesPerSecond) + LE16(1) + LE16(8) + "data" +
                             LE32(dataSize.value_or(static_cast<std::uint32_t>(audioBytes))) +
                             std::string(audioBytes, '\x80');
    return "RIFF" + LE32(riffSize.value_or(static_cast<std::uint32_t>(4 + body.size()))) + "WAVE" +
           body;
}

TEST(FormatReaders, Wav) {
    const std::size_t tenSeconds = 80000;
    EXPECT_EQ(Read(WavDuration, Wav(tenSeconds)), 10u);
    // To the byte: (RIFF size 188 - format chunk 16) / 16 bytes a second = 10.75.
    EXPECT_EQ(Read(WavDuration, Wav(152, "", {}, {}, 16)), 11u);
    EXPECT_EQ(Read(WavDuration, Wav(136, "", {}, {}, 16)), 10u);  // 10.0
    EXPECT_EQ(Read(WavDuration, Wav(tenSeconds, "LIST" + LE32(12) + "INFOISFT" + LE32(0))), 10u);
    EXPECT_EQ(Read(WavDuration, Wav(tenSeconds, "JUNK" + LE32(3) + "abc" + std::string(1, '\0'))),
              10u);
    EXPECT_EQ(Read(WavDuration, Wav(tenSeconds, "", 0xFFFFFFFF, 0xFFFFFFFF)), 10u);  // streaming
    EXPECT_EQ(Read(WavDuration, Wav(tenSeconds, "", 4000000, 4000000)), 10u);        // cut short
    EXPECT_FALSE(Read(WavDuration, Wav(tenSeconds, "LIST" + LE32(100000))));         // past the end
    EXPECT_FALSE(Read(WavDuration, Wav(tenSeconds).substr(0, 43)));
    EXPECT_FALSE(Read(WavDuration, "RIFX" + Wav(tenSeconds).substr(4)));
    EXPECT_FALSE(Read(WavDuration, Wav(tenSeconds, "", {}, {}, 0)));  // no bytes per second
}

// Current encoders' header, or an older one carrying the source file's WAV header.
TEST(FormatReaders, MonkeysAudioReadsItsHeaderOrItsSourceHeader) {
    // Descriptor (its own length 52 at 8), then blocks per frame, final frame's blocks,
    // frames and rate: (2 - 1) x 73728 + 6272 blocks at 8000 Hz are 10 s.
    const std::string descriptor = Pad("MAC " + LE16(3990) + LE16(0) + LE32(52), 52);
    const std::string header =
        LE16(2000) + LE16(0) + LE32(73728) + LE32(6272) + LE32(2) + LE16(16) + LE16(1) + LE32(8000);
    EXPECT_EQ(Read(ApeDuration, descriptor + header), 10u);
    // A damaged header's absurd count keeps its low 16 bits (found by fuzzing).
    const std::string absurd = LE16(2000) + LE16(0) + LE32(0xFFFFFFFF) + LE32(0) +
                               LE32(0xFFFFFFFF) + LE16(16) + LE16(1) + LE32(1);
    EXPECT_EQ(Read(ApeDuration, descriptor + absurd),
              RoundedSeconds(static_cast<double>(0xFFFFFFFEull * 0xFFFFFFFFull)));
    const std::string source = "RIFF" + LE32(1764036) + "WAVE" + "fmt " + LE32(16) + LE16(1) +
                               LE16(2) + LE32(44100) + LE32(176400) + LE16(4) + LE16(16);
    EXPECT_EQ(Read(ApeDuration, Pad("MAC " + std::string(36, '\0') + source, 100)), 10u);
    EXPECT_FALSE(Read(ApeDuration, Pad("MAC ", 60)));
    EXPECT_FALSE(Read(ApeDuration, ("MAC " + std::string(36, '\0') + source).substr(0, 60)));
}

TEST(FormatReaders, OggFindsTheLastPage) {
    std::string ogg =
        Pad("OggS", 29) + "vorbis" + Pad("", 4) + std::string(1, '\x02') + LE32(44100);
    ogg = Pad(ogg, 5000);
    const std::size_t last = ogg.size() - 100;
    ogg.replace(last, 4, "OggS");
    ogg.replace(last + 6, 8, LE64(44100ull * 187 + 22050));
    EXPECT_EQ(Read(OggDuration, ogg), 188u);  // 187.5 rounds to the even neighbour
    std::string noRate = ogg;
    noRate.replace(40, 4, LE32(0));
    EXPECT_FALSE(Read(OggDuration, noRate));
    EXPECT_FALSE(Read(OggDuration, ogg.substr(0, 257)));
    // Found by fuzzing: a granule far beyond any real file keeps its low 16 bits.
    std::string huge = ogg;
    huge.replace(40, 4, LE32(1));
    huge.replace(last + 6, 8, LE64(151958000000000ull));
    EXPECT_EQ(Read(OggDuration, huge), 151958000000000ull & 0xFFFF);
}

std::string Atom(const std::string& type, const std::string& body) {
    return BE32(static_cast<std::uint32_t>(8 + body.size())) + type + body;
}
std::string Mvhd(int version, std::uint32_t scale, std::uint32_t units) {
    return Atom("mvhd", std::string(1, static_cast<char>(version)) + std::string(11, '\0') +
                            BE32(scale) + BE32(units) + std::string(80, '\0'));
}

TEST(FormatReaders, Mp4ReadsTheMovieHeaderWhereverTheMovieAtomIs) {
    const std::string ftyp = Atom("ftyp", "M4A " + BE32(0));
    const std::string moov = Atom("moov", Mvhd(0, 1000, 215400));
    EXPECT_EQ(Read(Mp4Duration, ftyp + moov).Duration, 215u);
    EXPECT_EQ(Read(Mp4Duration, ftyp + Atom("free", std::string(40, '\0')) + moov).Duration, 215u);
    EXPECT_EQ(Read(Mp4Duration, ftyp + Atom("mdat", std::string(500, 'x')) + moov).Duration, 215u);
    EXPECT_EQ(Read(Mp4Duration, ftyp + Atom("free", "") + Atom("mdat", "x") + moov).Duration, 215u);
    EXPECT_TRUE(Read(Mp4Duration, ftyp + Atom("moov", Mvhd(1, 1000, 5))).Unsupported);
    EXPECT_FALSE(
        Read(Mp4Duration, Atom("moov", Mvhd(0, 1, 1))).Unsupported);  // no ftyp: not an MP4
    EXPECT_FALSE(Read(Mp4Duration, ftyp + Atom("moov", Mvhd(0, 0, 5))).Duration);
    // An atom claiming less than its own header ends the walk.
    EXPECT_TRUE(Read(Mp4Duration, ftyp + BE32(3) + "junk").Unsupported);
}

TEST(FormatReaders, MpegVideoTakesTheLastTimeCode) {
    std::string video(20000, '\0');
    const std::uint32_t code = (1u << 26) | (2u << 20) | (3u << 13);  // 01:02:03
    video.replace(19000, 8, std::string("\x00\x00\x01\xB8", 4) + BE32(code));
    video.replace(100, 8, std::string("\x00\x00\x01\xB8", 4) + BE32(0));
    EXPECT_EQ(Read(MpegVideoDuration, video), 3723u);
    EXPECT_FALSE(Read(MpegVideoDuration, std::string(8194, '\0')));
    EXPECT_FALSE(Read(MpegVideoDuration, std::string(30000, '\x01')));
}

std::string Comm(std::uint32_t frames, const std::string& rate80) {
    return "COMM" + BE32(18) + std::string(2, '\0') + BE32(frames) + std::string(2, '\0') + rate80;
}
const std::string k44100(std::string("\x40\x0E\xAC\x44\x00\x00\x00\x00\x00\x00", 10));

TEST(FormatReaders, AiffAndAifc) {
    EXPECT_EQ(Read(AiffDuration, "FORM" + BE32(100) + "AIFF" + Comm(441000, k44100)), 10u);
    EXPECT_EQ(Read(AiffDuration, "FORM" + BE32(100) + "AIFC" + "FVER" + BE32(4) + BE32(0) +
                                     Comm(441000 + 44099, k44100)),
              10u);  // truncated
    EXPECT_EQ(Read(AiffDuration, "FORM" + BE32(100) + "AIFF" + "COMT" + BE32(3) + "xyz" +
                                     std::string(1, '\0') + Comm(441000, k44100)),
              10u);  // COMM after a comment, padded to even
    EXPECT_FALSE(
        Read(AiffDuration, "FORM" + BE32(100) + "AIFF" + Comm(441000, std::string(10, '\0'))));
    EXPECT_FALSE(
        Read(AiffDuration, "FORM" + BE32(100) + "AIFF" + Comm(441000, k44100).substr(0, 20)));
}

TEST(FormatReaders, AsfPlayDurationLessPreroll) {
    const std::string header("\x30\x26\xB2\x75\x8E\x66\xCF\x11", 8);
    const std::string props("\xA1\xDC\xAB\x8C\x47\xA9\xCF\x11", 8);
    std::string object = props + std::string(8, '\0') + std::string(24, '\0') +
                         std::string(24, '\0') + LE64(3000000000ull) + LE64(0) + LE64(3000);
    std::string file = header + std::string(8, '\0') + LE32(200) + std::string(10, '\0') + object;
    file = Pad(file, 300);
    EXPECT_EQ(Read(AsfDuration, file), 297u);
    std::string longPreroll = file;
    longPreroll.replace(30 + 80, 8, LE64(900000));
    EXPECT_EQ(Read(AsfDuration, longPreroll), 0u);  // never negative
    EXPECT_FALSE(Read(AsfDuration, file.substr(0, 100)));
}

TEST(FormatReaders, AviAndOts) {
    std::string avi =
        Pad("RIFF" + LE32(0) + "AVI LIST" + LE32(0) + "hdrlavih" + LE32(56) + LE32(40000), 48) +
        LE32(7500);
    EXPECT_EQ(Read(AviDuration, avi), 300u);
    EXPECT_FALSE(Read(AviDuration, avi.substr(0, 51)));
    std::string ots = Pad(Pad("Ots^Media!", 40) + "Ots!", 70) + LE32(44100) + LE32(44100 * 125);
    EXPECT_EQ(Read(OtsDuration, ots), 125u);
    EXPECT_FALSE(Read(OtsDuration, Pad(Pad("Ots^Media!", 40) + "Ots!", 78)));
}

TEST(FormatReaders, TheDispatchRoutesEveryExtensionAndReportsWhatItCannotRead) {
    TempDir dir;
    ScriptedOperator op;
    EXPECT_EQ(FileDuration(dir / "gone.wav", false, op), 0);
    ASSERT_EQ(op.Messages.size(), 1u);
    EXPECT_EQ(op.Messages[0].Text, "File not found '" + (dir / "gone.wav") + "'");
    const std::string m4a = dir.Write("v1.m4a", Atom("ftyp", "M4A ") + Atom("moov", Mvhd(1, 1, 1)));
    EXPECT_EQ(FileDuration(m4a, false, op), 0);
    EXPECT_EQ(op.Messages.back().Text,
              "Unsupported MP4 AAC file. \"" + m4a + "\".  Please notify " + SupportContact());
    for (const char* ext : {".wav", ".ogg", ".ape", ".mac", ".mp4", ".m4a", ".ots", ".aif", ".aiff",
                            ".aifc", ".snd", ".asf", ".wma", ".wmv", ".mpg", ".mpeg", ".avi"}) {
        EXPECT_NE(FindFormatReader(ext), nullptr) << ext;
    }
    EXPECT_EQ(FindFormatReader(".flac"), nullptr);
    EXPECT_EQ(FindFormatReader(".mp3"), nullptr);  // MPEG audio has its own reader
}

}  // namespace
}  // namespace spindle
