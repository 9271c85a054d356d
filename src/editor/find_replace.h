#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "editor/playlist_document.h"

namespace spindle {

enum class SearchDirection { Down, Up };

// The next item after `from` (from the start, or the end going up, when none) whose
// file name (not its folder) holds `needle` without regard to case. Items removed by
// editing are passed over; with `circular` the search goes round once.
std::optional<std::uint64_t> FindNextItem(const PlaylistDocument& document,
                                          std::optional<std::uint64_t> from,
                                          const std::string& needle, SearchDirection direction,
                                          bool circular);

// What found items are replaced by; an empty path deletes them.
struct Replacement {
    std::string Path;
    std::uint32_t Duration = 0;
    int Type = 0;
    std::string Group;
};

// Replace All: every live item of the whole log that is the chosen one (the same full
// path when `findPath` is known, else the same file name), each once, replaced or
// deleted, wherever the search stands. Items deleted by editing are neither counted nor
// brought back. Gives the count.
int ReplaceAllItems(PlaylistDocument& document, const std::string& findPath,
                    const std::string& findName, const Replacement& with,
                    const std::function<std::uint32_t(const std::string&)>& measure);

}  // namespace spindle
