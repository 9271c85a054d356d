#include "station/station.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>

#include "base/format.h"
#include "base/list_text.h"
#include "base/paths.h"
#include "outputs/demo_station.h"
#include "station/group_ops.h"
#include "support/audio_files.h"
#include "support/scripted_operator.h"
#include "support/station_builder.h"
#include "support/temp_dir.h"

namespace spindle {
namespace {

using test::FileNames;
using test::ReadAll;
using test::ScriptedOperator;
using test::TempDir;
using test::WriteMp3;

class StationTest : public ::testing::Test {
protected:
    StationTest() : station(dir.Path() / "data", op, FormatSettings::English()) {
        dir.MakeFolder("data");
        station.Random.Seed(11);
    }
    std::string Music(const std::string& name) const { return dir / ("music/" + name); }
    void WriteData(const std::string& name, const std::string& text) const {
        dir.Write("data/" + name, text);
    }
    void Define(const std::string& name, const std::vector<std::vector<std::string>>& lines) const {
        WriteData(name, test::ListLines(lines));
    }
    std::vector<std::string> ErrorTexts() const {
        std::vector<std::string> texts;
        for (const auto& m : op.Messages) {
            texts.push_back(m.Text);
        }
        return texts;
    }

    TempDir dir;
    ScriptedOperator op;
    Station station;
};

TEST_F(StationTest, ScansFoldersBreadthFirstAfterTheListedEntries) {
    WriteMp3(dir, "music/A/a.mp3", 100);
    WriteMp3(dir, "music/A/A1/a1.mp3", 101);
    WriteMp3(dir, "music/B/b.mp3", 102);
    WriteMp3(dir, "music/A/.hidden.mp3", 103);
    WriteMp3(dir, "music/A/.secret/x.mp3", 104);
    dir.Write("music/A/notes.txt", "not audio");
    // A file listed as well as found in a listed folder is one track.
    Define("Categories.dat",
           {{"Rock", "", EncodeListText({Music("A"), Music("B"), Music("B/b.mp3")}), "0", "0", "0",
             "0", "0", "1", "1", "0"}});
    station.LoadAll();
    ASSERT_EQ(station.Categories.size(), 1u);
    const TCategoryDetails& rock = *station.Categories[0];
    // A Block category plays in file-name order; the average of a block is its total.
    EXPECT_EQ(FileNames(rock.Files),
              (std::vector<std::string>{Music("A/a.mp3"), Music("A/A1/a1.mp3"), Music("B/b.mp3")}));
    EXPECT_EQ(rock.AverageTime, 303);
    EXPECT_TRUE(station.Changed.Categories);
    EXPECT_TRUE(station.Changed.FileLists);
    EXPECT_EQ(station.Artists.Count(), 3u);
    // Without sorting: the listed folders' files first, then their sub-folders'.
    auto group = std::make_unique<TSpotDetails>();
    group->Folders = {Music("A"), Music("B")};
    group->Subfolders = true;
    group->SortType = kSortPerFolder;
    station.LoadSpotFiles(*group);
    EXPECT_EQ(FileNames(group->Files),
              (std::vector<std::string>{Music("A/a.mp3"), Music("B/b.mp3"), Music("A/A1/a1.mp3")}));
}

// A large folder is read on several threads; what the station holds, and what the
// operator is asked and in which order, is as if every file were read in turn.
TEST_F(StationTest, ManyNewFilesAreReadAheadAsIfOneByOne) {
    constexpr int kFiles = 300;
    for (int i = 0; i < kFiles; ++i) {
        WriteMp3(dir, Format("music/Big/Band%0:d - Song.mp3", 1000 + i), 100 + i % 50);
    }
    dir.Write("music/Big/Band1100 - Broken.mp3", "not an MPEG stream at all");
    dir.Write("music/Big/Band1200 - Broken.mp3", "");
    Define("Categories.dat", {{"Big", "", Music("Big"), "0", "0", "0", "0", "0", "1", "1", "0"}});
    op.QueueReply("42");
    op.QueueReply("43");
    station.LoadAll();
    const std::vector<FileRec>& files = station.Categories.at(0)->Files;
    ASSERT_EQ(files.size(), std::size_t{kFiles + 2});
    ASSERT_EQ(op.Queries.size(), 2u);
    EXPECT_EQ(op.Queries[0].Prompt, "Band1100 - Broken.mp3");
    EXPECT_EQ(op.Queries[1].Prompt, "Band1200 - Broken.mp3");
    for (const FileRec& f : files) {
        const int number = std::stoi(ExtractFileName(f.FileName).substr(4, 4)) - 1000;
        const bool broken = f.FileName.find("Broken") != std::string::npos;
        EXPECT_EQ(f.Duration, broken ? 42 + (number == 200) : 100 + number % 50) << f.FileName;
        EXPECT_GT(f.FileDate, 1.0) << f.FileName;
    }
}

// A Category keeps its saved order and appends new files; one whose next item is 0
// is reshuffled whole.
TEST_F(StationTest, ACategoryKeepsItsSavedOrderAndAppendsNewFilesUnlessAtItsStart) {
    std::vector<std::string> songs;
    for (int i = 0; i < 6; ++i) {
        songs.push_back(
            WriteMp3(dir, "music/Hits/Band" + std::to_string(i) + " - Song.mp3", 200 + i));
    }
    std::string list;
    for (int i : {3, 0, 5}) {
        list += songs[i] + "*46000.5?" + std::to_string(200 + i) + "|45000\r\n";
    }
    WriteData("Hits.dat", list);
    list.clear();
    std::vector<std::string> saved;
    for (int i = 0; i < 12; ++i) {
        saved.push_back(WriteMp3(dir, "music/Fresh/T" + std::to_string(i) + ".mp3", 60));
        list += saved.back() + "*0?60|0\r\n";
    }
    WriteData("Fresh.dat", list);
    Define("Categories.dat",
           {{"Hits", "", EncodeListText({Music("Hits")}), "0", "0", "0", "0", "0", "0", "0", "5"},
            {"Fresh", "", EncodeListText({Music("Fresh")})}});
    station.LoadAll();
    const std::vector<std::string> fresh = FileNames(station.Categories[1]->Files);
    EXPECT_NE(fresh, saved);
    EXPECT_TRUE(std::is_permutation(fresh.begin(), fresh.end(), saved.begin(), saved.end()));
    const TCategoryDetails& hits = *station.Categories[0];
    ASSERT_EQ(hits.Files.size(), 6u);
    EXPECT_EQ(hits.NextItem, 5u);
    std::vector<std::string> names = FileNames(hits.Files);
    std::sort(names.begin() + 3, names.end());  // the new files in any order
    EXPECT_EQ(names, (std::vector<std::string>{songs[3], songs[0], songs[5], songs[1], songs[2],
                                               songs[4]}));
    for (std::size_t i = 0; i < hits.Files.size(); ++i) {
        EXPECT_EQ(hits.Files[i].Index, static_cast<int>(i));
    }
    EXPECT_EQ(hits.Files[0].LastUsed, 46000.5);
    EXPECT_EQ(hits.Files[0].SavedLastUsed, 46000.5);
    EXPECT_EQ(hits.Files[4].LastUsed, 0.0);
    ASSERT_NE(station.Artists.Find("Band3"), nullptr);
    EXPECT_EQ(station.Artists.Find("band3")->LastPlayed, 46000.5);
}

// Definitions hold nested folders with commas and quotes; track lists drop missing files
// and stop at a line without markers.
TEST_F(StationTest, DefinitionFilesHoldNestedFoldersAndTrackListsDropWhatIsGone) {
    WriteMp3(dir, "music/Rock, \"Classic\"/Band - Song.mp3", 180);
    const std::string folders = EncodeListText({Music("Rock, \"Classic\""), Music("gone")});
    WriteMp3(dir, "music/a.mp3", 10);
    WriteMp3(dir, "music/b.mp3", 20);
    WriteMp3(dir, "music/c.mp3", 30);
    WriteData("Jazz.dat", Music("a.mp3") + "*46000?10|45000\r\n" + Music("gone.mp3") +
                              "*46000?99|45000\r\n" + Music("b.mp3") + "*not a date?20|45000\r\n" +
                              "no markers at all\r\n" + Music("c.mp3") + "*46001?30|45000\r\n");
    Define("Categories.dat", {{"Classic Rock", "Notes, with \"quotes\"", folders, "0", "1", "720",
                               "1", "90", "0", "0", "0"},
                              {"Short", "only two"},
                              {"Jazz", "", "", "0", "0", "0", "0", "0", "0", "0", "1"}});
    station.LoadAll();
    ASSERT_EQ(station.Categories.size(), 3u);
    const TCategoryDetails& rock = *station.Categories[0];
    EXPECT_EQ(rock.Notes, "Notes, with \"quotes\"");
    EXPECT_EQ(rock.Folders, (std::vector<std::string>{Music("Rock, \"Classic\""), Music("gone")}));
    EXPECT_EQ(rock.SongRepeatOption, 1);
    EXPECT_EQ(rock.SongRepeatInterval, 720u);
    EXPECT_EQ(rock.ArtistRepeatInterval, 90u);
    ASSERT_EQ(rock.Files.size(), 1u);
    EXPECT_EQ(rock.Files[0].Duration, 180);
    EXPECT_EQ(station.Categories[1]->Name, "Short");
    EXPECT_TRUE(station.Categories[1]->Folders.empty());
    const TCategoryDetails& jazz = *station.Categories[2];
    ASSERT_EQ(jazz.Files.size(), 2u);
    ASSERT_GE(FindFileIndex(jazz, Music("a.mp3")), 0);
    const FileRec& b = jazz.Files[static_cast<std::size_t>(FindFileIndex(jazz, Music("b.mp3")))];
    EXPECT_EQ(b.LastUsed, 0.0);
    EXPECT_EQ(b.Duration, 0);
    EXPECT_EQ(
        ErrorTexts(),
        (std::vector<std::string>{
            "File or Folder \"" + Music("gone") + "\" does not exist in Category \"Classic Rock\".",
            "Error loading file \"" + Music("b.mp3") + "\" from Category \"Jazz\"."}));
}

// Isolated, a station loads its saved tracks without scanning (so without a word about
// missing folders); a name that is no file name is reported and reads nothing.
TEST_F(StationTest, IsolatedModeLoadsSavedTracksAndInvalidNamesAreReportedAndKept) {
    WriteData("Jazz.dat", "/nowhere/Band - Tune.mp3*46000?215|45000\r\n");
    WriteData("{IDs}.dat", "/nowhere/ID.mp3*0?12|45000\r\n");
    Define("Categories.dat", {{"Jazz", "", EncodeListText({"/nowhere"})}, {"../../escape"}});
    Define("Spots.dat", {{"IDs", "", EncodeListText({"/nowhere"})}, {"a/b"}});
    dir.Write("escape.dat", "/x.mp3*1?1|1\r\n");  // outside the data folder
    station.Isolated = true;
    station.LoadAll();
    ASSERT_EQ(station.Categories.size(), 2u);
    ASSERT_EQ(station.Categories[0]->Files.size(), 1u);
    EXPECT_EQ(station.Categories[0]->Files[0].Duration, 215);
    ASSERT_EQ(station.SpotGroups[0]->Files.size(), 1u);
    EXPECT_TRUE(station.Categories[1]->Files.empty());  // nothing read from outside
    EXPECT_EQ(ErrorTexts(),
              (std::vector<std::string>{
                  "Category name \"../../escape\" includes invalid characters. Please rename.",
                  "Spot Group name \"a/b\" includes invalid characters. Please rename."}));
}

TEST_F(StationTest, SpotGroupsSortByNameThenFolderAndRemeasure) {
    WriteMp3(dir, "music/x/b.mp3", 15);
    WriteMp3(dir, "music/y/a.mp3", 30);
    WriteMp3(dir, "music/x/A.mp3", 10);
    WriteData("{IDs}.dat", Music("x/b.mp3") + "*46100?99|45000\r\n");
    Define("Spots.dat",
           {{"IDs", "", EncodeListText({Music("x"), Music("y"), Music("x/b.mp3")}), "0", "2", "0",
             "0", "1", "0"}});  // a file listed beside its folder is taken once
    station.LoadAll();
    const TSpotDetails& ids = *station.SpotGroups[0];
    EXPECT_EQ(FileNames(ids.Files),
              (std::vector<std::string>{Music("x/A.mp3"), Music("y/a.mp3"), Music("x/b.mp3")}));
    EXPECT_EQ(ids.Files[2].Duration, 15);  // measured again, not the saved 99
    EXPECT_EQ(ids.Files[2].LastUsed, 46100.0);
    EXPECT_EQ(ids.NextItem, 2u);
    EXPECT_EQ(ids.SavedNextItem, 2u);
    EXPECT_TRUE(ids.FirstItem);
    EXPECT_EQ(ids.AverageTime, 18);  // (10 + 30 + 15) / 3 = 18.33
    EXPECT_TRUE(station.Changed.FileLists);
    EXPECT_TRUE(station.Changed.Spots);
}

// Shortcuts stand for their targets; linked folders are followed, but never in a loop.
TEST_F(StationTest, ShortcutsAndLinkedFoldersLeadToTheirTargets) {
    WriteMp3(dir, "music/real/Band - Song.mp3", 42);
    // As Windows writes one: its absolute path first (of no use here), then the relative one.
    dir.Write("music/links/Song.lnk",
              test::ShortcutBytes("..\\real\\Band - Song.mp3", "C:\\Music\\real\\Band - Song.mp3"));
    dir.Write("music/links/Broken.lnk", "not a shortcut");
    WriteMp3(dir, "music/Pop/p.mp3", 5);
    ASSERT_EQ(::symlink(Music("Pop").c_str(), Music("Pop/again").c_str()), 0);
    WriteMp3(dir, "elsewhere/e.mp3", 6);
    ASSERT_EQ(::symlink((dir / "elsewhere").c_str(), Music("Pop/linked").c_str()), 0);
    Define("Categories.dat",
           {{"Links", "", EncodeListText({Music("links")})},
            {"Pop", "", EncodeListText({Music("Pop")}), "0", "0", "0", "0", "0", "1", "1"}});
    station.LoadAll();
    ASSERT_EQ(station.Categories[0]->Files.size(), 1u);
    EXPECT_EQ(station.Categories[0]->Files[0].FileName, Music("links/../real/Band - Song.mp3"));
    EXPECT_EQ(station.Categories[0]->Files[0].Duration, 42);
    EXPECT_EQ(ErrorTexts(), (std::vector<std::string>{"Cannot resolve shortcut \"" +
                                                      Music("links/Broken.lnk") + "\""}));
    EXPECT_EQ(FileNames(station.Categories[1]->Files),
              (std::vector<std::string>{Music("Pop/linked/e.mp3"), Music("Pop/p.mp3")}));
}

TEST_F(StationTest, RotationsResolveTheirItemsAndTheLastMarkedElseTheFirstIsTheDefault) {
    Define("Categories.dat", {{"Rock"}, {"Rockabilly"}});
    Define("Spots.dat", {{"IDs"}, {"Sponsors"}});
    const std::string items = EncodeListText(
        {"00:00:00\t{IDs}", "00:00:12\trock", "00:03:30\tRockabilly", "00:07:00 ** (15)News",
         "00:08:00 ## 30:VoiceTrack", "00:09:00\t{(30)Sponsors}", "00:10:00\tJazz"});
    Define("Rotations.dat", {{"Morning", "", "1", items},
                             {"Day", "notes", "0"},
                             {"Night", "", "1", EncodeListText({"00:00:00\t{Gone}"})}});
    station.LoadAll();
    ASSERT_EQ(station.Rotations.size(), 3u);
    EXPECT_EQ(station.DefaultRotation, station.Rotations[2].get());
    const auto& morning = station.Rotations[0]->Items;
    ASSERT_EQ(morning.size(), 7u);
    EXPECT_EQ(morning[0].Object, station.SpotGroups[0].get());
    EXPECT_EQ(morning[1].Object, station.Categories[0].get());  // found ignoring case
    EXPECT_EQ(morning[2].Object, station.Categories[1].get());
    EXPECT_EQ(morning[3].Object, nullptr);
    EXPECT_EQ(morning[5].Object, station.SpotGroups[1].get());
    EXPECT_EQ(morning[6].Object, nullptr);
    EXPECT_TRUE(station.Rotations[1]->Items.empty());
    EXPECT_EQ(ErrorTexts(), (std::vector<std::string>{
                                "Category \"Jazz\" used in Rotation \"Morning\" is not found.",
                                "Spot Group \"Gone\" used in Rotation \"Night\" is not found."}));
    // None marked: the first.
    Define("Rotations.dat", {{"A", "", "0"}, {"B", "", "0"}});
    station.LoadAll();
    EXPECT_EQ(station.DefaultRotation, station.Rotations[0].get());
}

// No data files make an empty station with the default options, quietly; binary junk in
// every one loads tolerantly.
TEST_F(StationTest, NoDataFilesLoadEmptyAndJunkLoadsTolerantly) {
    station.LoadAll();
    EXPECT_EQ(station.Categories.size() + station.SpotGroups.size() + station.Rotations.size() +
                  station.Schedules.size(),
              0u);
    EXPECT_EQ(station.Opt.FilenameFormat, "mmmdd\".ALB\"");
    EXPECT_TRUE(op.Messages.empty());
    EXPECT_FALSE(station.Changed.Any());
    static const char kJunk[] =
        "\x00\xFF\"\x01,,\"\r\n\x7F\x80*?|\xC3\r\n,,,,,,,,,,,,,,,99999999999999999999";
    const std::string junk(kJunk, sizeof kJunk - 1);
    for (const char* name : {"Options.dat", "Categories.dat", "Spots.dat", "Rotations.dat",
                             "Schedules.dat", "Related.dat", ".dat", "{}.dat"}) {
        WriteData(name, junk);
    }
    station.Isolated = true;
    station.LoadAll();
    EXPECT_FALSE(station.Categories.empty());
    EXPECT_FALSE(station.Rotations.empty());
}

// --data, else SPINDLE_DATA, else the program's folder when it holds a station (a
// portable install), else the user's data folder.
TEST(DataFolder, CommandLineThenEnvironmentThenPortableThenTheUsers) {
    test::TempDir dir;
    const std::string portable = dir.Write("portable/Options.dat", "");
    const std::string program = dir / "portable/spindle";
    EXPECT_EQ(ResolveDataFolder(std::string("/srv/kxyz"), "/env", program, "/xdg", "/home/op"),
              std::filesystem::path("/srv/kxyz"));
    EXPECT_EQ(ResolveDataFolder(std::nullopt, "/env/station", program, "/xdg", "/home/op"),
              std::filesystem::path("/env/station"));
    EXPECT_EQ(ResolveDataFolder(std::string(""), "", program, "/xdg", "/home/op"),
              dir.Path() / "portable");
    EXPECT_EQ(ResolveDataFolder(std::nullopt, nullptr, "/usr/bin/spindle", "/xdg", "/home/op"),
              std::filesystem::path("/xdg/spindle"));
    EXPECT_EQ(ResolveDataFolder(std::nullopt, nullptr, "/usr/bin/spindle", "", "/home/op"),
              std::filesystem::path("/home/op/.local/share/spindle"));
}

// A station opened and closed without an edit has nothing to save: the demo as it is
// made, and a station after its first load and save.
TEST(StationClean, OpenedWithoutAnEditItHasNothingToSave) {
    TempDir dir;
    ASSERT_EQ(MakeDemoStation(dir.Path()), "");
    ScriptedOperator op;
    auto changedOnLoad = [&] {
        Station s(dir.Path() / "data", op, FormatSettings::English());
        s.Startup = true;
        s.LoadAll();
        return s.Changed.Any();
    };
    EXPECT_FALSE(changedOnLoad());
    // A track of a length that rounds the average the other way, then saved once.
    WriteMp3(dir, "music/Jazz/Zed - Odd.mp3", 151);
    {
        Station s(dir.Path() / "data", op, FormatSettings::English());
        s.LoadAll();
        ASSERT_TRUE(s.Changed.Any());
        ASSERT_TRUE(s.SaveAll());
    }
    EXPECT_FALSE(changedOnLoad());
}

}  // namespace
}  // namespace spindle
