#include "rules/rule_def.h"

#include <gtest/gtest.h>

namespace spindle {
namespace {

RuleDef Rule(RuleKind kind) {
    RuleDef rule;
    rule.Kind = kind;
    return rule;
}

RuleDef With(RuleDef rule, void (*set)(RuleDef&)) {
    set(rule);
    return rule;
}

// Each kind's canonical line and the rule it stands for, both ways.
TEST(RuleDef, EveryKindReadsAndWritesItsCanonicalLine) {
    const struct {
        RuleDef Rule;
        const char* Text;
        // clang-format off
    } cases[] = {
        {Rule(RuleKind::Song), "song"},
        {Rule(RuleKind::Artist), "artist"},
        {With(Rule(RuleKind::Album), [](RuleDef& r) { r.Minutes = 90; }), "album 90 minutes"},
        {With(Rule(RuleKind::Title), [](RuleDef& r) { r.Minutes = 120; }), "title 2 hours"},
        {With(Rule(RuleKind::Separation),
              [](RuleDef& r) { r.Match = {"Vocal", "Female"}, r.Count = 2; }),
         "separate Vocal=Female 2 items"},
        {With(Rule(RuleKind::Separation),
              [](RuleDef& r) { r.Match = {"Local content", "Yes \"NZ\""}, r.Minutes = 1; }),
         R"(separate "Local content"="Yes \"NZ\"" 1 minute)"},
        {With(Rule(RuleKind::Run), [](RuleDef& r) { r.Match = {"Tempo", "Fast"}, r.Count = 3; }),
         "run Tempo=Fast 3"},
        {With(Rule(RuleKind::Transition),
              [](RuleDef& r) { r.Match = {"Tempo", "Fast"}, r.Next = {"Tempo", "Slow"}; }),
         "transition Tempo=Fast -> Tempo=Slow"},
        {With(Rule(RuleKind::Window), [](RuleDef& r) {
              r.Match = {"Season", "Christmas"};
              r.Allowed.FromDate = 1201, r.Allowed.ToDate = 1226; }),
         "window Season=Christmas dates 12-01..12-26"},
        {With(Rule(RuleKind::Window), [](RuleDef& r) {
              r.Match = {"track", "a->b"};
              r.Allowed.FromDate = r.Allowed.ToDate = 229;
              r.Allowed.Weekdays = 0b0111110;  // Monday to Friday
              r.Allowed.FromMinute = 21 * 60, r.Allowed.ToMinute = 6 * 60; }),
         "window track=\"a->b\" dates 02-29 days Mon-Fri hours 21:00-06:00"},
        {With(Rule(RuleKind::Window), [](RuleDef& r) {
              r.Track = R"(/music/Band "X"\Live.mp3)";
              r.Allowed.Weekdays = 0b1000011;  // Sunday, Monday, Saturday
              r.Allowed.ToMinute = 24 * 60; }),
         R"(window track "/music/Band \"X\"\\Live.mp3" days Mon,Sat,Sun hours 00:00-24:00)"},
        {With(Rule(RuleKind::HourRotation), [](RuleDef& r) { r.Minutes = 45, r.Days = 1; }),
         "hour-rotation 45 minutes 1 day"},
        {With(Rule(RuleKind::Cap), [](RuleDef& r) { r.Count = 2, r.PerDay = true; }),
         "cap track 2 per day"},
        {With(Rule(RuleKind::Cap),
              [](RuleDef& r) { r.Of = CapOf::Artist, r.Count = 4, r.Minutes = 180; }),
         "cap artist 4 per 3 hours"},
        {With(Rule(RuleKind::Cap),
              [](RuleDef& r) { r.Of = CapOf::Album, r.Count = 1, r.Minutes = 90; }),
         "cap album 1 per 90 minutes"},
        {With(Rule(RuleKind::Quota), [](RuleDef& r) {
              r.Match = {"Origin", "Local"}, r.Count = 30, r.Percent = true; }),
         "quota Origin=Local at least 30%"},
        {With(Rule(RuleKind::Quota), [](RuleDef& r) {
              r.Match = {"Tempo", "Slow"}, r.Count = 2, r.AtMost = true; }),
         "quota Tempo=Slow at most 2"},
    };
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(RuleText(c.Rule), c.Text);
        const ParsedRule parsed = ParseRule(c.Text);
        ASSERT_TRUE(parsed.Rule) << c.Text << ": " << parsed.Problem;
        EXPECT_TRUE(*parsed.Rule == c.Rule) << c.Text;
    }
}

TEST(RuleDef, LooseSpellingsReadAsTheCanonicalLine) {
    const struct {
        const char* Loose;
        const char* Canonical;
    } cases[] = {
        {"  SONG  ", "song"},
        {"album 180 Minutes", "album 3 hours"},
        {"separate \"Vocal\"=\"Female\" 1 ITEM", "separate Vocal=Female 1 item"},
        {"window Explicit=Yes hours 9:00-05:30 days sunday,Sat",
         "window Explicit=Yes days Sat,Sun hours 09:00-05:30"},
        {"window Era=60s days Fri-Mon dates 12-15..01-06",
         "window Era=60s dates 12-15..01-06 days Mon,Fri-Sun"},
        {"window track /a/b.mp3 days Mon-Sun hours 6:00-18:00",
         "window track \"/a/b.mp3\" hours 06:00-18:00"},
        {"hour-rotation 1 hours 7 day", "hour-rotation 1 hour 7 days"},
        {"cap artist 4 per 60 minutes", "cap artist 4 per 1 hour"},
        {"QUOTA Origin=Local AT Least 100%", "quota Origin=Local at least 100%"},
    };
    for (const auto& c : cases) {
        const ParsedRule parsed = ParseRule(c.Loose);
        ASSERT_TRUE(parsed.Rule) << c.Loose << ": " << parsed.Problem;
        EXPECT_EQ(RuleText(*parsed.Rule), c.Canonical);
    }
}

TEST(RuleDef, BadLinesAreRefusedNamingTheProblem) {
    const struct {
        const char* Text;
        const char* Problem;
    } cases[] = {
        {"   ", "empty"},
        {"sing", "unknown rule \"sing\""},
        {"\"song\"", "a rule expected"},
        {"song 3", "unexpected \"3\""},
        {"album 90", "\"minutes\" or \"hours\" expected at the end"},
        {"album 0 minutes", "from 1 to 1000000 expected, not \"0\""},
        {"album 1000001 minutes", "not \"1000001\""},
        {"title -5 minutes", "not \"-5\""},
        {"album 1000000 hours", "reaches back at most 168 hours"},
        {"cap artist 2 per 169 hours", "reaches back at most 168 hours"},
        {"separate Vocal=Female 25 hours", "reaches back at most 24 hours"},
        {"separate Vocal=Female 101 items", "reaches back at most 100 items"},
        {"hour-rotation 1 hour 32 days", "reaches back at most 31 days"},
        {"separate Vocal Female 2 items", "ATTRIBUTE=VALUE expected, not \"Female\""},
        {"separate Vocal=\"\" 2 items", "cannot be empty"},
        {"separate Vocal=Female 2 songs",
         "\"items\", \"minutes\" or \"hours\" expected, not \"songs\""},
        {"run \"Tempo=Fast 3", "quote is not closed"},
        {"run Tempo=Fa\x01st 3", "control character"},
        {"transition Tempo=Fast Tempo=Slow", "\"->\" expected"},
        {"window Season=Christmas", "allows every day and hour"},
        {"window Season=Christmas days Sun-Sat", "allows every day and hour"},
        {"window Season=Christmas dates 02-30", "\"02-30\" is not a day of the year"},
        {"window Season=Christmas dates 13-01..12-26", "\"13-01\" is not a day"},
        {"window Season=Christmas dates 12-01..", "\"\" is not a day"},
        {"window Season=Christmas days Mon-Fry", "unknown weekday \"Fry\""},
        {"window Season=Christmas days Mon,", "unknown weekday \"\""},
        {"window X=Y hours 21:00", "not a range of hours"},
        {"window X=Y hours 21:00-24:01", "\"24:01\" is not a time of day"},
        {"window X=Y hours 9:60-10:00", "\"9:60\" is not a time of day"},
        {"window X=Y hours 24:00-06:00", "cannot start at 24:00"},
        {"window X=Y hours 10:00-10:00", "start and end at the same time"},
        {"window X=Y days Mon days Tue", "\"days\" is given twice"},
        {"window X=Y weeks 2", "\"dates\", \"days\" or \"hours\" expected, not \"weeks\""},
        {"window track \"\" days Mon", "path cannot be empty"},
        {"hour-rotation 12 hours 2 days", "under 12 hours"},
        {"quota Origin=Local at least 101%", "from 1% to 100%, not \"101%\""},
        {"quota Origin=Local at least 0%", "from 1% to 100%, not \"0%\""},
        {"quota Origin=Local at least", "a number of songs, or a share of them"},
        {"quota Origin=Local at many 3", "\"least\" or \"most\" expected, not \"many\""},
        {"quota Origin=Local 30%", "\"at\" expected, not \"30%\""},
        {"hour-rotation 60 minutes 2 weeks", "\"days\" expected, not \"weeks\""},
        {"cap song 2 per day", "\"track\", \"artist\" or \"album\" expected, not \"song\""},
        {"cap track 2 a day", "\"per\" expected, not \"a\""},
        {"cap track 2 per week", "a whole number from 1"},
    };
    for (const auto& c : cases) {
        const ParsedRule parsed = ParseRule(c.Text);
        EXPECT_FALSE(parsed.Rule) << c.Text;
        EXPECT_NE(parsed.Problem.find(c.Problem), std::string::npos)
            << c.Text << " gave: " << parsed.Problem;
    }
}

TEST(RuleDef, EffectiveRulesTakeTheOwnListElseTheStationsAndAddTheIntervals) {
    const RuleDef song = Rule(RuleKind::Song), artist = Rule(RuleKind::Artist);
    const RuleDef run = *ParseRule("run Tempo=Fast 2").Rule;
    const RuleDef cap = *ParseRule("cap track 1 per day").Rule;
    using List = std::vector<RuleDef>;
    const struct {
        List Own, Station, Expected;
    } cases[] = {
        {{}, {}, {artist, song}},
        {{run}, {cap}, {run, artist, song}},
        {{}, {cap}, {cap, artist, song}},
        {{song, run}, {cap}, {song, run, artist}},
        {{run, artist, song, cap}, {}, {run, artist, song, cap}},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(EffectiveRules(c.Own, c.Station) == c.Expected) << c.Expected.size();
    }
    const List caps = WebcastingCaps();
    ASSERT_EQ(caps.size(), 2u);
    EXPECT_EQ(RuleText(caps[0]), "cap artist 4 per 3 hours");
    EXPECT_EQ(RuleText(caps[1]), "cap album 3 per 3 hours");
}

}  // namespace
}  // namespace spindle
