#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace spindle {

// spindle-cli: the headless program. `args` are the words after the program name;
// `programPath` locates the default data folder. Returns the exit status: 0 success,
// 1 a run or command that reported errors, 2 a usage error.
int RunCli(const std::vector<std::string>& args, const std::filesystem::path& programPath,
           std::ostream& out, std::ostream& err, bool terminal);

}  // namespace spindle
