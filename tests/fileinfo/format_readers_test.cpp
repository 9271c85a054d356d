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

std::string Atom(const std::string& type, const std::string& body) {
    return BE32(static_cast<std::uint32_t>(8 + body.size())) + type + body;
}
std::string Mvhd(int version, std::uint32_t scale, std::uint32_t units) {
    return Atom("mvhd", std::string(1, static_cast<char>(version)) + std::string(11, '\0') +
                            BE32(scale) + BE32(units) + std::string(80, '\0'));
}
std::string Comm(std::uint32_t frames, const std::string& rate80) {
    return "COMM" + BE32(18) + std::string(2, '\0') + BE32(frames) + std::string(2, '\0') + rate80;
}

// Ogg Vorbis: the last page's granule over the first page's rate.
std::string Ogg(std::uint32_t rate, std::uint64_t granule) {
    const std::string first = Pad("OggS", 29) + "vorbis" + Pad("", 4) + '\x02' + LE32(rate);
    return Pad(Pad(first, 4900) + "OggS" + Pad("", 2) + LE64(granule), 5000);
}

using Seconds = std::optional<std::uint32_t>;
// An MP4 of a kind the reader does not know reads as kUnknownMp4.
constexpr std::uint32_t kUnknownMp4 = 0xFFFFFFFF;
Seconds Mp4Seconds(const ByteSource& file) {
    const Mp4Result r = Mp4Duration(file);
    return r.Unsupported ? kUnknownMp4 : r.Duration;
}

