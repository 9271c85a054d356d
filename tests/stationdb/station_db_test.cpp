#include "stationdb/station_db.h"

#include <SQLiteCpp/Database.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <random>

#include "support/recorded_plays.h"
#include "support/temp_dir.h"

namespace spindle {
namespace {

using test::RecordPlays;
using test::TempDir;

const std::string kSong = "/music/Caf\xC3\xA9/Song.mp3";
const std::string kOther = "/music/Other.flac";

int Count(const TempDir& dir, const char* table) {
    SQLite::Database db(dir / "Station.db");
    return db.execAndGet(std::string("SELECT count(*) FROM ") + table).getInt();
}

// A new database takes the mode of the station's files, or the umask's, so a folder a
// group shares stays writable for the group; on a local disk it keeps a write-ahead log.
TEST(StationDb, IsMadeWithTheStationsFileModeAndLogsAhead) {
    const mode_t before = ::umask(002);
    for (const mode_t options : {mode_t{0}, mode_t{0660}}) {
        TempDir dir;
        if (options != 0) {
            dir.Write("Options.dat", "");
            ::chmod((dir / "Options.dat").c_str(), options);
        }
        ASSERT_TRUE(StationDb(dir.Path(), StationDb::Mode::OrCreate).IsOpen());
        struct stat st {};
        ASSERT_EQ(::stat((dir / "Station.db").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, options != 0 ? options : 0664);
        EXPECT_EQ(
            SQLite::Database(dir / "Station.db").execAndGet("PRAGMA journal_mode").getString(),
            "wal");
    }
    ::umask(before);
    EXPECT_FALSE(OnNetworkShare("/proc"));
}

// A refused or unreadable file is reported and left exactly as it was; a migration that
// fails halfway leaves nothing of itself behind.
TEST(StationDb, RefusesNewerFailedAndCorruptDatabasesUntouched) {
    const struct {
        std::string Sql;
        const char* Expected;
    } cases[] = {
        {"PRAGMA user_version=" + std::to_string(StationDb::kSchemaVersion + 1), "newer"},
        {"PRAGMA user_version=99", "newer"},
        {"CREATE TABLE attributes (x)", "already exists"},
        {"", "not a database"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        if (c.Sql.empty()) {
            std::string bytes(8192, '\0');
            std::ranges::generate(bytes, std::mt19937(7));
            dir.Write("Station.db", bytes);
        } else {
            SQLite::Database(dir / "Station.db", SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE)
                .exec(c.Sql);
        }
        const auto before = test::Snapshot(dir.Path());
        StationDb db(dir.Path(), StationDb::Mode::OrCreate);
        EXPECT_FALSE(db.IsOpen()) << c.Sql;
        EXPECT_NE(db.Problem().find(dir / "Station.db"), std::string::npos) << db.Problem();
        EXPECT_NE(db.Problem().find(c.Expected), std::string::npos) << db.Problem();
        EXPECT_EQ(test::Snapshot(dir.Path()), before) << c.Sql;
        EXPECT_FALSE(db.StoreTracks({{kSong, {1, 2}, {}}}));
    }
}

// A database of every earlier version is brought up to date with what it held: each is
// the current one taken back by undoing the later steps.
TEST(StationDb, MigratesEveryEarlierVersionKeepingItsValues) {
    const char* const undo[] = {
        "DROP TABLE settings; DROP TABLE rules; DROP TABLE airings;",
        "ALTER TABLE tracks DROP COLUMN ctime;",
        "DROP TABLE airings; DROP TABLE runs; DROP TABLE recordings; DROP TABLE listeners; "
        "CREATE TABLE airings (path TEXT NOT NULL, aired_at REAL NOT NULL, category TEXT NOT "
        "NULL DEFAULT '', run_start REAL NOT NULL DEFAULT 0);"};
    for (int version = 1; version < StationDb::kSchemaVersion; ++version) {
        SCOPED_TRACE(version);
        TempDir dir;
        {
            StationDb db(dir.Path(), StationDb::Mode::OrCreate);
            ASSERT_TRUE(db.DefineAttribute({"Local", "hand", "", {"Yes", "No"}}));
            ASSERT_TRUE(db.SetAttribute("Local", {{kSong, "Yes"}}));
            ASSERT_TRUE(db.SetRules("", {"album 1 hour"}));
        }
        {
            SQLite::Database old(dir / "Station.db", SQLite::OPEN_READWRITE);
            for (int step = StationDb::kSchemaVersion - 1; step >= version; --step) {
                old.exec(undo[step - 1]);
            }
            old.exec("PRAGMA user_version=" + std::to_string(version));
            if (version == 3) {  // airings by path and time, each with its run's start
                old.exec("INSERT INTO airings VALUES ('" + kSong + "', 1.5, 'Mix', 1), ('" + kSong +
                         "', 2.25, 'Mix', 2), ('" + kOther + "', 2.5, 'Pop', 2)");
            }
        }
        StationDb db(dir.Path(), StationDb::Mode::OrCreate);
        ASSERT_TRUE(db.IsOpen()) << db.Problem();
        EXPECT_EQ(db.AttributesOf(kSong).Value.at("Local"), "Yes");
        EXPECT_EQ(db.Rules().Value[""].size(), version >= 2 ? 1u : 0u);
        EXPECT_TRUE(db.StoreTracks({{kSong, {1, 2}, {}}}));
        if (version == 3) {
            const auto kept = db.History(0, ClockSeconds(3));
            ASSERT_EQ(kept.Value.size(), 3u);
            EXPECT_EQ(kept.Value[1].Path, kSong);
            EXPECT_EQ(kept.Value[1].At, ClockSeconds(2.25));
            EXPECT_EQ(kept.Value[2].Group, "Pop");
            EXPECT_EQ(Count(dir, "runs"), 2);
            EXPECT_EQ(Count(dir, "recordings"), 2);
        }
        EXPECT_TRUE(RecordPlays(db, 1, 2, {{kSong, 1.5, "Mix"}}));
    }
}

// A damaged file takes no plays, and the run is told why; SQLite's report of a NULL that
// is not there (3.40, a WITHOUT ROWID table) is no damage.
TEST(StationDb, ADamagedFileTakesNoAirings) {
    TempDir dir;
    {
        StationDb db(dir.Path(), StationDb::Mode::OrCreate);
        ASSERT_TRUE(db.DefineAttribute({"Local", "hand", "", {"Yes", "No"}}));
        ASSERT_TRUE(db.SetAttribute("Local", {{kSong, "Yes"}}));
        const DbStatus sound = RecordPlays(db, 1, 2, {{kSong, 1.5, "Mix"}});
        ASSERT_TRUE(sound) << sound.Problem;
    }
    std::int64_t at = 0;
    {
        SQLite::Database file(dir / "Station.db");
        at = (file.execAndGet("SELECT rootpage FROM sqlite_schema WHERE name = "
                              "'track_attributes_by_value'")
                  .getInt64() -
              1) *
             file.execAndGet("PRAGMA page_size").getInt64();
    }
    std::fstream(dir / "Station.db", std::ios::in | std::ios::out | std::ios::binary)
        .seekp(at)
        .put('\0');  // no kind of page
    StationDb db(dir.Path(), StationDb::Mode::IfExists);
    const DbStatus saved = RecordPlays(db, 2, 3, {{kSong, 2.5, "Mix"}});
    EXPECT_NE(saved.Problem.find("is damaged"), std::string::npos) << saved.Problem;
    EXPECT_EQ(db.Airings(0, 3).Value.size(), 1u);
}

// Made only when asked; tags kept by path until the file's size or time changes; tracks
// gone from the folders take their tags and attribute values with them; a backup reopens.
TEST(StationDb, KeepsTagsUntilTheFileChangesAndSurvivesReopenAndBackup) {
    TempDir dir, copy;
    EXPECT_FALSE(StationDb(dir.Path(), StationDb::Mode::IfExists).IsOpen());
    EXPECT_TRUE(test::Snapshot(dir.Path()).empty());
    TrackRecord song{kSong, {4000, 1700000000}, {}}, other{kOther, {1, 2}, {}};
    song.Tags.Artist = "Art";
    song.Tags.Isrc = "GBAAA0000001";
    song.Tags.Year = 1999;
    song.Tags.Bpm = 121.5;
    song.Tags.Extra = {{"MOOD", "Calm"}, {"LOCAL", "Y"}};
    other.Tags.Title = "Other";
    ASSERT_TRUE(StationDb(dir.Path(), StationDb::Mode::OrCreate).StoreTracks({song}));
    EXPECT_EQ(SQLite::Database(dir / "Station.db").execAndGet("PRAGMA user_version").getInt(),
              StationDb::kSchemaVersion);

    StationDb db(dir.Path(), StationDb::Mode::IfExists);
    ASSERT_TRUE(db.IsOpen()) << db.Problem();
    EXPECT_EQ(db.Track(kSong).Value->Tags, song.Tags);
    EXPECT_TRUE(db.IsCurrent(kSong, {4000, 1700000000}));
    EXPECT_FALSE(db.IsCurrent(kSong, {4000, 1700000001}));
    EXPECT_FALSE(db.IsCurrent(kSong, {4001, 1700000000}));
    EXPECT_FALSE(db.IsCurrent(kOther, {4000, 1700000000}));
    song.Tags.Extra = {{"MOOD", "Dark"}};
    ASSERT_TRUE(db.StoreTracks({song, other}));
    EXPECT_EQ(db.Track(kSong).Value->Tags, song.Tags);

    ASSERT_TRUE(db.DefineAttribute({"Local", "LOCAL", "", {"Yes", "No"}}));
    ASSERT_TRUE(db.SetAttribute("Local", {{kSong, "Yes"}, {kOther, "No"}}));
    EXPECT_EQ(db.RemoveTracksExcept({kOther}).Value, 1);
    EXPECT_FALSE(db.Track(kSong).Value);
    EXPECT_EQ(Count(dir, "track_extra"), 0);
    EXPECT_EQ(Count(dir, "track_attributes"), 1);

    ASSERT_TRUE(db.Backup(copy / "Station.db"));
    StationDb restored(copy.Path(), StationDb::Mode::IfExists);
    EXPECT_EQ(restored.Track(kOther).Value->Tags.Title, "Other");
    EXPECT_EQ(restored.AttributesOf(kOther).Value.at("Local"), "No");
}

TEST(StationDb, AttributeValuesAreSetAllOrNone) {
    TempDir dir;
    StationDb db(dir.Path(), StationDb::Mode::OrCreate);
    const AttributeDef tempo{"Tempo", "bpm", "90;120", {"Slow", "Medium", "Fast"}};
    const AttributeDef vocal{"Vocal", "hand", "", {"Female", "Male"}};
    ASSERT_TRUE(db.DefineAttribute(tempo) && db.DefineAttribute(vocal));
    EXPECT_EQ(db.Attributes().Value, (std::vector{tempo, vocal}));

    // Tracks not yet scanned are added, to be read by the next scan.
    ASSERT_TRUE(db.SetAttribute("Tempo", {{kSong, "Fast"}, {kOther, "Slow"}}));
    EXPECT_FALSE(db.IsCurrent(kOther, {}));
    const DbStatus bad = db.SetAttribute("Tempo", {{kSong, "Slow"}, {kOther, "Loud"}});
    EXPECT_NE(bad.Problem.find("Loud"), std::string::npos) << bad.Problem;
    EXPECT_FALSE(db.SetAttribute("Mood", {{kSong, "Calm"}}));
    EXPECT_EQ(db.AttributesOf(kSong).Value,
              (std::map<std::string, std::string>{{"Tempo", "Fast"}}));

    // A value no longer listed leaves the tracks that had it; an empty value clears.
    ASSERT_TRUE(db.DefineAttribute({"Tempo", "bpm", "100", {"Slow", "Quick"}}));
    EXPECT_TRUE(db.AttributesOf(kSong).Value.empty());
    ASSERT_TRUE(db.SetAttribute("Vocal", {{kOther, "Male"}}));
    ASSERT_TRUE(db.SetAttribute("Tempo", {{kOther, ""}}));
    EXPECT_EQ(db.AttributesOf(kOther).Value,
              (std::map<std::string, std::string>{{"Vocal", "Male"}}));
}

// A second program recording while another writes waits, then is refused in words, and
// the first program's airings are there whole once it commits.
TEST(StationDb, ASecondWriterWaitsThenIsRefusedWithAClearMessage) {
    TempDir dir;
    StationDb db(dir.Path(), StationDb::Mode::OrCreate);
    {
        SQLite::Database other(dir / "Station.db", SQLite::OPEN_READWRITE);
        other.exec("BEGIN IMMEDIATE");
        const DbStatus refused = RecordPlays(db, 1, 2, {{kSong, 1.5, "Mix"}});
        EXPECT_NE(refused.Problem.find("Another program is writing to"), std::string::npos)
            << refused.Problem;
        other.exec("COMMIT");
    }
    EXPECT_TRUE(RecordPlays(db, 1, 2, {{kSong, 1.5, "Mix"}, {kOther, 1.6, "Mix"}}));
    EXPECT_EQ(db.AiringCount().Value, 2);
}

}  // namespace
}  // namespace spindle
