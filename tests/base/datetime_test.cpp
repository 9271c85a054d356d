#include "base/datetime.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <tuple>

namespace spindle {
namespace {

TEST(DateTime, DayCountStartsOnThirtiethOfDecember1899) {
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(1899, 12, 31), 1.0);
    EXPECT_EQ(EncodeDate(2026, 12, 7), 46363.0);
    EXPECT_EQ(EncodeDate(1900, 3, 1), 61.0);  // 1900 was no leap year
}

TEST(DateTime, DecodesWhatItEncodes) {
    // 45351 is 29 February 2024.
    for (double day : {-693593.0, -1.0, 0.0, 59.0, 60.0, 36526.0, 45351.0, 46363.0, 2958465.0}) {
        const CalendarDate d = DecodeDate(day);
        EXPECT_EQ(EncodeDate(d.Year, d.Month, d.Day), day) << day;
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

TEST(DateTime, TimeOfDayRoundsToTheMillisecond) {
    const ClockTime t = DecodeTime(46363.0 + EncodeTime(14, 5, 9, 250));
    EXPECT_EQ(std::tuple(t.Hour, t.Minute, t.Second, t.Millisecond), std::tuple(14, 5, 9, 250));
    // A value a hair below midnight is already the next day.
    const CalendarDate next = DecodeDate(46363.9999999999);
    EXPECT_EQ(next.Day, 8);
    EXPECT_EQ(DecodeTime(46363.9999999999).Hour, 0);
}

TEST(DateTime, NegativeValuesCountBackwardsAndNoValueBreaksDecoding) {
    // -1.25 is 29 December 1899, 06:00.
    const CalendarDate d = DecodeDate(-1.25);
    EXPECT_EQ(d.Day, 29);
    EXPECT_EQ(DecodeTime(-1.25).Hour, 6);
    // Values out of range do not break decoding.
    EXPECT_EQ(DecodeDate(1e300).Year, 9999);
    EXPECT_EQ(DecodeDate(-1e300).Year, 1);
    EXPECT_EQ(DecodeDate(std::numeric_limits<double>::quiet_NaN()).Year, 1899);
}

TEST(DateTime, WeekdaysAreMondayFirst) {
    EXPECT_EQ(DayOfWeekMondayFirst(EncodeDate(2026, 12, 7)), 0);   // a Monday
    EXPECT_EQ(DayOfWeekMondayFirst(EncodeDate(2026, 12, 13)), 6);  // a Sunday
    EXPECT_EQ(DayOfWeekMondayFirst(0.0), 5);                       // a Saturday
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
