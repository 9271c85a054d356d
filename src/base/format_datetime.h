#pragma once

#include <string>
#include <string_view>

#include "base/datetime.h"
#include "base/format_settings.h"

namespace spindle {

// Formats a date-time with the program's pattern letters:
//   d dd ddd dddd ddddd(short date) dddddd(long date), m mm mmm mmmm (minutes right after
//   h or hh), yy yyyy, h hh, n nn, s ss, z zzz, t(short time) tt(long time), c,
//   am/pm a/p ampm (which also switch h to the 12-hour clock), "/" and ":" as the
//   date and time separators, and text in single or double quotes copied as it is.
std::string FormatDateTime(std::string_view pattern, TDateTime value,
                           const FormatSettings& settings);

// The short date ("ddddd") in the d/M/y letters date pickers take (those of Unicode's
// date patterns), so a picker shows a date as every list does: "m/d/yyyy" with "." as
// the separator gives "M.d.yyyy"; any other letter is quoted.
std::string ShortDatePickerPattern(const FormatSettings& settings);

}  // namespace spindle
