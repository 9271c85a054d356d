#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace spindle {

// Text as stored by the program: UTF-8, lines ended CR LF. Files brought from other
// stations may be Windows-1252; those are read as such, so their accents survive.

bool IsValidUtf8(std::string_view bytes);
std::string Windows1252ToUtf8(std::string_view bytes);

// Splits on CR LF, LF or a lone CR; a final line without an end still counts, a final
// line end does not start another line.
std::vector<std::string> SplitLines(std::string_view text);

// The bytes of a file as they are; nullopt when it cannot be read.
std::optional<std::string> ReadFileBytes(const std::filesystem::path& path);

// Calls `line` for each line of `text`, split as SplitLines does, without copying.
template <typename F>
void ForEachLine(std::string_view text, F&& line) {
    std::size_t start = 0;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            if (!line(text.substr(start, i - start))) {
                return;
            }
            i += (c == '\r' && i + 1 < n && text[i + 1] == '\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < n) {
        line(text.substr(start));
    }
}

// Bytes of a file as text in UTF-8 (a leading byte order mark dropped); nullopt when
// the file cannot be read.
std::optional<std::string> ReadTextFile(const std::filesystem::path& path);
std::optional<std::vector<std::string>> ReadTextLines(const std::filesystem::path& path);

// The lines joined, each ended by CR LF.
std::string JoinLines(const std::vector<std::string>& lines);

}  // namespace spindle
