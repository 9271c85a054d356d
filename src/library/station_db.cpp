#include "library/station_db.h"

#include <SQLiteCpp/Backup.h>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>
#include <SQLiteCpp/VariadicBind.h>

#include <cerrno>
#include <cstring>
#include <iterator>
#include <set>
#include <stdexcept>
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
};
static_assert(std::size(kMigrations) == StationDb::kSchemaVersion);

// A request the database cannot honour, its message already written for the operator.
struct Refusal : std::runtime_error {
    using std::runtime_error::runtime_error;
};

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
    if (mode == Mode::IfExists && !std::filesystem::exists(file_, error)) {
        return;
    }
    Open(mode == Mode::OrCreate);
}

StationDb::~StationDb() = default;

void StationDb::Open(bool create) {
    try {
        db_ = std::make_unique<SQLite::Database>(
            file_.string(), SQLite::OPEN_READWRITE | (create ? SQLite::OPEN_CREATE : 0));
        db_->setBusyTimeout(2000);
        // Takes effect only outside a transaction.
        db_->exec("PRAGMA foreign_keys=ON");
        Migrate();
        // After the migration, so a database this program refuses stays as it was.
        db_->exec("PRAGMA journal_mode=WAL");
    } catch (const Refusal& e) {
        db_.reset();
        problem_ = e.what();
    } catch (const std::exception& e) {
        db_.reset();
        problem_ = Format(tr("Cannot open \"%0:s\": %1:s"), file_.string(), e.what());
    }
}

