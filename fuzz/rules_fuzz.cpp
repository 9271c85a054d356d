// Rules: any line or file reads without a crash, and what is read is written back as text
// that reads as the same rules.
#include <cstdlib>

#include "fuzz_support.h"
#include "rules/rule_book.h"
#include "rules/rule_def.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace spindle;
    const std::string_view text = fuzz::Text(data, size);
    if (const ParsedRule rule = ParseRule(text); rule.Rule) {
        const ParsedRule again = ParseRule(RuleText(*rule.Rule));
        if (!again.Rule || !(*again.Rule == *rule.Rule)) {
            std::abort();
        }
    }
    static const std::vector<std::string> categories{"Gold", "Current Hits"};
    const RuleBookRead read = ReadRuleBook(text, categories, {});
    if (read.Book) {
        const RuleBookRead again = ReadRuleBook(RuleBookText(*read.Book), categories, {});
        if (!again.Book || !(*again.Book == *read.Book)) {
            std::abort();
        }
    }
    return 0;
}
