#include "fileinfo/tags.h"

#include <gtest/gtest.h>

#include <utility>

#include "support/temp_dir.h"

namespace spindle {
namespace {

using test::DataPath;
using test::ReadAll;
using test::TempDir;

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

}  // namespace
}  // namespace spindle
