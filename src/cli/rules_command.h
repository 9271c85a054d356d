#pragma once

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace spindle {

// spindle-cli rules export|import FILE [--data DIR]: the station's attribute definitions
// and rules as one text file. `args` are the words after "rules"; a usage problem goes to
// `usageError`, which returns the status. Returns 0 when done, 1 when nothing was done.
int RulesCommand(const std::vector<std::string>& args, const std::filesystem::path& programPath,
                 std::ostream& out, std::ostream& err,
                 const std::function<int(const std::string&)>& usageError);

}  // namespace spindle
