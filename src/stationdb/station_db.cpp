#include "stationdb/station_db.h"

#include "stationdb/station_db_guard.h"

#include <SQLiteCpp/Backup.h>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>
#include <SQLiteCpp/VariadicBind.h>

#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/statfs.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>
#include <thread>
#include <unordered_set>

#include "base/format.h"
#include "base/translate.h"

namespace spindle {
namespace {

// Each entry takes the schema from its index to the next version. Tags and attribute
// values are empty text and zero rather than NULL, so queries need no NULL cases; a
// track added by hand before any scan has no size or time, so the scan reads it.
const char* const kMigrations[] = {
    R"(CREATE TABLE tracks (
           id INTEGER PRIMARY KEY,
           path TEXT NOT NULL UNIQUE,
           size INTEGER,
           mtime INTEGER,
           artist TEXT NOT NULL DEFAULT '',
           title TEXT NOT NULL DEFAULT '',
           album TEXT NOT NULL DEFAULT '',
           isrc TEXT NOT NULL DEFAULT '',
           composer TEXT NOT NULL DEFAULT '',
           publisher TEXT NOT NULL DEFAULT '',
           genre TEXT NOT NULL DEFAULT '',
           year INTEGER NOT NULL DEFAULT 0,
           bpm REAL NOT NULL DEFAULT 0);
       CREATE TABLE track_extra (
           track_id INTEGER NOT NULL REFERENCES tracks(id) ON DELETE CASCADE,
           key TEXT NOT NULL,
           value TEXT NOT NULL,
           PRIMARY KEY (track_id, key)) WITHOUT ROWID;
       CREATE TABLE attributes (
           id INTEGER PRIMARY KEY,
           name TEXT NOT NULL UNIQUE,
           source TEXT NOT NULL DEFAULT 'hand',
           banding TEXT NOT NULL DEFAULT '');
       CREATE TABLE attribute_values (
           attribute_id INTEGER NOT NULL REFERENCES attributes(id) ON DELETE CASCADE,
           position INTEGER NOT NULL,
           value TEXT NOT NULL,
           PRIMARY KEY (attribute_id, value)) WITHOUT ROWID;
       CREATE TABLE track_attributes (
           track_id INTEGER NOT NULL REFERENCES tracks(id) ON DELETE CASCADE,
           attribute_id INTEGER NOT NULL,
           value TEXT NOT NULL,
           PRIMARY KEY (track_id, attribute_id),
           FOREIGN KEY (attribute_id, value)
               REFERENCES attribute_values(attribute_id, value) ON DELETE CASCADE
           ) WITHOUT ROWID;
       CREATE INDEX track_attributes_by_value ON track_attributes(attribute_id, value);)",
    // Station settings beyond Options.dat, each Category's ordered rules (scope "" for the
    // station's own) as their text, and every track a saved run put on the air.
    R"(CREATE TABLE settings (
           key TEXT PRIMARY KEY,
           value TEXT NOT NULL) WITHOUT ROWID;
       CREATE TABLE rules (
           scope TEXT NOT NULL,
           position INTEGER NOT NULL,
           rule TEXT NOT NULL,
           PRIMARY KEY (scope, position)) WITHOUT ROWID;
       CREATE TABLE airings (
           path TEXT NOT NULL,
           aired_at REAL NOT NULL,
           category TEXT NOT NULL DEFAULT '',
           run_start REAL NOT NULL DEFAULT 0);
       CREATE INDEX airings_by_time ON airings(aired_at);
       CREATE INDEX airings_by_path ON airings(path);)",
    // The stamp in nanoseconds with the status-change time: a file whose tags were read on
    // a stamp of whole seconds is read once more.
    R"(ALTER TABLE tracks ADD COLUMN ctime INTEGER;)",
    // The play history of every station: recordings never deleted (a file that goes away
    // is marked gone), the runs and saves that scheduled them, and each airing in whole
    // seconds with what would be reported of it as it aired. Each run start of the airings
    // kept so far becomes a run, their paths recordings with the tags the tracks had.
    R"(CREATE TABLE recordings (
           id INTEGER PRIMARY KEY,
           path TEXT NOT NULL,
           artist TEXT NOT NULL DEFAULT '',
           title TEXT NOT NULL DEFAULT '',
           album TEXT NOT NULL DEFAULT '',
           isrc TEXT NOT NULL DEFAULT '',
           label TEXT NOT NULL DEFAULT '',
           composer TEXT NOT NULL DEFAULT '',
           duration INTEGER NOT NULL DEFAULT 0,
           gone INTEGER NOT NULL DEFAULT 0);
       CREATE INDEX recordings_by_path ON recordings(path);
       CREATE INDEX recordings_by_name ON recordings(artist, title);
       CREATE TABLE runs (
           id INTEGER PRIMARY KEY,
           period_from INTEGER NOT NULL,
           period_to INTEGER NOT NULL,
           saved_at INTEGER NOT NULL,
           source INTEGER NOT NULL,
           log TEXT NOT NULL DEFAULT '',
           superseded_by INTEGER REFERENCES runs(id));
       CREATE TABLE history (
           id INTEGER PRIMARY KEY,
           run_id INTEGER NOT NULL REFERENCES runs(id),
           recording_id INTEGER NOT NULL REFERENCES recordings(id),
           aired_at INTEGER NOT NULL,
           hour INTEGER NOT NULL,
           type INTEGER NOT NULL,
           grp TEXT NOT NULL,
           duration INTEGER NOT NULL,
           artist TEXT NOT NULL,
           title TEXT NOT NULL,
           album TEXT NOT NULL,
           isrc TEXT NOT NULL,
           label TEXT NOT NULL,
           composer TEXT NOT NULL,
           state INTEGER NOT NULL DEFAULT 0,
           real_at INTEGER);
       CREATE TABLE listeners (
           hour INTEGER PRIMARY KEY,
           average REAL NOT NULL);
       INSERT INTO runs (period_from, period_to, saved_at, source)
           SELECT CAST(round(run_start * 86400) AS INTEGER),
                  (CAST(round(max(aired_at) * 86400) AS INTEGER) / 3600 + 1) * 3600, 0, 0
           FROM airings GROUP BY run_start ORDER BY run_start;
       INSERT INTO recordings (path, artist, title, album, isrc, label, composer)
           SELECT a.path, coalesce(t.artist, ''), coalesce(t.title, ''), coalesce(t.album, ''),
                  coalesce(t.isrc, ''), coalesce(t.publisher, ''), coalesce(t.composer, '')
           FROM (SELECT DISTINCT path FROM airings) a LEFT JOIN tracks t ON t.path = a.path;
       INSERT INTO history (run_id, recording_id, aired_at, hour, type, grp, duration, artist,
                            title, album, isrc, label, composer)
           SELECT u.id, r.id, CAST(round(a.aired_at * 86400) AS INTEGER),
                  CAST(round(a.aired_at * 86400) AS INTEGER) / 3600 * 3600, 0, a.category, 0,
                  r.artist, r.title, r.album, r.isrc, r.label, r.composer
           FROM airings a JOIN recordings r ON r.path = a.path
                JOIN runs u ON u.period_from = CAST(round(a.run_start * 86400) AS INTEGER)
           ORDER BY a.aired_at;
       DROP TABLE airings;
       ALTER TABLE history RENAME TO airings;
       CREATE INDEX airings_by_time ON airings(aired_at);
       CREATE INDEX airings_by_hour ON airings(hour);
       CREATE INDEX airings_by_run ON airings(run_id);
       CREATE INDEX airings_by_recording ON airings(recording_id, aired_at);)",
};
static_assert(std::size(kMigrations) == StationDb::kSchemaVersion);

