#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>
#include <SQLiteCpp/VariadicBind.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <unordered_map>

#include "stationdb/station_db.h"
#include "stationdb/station_db_guard.h"

// The play history: recordings, the runs that scheduled them and their airings.

namespace spindle {

std::int64_t ClockSeconds(TDateTime t) {
    return std::llround(t * 86400.0);
}

TDateTime FromClockSeconds(std::int64_t seconds) {
    return static_cast<double>(seconds) / 86400.0;
}

namespace {

// The item type of tracks in a Playlist Log.
constexpr int kTrackType = 0;

// Finds or makes the recording of each file, one lookup a file, with the facts it airs
// with.
class Recordings {
public:
    Recordings(SQLite::Database& db, const DescribeRecording& describe)
        : describe_(describe),
          byPath_(db,
                  "SELECT id, artist, title, album, isrc, label, composer, duration FROM "
                  "recordings WHERE path = ? AND gone = 0"),
          tags_(db,
                "SELECT artist, title, album, isrc, publisher, composer FROM tracks WHERE path "
                "= ?"),
          moved_(db,
                 "SELECT id, path, gone FROM recordings WHERE artist = ? AND title = ? AND "
                 "abs(duration - ?) <= 1 AND artist <> '' ORDER BY id DESC"),
          update_(db,
                  "UPDATE recordings SET path = ?, artist = ?, title = ?, album = ?, isrc = ?, "
                  "label = ?, composer = ?, duration = ?, gone = 0 WHERE id = ?"),
          insert_(db,
                  "INSERT INTO recordings (path, artist, title, album, isrc, label, composer, "
                  "duration) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
          db_(db) {}

    struct Found {
        std::int64_t Id = 0;
        RecordingFacts Facts;
    };

    const Found& Of(const std::string& path, int duration) {
        if (const auto known = found_.find(path); known != found_.end()) {
            return known->second;
        }
        std::optional<std::int64_t> id;
        std::optional<RecordingFacts> kept;
        int keptDuration = 0;
        byPath_.reset();
        byPath_.bind(1, path);
        if (byPath_.executeStep()) {
            id = byPath_.getColumn(0).getInt64();
            kept = Facts(byPath_, 1);
            keptDuration = byPath_.getColumn(7).getInt();
        }
        byPath_.reset();
        tags_.reset();
        tags_.bind(1, path);
        if (tags_.executeStep()) {
            kept = Facts(tags_, 0);  // the last scan's tags are the newest word
        }
        tags_.reset();
        // Facts without a name (brought over from before the history named its recordings)
        // are no facts.
        const bool named = kept && (!kept->Artist.empty() || !kept->Title.empty());
        const RecordingFacts facts = describe_(path, named ? &*kept : nullptr);
        if (!id) {
            // A file moved: the recording of its name and length whose file went away.
            moved_.reset();
            SQLite::bind(moved_, facts.Artist, facts.Title, duration);
            while (!id && moved_.executeStep()) {
                std::error_code error;
                if (moved_.getColumn(2).getInt() != 0 ||
                    !std::filesystem::exists(moved_.getColumn(1).getString(), error)) {
                    id = moved_.getColumn(0).getInt64();
                    keptDuration = -1;  // its path is to be written
                }
            }
            moved_.reset();
        }
        const auto write = [&](SQLite::Statement& statement) {
            statement.reset();
            SQLite::bind(statement, path, facts.Artist, facts.Title, facts.Album, facts.Isrc,
                         facts.Label, facts.Composer, duration);
        };
        if (!id) {
            write(insert_);
            insert_.exec();
            id = db_.getLastInsertRowid();
        } else if (!kept || facts != *kept || keptDuration != duration) {
            write(update_);
            update_.bind(9, *id);
            update_.exec();
        }
        return found_[path] = Found{*id, facts};
    }

private:
    static RecordingFacts Facts(SQLite::Statement& row, int first) {
        RecordingFacts facts;
        std::string* fields[] = {&facts.Artist, &facts.Title, &facts.Album,
                                 &facts.Isrc,   &facts.Label, &facts.Composer};
        for (int i = 0; i < 6; ++i) {
            *fields[i] = row.getColumn(first + i).getString();
        }
        return facts;
    }

    const DescribeRecording& describe_;
    SQLite::Statement byPath_, tags_, moved_, update_, insert_;
    SQLite::Database& db_;
    std::unordered_map<std::string, Found> found_;
};

std::int64_t AddRun(SQLite::Database& db, const RunRecord& run) {
    SQLite::Statement add(db,
                          "INSERT INTO runs (period_from, period_to, saved_at, source, log) "
                          "VALUES (?, ?, ?, ?, ?)");
    SQLite::bind(add, run.From, run.To, run.SavedAt, static_cast<int>(run.Source), run.Log);
    add.exec();
    return db.getLastInsertRowid();
}

void AddAiring(SQLite::Statement& add, std::int64_t run, const Recordings::Found& recording,
               const LogAiring& airing, AiringState state, std::optional<std::int64_t> realAt) {
    const RecordingFacts& f = recording.Facts;
    add.reset();
    SQLite::bind(add, run, recording.Id, airing.At, airing.Hour, airing.Type, airing.Group,
                 airing.Duration, f.Artist, f.Title, f.Album, f.Isrc, f.Label, f.Composer,
                 static_cast<int>(state));
    if (realAt) {
        add.bind(15, *realAt);
    } else {
        add.bind(15);
    }
    add.exec();
}

constexpr const char* kAddAiring =
    "INSERT INTO airings (run_id, recording_id, aired_at, hour, type, grp, duration, artist, "
    "title, album, isrc, label, composer, state, real_at) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, "
    "?, ?, ?, ?, ?, ?)";

}  // namespace

DbRead<int> StationDb::RecordRun(const RunRecord& run, const std::vector<LogAiring>& airings,
                                 const DescribeRecording& describe) {
    return Guarded<int>([&](SQLite::Database& db) {
        SQLite::Transaction transaction(db, SQLite::TransactionBehavior::IMMEDIATE);
        // A damaged file would keep the plays where the next run may not read them back,
        // or lose them with the rest when it is restored: nothing is recorded into it.
        if (const std::string damage = DatabaseDamage(db); !damage.empty()) {
            throw DbRefusal(Format(tr("\"%0:s\" is damaged (%1:s). The plays are not kept in "
                                      "it: restore it from a backup, then run again."),
                                   file_.string(), damage));
        }
        // An import fills only the hours nothing recorded yet; a run or a save leaves the
        // hours the as-run log told of as they aired.
        std::set<std::int64_t> taken;
        SQLite::Statement hours(db, run.Source == AiringSource::Import
                                        ? "SELECT DISTINCT hour FROM airings WHERE hour >= ? AND "
                                          "hour < ?"
                                        : "SELECT DISTINCT hour FROM airings WHERE hour >= ? AND "
                                          "hour < ? AND state <> 0");
        SQLite::bind(hours, run.From, run.To);
        while (hours.executeStep()) {
            taken.insert(hours.getColumn(0).getInt64());
        }
        std::vector<const LogAiring*> fresh;
        for (const LogAiring& airing : airings) {
            if (!taken.contains(airing.Hour)) {
                fresh.push_back(&airing);
            }
        }
        if (fresh.empty() && run.Source == AiringSource::Import) {
            return 0;  // rolled back: an import that brings nothing leaves no run behind
        }
        const std::int64_t id = AddRun(db, run);
        if (run.Source != AiringSource::Import) {
            SQLite::Statement clear(db, "DELETE FROM airings WHERE hour = ? AND state = 0");
            for (std::int64_t hour = run.From - run.From % 3600; hour < run.To; hour += 3600) {
                if (!taken.contains(hour)) {
                    clear.reset();
                    clear.bind(1, hour);
                    clear.exec();
                }
            }
            // A run whose every airing was made again is superseded by this one.
            SQLite::Statement superseded(
                db,
                "UPDATE runs SET superseded_by = ? WHERE id <> ? AND superseded_by IS NULL AND "
                "period_from < ? AND period_to > ? AND NOT EXISTS (SELECT 1 FROM airings WHERE "
                "run_id = runs.id)");
            SQLite::bind(superseded, id, id, run.To, run.From);
            superseded.exec();
        }
        Recordings recordings(db, describe);
        SQLite::Statement add(db, kAddAiring);
        for (const LogAiring* airing : fresh) {
            AddAiring(add, id, recordings.Of(airing->Path, airing->Duration), *airing,
                      AiringState::Scheduled, std::nullopt);
        }
        transaction.commit();
        return static_cast<int>(fresh.size());
    });
}

DbRead<std::vector<Airing>> StationDb::Airings(TDateTime from, TDateTime to) {
    return Guarded<std::vector<Airing>>([&](SQLite::Database& db) {
        std::vector<Airing> airings;
        SQLite::Statement query(db,
                                "SELECT r.path, coalesce(a.real_at, a.aired_at), a.grp FROM "
                                "airings a JOIN recordings r ON r.id = a.recording_id WHERE "
                                "a.aired_at >= ? AND a.aired_at < ? AND a.type = ? AND a.state "
                                "<> ? ORDER BY a.aired_at");
        SQLite::bind(query, ClockSeconds(from), ClockSeconds(to), kTrackType,
                     static_cast<int>(AiringState::NotAired));
        while (query.executeStep()) {
            airings.push_back({query.getColumn(0).getString(),
                               FromClockSeconds(query.getColumn(1).getInt64()),
                               query.getColumn(2).getString()});
        }
        return airings;
    });
}

namespace {

// Scheduled airings may have aired up to a day off their time (the widest as-run window): a
// report's range is widened by that much and the airings outside it by their real time left out.
constexpr std::int64_t kLateness = 86400;

}  // namespace

DbRead<std::vector<HistoryAiring>> StationDb::History(std::int64_t from, std::int64_t to) {
    return Guarded<std::vector<HistoryAiring>>([&](SQLite::Database& db) {
        std::vector<HistoryAiring> airings;
        SQLite::Statement query(
            db,
            "SELECT a.aired_at, a.real_at, a.type, a.grp, a.duration, a.recording_id, r.path, "
            // A field the airing kept blank (one brought over from before the history kept
            // them, or one tagged since) is what the recording says now.
            "iif(a.artist = '', r.artist, a.artist), iif(a.title = '', r.title, a.title), "
            "iif(a.album = '', r.album, a.album), iif(a.isrc = '', r.isrc, a.isrc), "
            "iif(a.label = '', r.label, a.label), iif(a.composer = '', r.composer, a.composer), "
            "u.source, a.state FROM "
            "airings a JOIN recordings r ON r.id = a.recording_id JOIN runs u ON u.id = "
            "a.run_id WHERE a.aired_at >= ? AND a.aired_at < ? ORDER BY a.aired_at, a.id");
        SQLite::bind(query, from - kLateness, to + kLateness);
        while (query.executeStep()) {
            HistoryAiring a;
            const auto state = static_cast<AiringState>(query.getColumn(14).getInt());
            const std::int64_t planned = query.getColumn(0).getInt64();
            a.At = query.getColumn(1).isNull() ? planned : query.getColumn(1).getInt64();
            if (a.At < from || a.At >= to) {
                continue;
            }
            a.Planned = state == AiringState::Unscheduled ? 0 : planned;
            a.Type = query.getColumn(2).getInt();
            a.Group = query.getColumn(3).getString();
            a.Duration = query.getColumn(4).getInt();
            a.Recording = query.getColumn(5).getInt64();
            a.Path = query.getColumn(6).getString();
            std::string* fields[] = {&a.Facts.Artist, &a.Facts.Title, &a.Facts.Album,
                                     &a.Facts.Isrc,   &a.Facts.Label, &a.Facts.Composer};
            for (int i = 0; i < 6; ++i) {
                *fields[i] = query.getColumn(7 + i).getString();
            }
            a.Source = static_cast<AiringSource>(query.getColumn(13).getInt());
            a.State = state;
            airings.push_back(std::move(a));
        }
        std::stable_sort(
            airings.begin(), airings.end(),
            [](const HistoryAiring& x, const HistoryAiring& y) { return x.At < y.At; });
        return airings;
    });
}

DbRead<AsRunCoverage> StationDb::AsRunDays(std::int64_t from, std::int64_t to) {
    return Guarded<AsRunCoverage>([&](SQLite::Database& db) {
        SQLite::Statement query(db,
                                "SELECT count(DISTINCT aired_at / 86400), count(DISTINCT "
                                "iif(state <> 0, aired_at / 86400, NULL)) FROM airings WHERE "
                                "aired_at >= ? AND aired_at < ?");
        SQLite::bind(query, from, to);
        query.executeStep();
        return AsRunCoverage{query.getColumn(0).getInt(), query.getColumn(1).getInt()};
    });
}

DbRead<long long> StationDb::AiringCount() {
    return Guarded<long long>([&](SQLite::Database& db) {
        return static_cast<long long>(db.execAndGet("SELECT count(*) FROM airings").getInt64());
    });
}

DbRead<int> StationDb::ForgetHistory(const std::vector<std::string>& paths) {
    return Guarded<int>([&](SQLite::Database& db) {
        SQLite::Transaction transaction(db, SQLite::TransactionBehavior::IMMEDIATE);
        SQLite::Statement forget(db,
                                 "DELETE FROM airings WHERE recording_id IN (SELECT id FROM "
                                 "recordings WHERE path = ?)");
        int forgotten = 0;
        for (const std::string& path : paths) {
            forget.reset();
            forget.bind(1, path);
            forgotten += forget.exec();
        }
        transaction.commit();
        return forgotten;
    });
}

DbRead<AsRunResult> StationDb::RecordAsRun(const std::vector<AsRunLine>& lines, int windowSeconds,
                                           const DescribeRecording& describe) {
    return Guarded<AsRunResult>([&](SQLite::Database& db) {
        AsRunResult result;
        if (lines.empty()) {
            return result;
        }
        SQLite::Transaction transaction(db, SQLite::TransactionBehavior::IMMEDIATE);
        std::vector<AsRunLine> sorted = lines;
        std::stable_sort(sorted.begin(), sorted.end(),
                         [](const AsRunLine& x, const AsRunLine& y) { return x.At < y.At; });
        const std::int64_t first = sorted.front().At, last = sorted.back().At;
        SQLite::Statement known(db,
                                "SELECT 1 FROM airings a JOIN recordings r ON r.id = "
                                "a.recording_id WHERE a.real_at = ? AND r.path = ? LIMIT 1");
        SQLite::Statement nearest(
            db,
            "SELECT a.id FROM airings a JOIN recordings r ON r.id = a.recording_id WHERE "
            "r.path = ? AND a.state IN (0, 2) AND a.aired_at BETWEEN ? AND ? ORDER BY "
            "abs(a.aired_at - ?), a.aired_at LIMIT 1");
        SQLite::Statement aired(db, "UPDATE airings SET state = 1, real_at = ? WHERE id = ?");
        SQLite::Statement add(db, kAddAiring);
        std::optional<std::int64_t> run;
        std::optional<Recordings> recordings;
        for (const AsRunLine& line : sorted) {
            known.reset();
            SQLite::bind(known, line.At, line.Path);
            if (known.executeStep()) {
                ++result.Known;
                continue;
            }
            nearest.reset();
            SQLite::bind(nearest, line.Path, line.At - windowSeconds, line.At + windowSeconds,
                         line.At);
            if (nearest.executeStep()) {
                const std::int64_t id = nearest.getColumn(0).getInt64();
                nearest.reset();
                aired.reset();
                SQLite::bind(aired, line.At, id);
                aired.exec();
                ++result.Matched;
                continue;
            }
            nearest.reset();
            if (!run) {
                run = AddRun(db, {first, last + 1, AiringSource::AsRun, {}, first});
                recordings.emplace(db, describe);
            }
            // Played as it last aired: a spot stays a spot, and keeps its group and length.
            SQLite::Statement before(db,
                                     "SELECT a.type, a.grp, a.duration FROM airings a JOIN "
                                     "recordings r ON r.id = a.recording_id WHERE r.path = ? "
                                     "ORDER BY a.aired_at DESC LIMIT 1");
            before.bind(1, line.Path);
            const bool airedBefore = before.executeStep();
            const int duration = airedBefore ? before.getColumn(2).getInt() : 0;
            const LogAiring airing{line.At,
                                   line.At - line.At % 3600,
                                   airedBefore ? before.getColumn(0).getInt() : kTrackType,
                                   line.Path,
                                   airedBefore ? before.getColumn(1).getString() : std::string(),
                                   duration};
            AddAiring(add, *run, recordings->Of(line.Path, duration), airing,
                      AiringState::Unscheduled, line.At);
            ++result.Unscheduled;
        }
        // What was scheduled within the span the log covers and never started; what was due
        // within the window before its last line may yet start, and is left for the next
        // reading (which may also still find a line for an airing marked so).
        SQLite::Statement missed(db,
                                 "UPDATE airings SET state = 2 WHERE state = 0 AND aired_at >= "
                                 "? AND aired_at < ?");
        SQLite::bind(missed, first, last - windowSeconds);
        result.NotAired = missed.exec();
        transaction.commit();
        return result;
    });
}

DbStatus StationDb::SetListeners(const std::vector<std::pair<std::int64_t, double>>& figures) {
    return Guarded<bool>([&](SQLite::Database& db) {
        SQLite::Transaction transaction(db, SQLite::TransactionBehavior::IMMEDIATE);
        SQLite::Statement set(db,
                              "INSERT INTO listeners VALUES (?, ?) ON CONFLICT DO UPDATE SET "
                              "average = excluded.average");
        for (const auto& [hour, average] : figures) {
            set.reset();
            SQLite::bind(set, hour, average);
            set.exec();
        }
        transaction.commit();
        return true;
    });
}

DbRead<std::map<std::int64_t, double>> StationDb::Listeners(std::int64_t from, std::int64_t to) {
    return Guarded<std::map<std::int64_t, double>>([&](SQLite::Database& db) {
        std::map<std::int64_t, double> figures;
        SQLite::Statement query(db,
                                "SELECT hour, average FROM listeners WHERE hour >= ? AND hour < ?");
        SQLite::bind(query, from, to);
        while (query.executeStep()) {
            figures[query.getColumn(0).getInt64()] = query.getColumn(1).getDouble();
        }
        return figures;
    });
}

}  // namespace spindle
