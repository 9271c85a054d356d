#include "base/format.h"

#include <gtest/gtest.h>

namespace spindle {
namespace {

TEST(Format, NumberedPlaceholders) {
    EXPECT_EQ(Format("%0:d of %1:d total tracks used.", 12, 340), "12 of 340 total tracks used.");
    EXPECT_EQ(
        Format("File or Folder \"%0:s\" does not exist in Category \"%1:s\".", "/m/x", "Jazz"),
        "File or Folder \"/m/x\" does not exist in Category \"Jazz\".");
    EXPECT_EQ(Format("%1:s before %0:s", "a", "b"), "b before a");
    EXPECT_EQ(Format("%0:s %1:s Summary", "KXYZ", "Playlist Track"), "KXYZ Playlist Track Summary");
    // Sequential ones continue after an index.
    EXPECT_EQ(Format("%s-%s", "a", "b"), "a-b");
    EXPECT_EQ(Format("%1:s %s", "a", "b", "c"), "b c");
}

TEST(Format, NumbersInGeneralAndThousandsForm) {
    EXPECT_EQ(Format("(%.1g hours)", 150.0 / 60.0), "(3 hours)");
    EXPECT_EQ(Format("(%.1g days)", 2880.0 / 1440.0), "(2 days)");
    EXPECT_EQ(Format("%.0n bytes", 1234567.0), "1,234,567 bytes");
    EXPECT_EQ(Format("%g", 46363.5833333333), "46363.5833333333");
    EXPECT_EQ(Format("%d", -42), "-42");
    EXPECT_EQ(Format("%.3d", 7), "007");
    EXPECT_EQ(Format("%5s|%-5s|", "ab", "cd"), "   ab|cd   |");
    EXPECT_EQ(Format("%x", 255), "FF");
    EXPECT_EQ(Format("%.2f", 2.0), "2.00");
    FormatSettings de = FormatSettings::English();  // with the given separators
    de.DecimalSeparator = ",";
    de.ThousandSeparator = ".";
    EXPECT_EQ(FormatIn(de, "%g", 0.9), "0,9");
    EXPECT_EQ(FormatIn(de, "%.0n", 1234567.0), "1.234.567");
}

// A faulty pattern keeps its text; values are never expanded again.
TEST(Format, AFaultyPatternKeepsItsText) {
    EXPECT_EQ(Format("%s", "100% %s %d"), "100% %s %d");
    EXPECT_EQ(Format("%2:s and %s", "a"), "%2:s and a");
    EXPECT_EQ(Format("50%% done"), "50% done");
    EXPECT_EQ(Format("ends with %"), "ends with %");
    EXPECT_EQ(Format("%q %s", "x"), "%q x");
    EXPECT_EQ(Format("%d", "text"), "");
}

}  // namespace
}  // namespace spindle
