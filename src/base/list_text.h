#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace spindle {

// The one-line list encoding of the data files: items joined by ",", an item holding
// a blank or control character, a comma or a double quote is quoted with inner quotes
// doubled, and a list of one empty item is written "".
std::string EncodeListText(const std::vector<std::string>& items);

// Splits a list text (and a Playlist Log line, which follows the same rules): blanks
// and control characters separate as well as commas outside quotes, a quoted item
// runs to its closing quote (a doubled quote is one quote; an unclosed quote runs to
// the end), and a trailing comma gives a final empty item.
std::vector<std::string> DecodeListText(std::string_view text);

// A field of a comma-separated file (the summaries, the relaxed-rule report): in double
// quotes, with inner quotes doubled.
std::string CsvText(std::string_view text);

}  // namespace spindle
