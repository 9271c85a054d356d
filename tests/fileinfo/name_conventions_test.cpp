#include "fileinfo/name_conventions.h"

#include <gtest/gtest.h>

namespace spindle {
namespace {

const NameRules kArtistFirst{};
const NameRules kTitleFirst{" - ", 1};

TEST(NameConventions, SplitsArtistTitleAndIntroTime) {
    const ArtistTitle t = SplitArtistTitle("Band - Song#0012.mp3", kArtistFirst);
    EXPECT_EQ(t.Artist, "Band");
    EXPECT_EQ(t.Title, "Song");
    EXPECT_EQ(t.IntroTime, 12);

    const ArtistTitle jingle = SplitArtistTitle("Jingle.mp3", kArtistFirst);
    EXPECT_EQ(jingle.Artist, "");
    EXPECT_EQ(jingle.Title, "Jingle.mp3");
    EXPECT_EQ(jingle.IntroTime, 0);
}

TEST(NameConventions, CutsTheCrossfadeMarkOnlyBeforeADigit) {
    EXPECT_EQ(SplitArtistTitle("Band - Song~1.mp3", kArtistFirst).Title, "Song");
    EXPECT_EQ(SplitArtistTitle("Band - Song~x.mp3", kArtistFirst).Title, "Song~x");
    EXPECT_EQ(SplitArtistTitle("Band - Song~5#0020.mp3", kArtistFirst).Title, "Song");
    EXPECT_EQ(SplitArtistTitle("Band - Song~5#0020.mp3", kArtistFirst).IntroTime, 0);
    EXPECT_EQ(SplitArtistTitle("Band - Song#0020~5.mp3", kArtistFirst).IntroTime, 20);
}

TEST(NameConventions, KeepsAHashThatIsNoNumber) {
    const ArtistTitle t = SplitArtistTitle("Band - Song #1 Hit.mp3", kArtistFirst);
    EXPECT_EQ(t.Title, "Song #1 Hit");
    EXPECT_EQ(t.IntroTime, 0);
    EXPECT_EQ(SplitArtistTitle("Band - Song#12.mp3", kArtistFirst).IntroTime, 12);
}

TEST(NameConventions, TitleFirstNames) {
    const ArtistTitle t = SplitArtistTitle("Song - Band.mp3", kTitleFirst);
    EXPECT_EQ(t.Artist, "Band");
    EXPECT_EQ(t.Title, "Song");
}

TEST(NameConventions, OtherDelimitersAndOnlyTheFirstOne) {
    const NameRules underscore{"_", 0};
    EXPECT_EQ(SplitArtistTitle("AC_DC_Thunder.mp3", underscore).Artist, "AC");
    EXPECT_EQ(SplitArtistTitle("A - B - C.mp3", kArtistFirst).Title, "B - C");
    const NameRules none{"", 0};
    EXPECT_EQ(SplitArtistTitle("A - B.mp3", none).Title, "A - B.mp3");
}

TEST(NameConventions, ArtistKeyFallsBackToTheTitle) {
    EXPECT_EQ(ArtistOfFile("Band - Song.mp3", kArtistFirst), "Band");
    EXPECT_EQ(ArtistOfFile("Jingle.mp3", kArtistFirst), "Jingle.mp3");
}

TEST(NameConventions, CleanTitlesKeepTheArtist) {
    EXPECT_EQ(CleanTitle("/music/Band - Song~2#0015.mp3"), "Band - Song");
    EXPECT_EQ(CleanTitle("/music/Band - Song #1 Hit.mp3"), "Band - Song #1 Hit");
    // "#1" at the end reads as an intro time of one second.
    EXPECT_EQ(CleanTitle("/music/Band - Song #1.mp3"), "Band - Song ");
    EXPECT_EQ(CleanTitle("/spots/ID1.mp3"), "ID1");
}

TEST(NameConventions, LongNamesSplitAtFullWidth) {
    const std::string artist(300, 'a');
    const ArtistTitle t = SplitArtistTitle(artist + " - Title#0007.mp3", kArtistFirst);
    EXPECT_EQ(t.Artist, artist);
    EXPECT_EQ(t.Title, "Title");
    EXPECT_EQ(t.IntroTime, 7);
}

TEST(NameConventions, WholeNumbers) {
    EXPECT_TRUE(IsNumber("0012"));
    EXPECT_TRUE(IsNumber("-3"));
    EXPECT_FALSE(IsNumber(""));
    EXPECT_FALSE(IsNumber("1x"));
    EXPECT_FALSE(IsNumber("1.5"));
}

}  // namespace
}  // namespace spindle
