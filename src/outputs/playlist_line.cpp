#include "outputs/playlist_line.h"

#include <sys/stat.h>

#include <cstdio>

#include "base/float_text.h"
#include "base/format_datetime.h"
#include "base/paths.h"
#include "base/text_case.h"

namespace spindle {
namespace {

std::size_t FindNoCase(const std::string& text, const std::string& what) {
    if (what.empty() || what.size() > text.size()) {
        return std::string::npos;
    }
    const std::string foldedWhat = FoldCase(what);
    for (std::size_t i = 0; i + what.size() <= text.size(); ++i) {
        if (FoldCase(std::string_view(text).substr(i, what.size())) == foldedWhat) {
            return i;
        }
    }
    return std::string::npos;
}

// Pads or cuts a value to `width` characters (code points), never splitting one: the
// playout system reads the playlist as UTF-8.
void FitToWidth(std::string& value, std::size_t width) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if ((static_cast<unsigned char>(value[i]) & 0xC0) == 0x80) {
            continue;  // a continuation byte belongs to the character before it
        }
        if (chars == width) {
            value.resize(i);
            return;
        }
        ++chars;
    }
    value.append(width - chars, ' ');
}

// A value as Liquidsoap reads it between double quotes.
std::string LiquidsoapQuoted(std::string_view value) {
    std::string out = "\"";
    for (char c : value) {
        if (c == '"' || c == '\\') {
            out += '\\';
        }
        out += c;
    }
    return out + "\"";
}

std::string DecimalText(double value) {
    static const FormatSettings kDot = FormatSettings::English();
    return FloatToText(value, kDot);
}

double CrossfadeOf(const std::string& path, const PlaylistItem& item,
                   const PlaylistLineRules& rules) {
    return ItemCrossfade(path, item.Duration, rules.Crossfade, rules.KorvelCrossfade).Seconds;
}

// The item as Liquidsoap annotations: the clean artist and title of the file name (or of
// its tags), the length, the group, the crossfade, the intro and the scheduled time.
std::string LiquidsoapAnnotations(const std::string& path, const PlaylistItem& item,
                                  const PlaylistLineRules& rules, TDateTime clock) {
    // The tags are kept by the file's own path, not the one the playout system is given.
    const ArtistTitle split =
        WithTaggedName(SplitBaseName(BaseNameNoExt(path), rules.Names), item.Path, rules.Names);
    static const FormatSettings kEnglish = FormatSettings::English();
    return "title=" + LiquidsoapQuoted(split.Title) + ",artist=" + LiquidsoapQuoted(split.Artist) +
           ",duration=" + LiquidsoapQuoted(std::to_string(item.Duration)) +
           ",category=" + LiquidsoapQuoted(item.Owner) +
           ",liq_cross_duration=" + LiquidsoapQuoted(DecimalText(CrossfadeOf(path, item, rules))) +
           ",intro=" + LiquidsoapQuoted(std::to_string(split.IntroTime)) +
           ",scheduled=" + LiquidsoapQuoted(FormatDateTime("yyyy-mm-dd hh:nn:ss", clock, kEnglish));
}

std::string ApplyOne(std::string path, const PathSubstitution& sub) {
    if (!sub.From.empty()) {
        const std::size_t at = FindNoCase(path, sub.From);
        if (at != std::string::npos) {
            path.replace(at, sub.From.size(), sub.To);
        }
    } else if (sub.To == ".") {
        path = ExtractFileName(path);
    } else if (!sub.To.empty()) {
        path = IncludeTrailingDelimiter(sub.To) + ExtractFileName(path);
    }
    return path;
}

bool IsFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string TwoDigits(unsigned v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02u", v);
    return buf;
}

}  // namespace

std::string MinutesAndSeconds(unsigned seconds) {
    return TwoDigits(seconds / 60) + ":" + TwoDigits(seconds % 60);
}

std::string SubstitutePath(std::string path, const PlaylistLineRules& rules) {
    return ApplyOne(ApplyOne(std::move(path), rules.First), rules.Second);
}

