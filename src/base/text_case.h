#pragma once

#include <string>
#include <string_view>

namespace spindle {

// Names of groups, rotations, schedules and artists compare without regard to case,
// with full Unicode case folding. These are the only helpers that do so.
std::string FoldCase(std::string_view text);
int CompareText(std::string_view a, std::string_view b);  // <0, 0, >0 after folding
bool SameText(std::string_view a, std::string_view b);
std::string LowerCase(std::string_view text);
std::string UpperCase(std::string_view text);

// Orders texts case-insensitively, for sorted containers.
struct TextLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return CompareText(a, b) < 0; }
};

}  // namespace spindle
