#include "base/float_text.h"

#include <gtest/gtest.h>

#include <cmath>

#include "base/datetime.h"

namespace spindle {
namespace {

const FormatSettings kEn = FormatSettings::English();

TEST(FloatText, WritesPlaylistLogTimesToFifteenDigits) {
    EXPECT_EQ(FloatToText(EncodeDate(2026, 12, 5) + EncodeTime(11, 24, 30), kEn),
              "46361.4753472222");
    EXPECT_EQ(FloatToText(EncodeDate(2026, 12, 7) + 14.0 / 24.0, kEn), "46363.5833333333");
    EXPECT_EQ(FloatToText(EncodeDate(2026, 12, 7) + 15.0 / 24.0, kEn), "46363.625");
    EXPECT_EQ(FloatToText(46363.0, kEn), "46363");
    // Single-precision item times as they are held.
    float t = 0.0f;
    t += static_cast<float>(12.0 / 3600.0);
    EXPECT_EQ(FloatToText(t, kEn), "0.00333333341404796");
    t += static_cast<float>(206.0 / 3600.0);
    EXPECT_EQ(FloatToText(t, kEn), "0.0605555549263954");
    t += static_cast<float>(21.0 / 3600.0);
    EXPECT_EQ(FloatToText(t, kEn), "0.0663888901472092");
    EXPECT_EQ(FloatToText(1.0 / 3.0, kEn), "0.333333333333333");
    EXPECT_EQ(FloatToText(static_cast<float>(1.0 / 3.0), kEn), "0.333333343267441");
    EXPECT_EQ(FloatToText(0.25, kEn), "0.25");
}

TEST(FloatText, SwitchesToScientificOutsideTheFixedRange) {
    EXPECT_EQ(FloatToText(0.00001, kEn), "0.00001");
    EXPECT_EQ(FloatToText(0.000001, kEn), "1E-6");
    EXPECT_EQ(FloatToText(1.5e-7, kEn), "1.5E-7");
    EXPECT_EQ(FloatToText(123456789012345.0, kEn), "123456789012345");
    EXPECT_EQ(FloatToText(1234567890123456.0, kEn), "1.23456789012346E15");
    EXPECT_EQ(FloatToText(1e20, kEn), "1E20");
    EXPECT_EQ(FloatToText(-2.5, kEn), "-2.5");
    EXPECT_EQ(FloatToText(0.0, kEn), "0");
    EXPECT_EQ(FloatToText(-0.0, kEn), "0");
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

TEST(FloatText, ReadsBackEveryValueItWrites) {
    for (double v :
         {46363.5833333333, 0.00333333341404796, 1e-6, 1.5e-7, 1e20, -2.5, 0.0, 123456.789, 1.0}) {
        const auto back = TextToFloat(FloatToText(v, kEn), kEn);
        ASSERT_TRUE(back) << v;
        EXPECT_NEAR(*back, v, std::fabs(v) * 1e-14) << v;
    }
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