// The version is read inside the write transaction, so two programs opening an old
// database together migrate it once.
void StationDb::Migrate() {
    SQLite::Transaction transaction(*db_, SQLite::TransactionBehavior::IMMEDIATE);
    const int version = db_->execAndGet("PRAGMA user_version").getInt();
    if (version > kSchemaVersion) {
        throw Refusal(Format(tr("\"%0:s\" was made by a newer version of Spindle (database "
                                "version %1:d; this version knows up to %2:d)."),
                             file_.string(), version, kSchemaVersion));
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

template <typename T, typename F>
DbRead<T> StationDb::Guarded(F&& work) {
    DbRead<T> result;
    try {
        if (!db_) {
            throw Refusal(problem_.empty() ? Format(tr("Cannot open \"%0:s\": %1:s"),
                                                    file_.string(), std::strerror(ENOENT))
                                           : problem_);
        }
        result.Value = work(*db_);
    } catch (const Refusal& e) {
        result.Problem = e.what();
    } catch (const std::exception& e) {
        result.Problem =
            Format(tr("Cannot use the station database \"%0:s\": %1:s"), file_.string(), e.what());
    }
    return result;
}

DbStatus StationDb::StoreTracks(const std::vector<TrackRecord>& tracks) {
    return Guarded<bool>([&](SQLite::Database& db) {
        SQLite::Transaction transaction(db, SQLite::TransactionBehavior::IMMEDIATE);
        SQLite::Statement upsert(
            db,
            "INSERT INTO tracks (path, size, mtime, artist, title, album, isrc, composer, "
            "publisher, genre, year, bpm) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
            "ON CONFLICT(path) DO UPDATE SET size = excluded.size, mtime = excluded.mtime, "
            "artist = excluded.artist, title = excluded.title, album = excluded.album, "
            "isrc = excluded.isrc, composer = excluded.composer, "
            "publisher = excluded.publisher, genre = excluded.genre, year = excluded.year, "
            "bpm = excluded.bpm RETURNING id");
        SQLite::Statement clearExtra(db, "DELETE FROM track_extra WHERE track_id = ?");
        SQLite::Statement addExtra(db, "INSERT INTO track_extra VALUES (?, ?, ?)");
        for (const TrackRecord& track : tracks) {
            const TrackTags& tags = track.Tags;
            upsert.reset();
            SQLite::bind(upsert, track.Path, track.Stamp.Size, track.Stamp.MTime, tags.Artist,
                         tags.Title, tags.Album, tags.Isrc, tags.Composer, tags.Publisher,
                         tags.Genre, tags.Year, tags.Bpm);
            upsert.executeStep();
            const std::int64_t id = upsert.getColumn(0).getInt64();
            upsert.reset();
            clearExtra.reset();
            clearExtra.bind(1, id);
            clearExtra.exec();
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

DbRead<std::optional<TrackRecord>> StationDb::Track(const std::string& path) {
    return Guarded<std::optional<TrackRecord>>([&](SQLite::Database& db) {
        SQLite::Statement query(db,
                                "SELECT id, size, mtime, artist, title, album, isrc, composer, "
                                "publisher, genre, year, bpm FROM tracks WHERE path = ?");
        query.bind(1, path);
        std::optional<TrackRecord> found;
        if (!query.executeStep()) {
            return found;
        }
        TrackRecord& track = found.emplace();
        track.Path = path;
        track.Stamp = {OrUnknown(query.getColumn(1)), OrUnknown(query.getColumn(2))};
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
        std::vector<std::int64_t> gone;
        SQLite::Statement all(db, "SELECT id, path FROM tracks");
        while (all.executeStep()) {
            if (!keep.contains(all.getColumn(1).getString())) {
                gone.push_back(all.getColumn(0).getInt64());
            }
        }
        SQLite::Statement remove(db, "DELETE FROM tracks WHERE id = ?");
        for (const std::int64_t id : gone) {
            remove.reset();
            remove.bind(1, id);
            remove.exec();
        }
        transaction.commit();
        return static_cast<int>(gone.size());
    });
}

DbStatus StationDb::DefineAttribute(const AttributeDef& attribute) {
    return Guarded<bool>([&](SQLite::Database& db) {
        SQLite::Transaction transaction(db, SQLite::TransactionBehavior::IMMEDIATE);
        SQLite::Statement upsert(db,
                                 "INSERT INTO attributes (name, source, banding) VALUES (?, ?, ?) "
                                 "ON CONFLICT(name) DO UPDATE SET source = excluded.source, "
                                 "banding = excluded.banding RETURNING id");
        SQLite::bind(upsert, attribute.Name, attribute.Source, attribute.Banding);
        upsert.executeStep();
        const std::int64_t id = upsert.getColumn(0).getInt64();
        upsert.reset();
        const std::set<std::string> listed(attribute.Values.begin(), attribute.Values.end());
        SQLite::Statement old(db, "SELECT value FROM attribute_values WHERE attribute_id = ?");
        old.bind(1, id);
        std::vector<std::string> dropped;
        while (old.executeStep()) {
            if (!listed.contains(old.getColumn(0).getString())) {
                dropped.push_back(old.getColumn(0).getString());
            }
        }
        SQLite::Statement drop(db,
                               "DELETE FROM attribute_values WHERE attribute_id = ? AND value = ?");
        for (const std::string& value : dropped) {
            drop.reset();
            SQLite::bind(drop, id, value);
            drop.exec();
        }
        SQLite::Statement add(db,
                              "INSERT INTO attribute_values VALUES (?, ?, ?) ON CONFLICT DO "
                              "UPDATE SET position = excluded.position");
        for (std::size_t i = 0; i < attribute.Values.size(); ++i) {
            add.reset();
            SQLite::bind(add, id, static_cast<int>(i), attribute.Values[i]);
            add.exec();
        }
        transaction.commit();
        return true;
    });
}

DbRead<std::vector<AttributeDef>> StationDb::Attributes() {
    return Guarded<std::vector<AttributeDef>>([&](SQLite::Database& db) {
        std::vector<AttributeDef> attributes;
        SQLite::Statement query(db, "SELECT id, name, source, banding FROM attributes ORDER BY id");
        SQLite::Statement values(
            db, "SELECT value FROM attribute_values WHERE attribute_id = ? ORDER BY position");
        while (query.executeStep()) {
            AttributeDef& attribute = attributes.emplace_back();
            attribute.Name = query.getColumn(1).getString();
            attribute.Source = query.getColumn(2).getString();
            attribute.Banding = query.getColumn(3).getString();
            values.reset();
            values.bind(1, query.getColumn(0).getInt64());
            while (values.executeStep()) {
                attribute.Values.push_back(values.getColumn(0).getString());
            }
        }
        return attributes;
    });
}

DbStatus StationDb::SetAttribute(const std::string& attribute,
                                 const std::vector<std::pair<std::string, std::string>>& values) {
    return Guarded<bool>([&](SQLite::Database& db) {
        SQLite::Transaction transaction(db, SQLite::TransactionBehavior::IMMEDIATE);
        SQLite::Statement find(db, "SELECT id FROM attributes WHERE name = ?");
        find.bind(1, attribute);
        if (!find.executeStep()) {
            throw Refusal(Format(tr("There is no attribute \"%0:s\"."), attribute));
        }
        const std::int64_t id = find.getColumn(0).getInt64();
        std::set<std::string> allowed;
        SQLite::Statement known(db, "SELECT value FROM attribute_values WHERE attribute_id = ?");
        known.bind(1, id);
        while (known.executeStep()) {
            allowed.insert(known.getColumn(0).getString());
        }
        SQLite::Statement addTrack(db,
                                   "INSERT INTO tracks (path) VALUES (?) ON CONFLICT DO NOTHING");
        SQLite::Statement set(db,
                              "INSERT INTO track_attributes SELECT id, ?, ? FROM tracks WHERE "
                              "path = ? ON CONFLICT DO UPDATE SET value = excluded.value");
        SQLite::Statement clear(db,
                                "DELETE FROM track_attributes WHERE attribute_id = ? AND "
                                "track_id = (SELECT id FROM tracks WHERE path = ?)");
        for (const auto& [path, value] : values) {
            if (value.empty()) {
                clear.reset();
                SQLite::bind(clear, id, path);
                clear.exec();
                continue;
            }
            if (!allowed.contains(value)) {
                throw Refusal(Format(tr("\"%0:s\" is not a value of the attribute \"%1:s\"."),
                                     value, attribute));
            }
            addTrack.reset();
            addTrack.bind(1, path);
            addTrack.exec();
            set.reset();
            SQLite::bind(set, id, value, path);
            set.exec();
        }
        transaction.commit();
        return true;
    });
}

DbRead<std::map<std::string, std::string>> StationDb::AttributesOf(const std::string& path) {
    return Guarded<std::map<std::string, std::string>>([&](SQLite::Database& db) {
        std::map<std::string, std::string> found;
        SQLite::Statement query(db,
                                "SELECT a.name, ta.value FROM track_attributes ta "
                                "JOIN attributes a ON a.id = ta.attribute_id "
                                "JOIN tracks t ON t.id = ta.track_id WHERE t.path = ?");
        query.bind(1, path);
        while (query.executeStep()) {
            found[query.getColumn(0).getString()] = query.getColumn(1).getString();
        }
        return found;
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
            SQLite::Backup(copy, *db_).executeStep();
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

}  // namespace spindle
