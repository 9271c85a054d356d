#pragma once

#include <array>
#include <string>

namespace spindle {

// The date, time and number conventions every formatter and reader uses. Taken from
// the C library's locale at start-up; tests and callers that need fixed output pass
// English() or their own values.
struct FormatSettings {
    std::string DecimalSeparator = ".";
    std::string ThousandSeparator = ",";
    std::string DateSeparator = "/";
    std::string TimeSeparator = ":";
    std::string ShortDateFormat = "m/d/yyyy";
    std::string LongDateFormat = "dddd, mmmm d, yyyy";
    std::string ShortTimeFormat = "h:nn AMPM";
    std::string LongTimeFormat = "h:nn:ss AMPM";
    std::string TimeAMString = "AM";
    std::string TimePMString = "PM";
    std::array<std::string, 12> ShortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::array<std::string, 12> LongMonthNames{"January",   "February", "March",    "April",
                                               "May",       "June",     "July",     "August",
                                               "September", "October",  "November", "December"};
    // Sunday first.
    std::array<std::string, 7> ShortDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    std::array<std::string, 7> LongDayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                            "Thursday", "Friday", "Saturday"};

    static FormatSettings English() { return {}; }
    // The conventions of the environment's LC_TIME and LC_NUMERIC; English where the
    // locale is C/POSIX or cannot be read.
    static FormatSettings FromLocale();
};

// Turns a C library date pattern ("%d.%m.%Y") into the program's pattern letters
// ("dd.mm.yyyy").
std::string PatternFromStrftime(const std::string& cPattern);

}  // namespace spindle
