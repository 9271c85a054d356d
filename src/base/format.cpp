#include "base/format.h"

#include <cstdio>

#include "base/float_text.h"

namespace spindle {
namespace {

struct Placeholder {
    int Index = -1;
    bool Left = false;
    int Width = -1;
    int Precision = -1;
    char Type = 0;
    std::size_t End = 0;  // one past the type letter
};

// Reads "%[index:][-][width][.prec]type" at pos (which holds the '%').
bool ParsePlaceholder(std::string_view p, std::size_t pos, Placeholder& ph) {
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
            ph.Index = number;
            ++i;
        } else {
            ph.Width = number;
        }
    }
    if (ph.Width < 0) {
        if (i < p.size() && p[i] == '-') {
            ph.Left = true;
            ++i;
        }
        readNumber(ph.Width);
    }
    if (i < p.size() && p[i] == '.') {
        ++i;
        if (!readNumber(ph.Precision)) {
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
    ph.Type = type;
    ph.End = i + 1;
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

std::string Render(const Placeholder& ph, const FormatArg& arg, const FormatSettings& fs) {
    std::string text;
    switch (ph.Type) {
        case 's':
            if (const auto* s = std::get_if<std::string>(&arg)) {
                text = *s;
            } else if (const auto* i = std::get_if<long long>(&arg)) {
                text = std::to_string(*i);
            } else {
                text = FloatToText(std::get<double>(arg), fs);
            }
            if (ph.Precision >= 0 && static_cast<int>(text.size()) > ph.Precision) {
                text.resize(static_cast<std::size_t>(ph.Precision));
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
            while (ph.Precision > 0 && static_cast<int>(text.size()) < ph.Precision) {
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
            while (ph.Precision > 0 && static_cast<int>(text.size()) < ph.Precision) {
                text.insert(text.begin(), '0');
            }
            break;
        }
        case 'g':
            text = FloatToText(AsDouble(arg), fs, ph.Precision > 0 ? ph.Precision : 15);
            break;
        case 'f':
            text = FloatToFixed(AsDouble(arg), ph.Precision >= 0 ? ph.Precision : 2, false, fs);
            break;
        case 'n':
            text = FloatToFixed(AsDouble(arg), ph.Precision >= 0 ? ph.Precision : 2, true, fs);
            break;
        case 'e': {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.*E", ph.Precision > 0 ? ph.Precision - 1 : 14,
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
    if (ph.Width > 0 && static_cast<int>(text.size()) < ph.Width) {
        const std::string pad(static_cast<std::size_t>(ph.Width) - text.size(), ' ');
        text = ph.Left ? text + pad : pad + text;
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
        Placeholder ph;
        if (!ParsePlaceholder(pattern, i, ph)) {
            out += c;
            ++i;
            continue;
        }
        const std::size_t index = ph.Index >= 0 ? static_cast<std::size_t>(ph.Index) : next;
        if (index >= args.size()) {
            out.append(pattern.substr(i, ph.End - i));
        } else {
            out += Render(ph, args[index], settings);
            next = index + 1;
        }
        i = ph.End;
    }
    return out;
}

}  // namespace spindle
