#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace spindle::test {

// What spindle-cli said and how it ended, run in this process.
struct CliResult {
    int Status;
    std::string Out;
    std::string Err;
};

inline CliResult CliRun(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunCli(args, "/nonexistent/bin/spindle-cli", out, err, false);
    return {status, out.str(), err.str()};
}

}  // namespace spindle::test