std::int64_t OrUnknown(const SQLite::Column& column) {
    return column.isNull() ? -1 : column.getInt64();
}

}  // namespace

std::filesystem::path StationDb::FileIn(const std::filesystem::path& dataFolder) {
    return dataFolder / "Station.db";
}

StationDb::StationDb(const std::filesystem::path& dataFolder, Mode mode)
    : file_(FileIn(dataFolder)) {
    std::error_code error;
    if (mode != Mode::OrCreate && !std::filesystem::exists(file_, error)) {
        if (error) {
            problem_ = Format(tr("Cannot open \"%0:s\": %1:s"), file_.string(), error.message());
        }
        return;
    }
    if (mode == Mode::ReadOnly && OpenToRead()) {
        return;
    }
    Open(mode == Mode::OrCreate);
}

// True when the database is open to read, or refused; false when it must be brought
// forward first, which takes writing.
bool StationDb::OpenToRead() {
    try {
        db_ = std::make_unique<SQLite::Database>(file_.string(), SQLite::OPEN_READONLY);
        db_->setBusyTimeout(kBusyMilliseconds);
        const int version = db_->execAndGet("PRAGMA user_version").getInt();
        if (version > kSchemaVersion) {
            throw DbRefusal(Newer(version));
        }
        if (version < kSchemaVersion) {
            db_.reset();
            return false;
        }
    } catch (const DbRefusal& e) {
        db_.reset();
        problem_ = e.what();
    } catch (const std::exception& e) {
        db_.reset();
        problem_ = Format(tr("Cannot open \"%0:s\": %1:s"), file_.string(), e.what());
    }
    return true;
}

