#include "base/float_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace spindle {
namespace {

// A finite, non-negative value as decimal digits d1 d2 ... with value 0.d1d2... x 10^Exponent.
struct Decimal {
    std::string Digits;  // no leading zeros; empty for zero
    int Exponent = 0;
};

// The exact leading digits of the value, 40 of them, which is more than any rounding
// below needs.
Decimal ExactDigits(double value) {
    Decimal d;
    if (value == 0.0) {
        return d;
    }
    // The same digits as printf's "%.39e", several times faster: a save writes two of
    // these for every track.
    char buf[64];
    const auto written =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 39);
    // buf: d.ddd...e+XX
    std::string text(buf, written.ptr);
    const std::size_t e = text.find('e');
    d.Digits = text.substr(0, 1) + text.substr(2, e - 2);
    d.Exponent = std::atoi(text.c_str() + e + 1) + 1;
    return d;
}

// Keeps `keep` leading digits, rounding half away from zero; may carry into a new digit.
void RoundDigits(Decimal& d, int keep) {
    if (keep < 0) {
        d.Digits.clear();
        return;
    }
    if (static_cast<int>(d.Digits.size()) <= keep) {
        return;
    }
    const bool up = d.Digits[static_cast<std::size_t>(keep)] >= '5';
    d.Digits.resize(static_cast<std::size_t>(keep));
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.Digits[static_cast<std::size_t>(i)] == '9') {
            d.Digits[static_cast<std::size_t>(i)] = '0';
            --i;
        }
        if (i < 0) {
            d.Digits.insert(d.Digits.begin(), '1');
            d.Exponent += 1;
            d.Digits.pop_back();
            if (d.Digits.empty()) {
                d.Digits = "1";
            }
        } else {
            ++d.Digits[static_cast<std::size_t>(i)];
        }
    }
    while (!d.Digits.empty() && d.Digits.back() == '0') {
        d.Digits.pop_back();
    }
}

std::string SpecialText(double value) {
    if (std::isnan(value)) {
        return "NAN";
    }
    return value < 0 ? "-INF" : "INF";
}

std::string GroupThousands(const std::string& integer, const std::string& separator) {
    std::string out;
    const std::size_t n = integer.size();
    for (std::size_t i = 0; i < n; ++i) {
        out += integer[i];
        const std::size_t left = n - i - 1;
        if (left > 0 && left % 3 == 0) {
            out += separator;
        }
    }
    return out;
}

}  // namespace

std::string FloatToText(double value, const FormatSettings& settings, int precision) {
    if (!std::isfinite(value)) {
        return SpecialText(value);
    }
    if (precision < 1) {
        precision = 1;
    }
    if (precision > 18) {
        precision = 18;
    }
    const bool negative = value < 0;
    Decimal d = ExactDigits(std::fabs(value));
    RoundDigits(d, precision);
    if (d.Digits.empty()) {
        return "0";
    }
    std::string out = negative ? "-" : "";
    // 0.00001 has the exponent -4 in the 0.ddd form.
    if (d.Exponent > precision || d.Exponent < -4) {
        out += d.Digits[0];
        if (d.Digits.size() > 1) {
            out += settings.DecimalSeparator;
            out += d.Digits.substr(1);
        }
        out += 'E';
        const int exponent = d.Exponent - 1;
        out += std::to_string(exponent);
        return out;
    }
    if (d.Exponent <= 0) {
        out += "0";
        out += settings.DecimalSeparator;
        out.append(static_cast<std::size_t>(-d.Exponent), '0');
        out += d.Digits;
        return out;
    }
    const auto intDigits = static_cast<std::size_t>(d.Exponent);
    if (d.Digits.size() <= intDigits) {
        out += d.Digits;
        out.append(intDigits - d.Digits.size(), '0');
    } else {
        out += d.Digits.substr(0, intDigits);
        out += settings.DecimalSeparator;
        out += d.Digits.substr(intDigits);
    }
    return out;
}

