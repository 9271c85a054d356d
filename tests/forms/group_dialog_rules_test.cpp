#include "forms/group_dialog_rules.h"

#include <gtest/gtest.h>

#include <functional>

#include "forms/options_page_rules.h"
#include "station/station.h"
#include "support/scripted_operator.h"
#include "support/temp_dir.h"

namespace spindle {
namespace {

// The option pages' interval label says "minutes" and goes without parentheses; the file
// chooser offers the enabled extensions.
TEST(GroupDialogRules, IntervalFieldsTrackBarsLabelsAndTheFileFilter) {
    const struct {
        std::uint32_t Minutes;
        int Position;
        const char *Label, *OptionsLabel;
    } cases[] = {{0, 0, "", "minutes"},
                 {90, 3, "", "minutes"},
                 {150, 5, "(2.5 hours)", "2.5 hours"},
                 {180, 5, "(3 hours)", "3 hours"},
                 {2160, 15, "(36 hours)", "36 hours"},
                 {2880, 16, "(2 days)", "2 days"},
                 {3000, 17, "(2 days)", "2 days"},
                 {20000, 21, "(14 days)", "14 days"}};
    for (const auto& c : cases) {
        EXPECT_EQ(IntervalPosition(c.Minutes), c.Position) << c.Minutes;
        EXPECT_EQ(IntervalUnitLabel(c.Minutes), c.Label) << c.Minutes;
        EXPECT_EQ(OptionsIntervalUnitLabel(c.Minutes), c.OptionsLabel) << c.Minutes;
    }
    for (const auto& [typed, kept] :
         {std::pair{"", "0"}, std::pair{",", "0"}, std::pair{"45", "45"}, std::pair{",5", ",5"}}) {
        EXPECT_EQ(NumberFieldText(typed), kept) << typed;
    }
    ExtensionSet extensions;
    extensions.SelectNone();
    extensions.Select("MP3");
    extensions.Select("WAV");
    EXPECT_EQ(FileDialogFilter(extensions), "All supported files (*.mp3 *.wav);;All files (*)");
    EXPECT_TRUE(AsksPeriodSync(kPeriodDay, kPeriodHour));
    EXPECT_FALSE(AsksPeriodSync(kPeriodHour, kPeriodHour));
}

TEST(GroupDialogRules, SpotGroupControlsFollowTypeSortAndFirstItem) {
    const struct {
        int Type, Sort;
        bool FirstChecked, SortOn, FirstOn, NextOn;
    } cases[] = {
        {kSpotNormal, kSortAllFoldersCombined, false, true, true, true},
        {kSpotNormal, kSortAllFoldersCombined, true, true, true, false},
        {kSpotNormal, kSortRandomly, false, true, false, false},
        {kSpotSongIntro, kSortAllFoldersCombined, false, false, false, false},
        {kSpotSongOutro, kSortPerFolder, false, false, false, false},
        {kSpotBlock, kSortPerFolder, false, true, false, false},
        {kSpotVoiceIntro, kSortPerFolder, false, true, true, true},
    };
    for (const auto& c : cases) {
        const SpotDialogEnabling e = SpotDialogRules(c.Type, c.Sort, c.FirstChecked);
        EXPECT_EQ(e.SortType, c.SortOn) << c.Type << "/" << c.Sort;
        EXPECT_EQ(e.FirstItem, c.FirstOn) << c.Type << "/" << c.Sort;
        EXPECT_EQ(e.NextItem, c.NextOn) << c.Type << "/" << c.Sort << "/" << c.FirstChecked;
    }
}

TEST(GroupDialogRules, OkChecksInTheirOrder) {
    test::TempDir dir;
    test::ScriptedOperator op;
    Station station(dir.Path(), op, FormatSettings::English());
    station.Categories.push_back(std::make_unique<TCategoryDetails>());
    station.Categories[0]->Name = "Hits";
    const std::string music = dir.MakeFolder("music");
    EXPECT_FALSE(GroupPropertiesComplete("Hits", ""));
    EXPECT_TRUE(GroupPropertiesComplete("Hits", music));

    auto messages = [&](bool isNew, const std::string& name, std::vector<std::string> folders) {
        std::vector<std::string> texts;
        for (const Verdict& v :
             CheckGroupProperties(station, GroupKind::Category, isNew, name, folders)) {
            texts.push_back(v.Field + ": " + v.Message);
        }
        return texts;
    };
    EXPECT_EQ(messages(true, "hits", {"/gone"}),
              std::vector<std::string>{"Name: Category already exists. Try again."});
    EXPECT_TRUE(messages(false, "Hits", {music}).empty());  // editing it is no duplicate
    // One name rule for every list: the dialog refuses what a rename refuses.
    for (const char* bad : {"Rock/Pop", "Rock+Pop", "Rock;Pop", "A=B"}) {
        EXPECT_EQ(messages(true, bad, {music}),
                  std::vector<std::string>{"Name: A name may not contain any of the following "
                                           "characters:\n\t\t\\ / : * ? \" < > | + ; ="})
            << bad;
    }
    EXPECT_TRUE(messages(false, "Rock+Pop", {music}).empty());  // a loaded name stays
    EXPECT_EQ(messages(true, "Options", {music}).size(), 1u);
    EXPECT_EQ(messages(true, "Rock", {music, "/gone/a", "/gone/b"}),
              (std::vector<std::string>{"Folders: File or Folder \"/gone/a\" does not exist.",
                                        "Folders: File or Folder \"/gone/b\" does not exist."}));
}

// The stored average holds while what decides it is unchanged; the fields written back
// make a new group at the end of its list or change the existing one.
TEST(GroupDialogRules, TheAverageAndTheFieldsWrittenBack) {
    test::TempDir dir;
    test::ScriptedOperator op;
    Station station(dir.Path(), op, FormatSettings::English());
    GroupFields fields;
    fields.Name = "IDs";
    fields.Folders = {"/a"};
    fields.GroupType = kSpotNormal;
    fields.SortType = kSortAllFoldersCombined;
    fields.NextItem = 3;
    TCustomDetails& made = ApplyGroupFields(station, GroupKind::SpotGroup, nullptr, fields);
    ASSERT_EQ(station.SpotGroups.size(), 1u);
    EXPECT_EQ(&made, station.SpotGroups[0].get());
    EXPECT_EQ(station.SpotGroups[0]->SavedNextItem, 3u);
    EXPECT_TRUE(station.Changed.Spots);

    GroupFields shown = FieldsOf(made);
    EXPECT_TRUE(ShowsStoredAverage(made, shown));
    shown.GroupType = kSpotVoiceIntro;  // neither is a Block
    shown.SortType = kSortRandomly;     // neither sorts per folder
    EXPECT_TRUE(ShowsStoredAverage(made, shown));
    for (auto change : std::vector<std::function<void(GroupFields&)>>{
             [](GroupFields& f) { f.GroupType = kSpotBlock; },
             [](GroupFields& f) { f.SortType = kSortPerFolder; },
             [](GroupFields& f) { f.Subfolders = true; },
             [](GroupFields& f) { f.Folders.push_back("/b"); }}) {
        GroupFields changed = FieldsOf(made);
        change(changed);
        EXPECT_FALSE(ShowsStoredAverage(made, changed));
    }
    fields.Name = "Hits";
    fields.SongRepeatOption = kRepeatSpecify;
    fields.SongRepeatInterval = 720;
    TCustomDetails& hits = ApplyGroupFields(station, GroupKind::Category, nullptr, fields);
    fields.Notes = "edited";
    ApplyGroupFields(station, GroupKind::Category, &hits, fields);
    ASSERT_EQ(station.Categories.size(), 1u);
    EXPECT_EQ(station.Categories[0]->Notes, "edited");
    EXPECT_EQ(station.Categories[0]->SongRepeatInterval, 720u);
}

}  // namespace
}  // namespace spindle
