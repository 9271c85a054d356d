#include "scan/track_tags_cache.h"

#include <SQLiteCpp/Database.h>
#include <gtest/gtest.h>

#include <functional>

#include "base/text_case.h"
#include "fileinfo/silent_mp3.h"
#include "station/rotation.h"
#include "station/station.h"
#include "support/audio_files.h"
#include "support/run_fixture.h"
#include "support/scripted_operator.h"
#include "support/station_builder.h"
#include "support/temp_dir.h"

namespace spindle {
namespace {

using test::TempDir;

// A station of the Categories "Rock" and "Rockabilly", each of its own music folder (one
// folder's name begins with the other's), played in turn every hour.
class TrackTagsTest : public ::testing::Test {
protected:
    TrackTagsTest() : b(dir) {}
    // A 200-second MP3 file in a Category's folder, behind a tag of `frames` if any.
    std::string Song(const std::string& name,
                     const std::vector<std::pair<std::string, std::string>>& frames) {
        return dir.Write("music/" + name,
                         (frames.empty() ? "" : test::Id3v2Tag(frames)) + SilentMp3Bytes(200));
    }
    // Defines and saves the station over the songs written so far.
    Station& Build() {
        for (const char* name : {"Rock", "Rockabilly"}) {
            b.AddCategory(name, {dir / ("music/" + std::string(name))});
        }
        b.AddRotation("A", {MakeCategoryItem("Rock"), MakeCategoryItem("Rockabilly")}, true);
        b.AddSchedule("All", "1111111", "A");
        b.Save();
        b.Get().SetOperator(op);
        return b.Get();
    }
    StationDb Db() { return StationDb(b.DataFolder(), StationDb::Mode::OrCreate); }
    std::string StoredArtist(const std::string& path) {
        const auto track = Db().Track(path);
        return track.Value ? track.Value->Tags.Artist : "(none)";
    }

