#include "fileinfo/name_conventions.h"

#include <algorithm>
#include <optional>

#include "base/float_text.h"
#include "base/paths.h"

namespace spindle {
namespace {

// Cuts "~<digit>..." (a crossfade mark) from the first "~".
void CutCrossfade(std::string& text) {
    const std::size_t tilde = text.find('~');
    if (tilde != std::string::npos && IsNumber(std::string_view(text).substr(tilde + 1, 1))) {
        text.resize(tilde);
    }
}

// Cuts "#nnnn" from the first "#" when the four characters after it form a number,
// and gives that number.
std::uint16_t CutIntroTime(std::string& text) {
    const std::size_t hash = text.find('#');
    if (hash == std::string::npos) {
        return 0;
    }
    const auto value = TextToInt(std::string_view(text).substr(hash + 1, 4));
    if (!value || *value < 0) {
        return 0;
    }
    text.resize(hash);
    return static_cast<std::uint16_t>(*value & 0xFFFF);
}

}  // namespace

bool IsNumber(std::string_view text) {
    return TextToInt(text).has_value();
}

namespace {

ArtistTitle Split(std::string_view name, const NameRules& rules, bool dropExtension) {
    ArtistTitle result;
    const std::size_t at =
        rules.ArtistDelim.empty() ? std::string_view::npos : name.find(rules.ArtistDelim);
    if (at == std::string_view::npos) {
        result.Title = std::string(name);
        return result;
    }
    std::string first(name.substr(0, at));
    std::string_view after = name.substr(at + rules.ArtistDelim.size());
    std::string rest = dropExtension ? BaseNameNoExt(after) : std::string(after);
    CutCrossfade(rest);
    result.IntroTime = CutIntroTime(rest);
    if (rules.ArtistFirst == 1) {
        result.Artist = std::move(rest);
        result.Title = std::move(first);
    } else {
        result.Artist = std::move(first);
        result.Title = std::move(rest);
    }
    return result;
}

}  // namespace

ArtistTitle SplitArtistTitle(std::string_view name, const NameRules& rules) {
    return Split(name, rules, true);
}

ArtistTitle SplitBaseName(std::string_view baseName, const NameRules& rules) {
    return Split(baseName, rules, false);
}

std::string ArtistOfFile(std::string_view name, const NameRules& rules) {
    ArtistTitle split = SplitArtistTitle(name, rules);
    return split.Artist.empty() ? std::move(split.Title) : std::move(split.Artist);
}

namespace {

char FoldAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool WordChar(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return u >= 0x80 || (c >= '0' && c <= '9') || (FoldAscii(c) >= 'a' && FoldAscii(c) <= 'z');
}

std::string Folded(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) {
        c = FoldAscii(c);
    }
    return folded;
}

// Blanks and brackets around a credited name go.
std::string TrimCredit(std::string_view text) {
    const auto edge = [](char c) {
        return c == ' ' || c == '\t' || c == '(' || c == ')' || c == '[' || c == ']';
    };
    std::size_t a = 0;
    std::size_t b = text.size();
    while (a < b && edge(text[a])) {
        ++a;
    }
    while (b > a && edge(text[b - 1])) {
        --b;
    }
    return std::string(text.substr(a, b - a));
}

}  // namespace

