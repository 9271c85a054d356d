#include "cli/cli.h"
#include "cli/cli_run.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <sstream>

#include "station/data_lock.h"
#include "support/audio_files.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace spindle {
namespace {

using Result = test::CliResult;
Result Cli(const std::vector<std::string>& args) {
    return test::CliRun(args);
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
    // In the language of the environment, as the run's lines are.
    const std::vector<std::string> german = {"LANG=de_DE.UTF-8", "LC_ALL="};
    EXPECT_NE(test::RunProcess({SPINDLE_CLI_PATH, "--help"}, german).Out.find("Aufruf:"),
              std::string::npos);
    EXPECT_NE(test::RunProcess({SPINDLE_CLI_PATH, "-i"}, german).Err.find("nichts zu tun"),
              std::string::npos);
    EXPECT_NE(test::RunProcess({SPINDLE_CLI_PATH, "-r", "--data", "/nowhere"}, german)
                  .Err.find("existiert nicht"),
              std::string::npos);
}

// On a folder several users share, the lock file belongs to whoever made it; it locks
// for the others too. (As root the child runs as nobody, who cannot write it.)
TEST(DataFolderLock, AFileOnlyItsOwnerMayWriteLocksForEveryone) {
    test::TempDir dir;
    ::chmod(dir.Path().c_str(), 0755);
    // Left by a run long gone, which the new holder cannot overwrite: not named as holder.
    ::chmod(
        dir.Write(".spindle.lock", "old, process 999999999, since 2026-12-01 09:00:00\n").c_str(),
        0444);
    const std::string taken = test::InChild(
        [&] {
            const DataFolderLock first(dir.Path(), "a");
            const DataFolderLock second(dir.Path(), "b");
            return first.Held() && !second.Held() ? second.Problem() : first.Problem();
        },
        true);
    EXPECT_TRUE(taken.starts_with("Another run") && taken.ends_with("(unknown).")) << taken;
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
