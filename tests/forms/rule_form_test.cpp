#include "forms/rule_form.h"
#include "station/category_rules.h"

#include <SQLiteCpp/Database.h>
#include <gtest/gtest.h>

#include "rules/rule_sentence.h"
#include "support/station_builder.h"

namespace spindle {
namespace {

RuleDef Line(const char* text) {
    const ParsedRule parsed = ParseRule(text);
    EXPECT_TRUE(parsed.Rule) << text << ": " << parsed.Problem;
    return parsed.Rule.value_or(RuleDef{});
}

std::vector<std::string> Texts(const std::vector<RuleDef>& rules) {
    std::vector<std::string> texts;
    for (const RuleDef& rule : rules) {
        texts.push_back(RuleText(rule));
    }
    return texts;
}

// Every kind read as a sentence, with singular counts, weekday runs and the station's
// own date and time forms.
TEST(RuleSentence, EveryKindReadsAsOneSentence) {
    const struct {
        const char* Text;
        const char* Sentence;
    } cases[] = {
        {"song", "Song repeat interval (set on the Category page)"},
        {"artist", "Artist repeat interval (set on the Category page)"},
        {"album 90 minutes", "No two tracks of one album within 90 minutes"},
        {"title 1 hour", "No two tracks of the same title within 1 hour"},
        {"separate Vocal=Female 3 items", "No two tracks with Vocal Female within 3 items"},
        {"separate Vocal=Female 1 item", "No two tracks with Vocal Female within 1 item"},
        {"separate Vocal=Female 1 minute", "No two tracks with Vocal Female within 1 minute"},
        {"run Tempo=Fast 2", "At most 2 tracks with Tempo Fast in a row"},
        {"transition Tempo=Fast -> Tempo=Slow", "Not Tempo Slow right after Tempo Fast"},
        {"window Season=Christmas dates 12-01..12-26", "Season Christmas only 1 Dec to 26 Dec"},
        {"window track \"/m/Band - Hit.mp3\" dates 02-29 days Sat,Sun,Tue-Thu hours 21:00-24:00",
         "Band - Hit.mp3 only 29 Feb, Tue\u2013Thu, Sat, Sun, 9:00 PM to 12:00 AM"},
        {"window Explicit=Yes days Mon,Tue", "Explicit Yes only Mon, Tue"},
        {"hour-rotation 45 minutes 1 day",
         "Not within 45 minutes either side of the time of day it played the day before"},
        {"hour-rotation 2 hours 3 days",
         "Not within 2 hours either side of the times of day it played on the previous 3 days"},
        {"cap track 1 per day", "At most 1 play of one track per day"},
        {"cap artist 4 per 3 hours", "At most 4 tracks of one artist in any 3 hours"},
        {"cap album 1 per 61 minutes", "At most 1 track of one album in any 61 minutes"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RuleSentence(Line(c.Text), FormatSettings::English()), c.Sentence);
    }
    FormatSettings german;
    german.ShortTimeFormat = "hh:nn";
    german.ShortMonthNames[11] = "Dez";
    EXPECT_EQ(RuleSentence(Line("window X=Y dates 12-24 hours 06:00-09:30"), german),
              "X Y only 24 Dez, 06:00 to 09:30");
}

// A form's rule is refused on the field it concerns, in the form's order; every kind's
// new rule is sound once it names what it matches.
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
        {Line("run Tempo=Fast 2"), "", ""},
        {Line("run Mood=Fast 2"), "Match", "no attribute \"Mood\""},
        {Line("transition Tempo=Fast -> Tempo=Quick"), "Next", "\"Quick\" is not a value"},
        {Line("window track /m/a.mp3 days Mon"), "", ""},
        {NewRule(RuleKind::Window), "Match", "Choose an attribute"},
        {with(Line("window Vocal=Male days Mon"), [](RuleDef& r) { r.Allowed.Weekdays = 0; }),
         "Window", "at least one weekday"},
        {with(Line("window Vocal=Male days Mon"), [](RuleDef& r) { r.Allowed = {}; }), "Window",
         "allows every day"},
        {with(Line("window Vocal=Male days Mon"), [](RuleDef& r) { r.Allowed.ToDate = 230; }),
         "Window", "day of the year"},
        {with(Line("run Vocal=Male 2"), [](RuleDef& r) { r.Count = 0; }), "Count", "from 1"},
        {with(Line("separate Vocal=Male 2 items"), [](RuleDef& r) { r.Count = -1; }), "Minutes",
         "from 1"},
        {with(Line("hour-rotation 1 hour 2 days"), [](RuleDef& r) { r.Minutes = 720; }), "Minutes",
         "to 719"},
        {with(Line("hour-rotation 1 hour 2 days"), [](RuleDef& r) { r.Days = 0; }), "Days",
         "from 1"},
        {with(Line("cap artist 2 per day"), [](RuleDef& r) { r.Minutes = 0; }), "", ""},
        {with(Line("cap artist 2 per 1 hour"), [](RuleDef& r) { r.Minutes = 0; }), "Minutes",
         "from 1"},
        {with(Line("window Vocal=Male hours 10:00-11:00"),
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
    EXPECT_FALSE(Removable(Line("song")) || Removable(Line("artist")));

    std::vector<RuleDef> list = EffectiveRules({Line("cap album 3 per 3 hours")}, {});
    EXPECT_EQ(AddWebcastingCaps(list, 1), 1u);
    EXPECT_EQ(Texts(list),
              (std::vector<std::string>{"cap album 3 per 3 hours", "cap artist 4 per 3 hours",
                                        "artist", "song"}));
    EXPECT_EQ(AddWebcastingCaps(list, 9), 0u);
    EXPECT_TRUE(BeyondIntervals(list));
    EXPECT_FALSE(BeyondIntervals(EffectiveRules({}, {})));
}

// A Category's list is stored only when its meaning changed (and, without a database, only
// when it means more than no rules). A rename or a delete reaches the database with the save
// of the Categories, as it reaches the file: quitting before, or a save that fails, leaves
// both as they were; a rename drops what a deleted Category left under the new name.
TEST(RuleForm, CategoryRulesFollowTheSavedCategories) {
    test::TempDir dir;
    test::StationBuilder b(dir);
    b.AddCategory("Hits", {b.MusicFolder("Hits", {"A - One"}, 100)});
    b.AddCategory("Gold", {b.MusicFolder("Gold", {"B - Two"}, 100)});
    b.Save();
    Station& station = b.Get();
    const auto data = b.DataFolder();
    const auto at = [&](const char* name) {
        std::size_t i = 0;
        while (i < station.Categories.size() && station.Categories[i]->Name != name) {
            ++i;
        }
        return i;
    };
    ASSERT_TRUE(SaveCategoryRules(data, "Hits", {}));
    ASSERT_TRUE(SaveCategoryRules(data, "Hits", {Line("artist")}));  // as no rules
    EXPECT_FALSE(std::filesystem::exists(StationDb::FileIn(data)));
    EXPECT_TRUE(ReadCategoryRules(data, "Hits").Problem.empty());

    const RuleDef window = Line("window track /m/a.mp3 days Mon");
    ASSERT_TRUE(SaveCategoryRules(data, "Hits", EffectiveRules({window}, {})));
    ASSERT_TRUE(SaveCategoryRules(data, "Hits", {window}));  // the same meaning: kept as it was
    ASSERT_TRUE(SaveCategoryRules(data, "Gold", {Line("cap track 1 per day")}));
    ASSERT_TRUE(SaveCategoryRules(data, "Gone", {Line("title 1 hour")}));  // left behind
    const auto stored = [&] { return StationDb(data, StationDb::Mode::IfExists).Rules().Value; };
    const RuleTexts before = stored();
    EXPECT_EQ(before.at("Hits"), Texts(EffectiveRules({window}, {})));
    EXPECT_TRUE(ReadCategoryRules(data, "Hits").Own == EffectiveRules({window}, {}));
    EXPECT_TRUE(ReadCategoryRules(data, "Pop").Own.empty());

    ASSERT_TRUE(RenameEntry(station, ListKind::Categories, at("Hits"), "Gone"));
    ASSERT_TRUE(RenameEntry(station, ListKind::Categories, at("Gold"), "Oldies"));
    EXPECT_NE(CheckName(station, ListKind::Categories, kNewEntry, "Hits").Message.find("save"),
              std::string::npos);
    EXPECT_EQ(stored(), before);
    std::filesystem::remove(data / "Categories.bak");
    std::filesystem::create_directories(data / "Categories.bak/blocked");
    EXPECT_FALSE(station.SaveCategories());
    EXPECT_EQ(stored(), before);
    std::filesystem::remove_all(data / "Categories.bak");
    ASSERT_TRUE(station.SaveCategories());
    const RuleTexts renamed = stored();
    EXPECT_EQ(renamed, (RuleTexts{{"Gone", before.at("Hits")}, {"Oldies", before.at("Gold")}}));

    ASSERT_TRUE(DeleteEntry(station, ListKind::Categories, at("Gone")));
    station.LoadAll();  // the delete is thrown away
    ASSERT_TRUE(station.SaveCategories());
    EXPECT_EQ(stored(), renamed);
    ASSERT_TRUE(DeleteEntry(station, ListKind::Categories, at("Gone")));
    EXPECT_EQ(stored(), renamed);
    ASSERT_TRUE(station.SaveCategories());
    EXPECT_EQ(stored(), (RuleTexts{{"Oldies", before.at("Gold")}}));

    SQLite::Database(StationDb::FileIn(data), SQLite::OPEN_READWRITE)
        .exec("PRAGMA user_version=99");
    ASSERT_TRUE(RenameEntry(station, ListKind::Categories, 0, "Gold"));
    EXPECT_FALSE(station.SaveCategories());
    EXPECT_NE(test::ReadAll(data / "Categories.dat").find("Oldies"), std::string::npos);
    EXPECT_FALSE(SaveCategoryRules(data, "Oldies", {}));
    EXPECT_NE(ReadCategoryRules(data, "Oldies").Problem.find("newer"), std::string::npos);
}

}  // namespace
}  // namespace spindle
