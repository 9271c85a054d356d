#pragma once

// Rules written as the rules file's lines, for tests that state them so.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rules/rule_def.h"

namespace spindle::test {

// The rule a line of the rules file reads as; a line that does not read fails the test.
inline RuleDef RuleLine(const char* text) {
    const ParsedRule parsed = ParseRule(text);
    EXPECT_TRUE(parsed.Rule) << text << ": " << parsed.Problem;
    return parsed.Rule.value_or(RuleDef{});
}

// The lines the rules are written as.
inline std::vector<std::string> LinesOf(const std::vector<RuleDef>& rules) {
    std::vector<std::string> lines;
    for (const RuleDef& rule : rules) {
        lines.push_back(RuleText(rule));
    }
    return lines;
}

}  // namespace spindle::test
