#include "base/datetime.h"

#include <chrono>
#include <cmath>

namespace spindle {
namespace {

// Days from 1970-01-01 to a proleptic Gregorian date (H. Hinnant's algorithm).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

CalendarDate CivilFromDays(std::int64_t z) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

constexpr std::int64_t kUnixEpochDay = 25569;  // 1970-01-01 as a day count
// Dates are kept within 1 January 0001 and 31 December 9999.
constexpr double kFirstDay = -693593.0;
constexpr double kLastDay = 2958465.0;

}  // namespace

DayAndTime SplitDateTime(TDateTime value) {
    if (!std::isfinite(value)) {
        value = 0.0;
    }
    if (value < kFirstDay) {
        value = kFirstDay;
    } else if (value >= kLastDay + 1.0) {
        value = kLastDay + 0.999999988;
    }
    // Rounded to the millisecond over the whole value, so 0.99999999999 of a day
    // is already the next midnight.
    const auto total = static_cast<std::int64_t>(std::nearbyint(value * kMSecsPerDay));
    DayAndTime result;
    result.Day = total / kMSecsPerDay;
    result.MSec = (total < 0 ? -total : total) % kMSecsPerDay;
    return result;
}

bool IsValidDate(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) {
        return false;
    }
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const int last = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
    return day <= last;
}

bool TryEncodeDate(int year, int month, int day, TDateTime& result) {
    if (!IsValidDate(year, month, day)) {
        return false;
    }
    result = static_cast<double>(
        DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) +
        kUnixEpochDay);
    return true;
}

TDateTime EncodeDate(int year, int month, int day) {
    TDateTime result = 0.0;
    TryEncodeDate(year, month, day, result);
    return result;
}

TDateTime EncodeTime(int hour, int minute, int second, int msec) {
    return (static_cast<double>(hour) * 3600000.0 + minute * 60000.0 + second * 1000.0 + msec) /
           static_cast<double>(kMSecsPerDay);
}

CalendarDate DecodeDate(TDateTime value) {
    return CivilFromDays(SplitDateTime(value).Day - kUnixEpochDay);
}

ClockTime DecodeTime(TDateTime value) {
    const std::int64_t ms = SplitDateTime(value).MSec;
    ClockTime t;
    t.Hour = static_cast<int>(ms / 3600000);
    t.Minute = static_cast<int>(ms / 60000 % 60);
    t.Second = static_cast<int>(ms / 1000 % 60);
    t.Millisecond = static_cast<int>(ms % 1000);
    return t;
}

int DayOfWeekMondayFirst(TDateTime value) {
    // Day 0 (30 December 1899) was a Saturday.
    const std::int64_t day = SplitDateTime(value).Day;
    return static_cast<int>(((day + 5) % 7 + 7) % 7);
}

std::int64_t DateOf(TDateTime value) {
    return SplitDateTime(value).Day;
}

TDateTime LocalDateTimeFromUnix(std::time_t t) {
    std::tm local{};
    if (localtime_r(&t, &local) == nullptr) {
        return 0.0;
    }
    TDateTime date = 0.0;
    if (!TryEncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, date)) {
        return 0.0;
    }
    return date + EncodeTime(local.tm_hour, local.tm_min, local.tm_sec);
}

TDateTime NowLocal() {
    const auto now = std::chrono::system_clock::now();
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
    const std::time_t secs = static_cast<std::time_t>(ms / 1000);
    return LocalDateTimeFromUnix(secs) + static_cast<double>(ms % 1000) / kMSecsPerDay;
}

std::uint32_t DosDateTimeFromUnix(std::time_t t) {
    std::tm local{};
    if (localtime_r(&t, &local) == nullptr) {
        return 0;
    }
    const int year = local.tm_year + 1900;
    if (year < 1980 || year > 2107) {
        return 0;
    }
    const std::uint32_t date = static_cast<std::uint32_t>(
        ((year - 1980) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday);
    const std::uint32_t time = static_cast<std::uint32_t>((local.tm_hour << 11) |
                                                          (local.tm_min << 5) | (local.tm_sec / 2));
    return (date << 16) | time;
}

TDateTime DosDateTimeToDateTime(std::uint32_t dos) {
    if (dos == 0) {
        return 0.0;
    }
    const auto date = static_cast<int>(dos >> 16);
    const auto time = static_cast<int>(dos & 0xFFFF);
    const int hour = time >> 11;
    const int minute = (time >> 5) & 63;
    const int second = (time & 31) * 2;
    TDateTime result = 0.0;
    if (hour > 23 || minute > 59 || second > 59 ||
        !TryEncodeDate((date >> 9) + 1980, (date >> 5) & 15, date & 31, result)) {
        return 0.0;
    }
    return result + EncodeTime(hour, minute, second);
}

}  // namespace spindle
