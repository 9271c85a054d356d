#include <gtest/gtest.h>
#include <sys/stat.h>

#include <tuple>

#include "base/list_text.h"
#include "forms/library_edits.h"
#include "station/group_ops.h"
#include "support/audio_files.h"
#include "support/saved_station.h"

namespace spindle {
namespace {

using test::ReadAll;
using test::SavedStation;
using test::WriteMp3;
namespace fs = std::filesystem;

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

// A share that is not mounted must not cost the station its play history, nor put its
// files on the air: they are kept apart from the tracks a run may take, whether its
// folder is gone or left behind as an empty mount point. The averages stay as saved.
TEST_F(SavedStation, AMissingFolderKeepsItsSavedTracksThroughLoadAndSave) {
    const std::string jazz = Read("Jazz.dat");
    const std::string ids = Read("{IDs}.dat");
    fs::rename(dir.Path() / "music/Jazz", dir.Path() / "Jazz.unmounted");
    fs::rename(dir.Path() / "music/IDs", dir.Path() / "IDs.unmounted");
    for (const bool mountPoint : {false, true}) {
        SCOPED_TRACE(mountPoint ? "an empty mount point" : "no folder");
        if (mountPoint) {
            dir.MakeFolder("music/Jazz");
            dir.MakeFolder("music/IDs");
        }
        op.Messages.clear();
        Load();
        const TCategoryDetails& c = *station->Categories[0];
        EXPECT_TRUE(c.Files.empty());
        ASSERT_EQ(c.Absent.size(), 2u);
        EXPECT_EQ(c.Absent[0].LastUsed, 46360.25);
        EXPECT_EQ(c.Unreached, std::vector<std::string>{(dir.Path() / "music/Jazz").string()});
        const TSpotDetails& spots = *station->SpotGroups[0];
        EXPECT_TRUE(spots.Files.empty());
        ASSERT_EQ(spots.Absent.size(), 1u);
        EXPECT_EQ(spots.Absent[0].Duration, 12);
        EXPECT_EQ(spots.Unreached.size(), 1u);
        ASSERT_EQ(op.Messages.size(), 2u);  // each folder told once
        EXPECT_FALSE(station->Changed.Any());
        station->Changed = ChangedFlags{false, false, false, false, false, true, false};
        ASSERT_TRUE(station->SaveAll());
        EXPECT_EQ(Read("Jazz.dat"), jazz);
        EXPECT_EQ(Read("{IDs}.dat"), ids);
    }
}

// A refused rename says why and changes nothing; no name may make a Category's track
// list one of the station's own files.
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

}  // namespace
}  // namespace spindle
