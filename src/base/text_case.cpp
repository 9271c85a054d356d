#include "base/text_case.h"

#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

namespace spindle {
namespace {

bool IsAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

std::string AsciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

std::string ToUtf8(const icu::UnicodeString& u) {
    std::string out;
    u.toUTF8String(out);
    return out;
}

icu::UnicodeString FromUtf8(std::string_view text) {
    return icu::UnicodeString::fromUTF8(
        icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
}

}  // namespace

std::string FoldCase(std::string_view text) {
    if (IsAscii(text)) {
        return AsciiLower(text);
    }
    icu::UnicodeString u = FromUtf8(text);
    u.foldCase(U_FOLD_CASE_DEFAULT);
    return ToUtf8(u);
}

int CompareText(std::string_view a, std::string_view b) {
    if (IsAscii(a) && IsAscii(b)) {
        const std::size_t n = std::min(a.size(), b.size());
        for (std::size_t i = 0; i < n; ++i) {
            char ca = a[i];
            char cb = b[i];
            if (ca >= 'A' && ca <= 'Z')
                ca = static_cast<char>(ca - 'A' + 'a');
            if (cb >= 'A' && cb <= 'Z')
                cb = static_cast<char>(cb - 'A' + 'a');
            if (ca != cb) {
                return static_cast<unsigned char>(ca) < static_cast<unsigned char>(cb) ? -1 : 1;
            }
        }
        return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
    }
    const int r = FoldCase(a).compare(FoldCase(b));
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

bool SameText(std::string_view a, std::string_view b) {
    return CompareText(a, b) == 0;
}

std::string LowerCase(std::string_view text) {
    if (IsAscii(text)) {
        return AsciiLower(text);
    }
    icu::UnicodeString u = FromUtf8(text);
    u.toLower(icu::Locale::getRoot());
    return ToUtf8(u);
}

std::string UpperCase(std::string_view text) {
    if (IsAscii(text)) {
        std::string out(text);
        for (char& c : out) {
            if (c >= 'a' && c <= 'z') {
                c = static_cast<char>(c - 'a' + 'A');
            }
        }
        return out;
    }
    icu::UnicodeString u = FromUtf8(text);
    u.toUpper(icu::Locale::getRoot());
    return ToUtf8(u);
}

}  // namespace spindle