std::string FormatPlaylistLine(std::string_view format, const PlaylistItem& item,
                               const PlaylistLineRules& rules) {
    const std::string path = SubstitutePath(std::string(item.Path), rules);
    const std::string plain = std::string("%p") + kPathDelim + "%f%e";
    // The plain format is known whichever separator it was saved with.
    if (format.empty() || format == plain || format == "%p\\%f%e") {
        return path;
    }
    const std::string folder = ExcludeTrailingDelimiter(ExtractFilePath(path));
    const std::string name = BaseNameNoExt(path);
    const std::string ext = ExtractFileExt(path);
    ArtistTitle named{"", name};
    if (const std::size_t at = rules.Names.ArtistDelim.empty() ? std::string::npos
                                                               : name.find(rules.Names.ArtistDelim);
        at != std::string::npos) {
        std::string first = name.substr(0, at);
        std::string rest = name.substr(at + rules.Names.ArtistDelim.size());
        named.Artist = rules.Names.ArtistFirst == 1 ? rest : first;
        named.Title = rules.Names.ArtistFirst == 1 ? first : rest;
    }
    const ArtistTitle shown = WithTaggedName(std::move(named), item.Path, rules.Names);
    const TDateTime clock = item.Clock + 0.000002;

    std::string out;
    std::size_t i = 0;
    while (i < format.size()) {
        const char c = format[i];
        if (c != '%') {
            out += c;
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        while (j < format.size() && format[j] >= '0' && format[j] <= '9') {
            ++j;
        }
        if (j >= format.size()) {
            break;  // a "%" (and digits) at the very end gives nothing
        }
        int width = -1;
        if (j > i + 1 && j - i - 1 <= 6) {
            width = std::stoi(std::string(format.substr(i + 1, j - i - 1)));
        }
        const char code = format[j];
        std::size_t next = j + 1;
        std::string value;
        switch (code) {
            case 'u':
                value = std::string(item.Path);
                break;
            case 'p':
                value = folder;
                break;
            case 'f':
                value = name;
                break;
            case 'e':
                value = ext;
                break;
            case 'a':
                value = shown.Artist;
                break;
            case 't':
                value = shown.Title;
                break;
            case 'S':
                value = std::to_string(item.Duration);
                break;
            case 's':
                value = MinutesAndSeconds(item.Duration);
                break;
            case 'd':
                value = FormatDateTime("hh:nn:ss", item.ItemTime / 24.0, rules.Settings);
                break;
            case 'D': {
                const std::size_t close = format.find(')', next);
                if (next < format.size() && format[next] == '(' &&
                    close != std::string_view::npos && close - j <= 16) {
                    value = FormatDateTime(format.substr(next + 1, close - next - 1), clock,
                                           rules.Settings);
                    next = close + 1;
                } else {
                    value = FormatDateTime("ddddd", clock, rules.Settings);
                }
                break;
            }
            case 'h':
                value = FormatDateTime("hh:nn:ss", clock, rules.Settings);
                break;
            case '~':
                value = IsFile(path) ? name : std::string();
                break;
            case 'c':
                value = std::string(item.Owner);
                break;
            case 'C':
                value = std::string(1, item.TypeDigit);
                break;
            case 'i': {
                const std::size_t hash = name.find('#');
                const auto intro = hash == std::string::npos
                                       ? std::nullopt
                                       : TextToInt(std::string_view(name).substr(hash + 1, 4));
                value = std::to_string(intro && *intro >= 0 ? *intro : 0);
                break;
            }
            case 'N':
                value = std::string(item.Number);
                break;
            case 'x':
                value = DecimalText(CrossfadeOf(path, item, rules));
                break;
            case 'A':
                value = LiquidsoapAnnotations(path, item, rules, clock);
                break;
            case 'n':
                value = "\r\n";
                break;
            case 'b':
                value = "\t";
                break;
            default:
                break;
        }
        if (width >= 0) {
            FitToWidth(value, static_cast<std::size_t>(width));
        }
        out += value;
        i = next;
    }
    return out;
}

}  // namespace spindle