std::string StationDb::Newer(int version) const {
    return Format(tr("\"%0:s\" was made by a newer version of Spindle (database version %1:d; "
                     "this version knows up to %2:d)."),
                  file_.string(), version, kSchemaVersion);
}

StationDb::~StationDb() = default;

void StationDb::Open(bool create) {
    try {
        std::error_code error;
        const bool made = create && !std::filesystem::exists(file_, error);
        db_ = std::make_unique<SQLite::Database>(
            file_.string(), SQLite::OPEN_READWRITE | (create ? SQLite::OPEN_CREATE : 0));
        if (made) {
            TakeFolderMode();
        }
        db_->setBusyTimeout(kBusyMilliseconds);
        // Takes effect only outside a transaction.
        db_->exec("PRAGMA foreign_keys=ON");
        Migrate();
        // After the migration, so a database this program refuses stays as it was. The
        // write-ahead log needs memory shared between the programs, which a file system
        // shared over the network does not give: there the journal is a file of its own.
        db_->exec(OnNetworkShare(file_.parent_path()) ? "PRAGMA journal_mode=DELETE"
                                                      : "PRAGMA journal_mode=WAL");
    } catch (const DbRefusal& e) {
        db_.reset();
        problem_ = e.what();
    } catch (const std::exception& e) {
        db_.reset();
        problem_ = Format(tr("Cannot open \"%0:s\": %1:s"), file_.string(), e.what());
    }
}

namespace {

// The umask, read without changing it (umask() would, for a moment, for every thread).
mode_t ProcessUmask() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("Umask:", 0) == 0) {
            return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
        }
    }
    return 022;
}

}  // namespace

// A new database is given the mode of the station's other files (a folder shared by a
// group keeps it writable for the group), or what the umask leaves of read-write for all;
// SQLite gives its journals the database's mode.
void StationDb::TakeFolderMode() const {
    const std::filesystem::path folder = file_.parent_path();
    struct stat st {};
    mode_t mode = 0;
    for (const char* name : {"Options.dat", "Categories.dat"}) {
        if (::stat((folder / name).c_str(), &st) == 0) {
            mode = st.st_mode & 0666;
            break;
        }
    }
    if (mode == 0) {
        mode = 0666 & ~ProcessUmask();
    }
    ::chmod(file_.c_str(), mode);
}

bool OnNetworkShare(const std::filesystem::path& folder) {
    struct statfs fs {};
    if (::statfs(folder.c_str(), &fs) != 0) {
        return false;
    }
    // NFS, SMB, CIFS, SMB2, Coda, AFS, 9P, Ceph and FUSE (sshfs and the like).
    static constexpr unsigned long kShared[] = {0x6969,     0x517B,     0xFF534D42,
                                                0xFE534D42, 0x73757245, 0x5346414F,
                                                0x01021997, 0x00C36400, 0x65735546};
    const auto type = static_cast<unsigned long>(fs.f_type);
    return std::find(std::begin(kShared), std::end(kShared), type) != std::end(kShared);
}

// The version is read inside the write transaction, so two programs opening an old
// database together migrate it once.
void StationDb::Migrate() {
    SQLite::Transaction transaction(*db_, SQLite::TransactionBehavior::IMMEDIATE);
    const int version = db_->execAndGet("PRAGMA user_version").getInt();
    if (version > kSchemaVersion) {
        throw DbRefusal(Newer(version));
    }
    if (version == kSchemaVersion) {
        return;
    }
    for (int step = version; step < kSchemaVersion; ++step) {
        db_->exec(kMigrations[step]);
    }
    db_->exec("PRAGMA user_version=" + std::to_string(kSchemaVersion));
    transaction.commit();
}

DbStatus StationDb::StoreTracks(const std::vector<TrackRecord>& tracks) {
    return UpdateTracks(tracks, {});
}

namespace {

// Forgets the tracks at `paths` with their attribute values; their recordings are gone.
void ForgetTracks(SQLite::Database& db, const std::vector<std::string>& paths) {
    SQLite::Statement remove(db, "DELETE FROM tracks WHERE path = ?");
    SQLite::Statement markGone(db, "UPDATE recordings SET gone = 1 WHERE path = ?");
    for (const std::string& path : paths) {
        for (SQLite::Statement* statement : {&remove, &markGone}) {
            statement->reset();
            statement->bind(1, path);
            statement->exec();
        }
    }
}

}  // namespace

