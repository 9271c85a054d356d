#include "forms/rule_form.h"

#include <SQLiteCpp/Database.h>
#include <gtest/gtest.h>

#include "support/rule_lines.h"

namespace spindle {
namespace {

using test::LinesOf;
using test::RuleLine;

TEST(RuleForm, RulesAreCheckedAgainstTheStationsAttributes) {
    const std::vector<AttributeDef> attributes{{"Tempo", "bpm", "90 120", {"Slow", "Fast"}},
                                               {"Vocal", "hand", "", {"Female", "Male"}}};
    const auto with = [](RuleDef rule, auto set) {
        set(rule);
        return rule;
    };
    const struct {
        RuleDef Rule;
        const char* Field;
        const char* Message;
    } cases[] = {
        {RuleLine("run Tempo=Fast 2"), "", ""},
        {RuleLine("run Mood=Fast 2"), "Match", "no attribute \"Mood\""},
        {RuleLine("transition Tempo=Fast -> Tempo=Quick"), "Next", "\"Quick\" is not a value"},
        {RuleLine("window track /m/a.mp3 days Mon"), "", ""},
        {NewRule(RuleKind::Window), "Match", "Choose an attribute"},
        {with(RuleLine("window Vocal=Male days Mon"), [](RuleDef& r) { r.Allowed.Weekdays = 0; }),
         "Window", "at least one weekday"},
        {with(RuleLine("window Vocal=Male days Mon"), [](RuleDef& r) { r.Allowed = {}; }), "Window",
         "allows every day"},
        {with(RuleLine("window Vocal=Male days Mon"), [](RuleDef& r) { r.Allowed.ToDate = 230; }),
         "Window", "day of the year"},
        {with(RuleLine("run Vocal=Male 2"), [](RuleDef& r) { r.Count = 0; }), "Count", "from 1"},
        {with(RuleLine("separate Vocal=Male 2 items"), [](RuleDef& r) { r.Count = -1; }), "Minutes",
         "from 1"},
        {with(RuleLine("hour-rotation 1 hour 2 days"), [](RuleDef& r) { r.Minutes = 720; }),
         "Minutes", "to 719"},
        {with(RuleLine("hour-rotation 1 hour 2 days"), [](RuleDef& r) { r.Days = 0; }), "Days",
         "from 1"},
        {with(RuleLine("cap artist 2 per day"), [](RuleDef& r) { r.Minutes = 0; }), "", ""},
        {with(RuleLine("cap artist 2 per 1 hour"), [](RuleDef& r) { r.Minutes = 0; }), "Minutes",
         "from 1"},
        {with(RuleLine("window Vocal=Male hours 10:00-11:00"),
              [](RuleDef& r) { r.Allowed.FromMinute = 24 * 60; }),
         "", "cannot start at 24:00"},
    };
    for (const auto& c : cases) {
        const Verdict v = CheckRule(c.Rule, attributes);
        EXPECT_EQ(v.Field, c.Field) << RuleText(c.Rule) << ": " << v.Message;
        EXPECT_NE(v.Message.find(c.Message), std::string::npos) << v.Message;
        EXPECT_EQ(v.Ok(), *c.Message == '\0') << RuleText(c.Rule);
    }
    EXPECT_NE(CheckRule(NewRule(RuleKind::Run), {}).Message.find("no attributes yet"),
              std::string::npos);
    for (const RuleKind kind : AddableKinds()) {
        RuleDef rule = NewRule(kind);
        rule.Match = rule.Next = {"Tempo", "Slow"};
        rule.Allowed.Weekdays = 1;
        EXPECT_TRUE(CheckRule(rule, attributes).Ok()) << RuleText(rule);
        EXPECT_TRUE(Removable(rule));
    }
    EXPECT_FALSE(Removable(RuleLine("song")) || Removable(RuleLine("artist")));

    std::vector<RuleDef> list = EffectiveRules({RuleLine("cap album 3 per 3 hours")}, {});
    EXPECT_EQ(AddWebcastingCaps(list, 1), 1u);
    EXPECT_EQ(LinesOf(list),
              (std::vector<std::string>{"cap album 3 per 3 hours", "cap artist 4 per 3 hours",
                                        "artist", "song"}));
    EXPECT_EQ(AddWebcastingCaps(list, 9), 0u);
    EXPECT_TRUE(BeyondIntervals(list));
    EXPECT_FALSE(BeyondIntervals(EffectiveRules({}, {})));
}

}  // namespace
}  // namespace spindle
