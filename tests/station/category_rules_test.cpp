#include "station/category_rules.h"

#include <SQLiteCpp/Database.h>
#include <gtest/gtest.h>

#include "forms/library_edits.h"
#include "support/rule_lines.h"
#include "support/station_builder.h"

namespace spindle {
namespace {

using test::LinesOf;
using test::RuleLine;

// A Category's list is stored only when its meaning changed (and, without a database, only
// when it means more than no rules). A rename or a delete reaches the database with the save
// of the Categories, as it reaches the file: quitting before, or a save that fails, leaves
// both as they were; a rename drops what a deleted Category left under the new name.
TEST(CategoryRules, FollowTheSavedCategories) {
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
    ASSERT_TRUE(SaveCategoryRules(data, "Hits", {RuleLine("artist")}));  // as no rules
    EXPECT_FALSE(std::filesystem::exists(StationDb::FileIn(data)));
    EXPECT_TRUE(ReadCategoryRules(data, "Hits").Problem.empty());

    const RuleDef window = RuleLine("window track /m/a.mp3 days Mon");
    ASSERT_TRUE(SaveCategoryRules(data, "Hits", EffectiveRules({window}, {})));
    ASSERT_TRUE(SaveCategoryRules(data, "Hits", {window}));  // the same meaning: kept as it was
    ASSERT_TRUE(SaveCategoryRules(data, "Gold", {RuleLine("cap track 1 per day")}));
    ASSERT_TRUE(SaveCategoryRules(data, "Gone", {RuleLine("title 1 hour")}));  // left behind
    const auto stored = [&] { return StationDb(data, StationDb::Mode::IfExists).Rules().Value; };
    const RuleTexts before = stored();
    EXPECT_EQ(before.at("Hits"), LinesOf(EffectiveRules({window}, {})));
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
