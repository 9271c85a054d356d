#pragma once

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
ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::vector<std::string>& environment = {},
                         const std::string& workingFolder = {});

}  // namespace spindle::test
