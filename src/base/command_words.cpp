#include "base/command_words.h"

namespace spindle {

std::vector<std::string> CommandWords(std::string_view command) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    char quote = 0;
    for (std::size_t i = 0; i < command.size(); ++i) {
        const char c = command[i];
        if (quote != 0) {
            if (c == quote) {
                quote = 0;
            } else if (c == '\\' && quote == '"' && i + 1 < command.size() &&
                       (command[i + 1] == '"' || command[i + 1] == '\\')) {
                word += command[++i];
            } else {
                word += c;
            }
        } else if (c == '"' || c == '\'') {
            quote = c;
            inWord = true;
        } else if (c == '\\' && i + 1 < command.size()) {
            word += command[++i];
            inWord = true;
        } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (inWord) {
                words.push_back(std::move(word));
                word.clear();
                inWord = false;
            }
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) {
        words.push_back(std::move(word));
    }
    return words;
}

std::vector<std::string> CommandWithFile(std::string_view command, const std::string& file) {
    std::vector<std::string> words = CommandWords(command);
    if (!words.empty()) {
        words.push_back(file);
    }
    return words;
}

std::string QuotedWord(std::string_view word) {
    if (!word.empty() && word.find_first_of(" \t\r\n\"'\\") == std::string_view::npos) {
        return std::string(word);
    }
    std::string quoted = "'";
    for (const char c : word) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

}  // namespace spindle
