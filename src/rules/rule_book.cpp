#include "rules/rule_book.h"

#include <algorithm>
#include <map>

#include "base/format.h"
#include "base/text_case.h"
#include "base/text_file.h"
#include "base/translate.h"
#include "rules/rule_kind.h"
#include "rules/rule_words.h"
#include "stationdb/attribute_source.h"

namespace spindle {
namespace {

using rule_words::LineError;
using rule_words::Quoted;
using rule_words::Reader;

constexpr std::string_view kStationSection = "[station]";

// The first `count` of `values`, parted by commas.
std::string CommaList(const std::vector<std::string>& values, std::size_t count) {
    std::string list;
    for (std::size_t i = 0; i < count; ++i) {
        list += (i == 0 ? "" : ", ") + values[i];
    }
    return list;
}

std::string SectionHeader(const std::string& category) {
    return category.empty() ? std::string(kStationSection)
                            : "[category " + Quoted(category, true) + "]";
}

std::string AttributeText(const AttributeDef& attribute) {
    std::string text =
        "attribute " + Quoted(attribute.Name) + " source " + Quoted(attribute.Source);
    if (!attribute.Banding.empty()) {
        text += " banding " + Quoted(attribute.Banding);
    }
    text += " values";
    for (const std::string& value : attribute.Values) {
        text += " " + Quoted(value);
    }
    return text;
}

// "attribute NAME [source SOURCE] [banding TEXT] values VALUE...".
AttributeDef ReadAttribute(Reader& reader) {
    AttributeDef attribute;
    reader.Keyword({});
    attribute.Name = reader.Word(tr("the attribute's name"));
    std::vector<std::string> seen;
    for (;;) {
        const std::string part = reader.OneOf(tr("\"source\", \"banding\" or \"values\""),
                                              {"source", "banding", "values"});
        if (std::find(seen.begin(), seen.end(), part) != seen.end()) {
            throw LineError{Format(tr("\"%0:s\" is given twice"), part)};
        }
        seen.push_back(part);
        if (part == "values") {
            break;
        }
        (part == "source" ? attribute.Source : attribute.Banding) =
            reader.Word(Format(tr("a value after \"%0:s\""), part));
    }
    while (!reader.AtEnd()) {
        attribute.Values.push_back(reader.Word(tr("a value")));
    }
    if (std::string problem = AttributeProblem(attribute); !problem.empty()) {
        throw LineError{problem};
    }
    return attribute;
}

// Reads the file line by line, noting every wrong entry and going on to the next.
class BookReader {
public:
    BookReader(const std::vector<std::string>& categories, const std::vector<AttributeDef>& known)
        : categories_(categories) {
        for (const AttributeDef& attribute : known) {
            attributes_[attribute.Name] = attribute;
        }
    }

    void Line(int number, std::string_view line) {
        number_ = number;
        const std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string_view::npos || line[start] == '#') {
            return;
        }
        line = line.substr(start, line.find_last_not_of(" \t") + 1 - start);
        try {
            if (line.front() == '[') {
                Section(line);
            } else {
                Entry(line);
            }
        } catch (const LineError& error) {
            Problem(error.Problem);
        }
    }

    RuleBookRead Result() {
        if (!problems_.empty()) {
            return {std::nullopt, std::move(problems_), std::move(definedAt_)};
        }
        return {std::move(book_), {}, std::move(definedAt_)};
    }

private:
    void Problem(const std::string& problem) {
        problems_.push_back(Format(tr("line %0:d: %1:s"), number_, problem));
    }

    void Section(std::string_view line) {
        // Whatever goes wrong below, the rules that follow belong to no list.
        inSection_ = true;
        scope_ = nullptr;
        listed_.clear();
        if (line.back() != ']') {
            throw LineError{tr("a section ends with \"]\"")};
        }
        Reader reader(rule_words::Lex(line.substr(1, line.size() - 2)));
        const std::string kind =
            reader.OneOf(tr("\"station\" or \"category\""), {"station", "category"});
        std::string name;
        if (kind == "category") {
            name = CategoryNamed(reader.Word(tr("the Category's name")));
        }
        reader.End();
        if (const auto first = sectionLines_.find(name); first != sectionLines_.end()) {
            throw LineError{
                Format(tr("this section was begun before, at line %0:d"), first->second)};
        }
        sectionLines_[name] = number_;
        scope_ = &book_.Scopes.emplace_back(RuleScope{name, {}});
    }

