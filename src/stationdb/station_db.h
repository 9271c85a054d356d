#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/datetime.h"
#include "fileinfo/tags.h"
#include "stationdb/history.h"

namespace SQLite {
class Database;
}

namespace spindle {

// What a call on the station database left: nothing, or a message for the operator.
struct DbStatus {
    std::string Problem;
    explicit operator bool() const { return Problem.empty(); }
};

template <typename T>
struct DbRead : DbStatus {
    T Value{};
};

// The file facts a scan keeps to know whether a file changed since it read its tags.
// A tagger that keeps the size (padding) and sets the time back, or writes twice within a
// second, changes the status-change time all the same.
struct TrackStamp {
    std::int64_t Size = -1;
    std::int64_t MTime = -1;  // nanoseconds since the epoch, as stat gives them
    std::int64_t CTime = -1;  // the status change, likewise
    bool operator==(const TrackStamp&) const = default;
};

// The stamp of the file at `path` as a scan takes it; none when it is no regular file.
std::optional<TrackStamp> FileStamp(const std::string& path);

struct TrackRecord {
    std::string Path;  // UTF-8
    TrackStamp Stamp;
    TrackTags Tags;
};

// What a scan needs of a kept track: whether to read it again, and its names.
struct KeptTrack {
    TrackStamp Stamp;
    std::string Artist, Title;
};

// An attribute a station schedules by (stationdb/attribute_source.h tells how a source and
// a banding give a track its value).
struct AttributeDef {
    std::string Name;
    std::string Source = "hand";      // "hand", a tag field ("bpm", "genre") or a free text key
    std::string Banding;              // how a numeric tag falls into the values; kept as written
    std::vector<std::string> Values;  // in the order the operator gave them
    bool operator==(const AttributeDef&) const = default;
};

// Values to set, by attribute name: (path, value) pairs, an empty value clearing one.
using AttributeValues = std::map<std::string, std::vector<std::pair<std::string, std::string>>>;

// A track as the database keeps it, for reading every track at once.
struct StoredTrack {
    std::string Path;
    TrackTags Tags;
    std::map<std::string, std::string> HandValues;  // attribute name -> value set by hand
};

// By attribute name, how many tracks have each value set by hand.
using HandValueCounts = std::map<std::string, std::map<std::string, long long>>;

// Rules as text, by scope: "" for the station's, else a Category's name.
using RuleTexts = std::map<std::string, std::vector<std::string>>;

// A track that went on the air, as the rules look back at it.
struct Airing {
    std::string Path;  // UTF-8, as the Category holds it
    TDateTime AiredAt = 0.0;
    std::string Category;
    bool operator==(const Airing&) const = default;
};

// "Station.db" in the data folder: what the classic data files do not hold (tags,
// attributes). Those files stay the authority for what they hold; a folder without the
// database works as before, so it is made only by the first feature that needs it.
// Every call catches the database's own errors and hands back a message instead.
class StationDb {
public:
    static constexpr int kSchemaVersion = 4;
    // IfExists and ReadOnly leave a folder without the database as it is; ReadOnly opens it
    // only to read (a database of an older schema is still brought forward first), so a
    // run that reads while another program writes waits for no lock of its own.
    enum class Mode { IfExists, OrCreate, ReadOnly };

    StationDb(const std::filesystem::path& dataFolder, Mode mode);
    ~StationDb();
    StationDb(const StationDb&) = delete;
    StationDb& operator=(const StationDb&) = delete;

    static std::filesystem::path FileIn(const std::filesystem::path& dataFolder);

    bool IsOpen() const { return db_ != nullptr; }
    // When not open: why, or empty when the folder simply has no database (IfExists).
    const std::string& Problem() const { return problem_; }

    // Stores each track's stamp and tags, adding or replacing it by path; all or none.
    DbStatus StoreTracks(const std::vector<TrackRecord>& tracks);
    // StoreTracks, and forgets the tracks of `gone` with their attribute values, in one
    // transaction.
    DbStatus UpdateTracks(const std::vector<TrackRecord>& tracks,
                          const std::vector<std::string>& gone);
    // The kept tracks whose paths begin with one of `prefixes`, by path: one query a
    // prefix, so a scan asks once for all its folders' files.
    DbRead<std::unordered_map<std::string, KeptTrack>> KeptTracks(
        const std::vector<std::string>& prefixes);
    DbRead<std::optional<TrackRecord>> Track(const std::string& path);
    // Whether the tags kept for `path` were read from the file as it is now.
    bool IsCurrent(const std::string& path, const TrackStamp& stamp);
    // Forgets every track whose path is not in `present`, with its attribute values.
    DbRead<int> RemoveTracksExcept(const std::vector<std::string>& present);

