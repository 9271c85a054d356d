#pragma once

// What the scans of Categories and Spot Groups share.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/datetime.h"
#include "base/operator.h"
#include "base/progress.h"
#include "scan/extensions.h"

namespace spindle {

// Counts offered files for the progress window, repainting every tenth.
class FileCounter {
public:
    FileCounter(Progress* progress, Operator& op) : progress_(progress), op_(op) {}
    void Count() {
        ++count_;
        if (progress_ != nullptr && count_ % 10 == 0) {
            progress_->SetCount(count_);
            op_.ProcessEvents();
        }
    }

private:
    Progress* progress_;
    Operator& op_;
    long count_ = 0;
};

// The file an offered name stands for, folder and name apart: a shortcut stands for
// its target. False when the file is to be skipped: its extension is not one `extensions`
// takes, or a shortcut leads nowhere (which `op` is told).
bool ResolveOffered(const std::string& offeredFolder, const std::string& offeredName,
                    std::string& folder, std::string& name, const ExtensionSet& extensions,
                    Operator& op);

TDateTime DateOfDos(std::uint32_t dos);

// Whether `path` is the folder-list entry `root` or lies below it.
bool IsBelow(std::string_view path, std::string_view root);

// The entries of a group's folder list that could not be scanned (a share not mounted,
// a folder without permission). The saved tracks below them are kept as they were, as
// an isolated load keeps them, so that an unreachable folder costs no history.
// The entries of a folder list that exist as folders yet offered no file: the empty
// mount point a share leaves when it is not mounted looks just so.
std::vector<std::string> EmptyEntries(const std::vector<std::string>& entries,
                                      const std::vector<std::string>& offeredFolders);

class Unreachable {
public:
    void Add(const std::string& entry) {
        if (!entry.empty()) {
            roots_.push_back(entry);
        }
    }
    bool Holds(std::string_view path) const;
    bool Empty() const { return roots_.empty(); }

private:
    std::vector<std::string> roots_;
};

}  // namespace spindle
