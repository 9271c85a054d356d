#include "base/float_text.h"

#include <gtest/gtest.h>

#include <cmath>

#include "base/datetime.h"

namespace spindle {
namespace {

const FormatSettings kEn = FormatSettings::English();

// Fifteen digits (the Playlist Log's times; single-precision item times as they are held),
// scientific notation outside the fixed range, and every value read back.
TEST(FloatText, WritesFifteenDigitsAndReadsThemBack) {
    const float item1 = static_cast<float>(12.0 / 3600.0);
    const float item2 = item1 + static_cast<float>(206.0 / 3600.0);
    const float item3 = item2 + static_cast<float>(21.0 / 3600.0);
    const TDateTime day = EncodeDate(2026, 12, 7);
    const std::pair<double, const char*> cases[] = {
        {day - 2 + EncodeTime(11, 24, 30), "46361.4753472222"},
        {day + 14.0 / 24, "46363.5833333333"},
        {day + 15.0 / 24, "46363.625"},
        {46363.0, "46363"},
        {item1, "0.00333333341404796"},
        {item2, "0.0605555549263954"},
        {item3, "0.0663888901472092"},
        {1.0 / 3.0, "0.333333333333333"},
        {static_cast<float>(1.0 / 3.0), "0.333333343267441"},
        {0.25, "0.25"},
        {0.00001, "0.00001"},
        {0.000001, "1E-6"},
        {1.5e-7, "1.5E-7"},
        {123456789012345.0, "123456789012345"},
        {1234567890123456.0, "1.23456789012346E15"},
        {1e20, "1E20"},
        {-2.5, "-2.5"},
        {0.0, "0"},
        {-0.0, "0"},
        {123456.789, "123456.789"}};
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(FloatToText(value, kEn), text);
        const auto back = TextToFloat(text, kEn);
        ASSERT_TRUE(back) << text;
        EXPECT_NEAR(*back, value, std::fabs(value) * 1e-14) << text;
    }
}

TEST(FloatText, RoundsHalfAwayFromZero) {
    EXPECT_EQ(FloatToText(2.5, kEn, 1), "3");
    EXPECT_EQ(FloatToText(0.125, kEn, 2), "0.13");
    EXPECT_EQ(FloatToText(9.96, kEn, 2), "10");
    EXPECT_EQ(FloatToText(99.5, kEn, 2), "1E2");
    EXPECT_EQ(FloatToText(0.99999999999999999, kEn), "1");
}

TEST(FloatText, UsesTheDecimalSeparatorBothWays) {
    FormatSettings de = kEn;
    de.DecimalSeparator = ",";
    EXPECT_EQ(FloatToText(0.9, de), "0,9");
    EXPECT_EQ(TextToFloat("0,9", de), 0.9);
    EXPECT_FALSE(TextToFloat("0.9", de));
    EXPECT_EQ(TextToFloat("46363,5833333333", de), 46363.5833333333);
}

TEST(FloatText, RejectsWhatIsNotANumber) {
    for (const char* bad :
         {"", " ", "abc", "1.2.3", "1e", "--1", "1,5", "0x10", "1e999", "NAN", "12abc", "."}) {
        EXPECT_FALSE(TextToFloat(bad, kEn)) << bad;
    }
    EXPECT_EQ(TextToFloat("  7 ", kEn), 7.0);
    EXPECT_EQ(TextToFloat("-.5", kEn), -0.5);
    EXPECT_EQ(TextToFloat("5.", kEn), 5.0);
    EXPECT_EQ(TextToFloat("+1E3", kEn), 1000.0);
}

TEST(FloatText, FixedNotationWithThousands) {
    EXPECT_EQ(FloatToFixed(1234567.0, 0, true, kEn), "1,234,567");
    EXPECT_EQ(FloatToFixed(999.5, 0, true, kEn), "1,000");
    EXPECT_EQ(FloatToFixed(0.004, 2, false, kEn), "0.00");
    EXPECT_EQ(FloatToFixed(0.006, 2, false, kEn), "0.01");
    EXPECT_EQ(FloatToFixed(-12.345, 1, false, kEn), "-12.3");
}

TEST(FloatText, WholeNumbers) {
    EXPECT_EQ(TextToInt("0012"), 12);
    EXPECT_EQ(TextToInt("-5"), -5);
    EXPECT_EQ(TextToInt("+5"), 5);
    EXPECT_EQ(TextToInt("-9223372036854775808"), std::numeric_limits<long long>::min());
    for (const char* bad :
         {"", "-", "--5", "+-5", "1 ", " 1", "12a", "9223372036854775808", "1.0"}) {
        EXPECT_FALSE(TextToInt(bad)) << bad;
    }
}

}  // namespace
}  // namespace spindle
