#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

#include "base/format_settings.h"

namespace spindle {

using FormatArg = std::variant<long long, double, std::string>;

// Fills a message text: "%s", "%d", "%g", "%f", "%n", "%x", "%u", "%e", each optionally
// with an argument index ("%1:s"), left alignment ("%-8s"), a width and a precision
// ("%.1g", "%.0n"); "%%" is a per-cent sign. A placeholder without a matching argument
// stays in the text as written, so a faulty translation never loses the message.
std::string FormatWith(const FormatSettings& settings, std::string_view pattern,
                       const std::vector<FormatArg>& args);

namespace detail {
template <typename T>
FormatArg ToFormatArg(T&& value) {
    using V = std::decay_t<T>;
    if constexpr (std::is_same_v<V, bool>) {
        return static_cast<long long>(value ? 1 : 0);
    } else if constexpr (std::is_integral_v<V>) {
        return static_cast<long long>(value);
    } else if constexpr (std::is_floating_point_v<V>) {
        return static_cast<double>(value);
    } else {
        return std::string(std::forward<T>(value));
    }
}
}  // namespace detail

template <typename... Args>
std::string FormatIn(const FormatSettings& settings, std::string_view pattern, Args&&... args) {
    return FormatWith(settings, pattern, {detail::ToFormatArg(std::forward<Args>(args))...});
}

// The same with English number conventions; message texts mostly carry names and counts.
template <typename... Args>
std::string Format(std::string_view pattern, Args&&... args) {
    static const FormatSettings kEnglish = FormatSettings::English();
    return FormatIn(kEnglish, pattern, std::forward<Args>(args)...);
}

}  // namespace spindle
