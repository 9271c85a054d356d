#pragma once

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace spindle {

// What a command that moves a station's data to a file and back works on:
// spindle-cli COMMAND export|import FILE [--data DIR].
struct DataFileCommand {
    std::filesystem::path Folder;  // the station's, locked while the command runs
    bool Export = false;
    // The file to write or read. An export to "-" writes a temporary file here, which goes
    // to the standard output once the export succeeds.
    std::filesystem::path File;
    bool ToOutput = false;  // the export goes to the standard output: nothing else may
};

// Reads `args` (the words after COMMAND), finds the data folder and takes its lock, then
// runs `body` and returns its status. A usage problem goes to `usageError`, which returns
// the status; a folder without a station, or in use, is reported on `err` with status 1.
int RunDataFileCommand(const std::string& command, const std::vector<std::string>& args,
                       const std::filesystem::path& programPath, std::ostream& out,
                       std::ostream& err, const std::function<int(const std::string&)>& usageError,
                       const std::function<int(const DataFileCommand&)>& body);

}  // namespace spindle
