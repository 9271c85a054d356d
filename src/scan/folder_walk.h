#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace spindle {

enum class PathKind { Missing, File, Folder };

struct PathInfo {
    PathKind Kind = PathKind::Missing;
    std::uint32_t DosDate = 0;  // last write, local DOS date-time; 0 when unknown
};

// What a path is; symbolic links are followed.
PathInfo FileKind(const std::string& path);
// The DOS date-time of a file's last write, 0 when it cannot be had.
std::uint32_t FileDosDate(const std::string& path);

// Walks a group's folder list in order: a listed file is offered as it is; a listed
// folder offers its visible files (names not starting with "."), in name order, and
// with `subfolders` its visible sub-folders join the end of the list, so they are
// scanned breadth first after every listed entry. A folder reached twice (through a
// link) is scanned once.
struct FolderWalkCallbacks {
    std::function<void(const std::string& entry)> Missing;
    // A folder that exists but cannot be listed (no permission, a stale mount).
    std::function<void(const std::string& folder, const std::string& reason)> Unreadable;
    std::function<void(const std::string& folder, const std::string& name)> Offer;
    std::function<void()> AfterEntry;  // after each entry of the list that exists
};

void WalkFolders(const std::vector<std::string>& folders, bool subfolders,
                 const FolderWalkCallbacks& callbacks);

}  // namespace spindle
