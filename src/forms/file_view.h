#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "base/format_settings.h"
#include "rules/track_facts.h"
#include "station/details.h"
#include "stationdb/station_db.h"

namespace spindle {

class Station;

// The file viewer of a Category or Spot Group: its rows, its sort and the properties
// of one track, kept here so the window only shows them.

// The columns, numbered as the sort key counts them.
enum FileColumn : int { kColPosition = 1, kColFilename, kColDuration, kColLastUsed, kColModified };

struct FileViewRow {
    std::string Position;  // Index + 1
    std::string Filename;  // without its folder
    std::string Duration;  // hh:nn:ss
    std::string LastUsed;  // "ddddd hh:nn", or "     Never" for a track never used
    std::string Modified;  // "ddddd hh:nn"
};
FileViewRow FileViewRowOf(const FileRec& file, const FormatSettings& settings);

// Clicking column `column` sorts by it ascending, or descending when it already was.
inline int NextSortKey(int currentKey, int column) {
    return currentKey == column ? -column : column;
}

// A Category's list shows the station's attributes as columns after the five: each
// file's value of each, as the station database gives it (a value set by hand, else the
// one its tags give), read in one load for the whole list.
struct FileAttributeColumns {
    std::vector<AttributeDef> Attributes;
    // By file (as the group holds them) and attribute: the value's place in the
    // attribute's list, -1 for none.
    std::vector<int> Places;
    int Place(std::size_t file, std::size_t attribute) const {
        return Places[file * Attributes.size() + attribute];
    }
    // The value's text, empty for none.
    const std::string& Text(std::size_t file, std::size_t attribute) const;
};
FileAttributeColumns AttributeColumnsOf(const std::vector<FileRec>& files,
                                        std::vector<AttributeDef> attributes,
                                        const TrackFactsByPath& facts);
// The columns of a data folder's station; one without the database has none.
DbRead<FileAttributeColumns> LoadAttributeColumns(const std::filesystem::path& dataFolder,
                                                  const std::vector<FileRec>& files);
// Sets `attribute` to `value` (empty: clears the value set by hand) on every one of
// `files`, all of them or none.
DbStatus SetAttributeOf(const std::filesystem::path& dataFolder, const std::string& attribute,
                        const std::vector<const FileRec*>& files, const std::string& value);

// The order of `files` (indexes into it) for a sort key: +n by column n ascending,
// -n descending, 0 as they are. File names compare without regard to case in the
// order of the user's language; the attribute columns after the five (when given) by
// the order of their values, tracks without one first.
std::vector<std::size_t> SortedFileOrder(const std::vector<FileRec>& files, int key,
                                         const FileAttributeColumns* attributes = nullptr);

// A track already taken in the group's current play order.
inline bool IsTaken(const FileRec& file, std::uint32_t nextItem) {
    return file.Index >= 0 && static_cast<std::uint32_t>(file.Index) < nextItem;
}

// What the properties dialog shows of a track.
struct FileProperties {
    std::string Caption;  // "<file name> Properties"
    std::string Filename;
    std::string Folder;
    std::string GroupLabel;  // "Category Name:" or "Spot Group:"
    std::string Group;
    std::string Modified;      // "dddddd tt"
    std::string Size;          // "1,234,567 bytes"
    TDateTime LastDate = 1.0;  // the day of the last use; day 1 for "never"
    TDateTime LastTime = 0.0;  // its time of day
    std::uint16_t Duration = 0;
    // Categories' durations may always be corrected; a Spot Group's only for entries
    // whose length is not read from the file (programs, batch files, lists).
    bool DurationEditable = true;
};
FileProperties PropertiesOf(const TCustomDetails& group, const FileRec& file,
                            const FormatSettings& settings);

// The longest duration a track can hold: 18:12:15.
inline constexpr std::uint32_t kMaxDurationSeconds = 65535;

// OK in the properties dialog: the last use from the picked date and time (day 1 and
// midnight for "never") when it changed, kept through runs that fail or are cancelled;
// the duration in seconds (held to what a track can hold); the track lists are to be
// saved.
void ApplyFileProperties(Station& station, FileRec& file, TDateTime lastDate, TDateTime lastTime,
                         std::uint32_t durationSeconds);

}  // namespace spindle