DbStatus StationDb::UpdateTracks(const std::vector<TrackRecord>& tracks,
                                 const std::vector<std::string>& gone) {
    return Guarded<bool>([&](SQLite::Database& db) {
        SQLite::Transaction transaction(db, SQLite::TransactionBehavior::IMMEDIATE);
        ForgetTracks(db, gone);
        // A track kept before is updated in place and its other fields cleared; a new one is
        // inserted, with nothing to clear unless a field outlived its track. (An upsert with
        // RETURNING, or a DELETE, builds a scratch table every time: a first scan of a large
        // library spent most of its writing on them.)
        SQLite::Statement find(db, "SELECT id FROM tracks WHERE path = ?");
        SQLite::Statement insert(db,
                                 "INSERT INTO tracks (size, mtime, ctime, artist, title, album, "
                                 "isrc, composer, publisher, genre, year, bpm, path) VALUES (?, ?, "
                                 "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        SQLite::Statement update(db,
                                 "UPDATE tracks SET size = ?, mtime = ?, ctime = ?, artist = ?, "
                                 "title = ?, album = ?, isrc = ?, composer = ?, publisher = ?, "
                                 "genre = ?, year = ?, bpm = ? WHERE id = ?");
        SQLite::Statement hasExtra(db, "SELECT 1 FROM track_extra WHERE track_id = ? LIMIT 1");
        SQLite::Statement clearExtra(db, "DELETE FROM track_extra WHERE track_id = ?");
        SQLite::Statement addExtra(db, "INSERT INTO track_extra VALUES (?, ?, ?)");
        for (const TrackRecord& track : tracks) {
            const TrackTags& tags = track.Tags;
            find.reset();
            find.bind(1, track.Path);
            const bool kept = find.executeStep();
            std::int64_t id = kept ? find.getColumn(0).getInt64() : 0;
            find.reset();
            SQLite::Statement& write = kept ? update : insert;
            write.reset();
            SQLite::bind(write, track.Stamp.Size, track.Stamp.MTime, track.Stamp.CTime, tags.Artist,
                         tags.Title, tags.Album, tags.Isrc, tags.Composer, tags.Publisher,
                         tags.Genre, tags.Year, tags.Bpm);
            if (kept) {
                write.bind(13, id);
            } else {
                write.bind(13, track.Path);
            }
            write.exec();
            if (!kept) {
                id = db.getLastInsertRowid();
            }
            hasExtra.reset();
            hasExtra.bind(1, id);
            if (hasExtra.executeStep()) {
                clearExtra.reset();
                clearExtra.bind(1, id);
                clearExtra.exec();
            }
            for (const auto& [key, value] : tags.Extra) {
                addExtra.reset();
                SQLite::bind(addExtra, id, key, value);
                addExtra.exec();
            }
        }
        transaction.commit();
        return true;
    });
}

DbRead<std::unordered_map<std::string, KeptTrack>> StationDb::KeptTracks(
    const std::vector<std::string>& prefixes) {
    return Guarded<std::unordered_map<std::string, KeptTrack>>([&](SQLite::Database& db) {
        std::unordered_map<std::string, KeptTrack> kept;
        // Text compares byte by byte, so a prefix's paths run up to the prefix with its
        // last byte raised; one of nothing but 0xFF bytes has no such end.
        SQLite::Statement bounded(db,
                                  "SELECT path, size, mtime, ctime, artist, title FROM tracks "
                                  "WHERE path >= ? AND path < ?");
        SQLite::Statement open(db,
                               "SELECT path, size, mtime, ctime, artist, title FROM tracks "
                               "WHERE path >= ?");
        for (const std::string& prefix : prefixes) {
            std::string end = prefix;
            while (!end.empty() && static_cast<unsigned char>(end.back()) == 0xFF) {
                end.pop_back();
            }
            SQLite::Statement& query = end.empty() ? open : bounded;
            query.reset();
            query.bind(1, prefix);
            if (!end.empty()) {
                end.back() = static_cast<char>(end.back() + 1);
                query.bind(2, end);
            }
            while (query.executeStep()) {
                kept.try_emplace(
                    query.getColumn(0).getString(),
                    KeptTrack{{OrUnknown(query.getColumn(1)), OrUnknown(query.getColumn(2)),
                               OrUnknown(query.getColumn(3))},
                              query.getColumn(4).getString(),
                              query.getColumn(5).getString()});
            }
        }
        return kept;
    });
}

