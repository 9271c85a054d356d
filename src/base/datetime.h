#pragma once

#include <cstdint>
#include <ctime>

namespace spindle {

// A moment as a day count from 30 December 1899; the fraction is the time of day.
// 0 means "never"; 1.0 is what a reset of last-used times stores.
using TDateTime = double;

inline constexpr TDateTime kNever = 0.0;
inline constexpr TDateTime kResetLastUsed = 1.0;
inline constexpr double kHoursPerDay = 24.0;
inline constexpr double kMinutesPerDay = 1440.0;
inline constexpr double kSecondsPerDay = 86400.0;
inline constexpr std::int64_t kMSecsPerDay = 86400000;

struct CalendarDate {
    int Year = 1899;
    int Month = 12;
    int Day = 30;
};

struct ClockTime {
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    int Millisecond = 0;
};

// The whole-day and millisecond parts of a date-time, rounded to the millisecond
// the way every formatter and decoder of the program sees it.
struct DayAndTime {
    std::int64_t Day = 0;   // days since 30 December 1899
    std::int64_t MSec = 0;  // milliseconds into that day, 0 to 86399999
};

DayAndTime SplitDateTime(TDateTime value);

bool IsValidDate(int year, int month, int day);
bool TryEncodeDate(int year, int month, int day, TDateTime& result);
TDateTime EncodeDate(int year, int month, int day);  // an invalid date gives 0
TDateTime EncodeTime(int hour, int minute, int second, int msec = 0);
CalendarDate DecodeDate(TDateTime value);
ClockTime DecodeTime(TDateTime value);

// 0 = Monday ... 6 = Sunday, the order of a schedule's day flags.
int DayOfWeekMondayFirst(TDateTime value);
// Whole day number of a date-time (its date without time of day).
std::int64_t DateOf(TDateTime value);

// Wall-clock conversions use the local time zone.
TDateTime LocalDateTimeFromUnix(std::time_t t);
TDateTime NowLocal();

// DOS date-times pack a local date and time into 32 bits (date in the high word,
// two-second resolution). 0 means no date.
std::uint32_t DosDateTimeFromUnix(std::time_t t);
TDateTime DosDateTimeToDateTime(std::uint32_t dos);

}  // namespace spindle