    // Adds an attribute or replaces the one of that name. A value no longer listed is
    // cleared from every track that had it. A definition AttributeProblem finds fault with
    // is refused with its message.
    DbStatus DefineAttribute(const AttributeDef& attribute);
    DbRead<std::vector<AttributeDef>> Attributes();
    // Removes an attribute with the values tracks have of it; refused with what `refusal`
    // says of the rules as the same transaction reads them (empty: it may go). The rules'
    // own check is RemoveAttribute(db, name) of rules/attribute_use.h.
    DbStatus RemoveAttribute(const std::string& name,
                             const std::function<std::string(const RuleTexts&)>& refusal);
    // Sets `attribute` on many tracks at once (path, value; an empty value clears it), all
    // or none. A track not yet scanned is added, to be read by the next scan.
    DbStatus SetAttribute(const std::string& attribute,
                          const std::vector<std::pair<std::string, std::string>>& values);
    // Sets several attributes as SetAttribute does, all of them or none.
    DbStatus SetAttributes(const AttributeValues& values);
    // Every track the database knows, in a few bulk reads. Tags.Extra holds only the free
    // text fields named in `extraKeys` (upper case), as reading every one costs; without
    // `everyField`, the tags hold only artist, title and album.
    DbRead<std::vector<StoredTrack>> StoredTracks(const std::vector<std::string>& extraKeys,
                                                  bool everyField = true);
    // The attributes set on one track, by name.
    DbRead<std::map<std::string, std::string>> AttributesOf(const std::string& path);
    // How many tracks hold each value set by hand, in one grouped read.
    DbRead<HandValueCounts> HandValuesHeld();

    // A station setting kept beyond Options.dat; empty when never set.
    DbRead<std::string> Setting(const std::string& key);
    DbStatus SetSetting(const std::string& key, const std::string& value);

    // Every scope's rules in their order, as text: the station's under "", each
    // Category's own under its name.
    DbRead<RuleTexts> Rules();
    // Replaces one scope's rules; an empty list removes them.
    DbStatus SetRules(const std::string& scope, const std::vector<std::string>& rules);
    // Defines `attributes` (as DefineAttribute) and replaces every scope's rules with
    // `rules`, all or none.
    DbStatus ReplaceRuleBook(const std::vector<AttributeDef>& attributes, const RuleTexts& rules);

    // The play history (station_db_history.cpp).
    // Records what a run, an editor save or an import put on the air, with the run, all
    // or none; the number of airings recorded. A run or an editor save replaces what was
    // recorded for the hours of its period (an item that overran into them from the hour
    // before stays), except the hours the as-run log told of: what aired there stays as
    // it aired, and the new airings of those hours are not recorded. An import records only the
    // hours nothing recorded yet, and nothing at all when it brings nothing new. A file
    // the history does not know is named by `describe`; one moved, with the same artist,
    // title and length, is the recording it was.
    DbRead<int> RecordRun(const RunRecord& run, const std::vector<LogAiring>& airings,
                          const DescribeRecording& describe);
    // The tracks aired from `from` up to `to`, in time order, for the rules that look back.
    DbRead<std::vector<Airing>> Airings(TDateTime from, TDateTime to);
    // Every airing from `from` up to `to` (seconds) as reports read them, in time order:
    // when the as-run log told what aired, at its real time.
    DbRead<std::vector<HistoryAiring>> History(std::int64_t from, std::int64_t to);
    // Of the days from `from` up to `to` that hold airings, how many an as-run log told of.
    DbRead<AsRunCoverage> AsRunDays(std::int64_t from, std::int64_t to);
    // How many airings the history holds.
    DbRead<long long> AiringCount();
    // Forgets the airings of the files at `paths`; their recordings stay.
    DbRead<int> ForgetHistory(const std::vector<std::string>& paths);
    // Matches what the playout system says it started to the scheduled airings: the same
    // file within `windowSeconds` of its time, the nearest. A line with none is an airing
    // nobody scheduled; what was due from the first line to a window before the last and
    // never started is marked not aired. A line already read is left as it is, so a log
    // read twice changes nothing.
    DbRead<AsRunResult> RecordAsRun(const std::vector<AsRunLine>& lines, int windowSeconds,
                                    const DescribeRecording& describe);
    // Average listeners by hour start, replacing those of the same hours.
    DbStatus SetListeners(const std::vector<std::pair<std::int64_t, double>>& figures);
    DbRead<std::map<std::int64_t, double>> Listeners(std::int64_t from, std::int64_t to);

    // A consistent copy of the database at `target`, taken while it stays in use.
    DbStatus Backup(const std::filesystem::path& target);

private:
    void Open(bool create);
    bool OpenToRead();
    std::string Newer(int version) const;
    void TakeFolderMode() const;
    // How long a call waits for another program's write to end before it gives up.
    static constexpr int kBusyMilliseconds = 2000;
    void Migrate();
    static void Define(SQLite::Database& db, const AttributeDef& attribute);
    static void SetValues(SQLite::Database& db, const std::string& attribute,
                          const std::vector<std::pair<std::string, std::string>>& values);
    template <typename T, typename F>
    DbRead<T> Guarded(F&& work);

    std::filesystem::path file_;
    std::unique_ptr<SQLite::Database> db_;
    std::string problem_;
};

// Whether `folder` is on a file system shared over the network (NFS, SMB, FUSE, ...).
bool OnNetworkShare(const std::filesystem::path& folder);

}  // namespace spindle
