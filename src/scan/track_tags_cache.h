#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "fileinfo/name_conventions.h"
#include "stationdb/station_db.h"

namespace spindle {

class FileByteSource;

// Where a station takes its tracks' artist and title from: their file names, or their
// tags with the file name's artist or title where a tag lacks one.
enum class ArtistTitleSource { FileName, Tags };

// The station's choice, kept in the station database (Options.dat keeps its format): the
// file name for a data folder without the database or that never chose.
DbRead<ArtistTitleSource> ReadArtistTitleSource(StationDb& db);
DbRead<ArtistTitleSource> ReadArtistTitleSource(const std::filesystem::path& dataFolder);
// Keeps the choice; the database is made for the tags only, the file name being what a
// folder without it has. The tracks' artists follow from their next load or Reload All.
DbStatus SetArtistTitleSource(const std::filesystem::path& dataFolder, ArtistTitleSource source);

// What a scan learns of one file.
struct TagReading {
    bool Stamped = false;  // the file could be looked at; else it is out of reach
    TrackStamp Stamp;
    bool Read = false;  // its tags were read now: it is new, or changed since they were kept
    std::optional<TrackTags> Tags;  // what was read; none when the file holds no tag
};

// One Category scan's tags: what the station database keeps for the files under the
// Category's folders, asked for once at the start; the tags of the files that are new or
// changed since (by size and time), read on the scan's threads; all of it kept in one
// transaction at the end.
class TagScan {
public:
    TagScan(StationDb& db, std::unordered_map<std::string, KeptTrack> kept,
            std::vector<std::string> roots, TaggedNames* names);

    // The file's stamp, and its tags unless those kept are of the file as it is now; from
    // `file` when the caller has the file open already. Safe on several threads at once.
    TagReading Read(const std::string& path, const FileByteSource* file = nullptr) const;
    // Room for the readings of `files` files, so taking them in moves none.
    void Expect(std::size_t files) { read_.reserve(files); }
    // Takes the reading of the file at `path` in, on the scan's own thread.
    void Take(const std::string& path, TagReading reading);
    // Keeps what was read, and forgets the tracks kept under the scanned folders that
    // `present` (the paths the Category now holds) no longer holds and whose files are gone (not
    // those `outOfReach` says may only be out of reach).
    DbStatus Finish(const std::unordered_set<std::string_view>& present,
                    const std::function<bool(std::string_view)>& outOfReach);

private:
    void Name(const std::string& path, const std::string& artist, const std::string& title);

    StationDb& db_;
    std::unordered_map<std::string, KeptTrack> kept_;
    std::vector<std::string> roots_;
    TaggedNames* names_;  // filled when the station takes artist and title from the tags
    std::vector<TrackRecord> read_;
};

// What lasts from one scan to the next: whether the station takes artist and title from
// the tags, the names they gave, and whether a database problem was told; and, through
// the load of every group, the database, so it is opened and put in order once.
// A kept track is forgotten by the scan of a Category whose folders held it once its file
// is gone; the tracks of folders no Category scans any more stay, with what was set on
// them by hand.
class TrackTagsCache {
public:
    struct Start {
        std::unique_ptr<TagScan> Scan;  // none when nothing needs the tags
        std::string Problem;            // to tell the operator: the scan goes on without tags
    };
    // A Category scan over the folder entries `roots`. Nothing needs the tags unless the
    // station takes artist and title from them, or has an attribute taken from a tag, or
    // any rule; a folder without the database needs none, and gets none.
    Start Begin(const std::filesystem::path& dataFolder, const std::vector<std::string>& roots);
    // Ends a Category scan: the problem to tell, if any.
    std::string Finish(TagScan& scan, const std::unordered_set<std::string_view>& present,
                       const std::function<bool(std::string_view)>& outOfReach);
    // A new scan of one group, or of all of them (whose names are then gathered afresh):
    // the database is tried again, and a problem told again.
    void NewScan(bool allGroups);
    // The end of a scan: the database is closed.
    void EndScan() { db_.reset(); }

    // The names the tags gave, when the station takes artist and title from them.
    const TaggedNames* Names() const {
        return source_ == ArtistTitleSource::Tags ? &names_ : nullptr;
    }

private:
    // The database cannot be used: no more tags for this scan, and the operator is told
    // once.
    std::string Trouble(std::string problem);

    ArtistTitleSource source_ = ArtistTitleSource::FileName;
    TaggedNames names_;
    std::unique_ptr<StationDb> db_;  // from the first Category's scan to the scan's end
    bool troubled_ = false;          // the database failed since the last NewScan
    bool told_ = false;
};

}  // namespace spindle