DbRead<std::optional<TrackRecord>> StationDb::Track(const std::string& path) {
    return Guarded<std::optional<TrackRecord>>([&](SQLite::Database& db) {
        SQLite::Statement query(db,
                                "SELECT id, size, mtime, artist, title, album, isrc, composer, "
                                "publisher, genre, year, bpm, ctime FROM tracks WHERE path = ?");
        query.bind(1, path);
        std::optional<TrackRecord> found;
        if (!query.executeStep()) {
            return found;
        }
        TrackRecord& track = found.emplace();
        track.Path = path;
        track.Stamp = {OrUnknown(query.getColumn(1)), OrUnknown(query.getColumn(2)),
                       OrUnknown(query.getColumn(12))};
        TrackTags& tags = track.Tags;
        for (auto [field, column] : {std::pair{&tags.Artist, 3},
                                     {&tags.Title, 4},
                                     {&tags.Album, 5},
                                     {&tags.Isrc, 6},
                                     {&tags.Composer, 7},
                                     {&tags.Publisher, 8},
                                     {&tags.Genre, 9}}) {
            *field = query.getColumn(column).getString();
        }
        tags.Year = query.getColumn(10).getInt();
        tags.Bpm = query.getColumn(11).getDouble();
        SQLite::Statement extra(db, "SELECT key, value FROM track_extra WHERE track_id = ?");
        extra.bind(1, query.getColumn(0).getInt64());
        while (extra.executeStep()) {
            tags.Extra[extra.getColumn(0).getString()] = extra.getColumn(1).getString();
        }
        return found;
    });
}

bool StationDb::IsCurrent(const std::string& path, const TrackStamp& stamp) {
    const auto track = Track(path);
    // A track added by hand has no stamp, and no stamp a scan gives matches that.
    return track && track.Value && track.Value->Stamp.Size >= 0 && track.Value->Stamp == stamp;
}

DbRead<int> StationDb::RemoveTracksExcept(const std::vector<std::string>& present) {
    return Guarded<int>([&](SQLite::Database& db) {
        const std::unordered_set<std::string> keep(present.begin(), present.end());
        SQLite::Transaction transaction(db, SQLite::TransactionBehavior::IMMEDIATE);
        std::vector<std::string> gone;
        SQLite::Statement all(db, "SELECT path FROM tracks");
        while (all.executeStep()) {
            if (!keep.contains(all.getColumn(0).getString())) {
                gone.push_back(all.getColumn(0).getString());
            }
        }
        ForgetTracks(db, gone);
        transaction.commit();
        return static_cast<int>(gone.size());
    });
}

// The copy is made beside the target and put in place whole, so a failed backup leaves
// an earlier one as it was.
DbStatus StationDb::Backup(const std::filesystem::path& target) {
    std::filesystem::path part = target;
    part += ".part";
    const DbRead<bool> source = Guarded<bool>([](SQLite::Database&) { return true; });
    if (!source) {
        return source;
    }
    std::error_code ignored;
    try {
        std::filesystem::remove(part, ignored);
        {
            SQLite::Database copy(part.string(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
            // All pages at once; another program's write may hold it up for a while, but
            // a copy that did not reach the end is no backup.
            SQLite::Backup backup(copy, *db_);
            int step = backup.executeStep();
            for (int waited = 0;
                 (step == SQLITE_BUSY || step == SQLITE_LOCKED) && waited < kBusyMilliseconds;
                 waited += 100) {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                step = backup.executeStep();
            }
            if (step != SQLITE_DONE) {
                throw std::runtime_error(step == SQLITE_BUSY || step == SQLITE_LOCKED
                                             ? "database is locked"
                                             : "the copy did not finish");
            }
            // A copy is one file: no write-ahead log beside it.
            copy.exec("PRAGMA journal_mode=DELETE");
        }
        std::filesystem::rename(part, target);
    } catch (const std::exception& e) {
        std::filesystem::remove(part, ignored);
        return {Format(tr("Cannot write \"%0:s\": %1:s"), target.string(), e.what())};
    }
    return {};
}

std::optional<TrackStamp> FileStamp(const std::string& path) {
    struct stat facts {};
    if (::stat(path.c_str(), &facts) != 0 || !S_ISREG(facts.st_mode)) {
        return std::nullopt;
    }
    const auto nanoseconds = [](const auto& t) {
        return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
    };
    return TrackStamp{static_cast<std::int64_t>(facts.st_size), nanoseconds(facts.st_mtim),
                      nanoseconds(facts.st_ctim)};
}

}  // namespace spindle
