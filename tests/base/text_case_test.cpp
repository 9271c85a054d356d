#include "base/text_case.h"

#include <gtest/gtest.h>

#include <set>

namespace spindle {
namespace {

TEST(TextCase, ComparesNamesWithoutRegardToCase) {
    EXPECT_TRUE(SameText("Current Hits", "CURRENT hits"));
    EXPECT_TRUE(SameText("Beyoncé", "BEYONCÉ"));
    EXPECT_TRUE(SameText("Straße", "STRASSE"));  // full folding, not just one letter each
    EXPECT_TRUE(SameText("ΣΊΣΥΦΟΣ", "σίσυφος"));
    EXPECT_FALSE(SameText("Jazz", "Jazz "));
    EXPECT_LT(CompareText("abc", "ABD"), 0);
    EXPECT_GT(CompareText("b", "A"), 0);
    EXPECT_LT(CompareText("a", "ab"), 0);
    EXPECT_FALSE(SameText("a\xFF", "b\xFF"));  // invalid bytes do not break comparison
    EXPECT_FALSE(FoldCase("\xC3").empty());
}

TEST(TextCase, LowerAndUpperCaseAndSortedSetsFollowUnicode) {
    EXPECT_EQ(LowerCase(".MP3"), ".mp3");
    EXPECT_EQ(UpperCase(".aiff"), ".AIFF");
    EXPECT_EQ(LowerCase("ÉCOLE"), "école");
    EXPECT_EQ(UpperCase("straße"), "STRASSE");
    // Sorted sets find any spelling.
    std::set<std::string, TextLess> names{"Jazz", "blues", "Émile"};
    EXPECT_EQ(names.count("JAZZ"), 1u);
    EXPECT_EQ(names.count("émile"), 1u);
    EXPECT_EQ(*names.begin(), "blues");
}

}  // namespace
}  // namespace spindle
