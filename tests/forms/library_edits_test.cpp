#include <SQLiteCpp/Database.h>
#include <gtest/gtest.h>

#include "forms/library_edits.h"
#include "forms/options_page_rules.h"
#include "support/saved_station.h"

namespace spindle {
namespace {

using test::ReadAll;
using test::SavedStation;
namespace fs = std::filesystem;

TEST_F(SavedStation, DeletesAreRefusedWhileInUseElseAskedFor) {
    EXPECT_FALSE(DeleteEntry(*station, ListKind::Categories, 0));
    EXPECT_FALSE(DeleteEntry(*station, ListKind::SpotGroups, 0));
    EXPECT_FALSE(DeleteEntry(*station, ListKind::Rotations, 0));
    ASSERT_EQ(op.Messages.size(), 3u);
    EXPECT_EQ(op.Messages[0].Text,
              "\"Jazz\" is currently used in Rotation \"Morning\".  Remove it and try again.");
    EXPECT_EQ(op.Messages[1].Text,
              "\"IDs\" is currently used in Rotation \"Morning\".  Remove it and try again.");
    EXPECT_EQ(op.Messages[2].Text, "The Default Rotation cannot be deleted.");

    station->Rotations[0]->Items.clear();
    EXPECT_FALSE(DeleteEntry(*station, ListKind::SpotGroups, 0));
    EXPECT_EQ(op.Messages.back().Text,
              "\"IDs\" is currently used as a Timed Spot in Schedule \"Week\".  Remove it and try "
              "again.");
    EXPECT_EQ(station->SpotGroups.size(), 1u);
    // The same verdicts as values, for a dialog to show without deleting anything.
    EXPECT_TRUE(CheckDelete(*station, ListKind::Schedules, 0).Ok());
    const Verdict taken = CheckName(*station, ListKind::Categories, kNewEntry, "rock");
    EXPECT_EQ(taken.Message, "\"rock\" already exists.");
    EXPECT_EQ(taken.Field, "Name");
    EXPECT_TRUE(CheckName(*station, ListKind::Categories, 1, "ROCK").Ok());  // itself
    // Out of use, a delete needs a Yes and takes the track list along.
    op.QueueAnswer(Answer::No);
    EXPECT_FALSE(DeleteEntry(*station, ListKind::Categories, 0));
    EXPECT_EQ(op.Messages.back().Text, "Are you sure you want to delete Category \"Jazz\"?");
    op.QueueAnswer(Answer::Yes);
    EXPECT_TRUE(DeleteEntry(*station, ListKind::Categories, 0));
    EXPECT_EQ(station->Categories.size(), 1u);
    EXPECT_FALSE(fs::exists(dir.Path() / "data/Jazz.dat"));
    EXPECT_TRUE(station->Changed.Categories);
}

TEST_F(SavedStation, RenamesAreRefusedWithTheReason) {
    const std::string spots = Read("Spots.dat");
    for (const std::string name :
         {"", "Jazz/Funk", "ROCK", "Jazz", "Spots", "options", "RELATED", "{IDs}"}) {
        EXPECT_FALSE(RenameEntry(*station, ListKind::Categories, 0, name)) << name;
    }
    ASSERT_EQ(op.Messages.size(), 7u);  // its own name again is no rename
    EXPECT_EQ(op.Messages[0].Text, "You must type a name.");
    EXPECT_EQ(op.Messages[2].Text, "Cannot rename \"Jazz\".\n\"ROCK\" already exists.");
    EXPECT_EQ(op.Messages[3].Text,
              "Cannot rename \"Jazz\".\nIts track list would be \"Spots.dat\", one of the "
              "station's own files. Please rename it.");
    EXPECT_EQ(station->Categories[0]->Name, "Jazz");
    EXPECT_FALSE(station->Changed.Any());
    EXPECT_TRUE(RenameEntry(*station, ListKind::SpotGroups, 0, "Options"));  // "{Options}.dat"

    // A name that came in with the data files is reported, and its track list is
    // neither read from nor written over the station's file, nor outside the folder.
    Define("Categories.dat",
           {{"Spots", "", EncodeListText({dir / "music/Rock"})}, {"../../escaped"}});
    op.Messages.clear();
    Load();
    ASSERT_FALSE(op.Messages.empty());
    EXPECT_EQ(
        op.Messages[0].Text.rfind("The track list of \"Spots\" is neither read nor saved.", 0), 0u);
    ASSERT_EQ(station->SpotGroups.size(), 1u);
    station->Changed.FileLists = true;
    EXPECT_FALSE(station->SaveAll());
    EXPECT_EQ(Read("Spots.dat"), spots);
    EXPECT_FALSE(fs::exists(dir.Path() / "data/../../escaped.dat"));
    EXPECT_TRUE(station->Changed.FileLists);
}

// File names are bytes: a name in another encoding keeps its history and its bytes.
TEST_F(SavedStation, ClearLastScheduledAfterTheOperatorAgrees) {
    op.QueueAnswer(Answer::Cancel);
    EXPECT_FALSE(ResetLastUsed(*station));
    EXPECT_TRUE(station->Categories[0]->Files[0].SavedLastUsed > 1.0 ||
                station->Categories[0]->Files[1].SavedLastUsed > 1.0);
    op.QueueAnswer(Answer::Ok);
    EXPECT_TRUE(ResetLastUsed(*station));
    for (const auto& c : station->Categories) {
        for (const FileRec& f : c->Files) {
            EXPECT_EQ(f.LastUsed, 1.0);
            EXPECT_EQ(f.SavedLastUsed, 1.0);
        }
    }
    EXPECT_EQ(station->Artists.Find("Band")->LastPlayed, 1.0);
    EXPECT_TRUE(station->Changed.FileLists);
    EXPECT_TRUE(station->Changed.Spots);  // the spots start from their first again
}

TEST_F(SavedStation, BackupCopiesWhatTheStationIsRestoredFrom) {
    const std::pair<const char*, bool> files[] = {
        {"Categories.dat", true},  {"{IDs}.dat", true},      {"Settings.ini", true},
        {"ArtistNames.txt", true}, {".spindle.lock", false}, {"Generate.log", false},
        {"Station.db-wal", false}, {"Related.bak", false}};
    for (const auto& [name, kept] : files) {
        if (!fs::exists(dir.Path() / "data" / name)) {
            Data(name, name);
        }
    }
    ASSERT_TRUE(StationDb(dir.Path() / "data", StationDb::Mode::OrCreate).SetRules("", {"song"}));
    BackupDataFiles(*station);
    for (const auto& [name, kept] : files) {
        EXPECT_EQ(ReadAll(dir.Path() / "data/Backup" / name), kept ? Read(name) : "") << name;
    }
    // The rules are in the database's copy.
    StationDb copy(dir.Path() / "data/Backup", StationDb::Mode::IfExists);
    EXPECT_EQ(copy.Rules().Value, (RuleTexts{{"", {"song"}}}));
    ASSERT_FALSE(op.Messages.empty());
    EXPECT_EQ(op.Messages.back().Text, "Backup complete.");

    // While another program holds the database, the copy cannot finish: it is not put in
    // place, the last good one stays, and the backup is not called complete.
    SQLite::Database holder((dir.Path() / "data/Station.db").string(), SQLite::OPEN_READWRITE);
    holder.exec("PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE; DELETE FROM rules");
    BackupDataFiles(*station);
    EXPECT_EQ(StationDb(dir.Path() / "data/Backup", StationDb::Mode::IfExists).Rules().Value,
              (RuleTexts{{"", {"song"}}}));
    EXPECT_NE(op.Messages.back().Text.find("database is locked"), std::string::npos)
        << op.Messages.back().Text;
}

// Copies of Rotations and Schedules, and where each entry is used, copies included.
TEST_F(SavedStation, CopiesAndUsageLists) {
    ASSERT_TRUE(CopyEntry(*station, ListKind::Rotations, 0));
    ASSERT_TRUE(CopyEntry(*station, ListKind::Rotations, 0));  // named as the usage list shows
    EXPECT_TRUE(station->Changed.Rotations);                   // and kept by the next save
    const TRotationDetails& copy = *station->Rotations[1];
    EXPECT_FALSE(copy.Default);
    EXPECT_EQ(copy.Items.size(), 5u);
    EXPECT_EQ(copy.Items[1].Object, station->Categories[0].get());
    ASSERT_TRUE(CopyEntry(*station, ListKind::Schedules, 0));
    EXPECT_EQ(station->Schedules[1]->Days, (std::array<bool, 7>{}));
    EXPECT_EQ(station->Schedules[1]->TimedSpots.size(), 2u);
    EXPECT_FALSE(CopyEntry(*station, ListKind::Categories, 0));

    const UsageList ids = UsageListOf(*station, ListKind::SpotGroups, 0);
    EXPECT_EQ(ids.Title, "Spot Group Usage List");
    EXPECT_EQ(ids.Name, "IDs");
    EXPECT_EQ(ids.Lines,
              (std::vector<std::string>{"Spot in Rotations:", "Morning", "Copy of Morning",
                                        "Copy (2) of Morning", "Timed Spot in Schedules:", "Week",
                                        "Copy of Week"}));
    EXPECT_EQ(UsageListOf(*station, ListKind::Rotations, 0).Lines,
              (std::vector<std::string>{"Rotation in Schedules:", "Week", "Copy of Week"}));
    for (const auto& rotation : station->Rotations) {
        rotation->Items.clear();
    }
    EXPECT_EQ(UsageListOf(*station, ListKind::Categories, 1).Lines,
              (std::vector<std::string>{"Category in Rotations:", "Not used in any rotations."}));
    EXPECT_TRUE(UsageListOf(*station, ListKind::Schedules, 0).Lines.empty());
}

}  // namespace
}  // namespace spindle
