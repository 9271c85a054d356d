#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>
#include <SQLiteCpp/VariadicBind.h>

#include <algorithm>
#include <map>
#include <set>
#include <unordered_map>

#include "stationdb/attribute_source.h"
#include "stationdb/station_db.h"
#include "stationdb/station_db_guard.h"

// The station's attributes and the values tracks have of them.

namespace spindle {

DbStatus StationDb::DefineAttribute(const AttributeDef& attribute) {
    return Guarded<bool>([&](SQLite::Database& db) {
        SQLite::Transaction transaction(db, SQLite::TransactionBehavior::IMMEDIATE);
        Define(db, attribute);
        transaction.commit();
        return true;
    });
}

void StationDb::Define(SQLite::Database& db, const AttributeDef& attribute) {
    if (std::string problem = AttributeProblem(attribute); !problem.empty()) {
        throw DbRefusal(problem);
    }
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
    SQLite::Statement drop(db, "DELETE FROM attribute_values WHERE attribute_id = ? AND value = ?");
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
}

DbStatus StationDb::RemoveAttribute(const std::string& name,
                                    const std::function<std::string(const RuleTexts&)>& refusal) {
    return Guarded<bool>([&](SQLite::Database& db) {
        SQLite::Transaction transaction(db, SQLite::TransactionBehavior::IMMEDIATE);
        const DbRead<RuleTexts> rules = Rules();
        if (!rules) {
            throw DbRefusal(rules.Problem);
        }
        if (std::string problem = refusal(rules.Value); !problem.empty()) {
            throw DbRefusal(problem);
        }
        // The values and the tracks' values of it go with it (ON DELETE CASCADE).
        SQLite::Statement remove(db, "DELETE FROM attributes WHERE name = ?");
        remove.bind(1, name);
        if (remove.exec() == 0) {
            throw DbRefusal(Format(tr("There is no attribute \"%0:s\"."), name));
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
    return SetAttributes({{attribute, values}});
}

DbStatus StationDb::SetAttributes(const AttributeValues& values) {
    return Guarded<bool>([&](SQLite::Database& db) {
        SQLite::Transaction transaction(db, SQLite::TransactionBehavior::IMMEDIATE);
        for (const auto& [attribute, list] : values) {
            SetValues(db, attribute, list);
        }
        transaction.commit();
        return true;
    });
}

void StationDb::SetValues(SQLite::Database& db, const std::string& attribute,
                          const std::vector<std::pair<std::string, std::string>>& values) {
    SQLite::Statement find(db, "SELECT id FROM attributes WHERE name = ?");
    find.bind(1, attribute);
    if (!find.executeStep()) {
        throw DbRefusal(Format(tr("There is no attribute \"%0:s\"."), attribute));
    }
    const std::int64_t id = find.getColumn(0).getInt64();
    std::set<std::string> allowed;
    SQLite::Statement known(db, "SELECT value FROM attribute_values WHERE attribute_id = ?");
    known.bind(1, id);
    while (known.executeStep()) {
        allowed.insert(known.getColumn(0).getString());
    }
    SQLite::Statement addTrack(db, "INSERT INTO tracks (path) VALUES (?) ON CONFLICT DO NOTHING");
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
            throw DbRefusal(
                Format(tr("\"%0:s\" is not a value of the attribute \"%1:s\"."), value, attribute));
        }
        addTrack.reset();
        addTrack.bind(1, path);
        addTrack.exec();
        set.reset();
        SQLite::bind(set, id, value, path);
        set.exec();
    }
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

DbRead<std::vector<StoredTrack>> StationDb::StoredTracks(const std::vector<std::string>& extraKeys,
                                                         bool everyField) {
    return Guarded<std::vector<StoredTrack>>([&](SQLite::Database& db) {
        // One read transaction, so the reads below see the same tracks.
        SQLite::Transaction transaction(db);
        std::vector<StoredTrack> tracks;
        std::vector<std::int64_t> ids;  // ascending, each track's at its index
        const auto count = db.execAndGet("SELECT count(*) FROM tracks").getInt64();
        tracks.reserve(static_cast<std::size_t>(count));
        ids.reserve(static_cast<std::size_t>(count));
        SQLite::Statement query(db, everyField
                                        ? "SELECT id, path, artist, title, album, isrc, composer, "
                                          "publisher, genre, year, bpm FROM tracks ORDER BY id"
                                        : "SELECT id, path, artist, title, album FROM tracks "
                                          "ORDER BY id");
        while (query.executeStep()) {
            ids.push_back(query.getColumn(0).getInt64());
            StoredTrack& track = tracks.emplace_back();
            track.Path = query.getColumn(1).getString();
            TrackTags& tags = track.Tags;
            tags.Artist = query.getColumn(2).getString();
            tags.Title = query.getColumn(3).getString();
            tags.Album = query.getColumn(4).getString();
            if (everyField) {
                tags.Isrc = query.getColumn(5).getString();
                tags.Composer = query.getColumn(6).getString();
                tags.Publisher = query.getColumn(7).getString();
                tags.Genre = query.getColumn(8).getString();
                tags.Year = query.getColumn(9).getInt();
                tags.Bpm = query.getColumn(10).getDouble();
            }
        }
        const auto byId = [&](std::int64_t id) -> StoredTrack& {
            const auto at = std::lower_bound(ids.begin(), ids.end(), id);
            if (at == ids.end() || *at != id) {
                throw DbRefusal(Format(tr("\"%0:s\" is damaged: a track's fields name no track."),
                                       file_.string()));
            }
            return tracks[static_cast<std::size_t>(at - ids.begin())];
        };
        SQLite::Statement extra(db, "SELECT track_id, value FROM track_extra WHERE key = ?");
        for (const std::string& key : extraKeys) {
            extra.reset();
            extra.bind(1, key);
            while (extra.executeStep()) {
                byId(extra.getColumn(0).getInt64()).Tags.Extra[key] =
                    extra.getColumn(1).getString();
            }
        }
        std::map<std::int64_t, std::string> names;
        SQLite::Statement attributes(db, "SELECT id, name FROM attributes");
        while (attributes.executeStep()) {
            names.emplace(attributes.getColumn(0).getInt64(), attributes.getColumn(1).getString());
        }
        SQLite::Statement hand(db, "SELECT track_id, attribute_id, value FROM track_attributes");
        while (hand.executeStep()) {
            // A value of an attribute no longer defined (changed by other means) is none.
            const auto name = names.find(hand.getColumn(1).getInt64());
            if (name != names.end()) {
                byId(hand.getColumn(0).getInt64())
                    .HandValues.emplace(name->second, hand.getColumn(2).getString());
            }
        }
        transaction.commit();
        return tracks;
    });
}

}  // namespace spindle
