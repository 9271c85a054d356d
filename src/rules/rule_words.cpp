#include "rules/rule_words.h"

#include <algorithm>

#include "base/format.h"
#include "base/translate.h"

namespace spindle::rule_words {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsControl(char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
}

void RefuseControl(char c) {
    if (IsControl(c)) {
        throw LineError{tr("the line holds a control character")};
    }
}

std::string QuotedRest(std::string_view line, std::size_t& at) {
    std::string word;
    for (++at; at < line.size(); ++at) {
        char c = line[at];
        if (c == '"') {
            ++at;
            return word;
        }
        if (c == '\\' && at + 1 < line.size()) {
            c = line[++at];
        }
        RefuseControl(c);
        word += c;
    }
    throw LineError{tr("a quote is not closed")};
}

bool EndsBareWord(std::string_view line, std::size_t at) {
    return IsBlank(line[at]) || line[at] == '"' || line[at] == '=' || line.substr(at, 2) == "->";
}

}  // namespace

std::vector<Token> Lex(std::string_view line) {
    std::vector<Token> tokens;
    std::size_t at = 0;
    while (at < line.size()) {
        if (IsBlank(line[at])) {
            ++at;
        } else if (line[at] == '"') {
            tokens.push_back({Token::Word, QuotedRest(line, at), true});
        } else if (line[at] == '=') {
            tokens.push_back({Token::Equals, "=", false});
            ++at;
        } else if (line.substr(at, 2) == "->") {
            tokens.push_back({Token::Arrow, "->", false});
            at += 2;
        } else {
            const std::size_t from = at;
            for (; at < line.size() && !EndsBareWord(line, at); ++at) {
                RefuseControl(line[at]);
            }
            tokens.push_back({Token::Word, std::string(line.substr(from, at - from)), false});
        }
    }
    return tokens;
}

std::string Quoted(std::string_view word, bool always) {
    const bool special = std::any_of(word.begin(), word.end(), [](char c) {
        return IsBlank(c) || IsControl(c) || c == '"' || c == '\\' || c == '=';
    });
    if (!always && !word.empty() && !special && word.find("->") == std::string_view::npos) {
        return std::string(word);
    }
    std::string text = "\"";
    for (const char c : word) {
        if (c == '"' || c == '\\') {
            text += '\\';
        }
        text += c;
    }
    return text + '"';
}

std::string AsciiLower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return lower;
}

int WholeNumber(const std::string& text) {
    int value = 0;
    bool digits = !text.empty();
    for (const char c : text) {
        digits = digits && c >= '0' && c <= '9';
        value = digits ? std::min(kLargest + 1, value * 10 + (c - '0')) : 0;
    }
    if (value < 1 || value > kLargest) {
        throw LineError{
            Format(tr("a whole number from 1 to %0:d expected, not \"%1:s\""), kLargest, text)};
    }
    return value;
}

bool Reader::TakeKeyword(std::string_view keyword) {
    const Token* next = Peek();
    if (next == nullptr || next->Kind != Token::Word || next->Quoted ||
        AsciiLower(next->Text) != keyword) {
        return false;
    }
    ++at_;
    return true;
}

const Token& Reader::Take(const std::string& expected) {
    if (AtEnd()) {
        throw LineError{Format(tr("%0:s expected at the end of the line"), expected)};
    }
    return tokens_[at_++];
}

void Reader::Misfit(const Token& token, const std::string& expected) {
    throw LineError{Format(tr("%0:s expected, not \"%1:s\""), expected, token.Text)};
}

std::string Reader::Word(const std::string& expected) {
    const Token& token = Take(expected);
    if (token.Kind != Token::Word) {
        Misfit(token, expected);
    }
    return token.Text;
}

std::string Reader::Keyword(const std::string& expected) {
    const Token& token = Take(expected);
    if (token.Kind != Token::Word || token.Quoted) {
        Misfit(token, expected);
    }
    return AsciiLower(token.Text);
}

std::string Reader::OneOf(const std::string& expected,
                          std::initializer_list<std::string_view> options) {
    const Token& token = Take(expected);
    const std::string keyword = AsciiLower(token.Text);
    if (token.Kind != Token::Word || token.Quoted ||
        std::find(options.begin(), options.end(), keyword) == options.end()) {
        Misfit(token, expected);
    }
    return keyword;
}

void Reader::Expect(Token::Type type, const std::string& expected) {
    const Token& token = Take(expected);
    if (token.Kind != type) {
        Misfit(token, expected);
    }
}

int Reader::Number() {
    return WholeNumber(Word(tr("a number")));
}

void Reader::End() const {
    if (!AtEnd()) {
        throw LineError{
            Format(tr("unexpected \"%0:s\" at the end of the line"), tokens_[at_].Text)};
    }
}

}  // namespace spindle::rule_words
