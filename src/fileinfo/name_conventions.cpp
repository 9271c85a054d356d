#include "fileinfo/name_conventions.h"

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

Crossfade ItemCrossfade(std::string_view path, unsigned seconds, double allowance,
                        bool fromFileName) {
    Crossfade c{2.0 * allowance > seconds ? 0.0 : allowance, false};
    if (fromFileName) {
        const std::string name = BaseNameNoExt(path);
        const std::size_t tilde = name.find('~');
        if (tilde != std::string::npos) {
            static const FormatSettings kDot = FormatSettings::English();
            const auto value = TextToFloat(name.substr(tilde + 1, 5), kDot);
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