    std::string CategoryNamed(const std::string& name) const {
        const auto category = std::find_if(categories_.begin(), categories_.end(),
                                           [&](const std::string& c) { return SameText(c, name); });
        if (category == categories_.end()) {
            throw LineError{Format(tr("the station has no Category \"%0:s\""), name)};
        }
        return *category;
    }

    void Entry(std::string_view line) {
        std::vector<rule_words::Token> tokens = rule_words::Lex(line);
        if (!tokens.front().Quoted && rule_words::AsciiLower(tokens.front().Text) == "attribute") {
            Attribute(std::move(tokens));
        } else {
            Rule(line);
        }
    }

    void Attribute(std::vector<rule_words::Token> tokens) {
        if (inSection_) {
            throw LineError{tr("attributes are defined before the first section")};
        }
        Reader reader(std::move(tokens));
        const AttributeDef attribute = ReadAttribute(reader);
        // Tags, imports and files name attributes in any case, which cannot tell two apart.
        for (const auto& [name, line] : definedAt_) {
            if (SameText(name, attribute.Name)) {
                throw LineError{Format(
                    tr("the attribute \"%0:s\" was defined before, at line %1:d"), name, line)};
            }
        }
        for (const auto& [name, known] : attributes_) {
            if (name != attribute.Name && SameText(name, attribute.Name)) {
                throw LineError{Format(tr("the station has the attribute \"%0:s\"; a name may "
                                          "not differ from another only in case"),
                                       name)};
            }
        }
        definedAt_[attribute.Name] = number_;
        attributes_[attribute.Name] = attribute;
        book_.Attributes.push_back(attribute);
    }

    void Rule(std::string_view line) {
        if (!inSection_) {
            throw LineError{
                tr("a rule belongs in a section: put [station] or [category \"NAME\"] "
                   "above it")};
        }
        ParsedRule parsed = ParseRule(line);
        if (!parsed.Rule) {
            throw LineError{parsed.Problem};
        }
        const RuleDef& rule = *parsed.Rule;
        // A rule twice in one list says nothing the first does not (the intervals included).
        const std::string text = RuleText(rule);
        if (const auto first = listed_.find(text); first != listed_.end()) {
            throw LineError{Format(tr("\"%0:s\" is in this section already, at line %1:d"), text,
                                   first->second)};
        }
        listed_[text] = number_;
        if (UsesMatch(rule)) {
            Known(rule.Match);
        }
        if (DescriptorOf(rule.Kind).Form.Next) {
            Known(rule.Next);
        }
        // A section that could not be begun was reported; its rules are still checked.
        if (scope_ != nullptr) {
            scope_->Rules.push_back(rule);
        }
    }

    void Known(const AttributeMatch& match) const {
        const auto attribute = attributes_.find(match.Attribute);
        if (attribute == attributes_.end()) {
            throw LineError{Format(tr("unknown attribute \"%0:s\""), match.Attribute)};
        }
        const std::vector<std::string>& values = attribute->second.Values;
        if (std::find(values.begin(), values.end(), match.Value) == values.end()) {
            throw LineError{Format(tr("\"%0:s\" is not a value of the attribute \"%1:s\" (%2:s)"),
                                   match.Value, match.Attribute, CommaList(values, values.size()))};
        }
    }

    const std::vector<std::string>& categories_;
    std::map<std::string, AttributeDef> attributes_;
    std::map<std::string, int> definedAt_;
    std::map<std::string, int, TextLess> sectionLines_;
    std::map<std::string, int> listed_;
    bool inSection_ = false;
    RuleScope* scope_ = nullptr;
    RuleBook book_;
    std::vector<std::string> problems_;
    int number_ = 0;
};

// "Group", "Group or Solo", "Choir, Group or Solo".
std::string EitherOf(const std::vector<std::string>& values) {
    return values.size() == 1
               ? values.back()
               : Format(tr("%0:s or %1:s"), CommaList(values, values.size() - 1), values.back());
}

}  // namespace

