#include "cli/cli.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/audio_files.h"
#include "support/temp_dir.h"

namespace spindle {
namespace {

struct Result {
    int Status;
    std::string Out;
    std::string Err;
};

Result Cli(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunCli(args, "/nonexistent/bin/spindle-cli", out, err, false);
    return {status, out.str(), err.str()};
}

TEST(Cli, HelpVersionAndUsageErrors) {
    EXPECT_EQ(Cli({"--help"}).Status, 0);
    EXPECT_NE(Cli({"--help"}).Out.find("spindle-cli -r"), std::string::npos);
    EXPECT_EQ(Cli({"--version"}).Out.rfind("spindle-cli ", 0), 0u);
    EXPECT_EQ(Cli({}).Status, 2);
    EXPECT_EQ(Cli({"--bogus"}).Status, 2);
    EXPECT_EQ(Cli({"-r", "--seed", "x"}).Status, 2);
    EXPECT_EQ(Cli({"-i"}).Status, 2);
    EXPECT_EQ(Cli({"duration"}).Status, 2);
}

TEST(Cli, DurationPrintsSecondsAndPaths) {
    test::TempDir dir;
    const std::string a = test::WriteMp3(dir, "a.mp3", 215);
    const Result r = Cli({"duration", a, dir / "missing.mp3"});
    EXPECT_EQ(r.Out, "215\t" + a + "\n0\t" + (dir / "missing.mp3") + "\n");
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Err.find("missing.mp3"), std::string::npos);
    EXPECT_EQ(Cli({"duration", a}).Status, 0);
}

}  // namespace
}  // namespace spindle
