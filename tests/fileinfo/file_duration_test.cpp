#include "fileinfo/file_duration.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/scripted_operator.h"
#include "support/temp_dir.h"

namespace spindle {
namespace {

using test::DataPath;
using test::ScriptedOperator;
using test::TempDir;
namespace fs = std::filesystem;

// A folder with two real four-second MP3 files.
class FileDurationTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir.Path() / "music");
        fs::copy_file(DataPath("audio/vbr-xing-stereo.mp3"), dir.Path() / "music/A - One.mp3");
        fs::copy_file(DataPath("audio/cbr-128k-stereo.mp3"), dir.Path() / "music/B - Two.MP3");
    }
    TempDir dir;
    ScriptedOperator op;
};

// Each entry is timed by its extension whatever its case: "B - Two.MP3" counts.
TEST_F(FileDurationTest, SumsTheFilesOfAnM3uList) {
    const auto list = dir.Write("music/list.m3u",
                                "#EXTM3U\r\n#EXTINF:4,A - One\r\nA - One.mp3\r\n"
                                "http://stream.example/live\r\n#EXTINF:4,B - Two\r\nB - Two.MP3\r\n"
                                "missing.mp3\r\n\r\n");
    EXPECT_EQ(PlaylistFileDuration(list, op), 8u);
    EXPECT_EQ(FileDuration(list, false, op), 8);
}

TEST_F(FileDurationTest, ResolvesEntriesAgainstTheListsFolderAndSumsNestedLists) {
    const auto list =
        dir.Write("lists/abs.m3u", (dir / "music/A - One.mp3") + "\n" + "../music/B - Two.MP3\n" +
                                       "..\\music\\A - One.mp3\n");
    EXPECT_EQ(ResolvePlaylistEntry(list, ""), "");
    EXPECT_EQ(ResolvePlaylistEntry(list, "nothing.mp3"), "nothing.mp3");
    EXPECT_EQ(ResolvePlaylistEntry(list, "../music/B - Two.MP3"),
              dir / "lists/../music/B - Two.MP3");
    EXPECT_EQ(PlaylistFileDuration(list, op), 12u);
    // Lists inside lists are summed, but never for ever.
    dir.Write("music/inner.m3u", "A - One.mp3\nouter.m3u\n");
    const auto outer = dir.Write("music/outer.m3u", "inner.m3u\nB - Two.MP3\nouter.m3u\n");
    const auto self = dir.Write("music/self.m3u", "self.m3u\nA - One.mp3\n");
    EXPECT_EQ(PlaylistFileDuration(outer, op), 8u);
    EXPECT_EQ(PlaylistFileDuration(self, op), 4u);
    // Found by fuzzing: lists naming each other many times under other spellings
    // ("./b.m3u") took exponential time. Each list is now read once, whatever it is called.
    std::string many;
    for (int i = 0; i < 12; ++i) {
        many += "./b.m3u\r\n";
    }
    dir.Write("music/b.m3u", "A - One.mp3\r\n./a.m3u\r\n" + many);
    const auto a = dir.Write("music/a.m3u", many + "B - Two.MP3\r\n");
    // b is A - One (4 s) once; a names b twelve times and B - Two once.
    EXPECT_EQ(PlaylistFileDuration(a, op), 12u * 4u + 4u);
}

TEST_F(FileDurationTest, AsksForTheDurationOnlyWhenAllowed) {
    const auto cd = dir.Write("music/Track01.cda", "");
    EXPECT_EQ(FileDuration(cd, false, op), 0);
    EXPECT_TRUE(op.Queries.empty());

    op.QueueReply("215");
    EXPECT_EQ(FileDuration(cd, true, op), 215);
    ASSERT_EQ(op.Queries.size(), 1u);
    EXPECT_EQ(op.Queries[0].Title, "Manual File Duration Entry (seconds)");
    EXPECT_EQ(op.Queries[0].Prompt, "Track01.cda");
    EXPECT_EQ(op.Queries[0].Initial, "0");
    // An empty list is asked for too.
    op.QueueReply("30");
    EXPECT_EQ(FileDuration(dir.Write("music/empty.m3u", "#EXTM3U\n"), true, op), 30);
}

TEST(ManualDurationEntry, AsksAgainUntilAWholeNumberOrCancel) {
    ScriptedOperator op;
    op.QueueReply("three minutes");
    op.QueueReply("-5");
    op.QueueReply("180");
    EXPECT_EQ(ManualDurationEntry("/m/x.pls", op), 180);
    EXPECT_EQ(op.Queries.size(), 3u);
    EXPECT_EQ(op.Queries[1].Initial, "0");
    // 0 is an answer, and so is Cancel: each asked once.
    op.QueueReply("0");
    EXPECT_EQ(ManualDurationEntry("/m/x.pls", op), 0);
    EXPECT_EQ(ManualDurationEntry("/m/x.pls", op), 0);
    EXPECT_EQ(op.Queries.size(), 5u);
    // Unsigned, and only the low sixteen bits are kept.
    op.QueueReply("40000");
    EXPECT_EQ(ManualDurationEntry("/m/a.cda", op), 40000);
    op.QueueReply("70000");
    EXPECT_EQ(ManualDurationEntry("/m/a.cda", op), 70000 - 65536);
}

}  // namespace
}  // namespace spindle
