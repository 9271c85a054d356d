#include "scan/folder_walk.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>
#include <utility>

#include "base/datetime.h"
#include "base/paths.h"

namespace spindle {
namespace {

struct Listing {
    std::vector<std::string> Files;
    std::vector<std::string> Folders;
    int Error = 0;  // errno when the folder could not be opened
};

Listing ListFolder(const std::string& folder) {
    Listing listing;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        listing.Error = errno;
        return listing;
    }
    const std::string prefix = IncludeTrailingDelimiter(folder);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.empty() || name[0] == '.') {
            continue;  // hidden, and "." and ".."
        }
        unsigned char type = entry->d_type;
        if (type == DT_LNK || type == DT_UNKNOWN) {
            struct stat st {};
            if (::stat((prefix + name).c_str(), &st) != 0) {
                continue;  // a broken link
            }
            type = S_ISDIR(st.st_mode) ? DT_DIR : (S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN);
        }
        if (type == DT_REG) {
            listing.Files.push_back(name);
        } else if (type == DT_DIR) {
            listing.Folders.push_back(name);
        }
    }
    ::closedir(dir);
    std::sort(listing.Files.begin(), listing.Files.end());
    std::sort(listing.Folders.begin(), listing.Folders.end());
    return listing;
}

}  // namespace

std::uint32_t FileDosDate(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return 0;
    }
    return DosDateTimeFromUnix(st.st_mtime);
}

PathInfo FileKind(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) {
        return {};
    }
    if (S_ISDIR(st.st_mode)) {
        return {PathKind::Folder, 0};
    }
    return {PathKind::File, DosDateTimeFromUnix(st.st_mtime)};
}

void WalkFolders(const std::vector<std::string>& folders, bool subfolders,
                 const FolderWalkCallbacks& callbacks) {
    std::vector<std::string> work = folders;
    std::set<std::pair<dev_t, ino_t>> seen;
    for (std::size_t i = 0; i < work.size(); ++i) {
        const std::string entry = work[i];
        struct stat st {};
        if (entry.empty() || ::stat(entry.c_str(), &st) != 0) {
            if (callbacks.Missing) {
                callbacks.Missing(entry);
            }
            continue;
        }
        if (!S_ISDIR(st.st_mode)) {
            if (callbacks.Offer) {
                callbacks.Offer(ExtractFilePath(entry), ExtractFileName(entry));
            }
        } else if (seen.insert({st.st_dev, st.st_ino}).second) {
            Listing listing = ListFolder(entry);
            if (listing.Error != 0 && callbacks.Unreadable) {
                callbacks.Unreadable(entry, std::strerror(listing.Error));
            }
            const std::string prefix = IncludeTrailingDelimiter(entry);
            for (const std::string& name : listing.Files) {
                if (callbacks.Offer) {
                    callbacks.Offer(prefix, name);
                }
            }
            if (subfolders) {
                for (const std::string& name : listing.Folders) {
                    work.push_back(prefix + name);
                }
            }
        }
        if (callbacks.AfterEntry) {
            callbacks.AfterEntry();
        }
    }
}

}  // namespace spindle
