#include "cli/regenerate_command.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "base/format_datetime.h"
#include "base/unattended_operator.h"
#include "cli/cli_run.h"
#include "outputs/playlist_log.h"
#include "station/station.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace spindle {
namespace {

// The demo station's week, then hours of its log made again from the command line: the
// exit status and the words for each way it can go.
TEST(RegenerateCommand, StatusAndMessages) {
    test::TempDir dir;
    const std::string data = (dir.Path() / "data").string();
    ASSERT_EQ(test::CliRun({"make-demo", dir.Path().string()}).Status, 0);
    ASSERT_NE(test::CliRun({"-r", "--data", data, "--seed", "2"}).Status, 1);
    UnattendedOperator quiet;
    Station probe(data, quiet);
    probe.LoadOptions();
    const std::string log = probe.Opt.LogFolderPath() + probe.Opt.LogBaseName + ".plg";
    const std::string name = probe.Opt.LogBaseName + ".plg";
    // The hours from the log's first day on, as the command takes them.
    LogContents contents;
    ASSERT_EQ(ReadPlaylistLog(log, probe.Settings(), contents), LogReadError::None);
    auto hour = [&](int day, int h) {
        return FormatDateTime("yyyy-mm-dd ", std::floor(contents.Start) + day, probe.Settings()) +
               (h < 10 ? "0" : "") + std::to_string(h);
    };
    const std::string from = hour(1, 5), to = hour(1, 6);

    auto regenerate = [&](const std::string& first, const std::string& last) {
        return test::RunProcess({SPINDLE_CLI_PATH, "regenerate", "--data", data, "--log", name,
                                 "--from", first, "--to", last, "--seed", "5"});
    };
    // Hours the log holds: made again and saved, and what the later hours now break said.
    const std::string before = test::ReadAll(log);
    const auto done = regenerate(from, to);
    EXPECT_TRUE(done.ExitCode == 0 || done.ExitCode == 3) << done.Err;
    EXPECT_NE(done.Out.find(from + ":00 to " + to + ":59 made again"), std::string::npos)
        << done.Out;
    EXPECT_NE(test::ReadAll(log), before);

    // Hours it does not hold, and words that are no hour: nothing changes.
    const std::string saved = test::ReadAll(log);
    const auto outside = regenerate(from, hour(12, 6));
    EXPECT_EQ(outside.ExitCode, 1);
    EXPECT_NE(outside.Err.find("are not all in this Playlist Log"), std::string::npos);
    EXPECT_NE(outside.Err.find("Nothing was changed."), std::string::npos);
    EXPECT_EQ(regenerate("tomorrow", to).ExitCode, 2);
    EXPECT_EQ(regenerate(to, from).ExitCode, 2);
    EXPECT_EQ(test::CliRun({"regenerate", "--data", data, "--log", name}).Status, 2);
    EXPECT_EQ(test::ReadAll(log), saved);

    // A log with a line that cannot be read would lose it when saved.
    const std::string damaged = saved + "0,x,\"oops\r\n";
    dir.Write("data/Logs/" + name, damaged);
    const auto broken = regenerate(from, to);
    EXPECT_EQ(broken.ExitCode, 1);
    EXPECT_NE(broken.Err.find("cannot be read whole"), std::string::npos) << broken.Err;
    EXPECT_EQ(test::ReadAll(log), damaged);
    dir.Write("data/Logs/" + name, saved);

    // A log another program wrote between the reading and the saving is not saved over.
    UnattendedOperator op;
    Station station(data, op);
    station.Isolated = true;
    station.LoadAll();
    std::ostringstream out, err;
    const int status = RegenerateLog(station, name, from, to, 5, out, err,
                                     [&] { dir.Write("data/Logs/" + name, saved + "\r\n"); });
    EXPECT_EQ(status, 1);
    EXPECT_NE(err.str().find("has changed on disk"), std::string::npos) << err.str();
    EXPECT_EQ(test::ReadAll(log), saved + "\r\n");
}

}  // namespace
}  // namespace spindle
