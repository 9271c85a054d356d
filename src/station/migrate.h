#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace spindle {

// Bringing a data folder over from a Windows station: its paths ("C:\Music\...",
// "\\server\share\...") are mapped to where the files are on this machine, its track
// lists keep every last use and duration, and its files are rewritten in place, each
// behind its ".bak".

// "C:\Music=/srv/music": a Windows folder and the folder that holds its files here.
struct PathMapping {
    std::string From;
    std::string To;
};

// Splits "FROM=TO" at the first "="; nothing when either side is empty.
std::optional<PathMapping> ParsePathMapping(std::string_view text);

// A drive path ("C:\...", "c:/...") or a network path ("\\server\share\...").
bool IsWindowsPath(std::string_view path);

// Maps Windows paths through the mappings (the longest From that matches wins; drive
// letters, server names and the rest of the From part match without regard to case)
// and finds the result on disk, folding the case of each component that does not
// exist as written, since Windows paths were case-blind.
class PathMapper {
public:
    explicit PathMapper(std::vector<PathMapping> mappings);

    struct Result {
        std::string Path;      // the mapped path, or the path as given
        bool Windows = false;  // the path was a Windows path
        bool Mapped = false;   // a mapping covered it
        bool Exists = false;   // it names something on disk
        bool Folded = false;   // a component's case had to be folded to find it
    };
    Result Map(std::string_view path) const;

private:
    std::vector<PathMapping> mappings_;  // From and To with "/" and no trailing "/"
};

struct MigratedGroup {
    std::string Name;
    bool Spot = false;
    long Found = 0;                         // folders and tracks that map to something on disk
    long Missing = 0;                       // those that do not
    std::vector<std::string> FirstMissing;  // the first few of them
};

struct MigrationReport {
    std::vector<MigratedGroup> Groups;
    std::vector<std::string> Notes;    // folded names, unmapped options, unreadable lines
    std::vector<std::string> Written;  // files written (or that a real run would write)
    std::string Failure;               // empty unless the migration could not be done
    bool AllFound() const;
};

// Migrates the data folder `data` in place; with `dryRun` nothing is written and the
// report tells what would be.
MigrationReport MigrateDataFolder(const std::filesystem::path& data,
                                  const std::vector<PathMapping>& mappings, bool dryRun);

}  // namespace spindle
