#include "fileinfo/name_conventions.h"

#include <gtest/gtest.h>

namespace spindle {
namespace {

const NameRules kArtistFirst{};
const NameRules kTitleFirst{" - ", 1};

// Artist, title and intro time from a file name: the crossfade mark cut only before a
// digit, a hash that is no number kept, title-first names, other delimiters and only the
// first one, names longer than any field.
TEST(NameConventions, SplitsArtistTitleAndIntroTime) {
    const NameRules underscore{"_", 0};
    const NameRules none{"", 0};
    const std::string longArtist(300, 'a');
    const struct {
        std::string Name;
        const NameRules& Rules;
        const char* Artist;  // null: not checked
        std::string Title;
        int Intro;
    } cases[] = {
        {"Band - Song#0012.mp3", kArtistFirst, "Band", "Song", 12},
        {"Jingle.mp3", kArtistFirst, "", "Jingle.mp3", 0},
        {"Band - Song~1.mp3", kArtistFirst, nullptr, "Song", 0},
        {"Band - Song~x.mp3", kArtistFirst, nullptr, "Song~x", 0},
        {"Band - Song~5#0020.mp3", kArtistFirst, nullptr, "Song", 0},
        {"Band - Song#0020~5.mp3", kArtistFirst, nullptr, "Song", 20},
        {"Band - Song #1 Hit.mp3", kArtistFirst, nullptr, "Song #1 Hit", 0},
        {"Band - Song#12.mp3", kArtistFirst, nullptr, "Song", 12},
        {"Song - Band.mp3", kTitleFirst, "Band", "Song", 0},
        {"AC_DC_Thunder.mp3", underscore, "AC", "DC_Thunder", 0},
        {"A - B - C.mp3", kArtistFirst, "A", "B - C", 0},
        {"A - B.mp3", none, nullptr, "A - B.mp3", 0},
        {longArtist + " - Title#0007.mp3", kArtistFirst, longArtist.c_str(), "Title", 7},
    };
    for (const auto& c : cases) {
        const ArtistTitle t = SplitArtistTitle(c.Name, c.Rules);
        if (c.Artist != nullptr) {
            EXPECT_EQ(t.Artist, c.Artist) << c.Name;
        }
        EXPECT_EQ(t.Title, c.Title) << c.Name;
        EXPECT_EQ(t.IntroTime, c.Intro) << c.Name;
    }
    // An artist's key falls back to the title.
    EXPECT_EQ(ArtistOfFile("Band - Song.mp3", kArtistFirst), "Band");
    EXPECT_EQ(ArtistOfFile("Jingle.mp3", kArtistFirst), "Jingle.mp3");
    EXPECT_TRUE(IsNumber("0012") && IsNumber("-3"));
    EXPECT_FALSE(IsNumber("") || IsNumber("1x") || IsNumber("1.5"));
}

TEST(NameConventions, CleanTitlesKeepTheArtist) {
    EXPECT_EQ(CleanTitle("/music/Band - Song~2#0015.mp3"), "Band - Song");
    EXPECT_EQ(CleanTitle("/music/Band - Song #1 Hit.mp3"), "Band - Song #1 Hit");
    // "#1" at the end reads as an intro time of one second.
    EXPECT_EQ(CleanTitle("/music/Band - Song #1.mp3"), "Band - Song ");
    EXPECT_EQ(CleanTitle("/spots/ID1.mp3"), "ID1");
    // A crossfade mark is the number after "~", with an intro time after it or not.
    for (const auto& [name, seconds, bad] :
         {std::tuple{"A~1.7#0006.mp3", 1.7, false}, {"A~x.mp3", 0.5, true}}) {
        const Crossfade c = ItemCrossfade(name, 200, 0.5, true);
        EXPECT_EQ(std::pair(c.Seconds, c.BadMark), std::pair(seconds, bad)) << name;
    }
}

}  // namespace
}  // namespace spindle
