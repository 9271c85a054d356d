#include "station/related.h"

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

// An artist's key is the first name of the line naming it, whatever the case, accents
// too; the ends of longer names match; of several lines naming an artist, the first that
// names it after its start wins; keys remembered follow new lines.
TEST(RelatedArtists, MembersMapToTheFirstNameOfTheirLine) {
    using Lines = std::vector<std::string>;
    const struct {
        Lines Related;
        const char* Artist;
        const char* Key;
    } cases[] = {
        {{"Beatles;John Lennon;"}, "john lennon", "Beatles"},
        {{"Beatles;John Lennon;"}, "JOHN LENNON", "Beatles"},
        {{"Beatles;John Lennon;"}, "Beatles", "Beatles"},
        {{"Beatles;John Lennon;"}, "Wings", "Wings"},
        {{"Johnny Ray;Ray;"}, "Ray", "Johnny Ray"},
        {{"Johnny Ray;Ray;"}, "Johnny Ray", "Johnny Ray"},
        {{"Ray;Other;", "Johnny Ray;Ray;", "Ray Charles;Ray;"}, "Ray", "Johnny Ray"},
        {{"Édith Piaf;ÉDITH GASSION;"}, "édith gassion", "Édith Piaf"},
        {{"A;B;"}, "B", "A"},
        {{"C;B;"}, "B", "C"},
    };
    RelatedArtists r;
    for (const auto& c : cases) {
        r.SetLines(c.Related);
        EXPECT_EQ(r.Key(c.Artist), c.Key) << c.Artist;
    }
}

}  // namespace
}  // namespace spindle
