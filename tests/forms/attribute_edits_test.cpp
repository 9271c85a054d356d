#include "forms/attribute_edits.h"

#include <gtest/gtest.h>

#include "forms/file_view.h"
#include "support/temp_dir.h"

namespace spindle {
namespace {

const AttributeDef kTempo{"Tempo", "bpm", "90 120", {"Slow", "Mid", "Fast"}};
const AttributeDef kVocal{"Vocal", "hand", "", {"Female", "Male"}};
const RuleTexts kRules = {{"", {"separate Vocal=Female 2 items", "artist"}},
                          {"Gold", {"transition Vocal=Male -> Tempo=Fast", "oops"}}};

// The dialog's verdict names the field at fault; a new name is free in any case; a value
// a rule names (as the next of a transition too) cannot be dropped, others can.
TEST(AttributeEdits, CheckNamesTheFieldAtFault) {
    const struct {
        AttributeDef Edited;
        const AttributeDef* Before;
        const char* Field;  // empty: accepted
        const char* Says;
    } cases[] = {
        {{"", "hand", "", {"Yes"}}, nullptr, "name", "needs a name"},
        {{"Local ", "hand", "", {"Yes"}}, nullptr, "name", "blank"},
        {{"tempo", "hand", "", {"Yes"}}, nullptr, "name", "already"},
        {{"Local", " ", "", {"Yes"}}, nullptr, "source", "source"},
        {{"Local", "hand", "", {}}, nullptr, "values", "at least one"},
        {{"Local", "LOCAL", "", {"Yes", "yes"}}, nullptr, "values", "twice"},
        {{"Era", "year", "", {"Old", "New"}}, nullptr, "banding", "needs a banding"},
        {{"Era", "year", "1990 2000", {"Old", "New"}}, nullptr, "banding", "cut points"},
        {{"Style", "genre", "5", {"Rock"}}, nullptr, "banding", "no banding"},
        {{"Local", "hand", "", {"Yes", "No"}}, nullptr, "", ""},
        {{"Tempo", "bpm", "100", {"Slow", "Fast"}}, &kTempo, "", ""},
        {{"Tempo", "bpm", "100", {"Slow", "Mid"}}, &kTempo, "values", "Gold\": Not Tempo Fast"},
        {{"Vocal", "hand", "", {"Male"}}, &kVocal, "values", "Station: No two tracks with Vocal"},
    };
    for (const auto& c : cases) {
        const Verdict v =
            CheckAttribute(c.Edited, c.Before, {kTempo, kVocal}, kRules, FormatSettings::English());
        EXPECT_EQ(v.Field, c.Field) << c.Edited.Name << ": " << v.Message;
        EXPECT_NE(v.Message.find(c.Says), std::string::npos) << v.Message;
    }
    EXPECT_EQ(DroppedValues(kTempo, {"Tempo", "bpm", "", {"Fast", "Slow"}}),
              std::vector<std::string>{"Mid"});
    EXPECT_EQ(AttributeSourceText(kTempo), "BPM tag, cut at 90 120");
    EXPECT_EQ(AttributeSourceText({"Mood", "MOOD", "", {"Calm"}}), "Free text tag \"MOOD\"");
    EXPECT_EQ(AttributeSourceChoices()[SourceChoiceOf("Genre")].Source, "genre");
}

// The database is made by the first change only; an attribute rules name stays, with
// the rules named; one no rule names goes with its tracks' values.
TEST(AttributeEdits, SaveOnlyChangesAndRemoveOnlyWhatNoRuleNames) {
    test::TempDir dir;
    ASSERT_TRUE(SaveAttribute(dir.Path(), &kVocal, kVocal));
    EXPECT_FALSE(std::filesystem::exists(StationDb::FileIn(dir.Path())));
    for (const AttributeDef& a : {kTempo, kVocal, AttributeDef{"Local", "hand", "", {"Yes"}}}) {
        ASSERT_TRUE(SaveAttribute(dir.Path(), nullptr, a));
    }
    StationDb db(dir.Path(), StationDb::Mode::IfExists);
    ASSERT_TRUE(db.SetRules("", kRules.at("")));
    ASSERT_TRUE(db.SetRules("Gold", kRules.at("Gold")));
    ASSERT_TRUE(
        db.SetAttributes({{"Local", {{"/m/a.mp3", "Yes"}}}, {"Vocal", {{"/m/a.mp3", "Male"}}}}));

    const FormatSettings english = FormatSettings::English();
    const DbStatus refused = RemoveAttribute(db, "Tempo", english);
    // The rules are named as the Rules tab reads them.
    EXPECT_NE(refused.Problem.find("Category \"Gold\": Not Tempo Fast right after Vocal Male"),
              std::string::npos)
        << refused.Problem;
    EXPECT_NE(RemoveAttribute(db, "Vocal", english)
                  .Problem.find("Station: No two tracks with Vocal Female within 2 items"),
              std::string::npos);
    EXPECT_FALSE(RemoveAttribute(db, "Nothing", english));
    EXPECT_TRUE(RemoveAttribute(db, "Local", english));
    EXPECT_EQ(db.Attributes().Value, (std::vector<AttributeDef>{kTempo, kVocal}));
    EXPECT_EQ(db.AttributesOf("/m/a.mp3").Value,
              (std::map<std::string, std::string>{{"Vocal", "Male"}}));
}

// The columns show each file's value in the attribute's order, sort by that order, and
// a set on many files takes all of them or none.
TEST(AttributeEdits, FileListColumnsShowSortAndSetValues) {
    test::TempDir dir;
    std::vector<FileRec> files(3);
    for (std::size_t i = 0; i < files.size(); ++i) {
        files[i].FileName = "/m/" + std::to_string(i) + ".mp3";
    }
    const auto none = LoadAttributeColumns(dir.Path(), files);
    EXPECT_TRUE(none && none.Value.Attributes.empty()) << none.Problem;
    ASSERT_TRUE(SaveAttribute(dir.Path(), nullptr, kVocal));
    ASSERT_TRUE(SaveAttribute(dir.Path(), nullptr, kTempo));

    EXPECT_TRUE(SetAttributeOf(dir.Path(), "Tempo", {&files[0], &files[2]}, "Fast"));
    EXPECT_TRUE(SetAttributeOf(dir.Path(), "Tempo", {&files[1]}, "Slow"));
    EXPECT_FALSE(SetAttributeOf(dir.Path(), "Vocal", {&files[0], &files[1]}, "Fast"));
    EXPECT_TRUE(SetAttributeOf(dir.Path(), "Vocal", {&files[2]}, "Male"));
    EXPECT_TRUE(SetAttributeOf(dir.Path(), "Tempo", {&files[2]}, ""));

    const auto columns = LoadAttributeColumns(dir.Path(), files);
    ASSERT_TRUE(columns) << columns.Problem;
    EXPECT_EQ(columns.Value.Attributes, (std::vector<AttributeDef>{kVocal, kTempo}));
    EXPECT_EQ(columns.Value.Places, (std::vector<int>{-1, 2, -1, 0, 1, -1}));
    EXPECT_EQ(columns.Value.Text(0, 1), "Fast");
    EXPECT_EQ(columns.Value.Text(0, 0), "");
    const int tempo = kColModified + 2;
    EXPECT_EQ(SortedFileOrder(files, tempo, &columns.Value), (std::vector<std::size_t>{2, 1, 0}));
    EXPECT_EQ(SortedFileOrder(files, -tempo, &columns.Value), (std::vector<std::size_t>{0, 1, 2}));
    EXPECT_EQ(SortedFileOrder(files, tempo), (std::vector<std::size_t>{0, 1, 2}));
}

}  // namespace
}  // namespace spindle
