#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The words of one line of the rules file: English keywords, numbers, and names or values
// between double quotes (\" and \\ inside) when they hold blanks or the line's own signs.

namespace spindle::rule_words {

// Thrown by the readers below and caught where a line is read; carries the message.
struct LineError {
    std::string Problem;
};

struct Token {
    enum Type { Word, Equals, Arrow } Kind = Word;
    std::string Text;
    bool Quoted = false;
};

// Splits a line into words, "=" and "->"; a blank separates words outside quotes.
std::vector<Token> Lex(std::string_view line);

// `word` as Lex reads it back: bare when it can be, else quoted; `always` quotes anyway.
std::string Quoted(std::string_view word, bool always = false);

// ASCII letters in lower case: keywords are English whatever the locale.
std::string AsciiLower(std::string_view text);

// A whole number from 1 to kLargest: large enough for any count or duration a station
// means, small enough that hours in minutes never overflow.
constexpr int kLargest = 1000000;
int WholeNumber(const std::string& text);

// Reads the tokens of one line in order; every misfit ends the reading with a LineError
// naming what was `expected`.
class Reader {
public:
    explicit Reader(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

    bool AtEnd() const { return at_ == tokens_.size(); }
    // The token `ahead` of the next one, or null past the end.
    const Token* Peek(std::size_t ahead = 0) const {
        return at_ + ahead < tokens_.size() ? &tokens_[at_ + ahead] : nullptr;
    }
    // Whether the next token is the bare word `keyword` (in any case), taking it if so.
    bool TakeKeyword(std::string_view keyword);

    const Token& Take(const std::string& expected);
    std::string Word(const std::string& expected);
    // A bare word, in lower case.
    std::string Keyword(const std::string& expected);
    // A keyword that must be one of `options`.
    std::string OneOf(const std::string& expected, std::initializer_list<std::string_view> options);
    void Expect(Token::Type type, const std::string& expected);
    int Number();
    void End() const;

private:
    [[noreturn]] static void Misfit(const Token& token, const std::string& expected);

    std::vector<Token> tokens_;
    std::size_t at_ = 0;
};

}  // namespace spindle::rule_words
