#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace spindle {

// Splits a command the operator typed into its words, as a shell would split them
// (blanks separate words; "..." and '...' keep blanks; a backslash takes the next
// character as it is), without any shell: nothing is expanded or run. An unclosed quote
// runs to the end.
std::vector<std::string> CommandWords(std::string_view command);

// The program and arguments that open `file` with a command the operator typed: its
// words and the file as one argument of its own; nothing when the command is blank.
std::vector<std::string> CommandWithFile(std::string_view command, const std::string& file);

// A word as CommandWords reads it back: as it is when it holds nothing special, else
// between single quotes.
std::string QuotedWord(std::string_view word);

}  // namespace spindle
