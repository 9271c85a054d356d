#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "rules/rule_def.h"
#include "stationdb/station_db.h"

namespace spindle {

// One list of rules: the station's (Category empty) or a Category's own.
struct RuleScope {
    std::string Category;
    std::vector<RuleDef> Rules;
    bool operator==(const RuleScope&) const = default;
};

// The rules file: the attribute definitions, then the station's rules and each
// Category's, in order. Written as text so a station keeps it under version control and
// copies it to another:
//
//   # a comment
//   attribute Tempo source bpm banding "90 120" values Slow Medium Fast
//   [station]
//   artist
//   song
//   [category "Gold"]
//   separate Vocal=Female 2 items
//
// Definitions come before the first section; each rule is one line as RuleText writes it.
struct RuleBook {
    std::vector<AttributeDef> Attributes;
    std::vector<RuleScope> Scopes;
    bool operator==(const RuleBook&) const = default;
};

std::string RuleBookText(const RuleBook& book);

struct RuleBookRead {
    std::optional<RuleBook> Book;
    std::vector<std::string> Problems;          // "line 12: ...", each entry that is wrong
    std::map<std::string, int> AttributeLines;  // the line that defines each attribute
};

// Reads a whole rules file, checking every line: its syntax, the attributes and values
// its rules name (defined in the file, else among `known`), its sections (`categories`
// are the station's; a Category's name takes the station's spelling), and that no list
// holds "song" or "artist" twice. A book comes back only when nothing is wrong.
RuleBookRead ReadRuleBook(std::string_view text, const std::vector<std::string>& categories,
                          const std::vector<AttributeDef>& known);

// Defining an attribute anew clears the values it no longer lists from every track, and
// values set by hand are work the file cannot give back: `read`'s book is refused (each
// attribute line that would drop them added to its Problems, with how many tracks hold
// which values) unless it keeps them all.
void KeepHandValues(RuleBookRead& read, StationDb& db);

// The book's rules as the station database keeps them, by scope.
RuleTexts BookRuleTexts(const RuleBook& book);

struct RuleBookAssembled {
    RuleBook Book;
    std::vector<std::string> Problems;  // rules the database holds that cannot be read
    std::vector<std::string> Notes;     // rules left out: their Category is gone
};

// The book of what the station database holds: the station's rules first (always, if
// empty), then each of `categories` that has rules, in the station's order.
RuleBookAssembled AssembleRuleBook(const std::vector<AttributeDef>& attributes,
                                   const RuleTexts& rules,
                                   const std::vector<std::string>& categories);

}  // namespace spindle
