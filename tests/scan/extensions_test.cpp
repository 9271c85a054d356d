#include "scan/extensions.h"

#include <gtest/gtest.h>

namespace spindle {
namespace {

TEST(Extensions, AllAtFirstThenMatchOnTheFirstFourLettersOfTheName) {
    ExtensionSet set;
    EXPECT_EQ(set.SelectedNames().size(), ExtensionSet::kCount);
    EXPECT_TRUE(set.IsExtensionEnabled(".BAT"));
    set.SelectNone();
    EXPECT_FALSE(set.AnySelected());
    set.Select("AIF");
    set.Select("mpeg");
    EXPECT_TRUE(set.IsExtensionEnabled(".AIF"));
    EXPECT_FALSE(set.IsExtensionEnabled(".AIFF"));  // only when AIFF itself is selected
    EXPECT_TRUE(set.IsExtensionEnabled(".mpeg"));
    EXPECT_TRUE(set.IsExtensionEnabled(".MPEGX"));  // looked up by its first four
    EXPECT_FALSE(set.IsExtensionEnabled(".MP3"));
    EXPECT_FALSE(set.IsExtensionEnabled(""));
    EXPECT_FALSE(set.IsExtensionEnabled(".FLAC"));
    EXPECT_FALSE(set.Select("FLAC"));
    EXPECT_EQ(set.SelectedNames(), (std::vector<std::string>{"AIF", "MPEG"}));
}

}  // namespace
}  // namespace spindle
