#include "base/format.h"

#include <cstdio>

#include "base/float_text.h"

namespace spindle {
namespace {

struct Spec {
    int Index = -1;
    bool Left = false;
    int Width = -1;
    int Precision = -1;
    char Type = 0;
    std::size_t End = 0;  // one past the type letter
};

// Reads "%[index:][-][width][.prec]type" at pos (which holds the '%').
bool ParseSpec(std::string_view p, std::size_t pos, Spec& spec) {
    std::size_t i = pos + 1;
    auto readNumber = [&](int& out) {
        const std::size_t start = i;
        long value = 0;
        while (i < p.size() && p[i] >= '0' && p[i] <= '9' && i - start < 6) {
            value = value * 10 + (p[i] - '0');
            ++i;
        }
        if (i == start) {
            return false;
        }
        out = static_cast<int>(value);
        return true;
    };
    int number = -1;
    if (readNumber(number)) {
        if (i < p.size() && p[i] == ':') {
            spec.Index = number;
            ++i;
        } else {
            spec.Width = number;
        }
    }
    if (spec.Width < 0) {
        if (i < p.size() && p[i] == '-') {
            spec.Left = true;
            ++i;
        }
        readNumber(spec.Width);
    }
    if (i < p.size() && p[i] == '.') {
        ++i;
        if (!readNumber(spec.Precision)) {
            return false;
        }
    }
    if (i >= p.size()) {
        return false;
    }
    const char type = static_cast<char>(p[i] | 0x20);
    if (std::string_view("dsgfnxue").find(type) == std::string_view::npos) {
        return false;
    }
    spec.Type = type;
    spec.End = i + 1;
    return true;
}

double AsDouble(const FormatArg& arg) {
    if (const auto* i = std::get_if<long long>(&arg)) {
        return static_cast<double>(*i);
    }
    if (const auto* d = std::get_if<double>(&arg)) {
        return *d;
    }
    return 0.0;
}

std::string Render(const Spec& spec, const FormatArg& arg, const FormatSettings& fs) {
    std::string text;
    switch (spec.Type) {
        case 's':
            if (const auto* s = std::get_if<std::string>(&arg)) {
                text = *s;
            } else if (const auto* i = std::get_if<long long>(&arg)) {
                text = std::to_string(*i);
            } else {
                text = FloatToText(std::get<double>(arg), fs);
            }
            if (spec.Precision >= 0 && static_cast<int>(text.size()) > spec.Precision) {
                text.resize(static_cast<std::size_t>(spec.Precision));
            }
            break;
        case 'd':
        case 'u': {
            long long value = 0;
            if (const auto* i = std::get_if<long long>(&arg)) {
                value = *i;
            } else if (const auto* d = std::get_if<double>(&arg)) {
                value = static_cast<long long>(*d);
            } else {
                return {};
            }
            text = std::to_string(value < 0 ? -value : value);
            while (spec.Precision > 0 && static_cast<int>(text.size()) < spec.Precision) {
                text.insert(text.begin(), '0');
            }
            if (value < 0) {
                text.insert(text.begin(), '-');
            }
            break;
        }
        case 'x': {
            long long value = std::holds_alternative<long long>(arg) ? std::get<long long>(arg) : 0;
            char buf[32];
            std::snprintf(buf, sizeof buf, "%llX", static_cast<unsigned long long>(value));
            text = buf;
            while (spec.Precision > 0 && static_cast<int>(text.size()) < spec.Precision) {
                text.insert(text.begin(), '0');
            }
            break;
        }
        case 'g':
            text = FloatToText(AsDouble(arg), fs, spec.Precision > 0 ? spec.Precision : 15);
            break;
        case 'f':
            text = FloatToFixed(AsDouble(arg), spec.Precision >= 0 ? spec.Precision : 2, false, fs);
            break;
        case 'n':
            text = FloatToFixed(AsDouble(arg), spec.Precision >= 0 ? spec.Precision : 2, true, fs);
            break;
        case 'e': {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.*E", spec.Precision > 0 ? spec.Precision - 1 : 14,
                          AsDouble(arg));
            text = buf;
            if (const auto dot = text.find('.'); dot != std::string::npos) {
                text.replace(dot, 1, fs.DecimalSeparator);
            }
            break;
        }
        default:
            break;
    }
    if (spec.Width > 0 && static_cast<int>(text.size()) < spec.Width) {
        const std::string pad(static_cast<std::size_t>(spec.Width) - text.size(), ' ');
        text = spec.Left ? text + pad : pad + text;
    }
    return text;
}

}  // namespace

std::string FormatWith(const FormatSettings& settings, std::string_view pattern,
                       const std::vector<FormatArg>& args) {
    std::string out;
    out.reserve(pattern.size() + 16);
    std::size_t next = 0;
    std::size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        if (c != '%') {
            out += c;
            ++i;
            continue;
        }
        if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
            out += '%';
            i += 2;
            continue;
        }
        Spec spec;
        if (!ParseSpec(pattern, i, spec)) {
            out += c;
            ++i;
            continue;
        }
        const std::size_t index = spec.Index >= 0 ? static_cast<std::size_t>(spec.Index) : next;
        if (index >= args.size()) {
            out.append(pattern.substr(i, spec.End - i));
        } else {
            out += Render(spec, args[index], settings);
            next = index + 1;
        }
        i = spec.End;
    }
    return out;
}

}  // namespace spindle
