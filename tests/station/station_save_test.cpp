#include <gtest/gtest.h>
#include <sys/stat.h>

#include <tuple>

#include "base/list_text.h"
#include "forms/library_edits.h"
#include "forms/options_page_rules.h"
#include "station/group_ops.h"
#include "station/station.h"
#include "support/audio_files.h"
#include "support/scripted_operator.h"
#include "support/station_builder.h"
#include "support/temp_dir.h"

namespace spindle {
namespace {

using test::ReadAll;
using test::ScriptedOperator;
using test::TempDir;
using test::WriteMp3;
namespace fs = std::filesystem;

// A station written by hand in the data files' own formats.
class SavedStation : public ::testing::Test {
protected:
    void SetUp() override {
        dir.MakeFolder("data");
        WriteMp3(dir, "music/Jazz/Band - Tune.mp3", 200);
        WriteMp3(dir, "music/Jazz/Other - Tune.mp3", 100);
        WriteMp3(dir, "music/Rock/Loud - Song.mp3", 240);
        WriteMp3(dir, "music/IDs/ID1.mp3", 12);
        const std::string m = (dir.Path() / "music").string();
        Define("Categories.dat", {{"Jazz", "Late, \"smooth\"", EncodeListText({m + "/Jazz"}), "150",
                                   "0", "0", "1", "60", "0", "0", "1"},
                                  {"Rock", "", EncodeListText({m + "/Rock"}), "240", "0", "0", "0",
                                   "0", "0", "1", "0"}});
        Define("Spots.dat",
               {{"IDs", "", EncodeListText({m + "/IDs"}), "12", "0", "0", "0", "0", "0"}});
        Data("Jazz.dat", m + "/Jazz/Band - Tune.mp3*46360.25?200|46000.5\r\n" + m +
                             "/Jazz/Other - Tune.mp3*0?100|46000.5\r\n");
        Data("Rock.dat", m + "/Rock/Loud - Song.mp3*46361.125?240|46000.5\r\n");
        Data("{IDs}.dat", m + "/IDs/ID1.mp3*0?12|46000.5\r\n");
        Define("Rotations.dat",
               {{"Morning", "", "1",
                 EncodeListText({"00:00:00\t{IDs}", "00:00:12\tJazz", "00:03:30\tRock",
                                 "00:07:30 ** (15)News", "00:08:00\t{(30)IDs}"})}});
        std::vector<std::string> hours;
        for (int h = 0; h < 24; ++h) {
            hours.push_back(ScheduleEntryText(h, 0, h < 12 ? "Morning" : "...DEFAULT..."));
        }
        Define("Schedules.dat", {{"Week", "weekdays", "1111100", EncodeListText(hours),
                                  EncodeListText({"07:05\tIDs", "08:00\t<Break Note>Traffic"})}});
        Data("Related.dat", "Band;Other;\r\n");
        Load();
    }

    void Data(const std::string& name, const std::string& text) { dir.Write("data/" + name, text); }
    void Define(const std::string& name, const std::vector<std::vector<std::string>>& lines) {
        Data(name, test::ListLines(lines));
    }
    std::string Read(const std::string& name) { return ReadAll(dir.Path() / "data" / name); }
    // Renames one entry after another, as the operator would.
    void Rename(ListKind kind, std::initializer_list<std::pair<std::size_t, const char*>> steps) {
        for (const auto& [index, name] : steps) {
            ASSERT_TRUE(RenameEntry(*station, kind, index, name)) << name;
        }
    }
    void Load() {
        station = std::make_unique<Station>(dir.Path() / "data", op, FormatSettings::English());
        station->Random.Seed(5);
        station->LoadAll();
    }