    TempDir dir;
    test::StationBuilder b;
    test::ScriptedOperator op;
};

// The scan reads tags only when the setting, an attribute from a tag or a rule needs
// them; otherwise a folder without the database gets none and one with it keeps no tracks.
TEST_F(TrackTagsTest, TagsAreReadOnlyWhenSomethingNeedsThem) {
    const std::string tagged = Song("Rock/Name A - One.mp3", {{"TPE1", "Tag A"}, {"TBPM", "128"}});
    const std::string plain = Song("Rockabilly/Name B - Two.mp3", {});
    Station& station = Build();
    EXPECT_FALSE(std::filesystem::exists(StationDb::FileIn(b.DataFolder())));
    const struct {
        const char* Need;
        std::function<DbStatus(StationDb&)> Set;
        bool Reads;
    } cases[] = {
        {"file names", [](StationDb& db) { return db.SetSetting("artist_title_source", "name"); },
         false},
        {"attribute by hand",
         [](StationDb& db) {
             return db.DefineAttribute({"Vocal", "hand", "", {"Male"}});
         },
         false},
        {"tags", [](StationDb& db) { return db.SetSetting("artist_title_source", "tags"); }, true},
        {"attribute from a tag",
         [](StationDb& db) {
             return db.DefineAttribute({"Tempo", "BPM", "100", {"Slow", "Fast"}});
         },
         true},
        {"a rule", [](StationDb& db) { return db.SetRules("Rockabilly", {"album 60 minutes"}); },
         true},
        {"the intervals alone",
         [](StationDb& db) {
             return db.SetRules("Rockabilly", {"artist", "song"});
         },
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Need);
        std::filesystem::remove(StationDb::FileIn(b.DataFolder()));
        {
            StationDb db = Db();
            ASSERT_TRUE(c.Set(db));
        }
        station.LoadAll();
        ASSERT_EQ(station.TotalCategoryTracks(), 2u);
        EXPECT_EQ(station.Categories[0]->Files[0].Duration, 200);
        EXPECT_TRUE(op.Messages.empty());
        EXPECT_EQ(StoredArtist(tagged), c.Reads ? "Tag A" : "(none)");
        EXPECT_EQ(StoredArtist(plain), c.Reads ? "" : "(none)");
    }
}

// A reload reads again only the file that changed, and forgets the gone
// files of the reloaded Category alone; Reload All forgets every gone file.
TEST_F(TrackTagsTest, AReloadReadsOnlyChangedFilesAndForgetsOnlyItsOwnGoneOnes) {
    ASSERT_TRUE(SetArtistTitleSource(b.DataFolder(), ArtistTitleSource::Tags));
    const std::string changed = Song("Rock/a.mp3", {{"TPE1", "Ann"}});
    const std::string same = Song("Rock/b.mp3", {{"TPE1", "Bob"}});
    const std::string rockGone = Song("Rock/c.mp3", {{"TPE1", "Cy"}});
    const std::string otherGone = Song("Rockabilly/d.mp3", {{"TPE1", "Di"}});
    Song("Rockabilly/e.mp3", {{"TPE1", "Ed"}});  // an emptied folder might be a lost share
    // Enough files for the scan to read them on its threads.
    for (int i = 0; i < 300; ++i) {
        Song("Rock/f" + std::to_string(i) + ".mp3", {{"TPE1", "Filler"}});
    }
    Station& station = Build();
    ASSERT_EQ(StoredArtist(otherGone), "Di");
    // Were b read again, its tag would put "Bob" back.
    SQLite::Database(StationDb::FileIn(b.DataFolder()), SQLite::OPEN_READWRITE)
        .exec("UPDATE tracks SET artist = 'Kept' WHERE path LIKE '%b.mp3'");
    const auto before = std::filesystem::last_write_time(changed);
    // A tag edited in place, as its padding allows, by a tagger that keeps the file's time:
    // size and modification time stay; the status-change time tells.
    Song("Rock/a.mp3", {{"TPE1", "Eve"}});
    std::filesystem::last_write_time(changed, before);
    std::filesystem::remove(rockGone);
    std::filesystem::remove(otherGone);

    station.ReloadFiles(*station.Categories[0]);
    EXPECT_EQ(StoredArtist(changed), "Eve");
    EXPECT_EQ(StoredArtist(same), "Kept");
    EXPECT_EQ(StoredArtist(rockGone), "(none)");
    EXPECT_EQ(StoredArtist(otherGone), "Di");
    EXPECT_NE(station.Artists.Find("Eve"), nullptr);
    station.ReloadAllFiles();
    EXPECT_EQ(StoredArtist(otherGone), "(none)");
    EXPECT_EQ(StoredArtist(same), "Kept");
}

// With the tags chosen, the artist keys, the artist list and a run's artist rule take the
// tags' artist and title, each falling back to the file name's; with the file name as
// today.
TEST_F(TrackTagsTest, TheTagsSettingNamesArtistsFromTagsWithTheFileNameAsFallback) {
    const struct {
        std::string Path;
        ArtistTitle FromName, FromTags;
    } files[] = {
        {Song("Rock/Name A - Name T.mp3", {{"TPE1", "Tag A"}, {"TIT2", "Tag T"}}),
         {"Name A", "Name T"},
         {"Tag A", "Tag T"}},
        {Song("Rock/Name B - Name U.mp3", {{"TIT2", "Tag U"}}),
         {"Name B", "Name U"},
         {"Name B", "Tag U"}},
        {Song("Rockabilly/Name C - Name V.mp3", {}), {"Name C", "Name V"}, {"Name C", "Name V"}},
        {Song("Rockabilly/Untitled.mp3", {{"TPE1", "Tag D"}, {"TXXX:MOOD", "Calm"}}),
         {"", "Untitled.mp3"},
         {"Tag D", "Untitled.mp3"}},
    };
    Station& station = Build();
    test::RunFrom(station.Opt, DateOf(NowLocal()) + 1, 0, 1);
    station.Opt.SystemArtistInterval = "60";
    for (const ArtistTitleSource source : {ArtistTitleSource::Tags, ArtistTitleSource::FileName}) {
        ASSERT_TRUE(SetArtistTitleSource(b.DataFolder(), source));
        EXPECT_EQ(ReadArtistTitleSource(b.DataFolder()).Value, source);
        station.ReloadAllFiles();
        for (const auto& f : files) {
            const ArtistTitle& expected =
                source == ArtistTitleSource::Tags ? f.FromTags : f.FromName;
            const std::string artist = expected.Artist.empty() ? expected.Title : expected.Artist;
            SCOPED_TRACE(f.Path);
            const ArtistTitle got = ArtistTitleOfPath(f.Path, station.Names());
            EXPECT_EQ(got.Artist + "/" + got.Title, expected.Artist + "/" + expected.Title);
            EXPECT_EQ(ArtistKeysOfFile(f.Path, station.Names(), station.Related, station.Artists),
                      std::vector<std::string>{FoldCase(artist)});
            ASSERT_NE(station.Artists.Find(artist), nullptr);
        }
        EXPECT_EQ(station.Artists.Count(), 4u);
        // The run finds every track's artist in the list the scan made.
        const test::RunResult run = test::Generate(station, op);
        EXPECT_TRUE(run.Ok);
        for (const std::string& line : run.Lines) {
            EXPECT_EQ(line.find("not found"), std::string::npos) << line;
        }
    }
}

// A database that cannot be used stops no scan: the files load with their durations, and
// the operator hears of it once.
TEST_F(TrackTagsTest, ABrokenOrLockedDatabaseDoesNotStopTheScan) {
    Song("Rock/a.mp3", {{"TPE1", "Ann"}});
    Song("Rockabilly/b.mp3", {{"TPE1", "Bob"}});
    Station& station = Build();
    const std::string file = StationDb::FileIn(b.DataFolder()).string();
    for (const bool locked : {false, true}) {
        SCOPED_TRACE(locked ? "locked" : "not a database");
        op.Messages.clear();
        std::filesystem::remove(file);
        std::unique_ptr<SQLite::Database> holder;
        if (locked) {
            ASSERT_TRUE(SetArtistTitleSource(b.DataFolder(), ArtistTitleSource::Tags));
            holder = std::make_unique<SQLite::Database>(file, SQLite::OPEN_READWRITE);
            holder->exec("BEGIN EXCLUSIVE");
        } else {
            dir.Write("data/Station.db", std::string(4096, 'x'));
        }
        station.LoadAll();
        ASSERT_EQ(station.TotalCategoryTracks(), 2u);
        EXPECT_EQ(station.Categories[1]->Files[0].Duration, 200);
        ASSERT_EQ(op.Messages.size(), 1u);
        EXPECT_NE(op.Messages[0].Text.find("without their tags"), std::string::npos);
        EXPECT_NE(op.Messages[0].Text.find(file), std::string::npos) << op.Messages[0].Text;
    }
}

}  // namespace
}  // namespace spindle