std::string FloatToFixed(double value, int decimals, bool thousands,
                         const FormatSettings& settings) {
    if (!std::isfinite(value)) {
        return SpecialText(value);
    }
    decimals = std::max(0, std::min(decimals, 18));
    const bool negative = value < 0;
    Decimal d = ExactDigits(std::fabs(value));
    RoundDigits(d, d.Exponent + decimals);
    std::string integer;
    std::string fraction;
    for (int pos = 1; pos <= std::max(d.Exponent, 0); ++pos) {
        const auto idx = static_cast<std::size_t>(pos - 1);
        integer += idx < d.Digits.size() ? d.Digits[idx] : '0';
    }
    if (integer.empty()) {
        integer = "0";
    }
    for (int pos = 1; pos <= decimals; ++pos) {
        const int idx = d.Exponent + pos - 1;
        fraction += (idx >= 0 && idx < static_cast<int>(d.Digits.size()))
                        ? d.Digits[static_cast<std::size_t>(idx)]
                        : '0';
    }
    std::string out = (negative && !d.Digits.empty()) ? "-" : "";
    out += thousands ? GroupThousands(integer, settings.ThousandSeparator) : integer;
    if (decimals > 0) {
        out += settings.DecimalSeparator;
        out += fraction;
    }
    return out;
}

std::optional<double> TextToFloat(std::string_view text, const FormatSettings& settings) {
    // The common case, a plain number with a "." separator, needs no copy.
    if (settings.DecimalSeparator == "." && !text.empty() && text[0] != '+' &&
        static_cast<unsigned char>(text[0]) > ' ' && (text[0] != '-' || text.size() > 1)) {
        double value = 0.0;
        const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (ec == std::errc() && ptr == text.data() + text.size() && std::isfinite(value) &&
            text.find_first_of("nN") == std::string_view::npos) {
            return value;
        }
    }
    std::size_t i = 0;
    std::size_t end = text.size();
    while (i < end && static_cast<unsigned char>(text[i]) <= ' ') {
        ++i;
    }
    while (end > i && static_cast<unsigned char>(text[end - 1]) <= ' ') {
        --end;
    }
    std::string plain;
    if (i < end && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') {
            plain += '-';
        }
        ++i;
    }
    bool digits = false;
    while (i < end && text[i] >= '0' && text[i] <= '9') {
        plain += text[i++];
        digits = true;
    }
    const std::string_view sep = settings.DecimalSeparator;
    if (!sep.empty() && text.substr(i, sep.size()) == sep && i < end) {
        i += sep.size();
        plain += '.';
        while (i < end && text[i] >= '0' && text[i] <= '9') {
            plain += text[i++];
            digits = true;
        }
    }
    if (!digits) {
        return std::nullopt;
    }
    if (i < end && (text[i] == 'e' || text[i] == 'E')) {
        plain += 'e';
        ++i;
        if (i < end && (text[i] == '+' || text[i] == '-')) {
            plain += text[i++];
        }
        bool expDigits = false;
        while (i < end && text[i] >= '0' && text[i] <= '9') {
            plain += text[i++];
            expDigits = true;
        }
        if (!expDigits) {
            return std::nullopt;
        }
    }
    if (i != end) {
        return std::nullopt;
    }
    double result = 0.0;
    const auto [ptr, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), result);
    if (ec != std::errc() || ptr != plain.data() + plain.size() || !std::isfinite(result)) {
        return std::nullopt;
    }
    return result;
}

std::optional<long long> TextToInt(std::string_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        i = 1;
    }
    if (i >= text.size() || text[i] < '0' || text[i] > '9') {
        return std::nullopt;
    }
    unsigned long long magnitude = 0;
    const auto [ptr, ec] = std::from_chars(text.data() + i, text.data() + text.size(), magnitude);
    if (ec != std::errc() || ptr != text.data() + text.size()) {
        return std::nullopt;
    }
    constexpr auto kMax = static_cast<unsigned long long>(std::numeric_limits<long long>::max());
    if (magnitude > kMax + (negative ? 1 : 0)) {
        return std::nullopt;
    }
    if (negative) {
        return magnitude == kMax + 1 ? std::numeric_limits<long long>::min()
                                     : -static_cast<long long>(magnitude);
    }
    return static_cast<long long>(magnitude);
}

}  // namespace spindle