std::string RuleBookText(const RuleBook& book) {
    std::string text =
        "# Spindle rules: attribute definitions, then the station's rules and each Category's,\n"
        "# one rule a line, the most important first.\n";
    for (const AttributeDef& attribute : book.Attributes) {
        text += AttributeText(attribute) + "\n";
    }
    for (const RuleScope& scope : book.Scopes) {
        text += "\n" + SectionHeader(scope.Category) + "\n";
        for (const RuleDef& rule : scope.Rules) {
            text += RuleText(rule) + "\n";
        }
    }
    return text;
}

RuleBookRead ReadRuleBook(std::string_view text, const std::vector<std::string>& categories,
                          const std::vector<AttributeDef>& known) {
    BookReader reader(categories, known);
    int number = 0;
    ForEachLine(text, [&](std::string_view line) {
        reader.Line(++number, line);
        return true;
    });
    return reader.Result();
}

void KeepHandValues(RuleBookRead& read, StationDb& db) {
    if (!read.Book) {
        return;
    }
    const DbRead<HandValueCounts> held = db.HandValuesHeld();
    if (!held) {
        read.Problems.push_back(held.Problem);
    }
    for (const AttributeDef& attribute : read.Book->Attributes) {
        const auto counts = held.Value.find(attribute.Name);
        if (counts == held.Value.end()) {
            continue;
        }
        long long tracks = 0;
        std::vector<std::string> dropped;
        for (const auto& [value, count] : counts->second) {
            if (std::find(attribute.Values.begin(), attribute.Values.end(), value) ==
                attribute.Values.end()) {
                tracks += count;
                dropped.push_back(value);
            }
        }
        if (dropped.empty()) {
            continue;
        }
        const char* problem =
            tracks == 1 ? N_("%0:d track has %1:s set to %2:s by hand; keep that value in the "
                             "list, or clear it first with spindle-cli attributes import")
                        : N_("%0:d tracks have %1:s set to %2:s by hand; keep those values in "
                             "the list, or clear them first with spindle-cli attributes import");
        read.Problems.push_back(
            Format(tr("line %0:d: %1:s"), read.AttributeLines.at(attribute.Name),
                   Format(tr(problem), tracks, attribute.Name, EitherOf(dropped))));
    }
    if (!read.Problems.empty()) {
        read.Book.reset();
    }
}

RuleTexts BookRuleTexts(const RuleBook& book) {
    RuleTexts texts;
    for (const RuleScope& scope : book.Scopes) {
        std::vector<std::string>& list = texts[scope.Category];
        for (const RuleDef& rule : scope.Rules) {
            list.push_back(RuleText(rule));
        }
    }
    return texts;
}

RuleBookAssembled AssembleRuleBook(const std::vector<AttributeDef>& attributes,
                                   const RuleTexts& rules,
                                   const std::vector<std::string>& categories) {
    RuleBookAssembled assembled;
    assembled.Book.Attributes = attributes;
    const auto scopeOf = [&](const std::string& scope) {
        RuleScope read{scope, {}};
        const auto texts = rules.find(scope);
        for (const std::string& text :
             texts == rules.end() ? std::vector<std::string>{} : texts->second) {
            const ParsedRule parsed = ParseRule(text);
            if (parsed.Rule) {
                read.Rules.push_back(*parsed.Rule);
            } else {
                assembled.Problems.push_back(
                    Format(tr("the station database holds a rule under %0:s that cannot be read, "
                              "\"%1:s\": %2:s"),
                           SectionHeader(scope), text, parsed.Problem));
            }
        }
        return read;
    };
    // Each list as the selection ranks it, the repeat intervals in their places, so the
    // file shows where they stand.
    RuleScope station = scopeOf("");
    station.Rules = EffectiveRules(station.Rules, {});
    assembled.Book.Scopes.push_back(std::move(station));
    for (const std::string& category : categories) {
        if (RuleScope scope = scopeOf(category); !scope.Rules.empty()) {
            scope.Rules = EffectiveRules(scope.Rules, {});
            assembled.Book.Scopes.push_back(std::move(scope));
        }
    }
    for (const auto& [scope, texts] : rules) {
        const bool known = scope.empty() || std::find(categories.begin(), categories.end(),
                                                      scope) != categories.end();
        if (!known && !texts.empty()) {
            assembled.Notes.push_back(Format(
                tr("the rules of \"%0:s\" are left out: the station has no such Category"), scope));
        }
    }
    return assembled;
}

}  // namespace spindle
