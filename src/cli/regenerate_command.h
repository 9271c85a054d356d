#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace spindle {

class Station;

// spindle-cli regenerate --log FILE --from "YYYY-MM-DD HH" --to "YYYY-MM-DD HH" [--seed N]
// [-i] [--data DIR]: makes those hours of a Playlist Log again and saves it, remaking its
// playlists, pages and summaries. `args` are the words after "regenerate".
int RegenerateCommand(const std::vector<std::string>& args,
                      const std::filesystem::path& programPath, std::ostream& out,
                      std::ostream& err, const std::function<int(const std::string&)>& usageError);

// The command's work on a loaded station: read the log, make the hours again, save. Exit
// status 0 when saved clean, 3 when saved with conflicts or relaxed rules to look at, 1 when
// nothing was saved. `beforeSave` runs between the reading and the saving.
int RegenerateLog(Station& station, const std::string& logPath, const std::string& from,
                  const std::string& to, std::optional<std::uint32_t> seed, std::ostream& out,
                  std::ostream& err, const std::function<void()>& beforeSave = {});

}  // namespace spindle
