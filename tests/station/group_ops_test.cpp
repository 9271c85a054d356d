#include "station/group_ops.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "support/station_builder.h"

namespace spindle {
namespace {

std::vector<FileRec> Tracks(std::initializer_list<const char*> names) {
    std::vector<FileRec> files;
    for (const char* name : names) {
        FileRec f;
        f.FileName = name;
        f.Index = static_cast<std::int32_t>(files.size());
        files.push_back(f);
    }
    return files;
}

// Every order about equally likely, each from the start with fresh indexes, also from
// damaged ones.
TEST(ShuffleFiles, EveryOrderIsAboutEquallyLikelyWithFreshIndexes) {
    RandomSource random(2024);
    std::map<std::string, int> firsts;
    std::set<std::vector<std::string>> orders;
    for (int round = 0; round < 6000; ++round) {
        TCategoryDetails c;
        c.Files = Tracks({"/a", "/b", "/c"});
        c.Files[0].Index = 7;
        c.NextItem = 2;
        ShuffleFiles(c, random);
        ASSERT_EQ(c.NextItem, 0u);
        for (std::size_t i = 0; i < c.Files.size(); ++i) {
            ASSERT_EQ(c.Files[i].Index, static_cast<std::int32_t>(i));
        }
        ++firsts[c.Files[0].FileName];
        orders.insert(test::FileNames(c.Files));
    }
    EXPECT_EQ(orders.size(), 6u);
    for (const auto& [name, count] : firsts) {
        EXPECT_GT(count, 1800) << name;
        EXPECT_LT(count, 2200) << name;
    }
}

// Tracks reshuffle when used up, and the count goes past sixteen bits.
TEST(TakeNext, TracksReshuffleWhenUsedUpAndCountPastSixteenBits) {
    TCategoryDetails c;
    c.Files = Tracks({"/a", "/b", "/c"});
    RandomSource random(5);
    std::set<std::string> firstRound;
    for (int i = 0; i < 3; ++i) {
        firstRound.insert(TakeNextTrack(c, random)->FileName);
    }
    EXPECT_EQ(firstRound.size(), 3u);
    EXPECT_EQ(c.NextItem, 3u);
    ASSERT_TRUE(TakeNextTrack(c, random));
    EXPECT_EQ(c.NextItem, 1u);
    TCategoryDetails empty;
    TSpotDetails none;
    EXPECT_FALSE(TakeNextTrack(empty, random));
    EXPECT_FALSE(TakeNextSpot(none, random));
    c.Files.resize(70000);
    for (std::size_t i = 0; i < c.Files.size(); ++i) {
        c.Files[i].Index = static_cast<std::int32_t>(i);
        c.Files[i].FileName = "/t" + std::to_string(i);
    }
    c.NextItem = 65535;
    EXPECT_EQ(TakeNextTrack(c, random)->FileName, "/t65535");
    EXPECT_EQ(TakeNextTrack(c, random)->FileName, "/t65536");
    EXPECT_EQ(c.NextItem, 65537u);
}

TEST(TakeNext, FixedOrderSpotsStartAgainRandomOnesReshuffle) {
    TSpotDetails perFolder;
    perFolder.SortType = kSortPerFolder;
    perFolder.Files = Tracks({"/0", "/1", "/2"});
    RandomSource random(3);
    std::vector<std::string> taken;
    for (int i = 0; i < 7; ++i) {
        taken.push_back(TakeNextSpot(perFolder, random)->FileName);
    }
    EXPECT_EQ(taken, (std::vector<std::string>{"/0", "/1", "/2", "/0", "/1", "/2", "/0"}));

    // A "Randomly" group plays a new order once it has played them all.
    TSpotDetails randomly;
    randomly.SortType = kSortRandomly;
    randomly.Files = Tracks({"/a", "/b", "/c", "/d", "/e", "/f", "/g", "/h", "/i", "/j", "/k"});
    std::vector<std::string> first;
    std::vector<std::string> second;
    for (int i = 0; i < 22; ++i) {
        (i < 11 ? first : second).push_back(TakeNextSpot(randomly, random)->FileName);
    }
    EXPECT_NE(first, second);
    std::sort(first.begin(), first.end());
    std::sort(second.begin(), second.end());
    EXPECT_EQ(first, second);
}

TEST(Average, RoundsHalfToEvenAndTotalsBlocks) {
    auto files = [](std::initializer_list<std::uint16_t> durations) {
        std::vector<FileRec> out;
        for (auto d : durations) {
            FileRec f;
            f.Duration = d;
            out.push_back(f);
        }
        return out;
    };
    EXPECT_EQ(AverageOfFiles(files({100, 101}), false), 100);
    EXPECT_EQ(AverageOfFiles(files({101, 102}), false), 102);
    EXPECT_EQ(AverageOfFiles(files({100, 100, 101}), false), 100);
    EXPECT_EQ(AverageOfFiles(files({100, 101}), true), 201);
    EXPECT_EQ(AverageOfFiles(files({65535, 2}), true), 1);  // the total cut to 16 bits
    EXPECT_EQ(AverageOfFiles(files({65535, 65535}), false), 65535);
    EXPECT_FALSE(AverageOfFiles({}, false));
}

// Files are found by name and sorted by name ignoring folder and case.
TEST(Groups, FindAndSortFilesSummariseFoldersAndKnowTheirBlocks) {
    TSpotDetails s;
    s.Files = Tracks({"/z/beta.mp3", "/a/Gamma.mp3", "/m/alpha.mp3"});
    s.NextItem = 2;
    SortFilesByName(s);
    EXPECT_EQ(test::FileNames(s.Files),
              (std::vector<std::string>{"/m/alpha.mp3", "/z/beta.mp3", "/a/Gamma.mp3"}));
    EXPECT_EQ(s.Files[0].Index, 2);  // entries keep their Index
    EXPECT_EQ(s.NextItem, 2u);
    TCategoryDetails c;
    c.Files = Tracks({"/m/A.mp3", "/m/a.mp3"});
    EXPECT_EQ(FindFileIndex(c, "/m/a.mp3"), 1);
    EXPECT_EQ(FindFileIndex(c, "/m/B.mp3"), -1);
    EXPECT_EQ(FolderSummary({"/a"}), "/a");
    EXPECT_EQ(FolderSummary({"/a", "/b"}), "/a; /b");
    EXPECT_EQ(FolderSummary({"1", "2", "3", "4", "5", "6", "7", "8", "9"}),
              "1; 2; 3; 4; 5; 6; 7; 8");
    EXPECT_EQ(FolderSummary({}), "");
    // Type 1 is a Block only for a Category.
    c.GroupType = kCategoryBlock;
    s.GroupType = kSpotBlock;
    EXPECT_TRUE(c.IsBlock() && s.IsBlock());
    c.GroupType = kCategoryNormal;
    s.GroupType = kSpotSongIntro;
    EXPECT_FALSE(c.IsBlock() || s.IsBlock());
}

}  // namespace
}  // namespace spindle
