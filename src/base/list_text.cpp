#include "base/list_text.h"

namespace spindle {
namespace {

bool IsBlank(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 1 && u <= 32;
}

bool NeedsQuotes(const std::string& item) {
    for (char c : item) {
        if (static_cast<unsigned char>(c) <= 32 || c == ',' || c == '"') {
            return true;
        }
    }
    return false;
}

}  // namespace

std::string EncodeListText(const std::vector<std::string>& items) {
    if (items.size() == 1 && items[0].empty()) {
        return "\"\"";
    }
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) {
            out += ',';
        }
        const std::string& item = items[i];
        if (!NeedsQuotes(item)) {
            out += item;
            continue;
        }
        out += '"';
        for (char c : item) {
            out += c;
            if (c == '"') {
                out += '"';
            }
        }
        out += '"';
    }
    return out;
}

std::vector<std::string> DecodeListText(std::string_view text) {
    std::vector<std::string> items;
    std::size_t i = 0;
    const std::size_t n = text.size();
    auto skipBlanks = [&] {
        while (i < n && IsBlank(text[i])) {
            ++i;
        }
    };
    skipBlanks();
    while (i < n) {
        std::string item;
        if (text[i] == '"') {
            ++i;
            while (i < n) {
                if (text[i] == '"') {
                    if (i + 1 < n && text[i + 1] == '"') {
                        item += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += text[i++];
            }
        } else {
            const std::size_t start = i;
            while (i<n&& static_cast<unsigned char>(text[i])> 32 && text[i] != ',') {
                ++i;
            }
            // A NUL byte neither separates nor belongs to an item; step over it.
            if (i == start && i < n && text[i] == '\0') {
                ++i;
                continue;
            }
            item.assign(text.substr(start, i - start));
        }
        items.push_back(std::move(item));
        skipBlanks();
        if (i < n && text[i] == ',') {
            if (i + 1 == n) {
                items.emplace_back();
            }
            ++i;
            skipBlanks();
        }
    }
    return items;
}

std::string CsvText(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    return out + "\"";
}

}  // namespace spindle
