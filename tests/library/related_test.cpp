#include "library/related.h"

#include <gtest/gtest.h>

namespace spindle {
namespace {

TEST(RelatedArtists, TidyTrimsDropsEmptyLinesAndEndsWithSemicolons) {
    RelatedArtists r;
    r.SetLines({"  Beatles;John Lennon", "", ";", "Wings;"});
    EXPECT_TRUE(r.Tidy());
    EXPECT_EQ(r.Lines(), (std::vector<std::string>{"Beatles;John Lennon;", "Wings;"}));
    EXPECT_FALSE(r.Tidy());
}

TEST(RelatedArtists, MembersMapToTheFirstNameOfTheirLine) {
    RelatedArtists r;
    r.SetLines({"Beatles;John Lennon;"});
    EXPECT_EQ(r.Key("john lennon"), "Beatles");
    EXPECT_EQ(r.Key("JOHN LENNON"), "Beatles");
    EXPECT_EQ(r.Key("Beatles"), "Beatles");
    EXPECT_EQ(r.Key("Wings"), "Wings");
}

TEST(RelatedArtists, MatchesTheEndsOfLongerNames) {
    RelatedArtists r;
    r.SetLines({"Johnny Ray;Ray;"});
    EXPECT_EQ(r.Key("Ray"), "Johnny Ray");
    EXPECT_EQ(r.Key("Johnny Ray"), "Johnny Ray");  // its own line starts with it
}

TEST(RelatedArtists, TheFirstLineThatNamesTheArtistLaterWins) {
    RelatedArtists r;
    r.SetLines({"Ray;Other;", "Johnny Ray;Ray;", "Ray Charles;Ray;"});
    EXPECT_EQ(r.Key("Ray"), "Johnny Ray");
}

TEST(RelatedArtists, AccentedCapitalsMatchTheirLines) {
    RelatedArtists r;
    r.SetLines({"Édith Piaf;ÉDITH GASSION;"});
    EXPECT_EQ(r.Key("édith gassion"), "Édith Piaf");
}

TEST(RelatedArtists, RememberedKeysFollowNewLines) {
    RelatedArtists r;
    r.SetLines({"A;B;"});
    EXPECT_EQ(r.Key("B"), "A");
    r.SetLines({"C;B;"});
    EXPECT_EQ(r.Key("B"), "C");
}

}  // namespace
}  // namespace spindle