// Every reader on headers it must time, to the second, and on damage it must refuse.
TEST(FormatReaders, EachReaderTimesItsHeaderAndRefusesDamage) {
    const std::size_t tenSeconds = 80000;
    // Monkey's Audio: a descriptor (its own length 52 at 8), then blocks per frame, final
    // frame's blocks, frames and rate: (2 - 1) x 73728 + 6272 blocks at 8000 Hz are 10 s;
    // or an older header carrying the source file's WAV header.
    const std::string ape = Pad("MAC " + LE16(3990) + LE16(0) + LE32(52), 52);
    const std::string apeSource = "MAC " + std::string(36, '\0') + "RIFF" + LE32(1764036) + "WAVE" +
                                  "fmt " + LE32(16) + LE16(1) + LE16(2) + LE32(44100) +
                                  LE32(176400) + LE16(4) + LE16(16);
    const std::string ftyp = Atom("ftyp", "M4A " + BE32(0));
    const std::string moov = Atom("moov", Mvhd(0, 1000, 215400));
    // MPEG video: the last group-of-pictures time code, 01:02:03.
    std::string video(20000, '\0');
    const std::string gop("\x00\x00\x01\xB8", 4);
    video.replace(19000, 8, gop + BE32((1u << 26) | (2u << 20) | (3u << 13)));
    video.replace(100, 8, gop + BE32(0));
    const std::string aiff = "FORM" + BE32(100) + "AIFF";
    const std::string k44100("\x40\x0E\xAC\x44\x00\x00\x00\x00\x00\x00", 10);
    // ASF: a play duration of 300 s less the preroll.
    auto asf = [](std::uint64_t prerollMs) {
        return Pad(std::string("\x30\x26\xB2\x75\x8E\x66\xCF\x11", 8) + Pad("", 8) + LE32(200) +
                       Pad("", 10) + std::string("\xA1\xDC\xAB\x8C\x47\xA9\xCF\x11", 8) +
                       Pad("", 56) + LE64(3000000000ull) + LE64(0) + LE64(prerollMs),
                   300);
    };
    const std::string avi =
        Pad("RIFF" + LE32(0) + "AVI LIST" + LE32(0) + "hdrlavih" + LE32(56) + LE32(40000), 48) +
        LE32(7500);
    const std::string ots = Pad(Pad("Ots^Media!", 40) + "Ots!", 70);
    const struct {
        Seconds (*Read)(const ByteSource&);
        std::string Bytes;
        Seconds Expected;
    } cases[] = {
        {WavDuration, Wav(tenSeconds), 10},
        // To the byte: (RIFF size 188 - format chunk 16) / 16 bytes a second = 10.75.
        {WavDuration, Wav(152, "", {}, {}, 16), 11},
        {WavDuration, Wav(136, "", {}, {}, 16), 10},
        {WavDuration, Wav(tenSeconds, "LIST" + LE32(12) + "INFOISFT" + LE32(0)), 10},
        {WavDuration, Wav(tenSeconds, "JUNK" + LE32(3) + "abc" + std::string(1, '\0')), 10},
        {WavDuration, Wav(tenSeconds, "", 0xFFFFFFFF, 0xFFFFFFFF), 10},  // streaming
        {WavDuration, Wav(tenSeconds, "", 4000000, 4000000), 10},        // cut short
        {WavDuration, Wav(tenSeconds, "LIST" + LE32(100000)), {}},       // past the end
        {WavDuration, Wav(tenSeconds).substr(0, 43), {}},
        {WavDuration, "RIFX" + Wav(tenSeconds).substr(4), {}},
        {WavDuration, Wav(tenSeconds, "", {}, {}, 0), {}},  // no bytes per second
        {ApeDuration,
         ape + LE16(2000) + LE16(0) + LE32(73728) + LE32(6272) + LE32(2) + LE16(16) + LE16(1) +
             LE32(8000),
         10},
        // A damaged header's absurd count keeps its low 16 bits (found by fuzzing).
        {ApeDuration,
         ape + LE16(2000) + LE16(0) + LE32(0xFFFFFFFF) + LE32(0) + LE32(0xFFFFFFFF) + LE16(16) +
             LE16(1) + LE32(1),
         RoundedSeconds(static_cast<double>(0xFFFFFFFEull * 0xFFFFFFFFull))},
        {ApeDuration, Pad(apeSource, 100), 10},
        {ApeDuration, Pad("MAC ", 60), {}},
        {ApeDuration, apeSource.substr(0, 60), {}},
        {OggDuration, Ogg(44100, 44100ull * 187 + 22050), 188},  // 187.5 rounds to even
        {OggDuration, Ogg(0, 44100), {}},
        {OggDuration, Ogg(44100, 44100).substr(0, 257), {}},
        // Found by fuzzing: a granule far beyond any real file keeps its low 16 bits.
        {OggDuration, Ogg(1, 151958000000000ull), 151958000000000ull & 0xFFFF},
        // The movie header wherever the movie atom is.
        {Mp4Seconds, ftyp + moov, 215},
        {Mp4Seconds, ftyp + Atom("free", std::string(40, '\0')) + moov, 215},
        {Mp4Seconds, ftyp + Atom("mdat", std::string(500, 'x')) + moov, 215},
        {Mp4Seconds, ftyp + Atom("free", "") + Atom("mdat", "x") + moov, 215},
        {Mp4Seconds, ftyp + Atom("moov", Mvhd(0, 0, 5)), {}},
        {Mp4Seconds, ftyp + Atom("moov", Mvhd(1, 1000, 5)), kUnknownMp4},
        {Mp4Seconds, Atom("moov", Mvhd(0, 1, 1)), {}},  // no ftyp: not an MP4
        // An atom claiming less than its own header ends the walk.
        {Mp4Seconds, ftyp + BE32(3) + "junk", kUnknownMp4},
        {MpegVideoDuration, video, 3723},
        {MpegVideoDuration, std::string(video).replace(100, 8, 8, '\0'), 3723},  // one group
        {MpegVideoDuration, std::string(8194, '\0'), {}},
        {MpegVideoDuration, std::string(30000, '\x01'), {}},
        {AiffDuration, aiff + Comm(441000, k44100), 10},
        {AiffDuration,
         "FORM" + BE32(100) + "AIFC" + "FVER" + BE32(4) + BE32(0) + Comm(441000 + 44099, k44100),
         10},  // truncated
        // COMM after a comment, padded to even.
        {AiffDuration,
         aiff + "COMT" + BE32(3) + "xyz" + std::string(1, '\0') + Comm(441000, k44100), 10},
        {AiffDuration, aiff + Comm(441000, std::string(10, '\0')), {}},
        {AiffDuration, aiff + Comm(441000, k44100).substr(0, 20), {}},
        {AsfDuration, asf(3000), 297},
        {AsfDuration, asf(900000), 0},  // never negative
        {AsfDuration, asf(3000).substr(0, 100), {}},
        {AviDuration, avi, 300},
        {AviDuration, avi.substr(0, 51), {}},
        {OtsDuration, ots + LE32(44100) + LE32(44100 * 125), 125},
        {OtsDuration, Pad(ots, 78), {}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(cases[i].Read(MemoryByteSource(cases[i].Bytes)), cases[i].Expected) << i;
    }
}

TEST(FormatReaders, TheDispatchRoutesEveryExtensionAndReportsWhatItCannotRead) {
    TempDir dir;
    ScriptedOperator op;
    EXPECT_EQ(FileDuration(dir / "gone.wav", false, op), 0);
    ASSERT_EQ(op.Messages.size(), 1u);
    EXPECT_EQ(op.Messages[0].Text, "File not found '" + (dir / "gone.wav") + "'");
    const std::string m4a = dir.Write("v1.m4a", Atom("ftyp", "M4A ") + Atom("moov", Mvhd(1, 1, 1)));
    EXPECT_EQ(FileDuration(m4a, false, op), 0);
    EXPECT_EQ(op.Messages.back().Text, "Unsupported MP4 AAC file. \"" + m4a + "\".");
    for (const char* ext : {".wav", ".ogg", ".ape", ".mac", ".mp4", ".m4a", ".ots", ".aif", ".aiff",
                            ".aifc", ".snd", ".asf", ".wma", ".wmv", ".mpg", ".mpeg", ".avi"}) {
        EXPECT_NE(FindFormatReader(ext), nullptr) << ext;
    }
    EXPECT_EQ(FindFormatReader(".flac"), nullptr);
    EXPECT_EQ(FindFormatReader(".mp3"), nullptr);  // MPEG audio has its own reader
}

}  // namespace
}  // namespace spindle
