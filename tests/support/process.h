#pragma once

#include <functional>
#include <string>
#include <vector>

namespace spindle::test {

struct ProcessResult {
    int ExitCode = -1;  // -1 when it did not exit normally
    std::string Out;
    std::string Err;
};

// Runs a program with an argument vector (no shell), with extra environment entries
// ("NAME=value") and, when given, in another working folder, and collects what it
// printed.
// With `killAfterMicroseconds` (0 or more) the program is killed with SIGKILL then.
ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::vector<std::string>& environment = {},
                         const std::string& workingFolder = {}, int killAfterMicroseconds = -1);

// Runs `body` in a forked child and gives back the text it returned (nothing when the
// child died first). With `unprivileged`, a child running as root first becomes nobody,
// since root passes every permission check a test means to hit.
std::string InChild(const std::function<std::string()>& body, bool unprivileged = false);

#ifdef SPINDLE_CLI_PATH
// spindle-cli itself, in the C locale and in UTC, optionally in another working folder.
inline ProcessResult Cli(std::vector<std::string> args, const std::string& workingFolder = {}) {
    args.insert(args.begin(), SPINDLE_CLI_PATH);
    return RunProcess(args, {"LC_ALL=C", "TZ=UTC"}, workingFolder);
}
#endif

// The rows of a comma-separated file as a spreadsheet reads them (Python's csv module, a
// reader independent of ours); a field holds no line break.
std::vector<std::vector<std::string>> CsvRows(const std::string& path);

}  // namespace spindle::test