std::vector<std::string> SplitCreditedArtists(std::string_view artist,
                                              const std::vector<std::string>& keptWhole) {
    const std::string text = Folded(artist);
    // Most artists hold no separator at all: nothing to split or to keep whole.
    if (text.find_first_of(",&/") == std::string::npos && text.find(" x ") == std::string::npos &&
        text.find(" vs. ") == std::string::npos && text.find("ft.") == std::string::npos &&
        text.find("feat") == std::string::npos) {
        return {std::string(artist)};
    }
    // Where a name kept whole stands (as whole words), no separator counts.
    std::vector<bool> kept(text.size(), false);
    for (const std::string& name : keptWhole) {
        const std::string key = Folded(name);
        if (key.empty()) {
            continue;
        }
        for (std::size_t at = text.find(key); at != std::string::npos;
             at = text.find(key, at + 1)) {
            const std::size_t end = at + key.size();
            if ((at == 0 || !WordChar(text[at - 1])) &&
                (end == text.size() || !WordChar(text[end]))) {
                std::fill(kept.begin() + static_cast<std::ptrdiff_t>(at),
                          kept.begin() + static_cast<std::ptrdiff_t>(end), true);
            }
        }
    }
    // The separator starting at `i`: its length, or 0.
    auto separator = [&](std::size_t i) -> std::size_t {
        const char c = text[i];
        if (c == ',' || c == '&' || c == '/') {
            return 1;
        }
        const std::string_view rest = std::string_view(text).substr(i);
        for (const std::string_view spaced : {std::string_view(" x "), std::string_view(" vs. ")}) {
            if (rest.substr(0, spaced.size()) == spaced) {
                return spaced.size();
            }
        }
        if (i > 0 && WordChar(text[i - 1])) {
            return 0;  // not the start of a word
        }
        for (const std::string_view word :
             {std::string_view("featuring"), std::string_view("feat."), std::string_view("ft.")}) {
            const std::size_t end = i + word.size();
            if (rest.substr(0, word.size()) == word &&
                (word.back() == '.' || end == text.size() || !WordChar(text[end]))) {
                return word.size();
            }
        }
        return 0;
    };
    std::vector<std::string> credits;
    auto add = [&](std::size_t from, std::size_t to) {
        std::string name = TrimCredit(artist.substr(from, to - from));
        if (name.empty()) {
            return;
        }
        const std::string key = Folded(name);
        for (const std::string& known : credits) {
            if (Folded(known) == key) {
                return;
            }
        }
        credits.push_back(std::move(name));
    };
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = kept[i] ? 0 : separator(i);
        if (length == 0) {
            ++i;
            continue;
        }
        add(start, i);
        i += length;
        start = i;
    }
    add(start, text.size());
    if (credits.empty()) {
        credits.emplace_back(artist);
    }
    return credits;
}

namespace {

std::vector<std::string> ArtistsOf(ArtistTitle split, const NameRules& rules) {
    std::string artist = split.Artist.empty() ? std::move(split.Title) : std::move(split.Artist);
    if (!rules.SplitCredits) {
        return {std::move(artist)};
    }
    static const std::vector<std::string> kNone;
    return SplitCreditedArtists(artist, rules.KeptWhole != nullptr ? *rules.KeptWhole : kNone);
}

}  // namespace

std::vector<std::string> ArtistsOfFile(std::string_view name, const NameRules& rules) {
    return ArtistsOf(SplitArtistTitle(name, rules), rules);
}

ArtistTitle ArtistTitleOfPath(std::string_view path, const NameRules& rules) {
    return WithTaggedName(SplitArtistTitle(ExtractFileName(path), rules), path, rules);
}

ArtistTitle WithTaggedName(ArtistTitle split, std::string_view path, const NameRules& rules) {
    if (rules.Tagged != nullptr) {
        if (const auto tagged = rules.Tagged->find(path); tagged != rules.Tagged->end()) {
            if (!tagged->second.Artist.empty()) {
                split.Artist = tagged->second.Artist;
            }
            if (!tagged->second.Title.empty()) {
                split.Title = tagged->second.Title;
            }
        }
    }
    return split;
}

std::vector<std::string> ArtistsOfPath(std::string_view path, const NameRules& rules) {
    return ArtistsOf(ArtistTitleOfPath(path, rules), rules);
}

Crossfade ItemCrossfade(std::string_view path, unsigned seconds, double allowance,
                        bool fromFileName) {
    Crossfade c{2.0 * allowance > seconds ? 0.0 : allowance, false};
    if (fromFileName) {
        const std::string name = BaseNameNoExt(path);
        const std::size_t tilde = name.find('~');
        if (tilde != std::string::npos) {
            static const FormatSettings kDot = FormatSettings::English();
            // The longest number the mark starts with: an intro time ("#0006") may follow.
            const std::string mark = name.substr(tilde + 1, 5);
            std::optional<double> value;
            for (std::size_t n = mark.size(); n > 0 && !value; --n) {
                value = TextToFloat(mark.substr(0, n), kDot);
            }
            c.BadMark = !value;
            c.Seconds = value.value_or(c.Seconds);
        }
    }
    return c;
}

std::string CleanTitle(std::string_view path) {
    std::string title = BaseNameNoExt(path);
    CutCrossfade(title);
    CutIntroTime(title);
    return title;
}

}  // namespace spindle
