#include "rules/rule_book.h"

#include <gtest/gtest.h>
#include "support/rule_lines.h"

namespace spindle {
namespace {

using test::LinesOf;
using test::RuleLine;

const std::vector<std::string> kCategories{"Gold", "Current Hits"};

AttributeDef Attribute(std::string name, std::string source, std::string banding,
                       std::vector<std::string> values) {
    return {std::move(name), std::move(source), std::move(banding), std::move(values)};
}

TEST(RuleBook, WritesItsFormatAndReadsItBack) {
    const RuleBook book{
        {Attribute("Tempo", "bpm", "90 120", {"Slow", "Medium", "Fast"}),
         Attribute("Local content", "TXXX LOCAL", "", {"Yes", "No \"NZ\""})},
        {{"", {RuleLine("artist"), RuleLine("song"), RuleLine("cap artist 4 per 3 hours")}},
         {"Current Hits",
          {RuleLine("separate \"Local content\"=Yes 3 items"),
           RuleLine("transition Tempo=Fast -> Tempo=Slow")}}}};
    const std::string text = RuleBookText(book);
    EXPECT_EQ(
        text,
        "# Spindle rules: attribute definitions, then the station's rules and each Category's,\n"
        "# one rule a line, the most important first.\n"
        "attribute Tempo source bpm banding \"90 120\" values Slow Medium Fast\n"
        "attribute \"Local content\" source \"TXXX LOCAL\" values Yes \"No \\\"NZ\\\"\"\n"
        "\n[station]\nartist\nsong\ncap artist 4 per 3 hours\n"
        "\n[category \"Current Hits\"]\n"
        "separate \"Local content\"=Yes 3 items\ntransition Tempo=Fast -> Tempo=Slow\n");
    const RuleBookRead read = ReadRuleBook(text, kCategories, {});
    ASSERT_TRUE(read.Book) << read.Problems.front();
    EXPECT_TRUE(*read.Book == book);
    EXPECT_EQ(BookRuleTexts(book).at("Current Hits").at(1), "transition Tempo=Fast -> Tempo=Slow");
}

// Rules name attributes of the file or of the database; a Category is found in any case and
// takes the station's spelling; source defaults to the hand, CR LF lines read alike.
TEST(RuleBook, ResolvesNamesAgainstTheFileTheDatabaseAndTheStation) {
    const std::vector<AttributeDef> known{Attribute("Vocal", "hand", "", {"Female", "Male"})};
    const RuleBookRead read = ReadRuleBook(
        "  # kept by the music director\r\n"
        "attribute Era values 60s 70s\r\n"
        "[category gold]\r\n"
        "  separate Vocal=Female 2 items  \r\n"
        "run Era=70s 2\r\n",
        kCategories, known);
    ASSERT_TRUE(read.Book) << read.Problems.front();
    const RuleBook expected{
        {Attribute("Era", "hand", "", {"60s", "70s"})},
        {{"Gold", {RuleLine("separate Vocal=Female 2 items"), RuleLine("run Era=70s 2")}}}};
    EXPECT_TRUE(*read.Book == expected);
}

TEST(RuleBook, EveryWrongEntryIsNamedByItsLineAndNoBookComesBack) {
    const std::string head =
        "attribute Tempo source bpm banding \"90 120\" values Slow Medium Fast\n[station]\n";
    const struct {
        std::string Text;
        const char* Problem;
    } cases[] = {
        {head + "song\nfade 3\n", "line 4: unknown rule \"fade\""},
        {head + "run Tempoo=Fast 3\n", "line 3: unknown attribute \"Tempoo\""},
        {head + "run Tempo=fast 3\n",
         "line 3: \"fast\" is not a value of the attribute \"Tempo\" (Slow, Medium, Fast)"},
        {head + "transition Tempo=Fast -> Mood=Sad\n", "line 3: unknown attribute \"Mood\""},
        {head + "[category \"Oldies\"]\n", "line 3: the station has no Category \"Oldies\""},
        {head + "artist\nsong\nartist\n",
         "line 5: \"artist\" is in this section already, at line 3"},
        {head + "[category Gold]\nsong\n[category GOLD]\nsong\n",
         "line 5: this section was begun before, at line 3"},
        {head + "[station\n", "line 3: a section ends with \"]\""},
        {head + "[stations]\n", "line 3: \"station\" or \"category\" expected, not \"stations\""},
        {head + "attribute Vocal values Female\n",
         "line 3: attributes are defined before the first section"},
        {"song\n", "line 1: a rule belongs in a section"},
        {"attribute Vocal source hand\n",
         "line 1: \"source\", \"banding\" or \"values\" expected at the end"},
        {"attribute Vocal values\n", "line 1: The attribute \"Vocal\" needs at least one value."},
        {"attribute Vocal values Female female\n", "lists the value \"female\" twice"},
        {"attribute Vocal values A\nattribute Vocal values B\n",
         "line 2: the attribute \"Vocal\" was defined before, at line 1"},
        {"attribute Vocal source hand source bpm values A\n", "line 1: \"source\" is given twice"},
        {head + "album 2 hours\nsong\nalbum 120 minutes\n",
         "line 5: \"album 2 hours\" is in this section already, at line 3"},
        {"attribute Vocal values A\nattribute VOCAL values B\n",
         "line 2: the attribute \"Vocal\" was defined before, at line 1"},
        {"attribute ERA values A\n", "the station has the attribute \"Era\""},
    };
    for (const auto& c : cases) {
        const RuleBookRead read =
            ReadRuleBook(c.Text, kCategories, {Attribute("Era", "hand", "", {"60s"})});
        EXPECT_FALSE(read.Book) << c.Text;
        ASSERT_EQ(read.Problems.size(), 1u) << c.Text;
        EXPECT_NE(read.Problems[0].find(c.Problem), std::string::npos) << read.Problems[0];
    }
}

TEST(RuleBook, AssemblesTheDatabasesRulesInTheStationsOrder) {
    const RuleTexts stored{{"", {"song"}},
                           {"Gold", {"run Tempo=Fast 2"}},
                           {"Current Hits", {"album 2 hours", "dance all night"}},
                           {"Removed", {"artist"}}};
    const RuleBookAssembled assembled =
        AssembleRuleBook({}, stored, {"Current Hits", "Gold", "Jazz"});
    ASSERT_EQ(assembled.Book.Scopes.size(), 3u);
    EXPECT_EQ(assembled.Book.Scopes[1].Category, "Current Hits");
    EXPECT_EQ(assembled.Book.Scopes[1].Rules.size(), 3u);  // with the intervals
    EXPECT_EQ(assembled.Book.Scopes[2].Category, "Gold");
    ASSERT_EQ(assembled.Problems.size(), 1u);
    EXPECT_NE(assembled.Problems[0].find("[category \"Current Hits\"]"), std::string::npos);
    EXPECT_NE(assembled.Problems[0].find("dance all night"), std::string::npos);
    ASSERT_EQ(assembled.Notes.size(), 1u);
    EXPECT_NE(assembled.Notes[0].find("\"Removed\""), std::string::npos);
    // Every list shows where the repeat intervals rank; a station without rules still writes
    // its section, so the file reads as the station's.
    EXPECT_EQ(LinesOf(assembled.Book.Scopes[2].Rules),
              (std::vector<std::string>{"run Tempo=Fast 2", "artist", "song"}));
    const RuleScope intervals{"", {RuleLine("artist"), RuleLine("song")}};
    EXPECT_EQ(AssembleRuleBook({}, {}, {"Gold"}).Book.Scopes, std::vector<RuleScope>{intervals});
}

}  // namespace
}  // namespace spindle
