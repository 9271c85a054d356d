#include "base/datetime.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <tuple>

namespace spindle {
namespace {

// Day numbers count from 30 December 1899 (1900 was no leap year) both ways, weekdays
// Monday first.
TEST(DateTime, DayNumbersDecodeToTheirDatesAndWeekdays) {
    const struct {
        int Year, Month, Day;
        double Number;
        int Weekday;
    } cases[] = {{1, 1, 1, -693593, 0},   {1899, 12, 23, -7, 5},    {1899, 12, 30, 0, 5},
                 {1899, 12, 31, 1, 6},    {1900, 2, 27, 59, 1},     {1900, 2, 28, 60, 2},
                 {1900, 3, 1, 61, 3},     {2000, 1, 1, 36526, 5},   {2024, 2, 29, 45351, 3},
                 {2026, 12, 7, 46363, 0}, {2026, 12, 13, 46369, 6}, {9999, 12, 31, 2958465, 4}};
    for (const auto& c : cases) {
        EXPECT_EQ(EncodeDate(c.Year, c.Month, c.Day), c.Number);
        const CalendarDate d = DecodeDate(c.Number);
        EXPECT_EQ(std::tuple(d.Year, d.Month, d.Day), std::tuple(c.Year, c.Month, c.Day))
            << c.Number;
        EXPECT_EQ(DayOfWeekMondayFirst(c.Number), c.Weekday) << c.Number;
    }
}

TEST(DateTime, RejectsImpossibleDates) {
    TDateTime out = 5.0;
    EXPECT_FALSE(TryEncodeDate(2023, 2, 29, out));
    EXPECT_FALSE(TryEncodeDate(2026, 13, 1, out));
    EXPECT_FALSE(TryEncodeDate(0, 1, 1, out));
    EXPECT_EQ(out, 5.0);
    EXPECT_EQ(EncodeDate(2026, 4, 31), 0.0);
}

// A time of day rounds to the millisecond; no value breaks decoding.
TEST(DateTime, TimesOfDayAndValuesOutOfRange) {
    const ClockTime t = DecodeTime(46363.0 + EncodeTime(14, 5, 9, 250));
    EXPECT_EQ(std::tuple(t.Hour, t.Minute, t.Second, t.Millisecond), std::tuple(14, 5, 9, 250));
    // A value a hair below midnight is already the next day.
    EXPECT_EQ(DecodeDate(46363.9999999999).Day, 8);
    EXPECT_EQ(DecodeTime(46363.9999999999).Hour, 0);
    // Negative values count backwards: -1.25 is 29 December 1899, 06:00.
    EXPECT_EQ(DecodeDate(-1.25).Day, 29);
    EXPECT_EQ(DecodeTime(-1.25).Hour, 6);
    // Values out of range do not break decoding.
    EXPECT_EQ(DecodeDate(1e300).Year, 9999);
    EXPECT_EQ(DecodeDate(-1e300).Year, 1);
    EXPECT_EQ(DecodeDate(std::numeric_limits<double>::quiet_NaN()).Year, 1899);
}

TEST(DateTime, DosDateTimesRoundTripThroughLocalTime) {
    setenv("TZ", "UTC", 1);
    tzset();
    // 2026-12-07 14:05:08 UTC
    const std::time_t t = 1796652308;
    const std::uint32_t dos = DosDateTimeFromUnix(t);
    ASSERT_NE(dos, 0u);
    const TDateTime back = DosDateTimeToDateTime(dos);
    EXPECT_EQ(DecodeDate(back).Year, 2026);
    EXPECT_EQ(DecodeTime(back).Minute, 5);
    EXPECT_EQ(DecodeTime(back).Second, 8);  // two-second resolution
    EXPECT_NEAR(LocalDateTimeFromUnix(t), back, 1.0 / 86400.0);
    // Outside their range they are no date.
    EXPECT_EQ(DosDateTimeFromUnix(0), 0u);  // 1970 is before 1980
    EXPECT_EQ(DosDateTimeToDateTime(0), 0.0);
    EXPECT_EQ(DosDateTimeToDateTime(0xFFFFFFFF), 0.0);  // month 15, hour 31
}

}  // namespace
}  // namespace spindle
