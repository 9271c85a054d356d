#include "cli/cli.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/audio_files.h"
#include "support/process.h"
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

TEST(Cli, AMissingDataFolderIsAnError) {
    test::TempDir dir;
    const Result r = Cli({"-r", "--data", dir / "nowhere"});
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Err.find("does not exist"), std::string::npos);
}

// The real program speaks the language of its environment, dates included, and finds its
// catalogue beside itself.
TEST(Cli, ARunSpeaksTheEnvironmentsLanguage) {
    test::TempDir dir;
    ASSERT_EQ(test::RunProcess({SPINDLE_CLI_PATH, "make-demo", dir / "demo"}).ExitCode, 0);
    const std::vector<std::string> run{SPINDLE_CLI_PATH, "-r", "--data", dir / "demo/data"};
    const std::string german = test::RunProcess(run, {"LANG=de_DE.UTF-8", "LC_ALL="}).Out;
    EXPECT_NE(german.find("Playlist-Protokoll wird erstellt ..."), std::string::npos) << german;
    // "... begonnen am Montag, 7. Dezember 2026 ...": a German weekday, the day with its dot.
    const std::size_t at = german.find("begonnen am ");
    ASSERT_NE(at, std::string::npos);
    const std::string date = german.substr(at + 12, 40);
    bool weekday = false;
    for (const char* day : {"Montag, ", "Dienstag, ", "Mittwoch, ", "Donnerstag, ", "Freitag, ",
                            "Samstag, ", "Sonntag, "}) {
        weekday = weekday || date.rfind(day, 0) == 0;
    }
    EXPECT_TRUE(weekday) << date;
    EXPECT_NE(date.find(". "), std::string::npos) << date;
    const std::string english = test::RunProcess(run, {"LANG=C", "LC_ALL="}).Out;
    EXPECT_NE(english.find("Creating Playlist log ..."), std::string::npos) << english;
}

}  // namespace
}  // namespace spindle