    TempDir dir;
    ScriptedOperator op;
    std::unique_ptr<Station> station;
};

TEST_F(SavedStation, EveryDataFileRoundTripsByteForByteWithEveryField) {
    const char* files[] = {"Options.dat",   "Categories.dat", "Spots.dat",
                           "Rotations.dat", "Schedules.dat",  "Related.dat",
                           "Jazz.dat",      "Rock.dat",       "{IDs}.dat"};
    // Saved as loaded, the hand-written files come back as they were; then everything,
    // the options included, survives a second load and save.
    std::map<std::string, std::string> first;
    for (const char* f : files) {
        first[f] = Read(f);
    }
    // The first save moves the start past the last run, and only the first.
    test::RunFrom(station->Opt, 46400, 20, 30);
    station->Opt.IncrementHour = true;
    station->LastRunStart = 46400.8;
    // Not while a track list cannot be written: the next run must see the period first.
    const std::string jazz = (dir.Path() / "data/Jazz.dat").string();
    fs::rename(jazz, jazz + ".away");
    fs::create_directory(jazz);
    station->Changed = ChangedFlags{true, true, true, true, true, true, true};
    EXPECT_FALSE(station->SaveAll());
    EXPECT_EQ(std::tuple(station->Opt.StartDay, station->LastRunStart), std::tuple(46400, 46400.8));
    fs::remove(jazz);
    fs::rename(jazz + ".away", jazz);
    op.Messages.clear();
    for (int pass = 0; pass < 2; ++pass) {
        station->Changed = ChangedFlags{true, true, true, true, true, true, true};
        ASSERT_TRUE(station->SaveAll());
        EXPECT_EQ(station->LastRunStart, 0.0);
        for (const char* f : files) {
            // The options are new, and a spot group's files were measured again.
            if (pass == 1 || (std::string_view(f) != "Options.dat" && f[0] != '{')) {
                EXPECT_EQ(Read(f), first[f]) << f;
            }
            first[f] = Read(f);
        }
        Load();
    }
    EXPECT_FALSE(station->Changed.Any());
    EXPECT_TRUE(op.Messages.empty());
    EXPECT_EQ(std::tuple(station->Opt.StartDay, station->Opt.StartHour), std::tuple(46402, 2));
    // The previous files stay as backups.
    EXPECT_EQ(ReadAll(dir.Path() / "data/Categories.bak"), first["Categories.dat"]);
}

TEST_F(SavedStation, ARenamedGroupTakesItsTrackListAlong) {
    // Renamed twice, or there and back, before the save: the list goes from the name
    // it is saved under to the last one.
    Rename(ListKind::Categories, {{0, "Swing"}, {0, "Blues"}, {1, "Metal"}, {1, "Rock"}});
    Rename(ListKind::SpotGroups, {{0, "Jingles"}, {0, "Station IDs"}});
    EXPECT_EQ(station->Rotations[0]->Items[1].Text, "00:00:12\tBlues");
    EXPECT_EQ(station->Rotations[0]->Items[0].Text, "00:00:00\t{Station IDs}");
    EXPECT_EQ(station->Rotations[0]->Items[4].Text, "00:08:00\t{(30)Station IDs}");
    EXPECT_EQ(station->Schedules[0]->TimedSpots[0].Text, "07:05\tStation IDs");
    EXPECT_TRUE(station->Changed.Rotations);
    EXPECT_TRUE(station->Changed.Schedules);
    const std::string jazzList = Read("Jazz.dat");
    const std::string rockList = Read("Rock.dat");
    ASSERT_TRUE(station->SaveAll());
    for (const char* gone : {"Jazz.dat", "Swing.dat", "{IDs}.dat", "{Jingles}.dat"}) {
        EXPECT_FALSE(fs::exists(dir.Path() / "data" / gone)) << gone;
    }
    EXPECT_EQ(Read("Blues.dat"), jazzList);
    EXPECT_EQ(Read("Rock.dat"), rockList);
    EXPECT_TRUE(fs::exists(dir.Path() / "data/{Station IDs}.dat"));
    Load();
    EXPECT_EQ(station->Rotations[0]->Items[1].Object, station->Categories[0].get());
    EXPECT_EQ(station->Categories[0]->Files.size(), 2u);
    EXPECT_EQ(station->Categories[0]->Files[0].LastUsed, 46360.25);
    EXPECT_TRUE(op.Messages.empty());
    // Two Categories that swap names swap lists.
    Rename(ListKind::Categories, {{0, "Swap"}, {1, "Blues"}, {0, "Rock"}});
    ASSERT_TRUE(station->SaveAll());
    EXPECT_EQ(Read("Rock.dat"), jazzList);
    EXPECT_EQ(Read("Blues.dat"), rockList);
    EXPECT_FALSE(fs::exists(dir.Path() / "data/Swap.dat"));
    Load();
    // A group named like the time field keeps the time when renamed.
    Rename(ListKind::Categories, {{1, "0"}, {1, "Hard Rock"}});
    EXPECT_EQ(station->Rotations[0]->Items[2].Text, "00:03:30\tHard Rock");
    // Its list unreadable, the rename is not saved without it: the save refuses.
    fs::remove(dir.Path() / "data/Blues.dat");
    fs::create_directory(dir.Path() / "data/Blues.dat");
    EXPECT_FALSE(station->SaveAll());
    EXPECT_NE(Read("Categories.dat").find("Blues"), std::string::npos);
}

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

TEST_F(SavedStation, AFailedSaveKeepsTheFileAndTheFlag) {
    const std::string before = Read("Rotations.dat");
    // A folder where the backup belongs makes the backup impossible.
    dir.MakeFolder("data/Rotations.bak/blocked");
    station->Changed.Rotations = true;
    EXPECT_FALSE(station->SaveAll());
    EXPECT_TRUE(station->Changed.Rotations);
    EXPECT_EQ(Read("Rotations.dat"), before);
    ASSERT_EQ(op.Messages.size(), 1u);
    EXPECT_EQ(op.Messages[0].Text, "Unable to save Rotations backup file.  Save aborted.");

    // A renamed Category whose definitions fail to save keeps its list, and so its
    // history, under the name they still give, and so do the lists saved meanwhile;
    // the next save that works carries it.
    fs::remove_all(dir.Path() / "data/Rotations.bak");
    dir.MakeFolder("data/Categories.bak/blocked");
    auto reloaded = [&] {
        Station again(dir.Path() / "data", op, FormatSettings::English());
        again.LoadAll();
        const TCategoryDetails& c = *again.Categories[0];
        return c.Name + " " + std::to_string(c.Files[0].LastUsed);
    };
    ASSERT_TRUE(RenameEntry(*station, ListKind::Categories, 0, "Blues"));
    EXPECT_FALSE(station->SaveCategories());
    EXPECT_FALSE(fs::exists(dir.Path() / "data/Blues.dat"));
    EXPECT_EQ(reloaded(), "Jazz 46360.250000");
    station->Categories[0]->Files[0].LastUsed = 46370.5;
    station->Changed.FileLists = true;
    EXPECT_FALSE(station->SaveAll());
    EXPECT_TRUE(station->Changed.Categories);
    EXPECT_EQ(reloaded(), "Jazz 46370.500000");
    fs::remove_all(dir.Path() / "data/Categories.bak");
    ASSERT_TRUE(station->SaveAll());
    EXPECT_FALSE(fs::exists(dir.Path() / "data/Jazz.dat"));
    EXPECT_EQ(reloaded(), "Blues 46370.500000");
}

// A share that is not mounted must not cost the station its play history.
TEST_F(SavedStation, AMissingFolderKeepsItsSavedTracksThroughLoadAndSave) {
    const std::string jazz = Read("Jazz.dat");
    const std::string ids = Read("{IDs}.dat");
    fs::rename(dir.Path() / "music/Jazz", dir.Path() / "Jazz.unmounted");
    fs::rename(dir.Path() / "music/IDs", dir.Path() / "IDs.unmounted");
    op.Messages.clear();
    Load();
    const TCategoryDetails& c = *station->Categories[0];
    ASSERT_EQ(c.Files.size(), 2u);
    EXPECT_EQ(c.Files[0].LastUsed, 46360.25);
    ASSERT_EQ(station->SpotGroups[0]->Files.size(), 1u);
    EXPECT_EQ(station->SpotGroups[0]->Files[0].Duration, 12);
    ASSERT_EQ(op.Messages.size(), 2u);  // each folder told once
    station->Changed = ChangedFlags{false, false, false, false, false, true, false};
    ASSERT_TRUE(station->SaveAll());
    EXPECT_EQ(Read("Jazz.dat"), jazz);
    EXPECT_EQ(Read("{IDs}.dat"), ids);
}

// A refused rename says why and changes nothing; no name may make a Category's track
// list one of the station's own files.
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
TEST_F(SavedStation, TrackListNamesRoundTripWhateverTheirEncoding) {
    const std::string m = (dir.Path() / "music/Jazz/").string();
    WriteMp3(dir, "music/Jazz/Caf\xE9 - Noir.mp3", 150);         // Windows-1252 bytes
    WriteMp3(dir, "music/Jazz/Zo\xC3\xAB - Blue.mp3", 160);      // UTF-8
    WriteMp3(dir, "music/Jazz/Cr\xC3\xA8me - Brulee.mp3", 170);  // UTF-8 on disk ...
    const std::string list = m + "Band - Tune.mp3*46360.25?200|46000.5\r\n" + m +
                             "Caf\xE9 - Noir.mp3*46361.5?150|46000.5\r\n" + m +
                             "Zo\xC3\xAB - Blue.mp3*46362.5?160|46000.5\r\n";
    // ... named in Windows-1252 by a list brought from another station.
    Data("Jazz.dat", list + m + "Cr\xE8me - Brulee.mp3*46363.5?170|46000.5\r\n");
    Load();
    const TCategoryDetails& c = *station->Categories[0];
    auto lastUsed = [&](const std::string& name) {
        const int i = FindFileIndex(c, m + name);
        return i < 0 ? -1.0 : c.Files[static_cast<std::size_t>(i)].LastUsed;
    };
    EXPECT_EQ(lastUsed("Caf\xE9 - Noir.mp3"), 46361.5);
    EXPECT_EQ(lastUsed("Zo\xC3\xAB - Blue.mp3"), 46362.5);
    EXPECT_EQ(lastUsed("Cr\xC3\xA8me - Brulee.mp3"), 46363.5);
    station->Changed.FileLists = true;
    ASSERT_TRUE(station->SaveAll());
    const std::string saved = Read("Jazz.dat");
    EXPECT_EQ(saved.substr(0, list.size()), list);
    EXPECT_NE(saved.find(m + "Cr\xC3\xA8me - Brulee.mp3*46363.5?170|"), std::string::npos);
}

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
