#include <gtest/gtest.h>

#include <map>
#include <set>

#include "base/paths.h"
#include "base/random_source.h"
#include "base/unattended_operator.h"

namespace spindle {
namespace {

TEST(Paths, SplitsFolderNameAndExtensionAndKeepsPlainNamesIn) {
    EXPECT_EQ(ExtractFileName("/music/Band - Song.mp3"), "Band - Song.mp3");
    EXPECT_EQ(ExtractFilePath("/music/Band - Song.mp3"), "/music/");
    EXPECT_EQ(ExtractFileExt("/music/Band - Song.mp3"), ".mp3");
    EXPECT_EQ(ExtractFileExt("/music.d/README"), "");
    EXPECT_EQ(ExtractFileExt("archive.tar.gz"), ".gz");
    EXPECT_EQ(BaseNameNoExt("/music/Band - Song.mp3"), "Band - Song");
    EXPECT_EQ(BaseNameNoExt("/a.b/noext"), "noext");
    EXPECT_EQ(BaseNameNoExt("Song~1.mp3"), "Song~1");
    EXPECT_EQ(ChangeFileExt("/logs/Dec0714.plg", ".bak"), "/logs/Dec0714.bak");
    EXPECT_EQ(IncludeTrailingDelimiter("/logs"), "/logs/");
    EXPECT_EQ(IncludeTrailingDelimiter("/logs/"), "/logs/");
    EXPECT_EQ(ExcludeTrailingDelimiter("/logs//"), "/logs");
    EXPECT_EQ(ExcludeTrailingDelimiter("/"), "/");
    // Plain file names cannot leave their folder.
    EXPECT_TRUE(IsPlainFileName("{Jazz}.dat"));
    EXPECT_TRUE(IsPlainFileName("..hidden"));
    EXPECT_FALSE(IsPlainFileName(""));
    EXPECT_FALSE(IsPlainFileName(".."));
    EXPECT_FALSE(IsPlainFileName("../Options.dat"));
    EXPECT_FALSE(IsPlainFileName("a/b.dat"));
    EXPECT_FALSE(IsPlainFileName(std::string_view("a\0b", 3)));
}

TEST(RandomSource, StaysInRangeAndReachesEveryValue) {
    RandomSource r(7);
    std::map<std::uint32_t, int> seen;
    for (int i = 0; i < 6000; ++i) {
        const std::uint32_t v = r.Below(6);
        ASSERT_LT(v, 6u);
        ++seen[v];
    }
    ASSERT_EQ(seen.size(), 6u);
    for (const auto& [value, count] : seen) {
        EXPECT_GT(count, 850) << value;  // about 1000 each
        EXPECT_LT(count, 1150) << value;
    }
    EXPECT_EQ(r.Below(0), 0u);
    EXPECT_EQ(r.Below(1), 0u);
}

TEST(UnattendedOperator, ListsMessagesAndAnswersWithoutAsking) {
    std::vector<std::string> sunk;
    UnattendedOperator op([&](MessageKind, const std::string& line) { sunk.push_back(line); });
    EXPECT_TRUE(op.Unattended());
    EXPECT_EQ(op.Show(MessageKind::Error, "Cannot resolve shortcut", Buttons::Ok), Answer::Ok);
    EXPECT_EQ(op.Show(MessageKind::Warning, "Warn", Buttons::OkCancel), Answer::Ok);
    EXPECT_FALSE(op.Query("Manual File Duration Entry (seconds)", "x.cda", "0"));
    EXPECT_EQ(op.Lines(), (std::vector<std::string>{"Cannot resolve shortcut", "Warn"}));
    EXPECT_EQ(sunk, op.Lines());
}

}  // namespace
}  // namespace spindle
