#pragma once

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace spindle {

// spindle-cli history import|as-run|listeners ...: fills the play history from the
// Playlist Logs, the playout's as-run log or the listener figures. `args` are the words
// after "history"; a usage problem goes to `usageError`, which returns the status.
int HistoryCommand(const std::vector<std::string>& args, const std::filesystem::path& programPath,
                   std::ostream& out, std::ostream& err,
                   const std::function<int(const std::string&)>& usageError);

// spindle-cli report --from DATE --to DATE --format NAME [--out FILE] ...: a report of use
// made from the play history.
int ReportCommand(const std::vector<std::string>& args, const std::filesystem::path& programPath,
                  std::ostream& out, std::ostream& err,
                  const std::function<int(const std::string&)>& usageError);

}  // namespace spindle
