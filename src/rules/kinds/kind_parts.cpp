#include "rules/kinds/kind_parts.h"

#include "base/format.h"
#include "base/translate.h"

namespace spindle::kinds {

using rule_words::LineError;
using rule_words::Reader;
using rule_words::Token;

int DurationMinutes(int number, const std::string& unit) {
    return unit == "hour" || unit == "hours" ? number * 60 : number;
}

int ReadDuration(Reader& reader) {
    const int number = reader.Number();
    return DurationMinutes(number, reader.OneOf(tr("\"minutes\" or \"hours\""),
                                                {"minute", "minutes", "hour", "hours"}));
}

AttributeMatch ReadMatch(Reader& reader) {
    const std::string expected = tr("ATTRIBUTE=VALUE");
    AttributeMatch match;
    match.Attribute = reader.Word(expected);
    reader.Expect(Token::Equals, expected);
    match.Value = reader.Word(expected);
    if (match.Attribute.empty() || match.Value.empty()) {
        throw LineError{tr("an attribute's name and value cannot be empty")};
    }
    return match;
}

std::string MatchText(const AttributeMatch& match) {
    return rule_words::Quoted(match.Attribute) + "=" + rule_words::Quoted(match.Value);
}

std::string Amount(int number, const char* one, const char* many) {
    return std::to_string(number) + " " + (number == 1 ? one : many);
}

std::string DurationText(int minutes) {
    return minutes % 60 == 0 ? Amount(minutes / 60, "hour", "hours")
                             : Amount(minutes, "minute", "minutes");
}

// Counts pick their singular or plural text here, as the catalogue has no plural forms.
std::string Counted(int number, const char* one, const char* many) {
    return Format(tr(number == 1 ? one : many), number);
}

std::string DurationWords(int minutes) {
    if (minutes > 0 && minutes % 60 == 0) {
        return Counted(minutes / 60, N_("%0:d hour"), N_("%0:d hours"));
    }
    return Counted(minutes, N_("%0:d minute"), N_("%0:d minutes"));
}

std::string MatchWords(const AttributeMatch& match) {
    return match.Attribute + " " + match.Value;
}

void LimitReach(int reach, int most, const char* unit) {
    if (reach <= most) {
        return;
    }
    const auto limit = static_cast<long long>(most);
    const std::string unitText = unit;
    const std::string words = unitText == "items"  ? Format(tr("%0:d items"), limit)
                              : unitText == "days" ? Format(tr("%0:d days"), limit)
                                                   : Format(tr("%0:d hours"), limit / 60);
    throw LineError{Format(tr("this rule reaches back at most %0:s (every run reads what played "
                              "within it)"),
                           words)};
}

void LimitMinutes(const RuleDef& rule) {
    LimitReach(rule.Minutes, kLongestSpan, "hours");
}

double MinutesLookBack(const RuleDef& rule) {
    return std::max(1.0, rule.Minutes / kMinutesPerDay);
}

double DayLookBack(const RuleDef&) {
    return 1.0;
}

RuleDef Plain() {
    return {};
}

void ReadNothing(Reader&, RuleDef&) {}

std::string WriteNothing(const RuleDef&) {
    return {};
}

void NoLimit(const RuleDef&) {}

const char* InMinutes(const RuleDef&) {
    return N_("minutes");
}

const char* InItems(const RuleDef&) {
    return N_("items");
}

}  // namespace spindle::kinds
