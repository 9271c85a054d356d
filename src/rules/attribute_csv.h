#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace spindle {

// The station's attribute values as a comma-separated file, to edit in bulk: a "path"
// column, then one column per attribute named in the header row, one track a row.
// A path is the track's full path exactly as its Category holds it. A cell holds the
// track's value: set by hand, or else what its tags give (stationdb/attribute_source.h).
// Files are UTF-8; an import takes Windows-1252 too, as spreadsheets may save it.

struct AttributeExport {
    std::string Problem;  // why the file could not be written; empty when it was
    long long Tracks = 0;
    long long Attributes = 0;
};

// Writes every track the database knows and every track of `stationPaths`, sorted by path.
AttributeExport ExportAttributes(const std::filesystem::path& dataFolder,
                                 const std::vector<std::string>& stationPaths,
                                 const std::filesystem::path& file);

struct AttributeImport {
    std::string Problem;            // why nothing was imported; empty when rows were applied
    std::vector<std::string> Rows;  // "line 7: ..." for each row that could not be applied
    long long Applied = 0;
};

// Sets the values the file gives on the tracks it names, every good row in one go. A
// column naming no attribute refuses the whole file; a row with a value that is none of
// its attribute's, a wrong number of fields or a path the station does not know (the
// database's tracks and `stationPaths`) is skipped and reported by its line. An attribute
// without a column is left as it is; an empty cell removes a value set by hand, and a
// cell equal to what the track's tags give stores no hand value, so the track follows its
// tags when they change (a value set by hand already stays so: an export imported again
// changes nothing). A header with more semicolons than commas makes a ";" file.
AttributeImport ImportAttributes(const std::filesystem::path& dataFolder,
                                 const std::vector<std::string>& stationPaths,
                                 const std::filesystem::path& file);

}  // namespace spindle
