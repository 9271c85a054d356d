#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fileinfo/tags.h"

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
struct TrackStamp {
    std::int64_t Size = -1;
    std::int64_t MTime = -1;  // seconds since the epoch, as stat gives it
    bool operator==(const TrackStamp&) const = default;
};

struct TrackRecord {
    std::string Path;  // UTF-8
    TrackStamp Stamp;
    TrackTags Tags;
};

struct AttributeDef {
    std::string Name;
    std::string Source = "hand";      // "hand", a tag field ("bpm", "genre") or a free text key
    std::string Banding;              // how a numeric tag falls into the values; kept as written
    std::vector<std::string> Values;  // in the order the operator gave them
    bool operator==(const AttributeDef&) const = default;
};

// "Station.db" in the data folder: what the classic data files do not hold (tags,
// attributes). Those files stay the authority for what they hold; a folder without the
// database works as before, so it is made only by the first feature that needs it.
// Every call catches the database's own errors and hands back a message instead.
class StationDb {
public:
    static constexpr int kSchemaVersion = 1;
    enum class Mode { IfExists, OrCreate };

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
    DbRead<std::optional<TrackRecord>> Track(const std::string& path);
    // Whether the tags kept for `path` were read from the file as it is now.
    bool IsCurrent(const std::string& path, const TrackStamp& stamp);
    // Forgets every track whose path is not in `present`, with its attribute values.
    DbRead<int> RemoveTracksExcept(const std::vector<std::string>& present);

    // Adds an attribute or replaces the one of that name. A value no longer listed is
    // cleared from every track that had it.
    DbStatus DefineAttribute(const AttributeDef& attribute);
    DbRead<std::vector<AttributeDef>> Attributes();
    // Sets `attribute` on many tracks at once (path, value; an empty value clears it), all
    // or none. A track not yet scanned is added, to be read by the next scan.
    DbStatus SetAttribute(const std::string& attribute,
                          const std::vector<std::pair<std::string, std::string>>& values);
    // The attributes set on one track, by name.
    DbRead<std::map<std::string, std::string>> AttributesOf(const std::string& path);

    // A consistent copy of the database at `target`, taken while it stays in use.
    DbStatus Backup(const std::filesystem::path& target);

private:
    void Open(bool create);
    void Migrate();
    template <typename T, typename F>
    DbRead<T> Guarded(F&& work);

    std::filesystem::path file_;
    std::unique_ptr<SQLite::Database> db_;
    std::string problem_;
};

}  // namespace spindle
