#include "fileinfo/tags.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <utility>

#include "fileinfo/byte_source.h"
#include "fileinfo/id3v2_fields.h"
#include "support/temp_dir.h"

namespace spindle {
namespace {

using test::DataPath;
using test::ReadAll;
using test::TempDir;
using namespace std::string_literals;

std::string Fixture(const char* name) {
    return DataPath(std::string("audio/") + name).string();
}

// Every container carries the same tags, written as its own taggers write them
// (tests/data/make-fixtures), with one free-text field named "Mood".
TEST(Tags, EveryContainerGivesTheSameFields) {
    TempDir dir;
    // A name beyond ASCII, as station libraries are full of.
    const std::string renamed = dir.Write("Zoë – Night Drive.ogg", ReadAll(Fixture("tagged.ogg")));
    const std::pair<std::string, double> files[] = {{Fixture("tagged.mp3"), 128},
                                                    {Fixture("tagged.flac"), 127.5},
                                                    {Fixture("tagged.ogg"), 127.5},
                                                    {Fixture("tagged.m4a"), 128},
                                                    {Fixture("tagged.wv"), 128},
                                                    {Fixture("tagged.wma"), 128},
                                                    {renamed, 127.5}};
    for (const auto& [path, bpm] : files) {
        SCOPED_TRACE(path);
        const std::optional<TrackTags> tags = ReadTags(path);
        ASSERT_TRUE(tags);
        EXPECT_EQ(tags->Artist, "Zoë Band");
        EXPECT_EQ(tags->Title, "Night Drive");
        EXPECT_EQ(tags->Album, "Roads");
        EXPECT_EQ(tags->Composer, "J. Doe");
        EXPECT_EQ(tags->Publisher, "North Records");
        EXPECT_EQ(tags->Genre, "Synthpop");
        EXPECT_EQ(tags->Isrc, "GBAYE9900001");
        EXPECT_EQ(tags->Year, 1999);
        EXPECT_EQ(tags->Bpm, bpm);
        EXPECT_EQ(tags->Extra.count("MOOD") ? tags->Extra.at("MOOD") : "", "Calm");
        // A field with its own place is not repeated among the others.
        for (const char* named : {"ARTIST", "TITLE", "LABEL", "ORGANIZATION", "DATE", "BPM"}) {
            EXPECT_EQ(tags->Extra.count(named), 0u) << named;
        }
    }
}

// No tag, no file or a damaged one: nothing, or what could be read, and no exception.
TEST(Tags, NothingFromFilesWithoutATagOrBeyondReading) {
    TempDir dir;
    EXPECT_FALSE(ReadTags(Fixture("plain.wav")));
    EXPECT_FALSE(ReadTags(dir / "missing.mp3"));
    EXPECT_FALSE(ReadTags(dir.MakeFolder("folder.mp3")));
    std::string noise(4096, '\0');
    for (std::size_t i = 0; i < noise.size(); ++i) {
        noise[i] = static_cast<char>(i * 7919 % 251);
    }
    EXPECT_FALSE(ReadTags(dir.Write("noise.mp3", noise)));
    for (const char* name :
         {"tagged.mp3", "tagged.flac", "tagged.m4a", "tagged.wv", "tagged.wma"}) {
        SCOPED_TRACE(name);
        const std::string bytes = ReadAll(Fixture(name));
        for (const std::size_t keep : {std::size_t{40}, bytes.size() / 2}) {
            const auto cut = ReadTags(dir.Write(name, bytes.substr(0, keep)));
            EXPECT_TRUE(!cut || cut->Title.empty() || cut->Title == "Night Drive") << keep;
        }
    }
    // A file cut short keeps the tag it begins with.
    const std::string mp3 = ReadAll(Fixture("tagged.mp3"));
    const auto cut = ReadTags(dir.Write("cut.mp3", mp3.substr(0, mp3.size() / 2)));
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->Title, "Night Drive");
}

// Whether the head of an MP3 file was read without TagLib, and what ReadTags gives then.
bool AgreesWithTagLib(const std::string& path) {
    const FileByteSource file(path);
    EXPECT_EQ(ReadTags(path, file), ReadTags(path)) << path;
    return path.ends_with(".mp3") && Id3v2Fields(file.Head());
}

TEST(Tags, HeadOfEveryFixtureReadAsTagLibReadsIt) {
    int read = 0;
    for (const auto& entry : std::filesystem::directory_iterator(DataPath("audio"))) {
        read += AgreesWithTagLib(entry.path().string()) ? 1 : 0;
    }
    EXPECT_EQ(read, 2);  // tagged.mp3 and cbr-64k-id3v2.mp3, which has an ID3v1 tag too
}

// A size of 4 bytes, 7 bits a byte (an ID3v2 header's, an ID3v2.4 frame's) or 8.
std::string Size(std::uint32_t n, int bits) {
    std::string s;
    for (int shift = 3 * bits; shift >= 0; shift -= bits) {
        s += static_cast<char>(n >> shift & ((1u << bits) - 1));
    }
    return s;
}

std::string Frame(int version, const std::string& id, const std::string& body,
                  const std::string& flags = "\0\0"s) {
    const std::string size = Size(static_cast<std::uint32_t>(body.size()), version == 4 ? 7 : 8);
    return id + (version == 2 ? size.substr(1) : size + flags) + body;
}

std::string Tag(int version, int flags, const std::string& frames) {
    return "ID3"s + static_cast<char>(version) + '\0' + static_cast<char>(flags) +
           Size(static_cast<std::uint32_t>(frames.size()), 7) + frames;
}

// Tags of every kind the head reader reads, and damaged or unusual ones it leaves to
// TagLib; either way ReadTags gives what TagLib gives. Some files end in an ID3v1 tag,
// which TagLib reads only when the ID3v2 tag holds no frame.
TEST(Tags, HeadReaderReadsWhatTagLibReadsOrLeavesItToTagLib) {
    const std::string v1 = "TAG" + "Other Title"s + std::string(19, '\0') + "Other Artist"s +
                           std::string(18 + 64, '\0') + '\xFF';
    std::string unsynchronised = Frame(3, "TPE1", "\1\xFE\xFF\0A\0\0\0B\0\0\xFF\xFE\0C"s);
    for (std::size_t at = 0; (at = unsynchronised.find('\xFF', at)) != std::string::npos; at += 2) {
        unsynchronised.insert(at + 1, 1, '\0');
    }
    const std::string long1 = Frame(4, "TALB", "\0"s + std::string(200, 'a'));
    const std::string plain = "TPE1" + Size(256, 8) + "\0\0\0"s + std::string(255, 'b');
    const struct {
        std::string File;
        bool Read;
    } cases[] = {
        {Tag(4, 0,
             Frame(4, "TIT2", "\3Zo\xC3\xAB\0Night\0"s) +
                 Frame(4, "TDRC",
                       "\0"
                       "2001-02-03T04:05"s) +
                 Frame(4, "APIC", "\0image/png\0\3\0PNG"s) +
                 Frame(4, "TXXX", "\1\xFF\xFEM\0o\0o\0d\0\0\0\xFF\xFE\x3D\xD8\x00\xDE"s) +
                 std::string(20, '\0')) +
             v1,
         true},
        {Tag(4, 0,
             long1 + Frame(4, "TPE2", Size(4, 7) + "\0A\xFF\0B"s, "\0\3"s) + plain +
                 Frame(4, "TIT2", "\0X"s)),
         true},
        {Tag(4, 0x50, Size(6, 7) + "\1\0"s + Frame(4, "TIT2", "\0X"s) + std::string(30, '\0')),
         true},
        {Tag(3, 0x80,
             unsynchronised +
                 Frame(3, "TYER",
                       "\0"
                       "1999"s) +
                 Frame(3, "TCON", "\0Pop"s)),
         true},
        {Tag(2, 0,
             Frame(2, "TT2", "\0Caf\xE9"s) + Frame(2, "TXX", "\0MOOD\0Calm"s) +
                 Frame(2, "PIC", "x"s)),
         true},
        {Tag(3, 0, Frame(3, "TIT2", "\0One"s) + "TPE1\0\0\1\0\0\0\0Two"s), true},
        {Tag(3, 0, Frame(3, "TIT2", "\0One"s) + Frame(3, "tpe1", "\0Two"s)), true},
        {Tag(3, 0, Frame(3, "TIT2", "\0One"s)).replace(8, 2, "\x10\0"s), false},
        {Tag(3, 0, Frame(3, "TIT2", "\7One"s)), false},
        {Tag(4, 0, Frame(4, "TIT2", "\3\xC3("s)), false},
        {Tag(3, 0, Frame(3, "TIT2", "\1\xFF\xFEO\0n"s)), false},
        {Tag(3, 0, Frame(3, "TCON", "\0(17)Rock"s)), false},
        {Tag(3, 0, Frame(3, "COMM", "\0eng\0Nice"s)), false},
        {Tag(3, 0, Frame(3, "TIT2", "\0One"s, "\0\x80"s) + Frame(3, "TPE1", "\0Two"s)), false},
        {Tag(3, 0, std::string(16, '\0')) + v1, false},
    };
    TempDir dir;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const std::string path = dir.Write("case " + std::to_string(i) + ".mp3", cases[i].File);
        EXPECT_TRUE(ReadTags(path)) << i;
        EXPECT_EQ(AgreesWithTagLib(path), cases[i].Read) << i;
    }
}

}  // namespace
}  // namespace spindle
