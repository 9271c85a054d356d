#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/format_settings.h"

namespace spindle {

// The general floating-point text of every data file: at most `precision` significant
// digits, rounded half away from zero, trailing zeros dropped; fixed notation when the
// value is at least 0.00001 and its integer digits fit the precision, otherwise
// scientific ("1.5E-7"). The decimal separator comes from the settings.
std::string FloatToText(double value, const FormatSettings& settings, int precision = 15);

// Fixed notation with `decimals` places, optionally with thousands separators.
std::string FloatToFixed(double value, int decimals, bool thousands,
                         const FormatSettings& settings);

// Reads what FloatToText writes, and the usual variations: surrounding blanks, a sign,
// an exponent. The decimal separator must be the settings' one. Anything else fails.
std::optional<double> TextToFloat(std::string_view text, const FormatSettings& settings);

// A whole number in decimal with an optional sign, nothing else around it.
std::optional<long long> TextToInt(std::string_view text);

}  // namespace spindle
