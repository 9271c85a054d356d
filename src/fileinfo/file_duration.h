#pragma once

#include <cstdint>
#include <string>

#include "base/operator.h"

namespace spindle {

class FileByteSource;

// Playing time of a file in whole seconds (0 = unknown), by its extension's reader or,
// for an ".m3u" list, the sum of its entries. With `ask` set and nothing known, the
// operator is asked for it. When the file was opened, `dosDate` (if given) receives its
// last write as a local DOS date-time, so a scan need not look at the file again.
std::uint16_t FileDuration(const std::string& path, bool ask, Operator& op,
                           std::uint32_t* dosDate = nullptr);
// The same, from `file`, the file at `path` as the caller opened it: what else the caller
// reads of it (its tags) comes from the same opening and the same bytes.
std::uint16_t FileDuration(const std::string& path, const FileByteSource& file, bool ask,
                           Operator& op, std::uint32_t* dosDate = nullptr);

// The sum of an M3U list's entries that exist, lists inside it included (a list that
// reaches itself again is not summed twice).
std::uint32_t PlaylistFileDuration(const std::string& path, Operator& op);

// The path an M3U entry stands for: relative entries are taken from the list's folder
// when the file is there; anything else comes back as it is.
std::string ResolvePlaylistEntry(const std::string& playlistPath, const std::string& entry);

// Asks the operator for a file's seconds until a whole number or Cancel is given.
std::uint16_t ManualDurationEntry(const std::string& path, Operator& op);

}  // namespace spindle
