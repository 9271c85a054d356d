#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli.h"
#include "cli/cli_run.h"
#include "stationdb/station_db.h"
#include "support/temp_dir.h"

namespace spindle {
namespace {

using Result = test::CliResult;
Result Cli(const std::vector<std::string>& args) {
    return test::CliRun(args);
}

const char* const kRules =
    "# Spindle rules: attribute definitions, then the station's rules and each Category's,\n"
    "# one rule a line, the most important first.\n"
    "attribute Season source hand values Christmas\n"
    "attribute Tempo source bpm banding \"90 120\" values Slow Medium Fast\n"
    "\n[station]\n"
    "window Season=Christmas dates 12-01..12-26\n"
    "artist\n"
    "song\n"
    "\n[category \"Gold\"]\n"
    "transition Tempo=Fast -> Tempo=Slow\n"
    "artist\n"
    "song\n";

// Export, import and export again give the same file; a file with one wrong line changes
// nothing and names the line; the export of a station without a database makes none.
TEST(RulesCommand, ExportImportRoundTripOnADemoStation) {
    test::TempDir dir;
    ASSERT_EQ(Cli({"make-demo", dir / "demo"}).Status, 0);
    const std::string data = dir / "demo/data";

    const Result empty = Cli({"rules", "export", "-", "--data", data});
    EXPECT_EQ(empty.Status, 0) << empty.Err;
    EXPECT_NE(empty.Out.find("\n[station]\n"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(StationDb::FileIn(data)));

    const Result imported = Cli({"rules", "import", dir.Write("in.txt", kRules), "--data", data});
    ASSERT_EQ(imported.Status, 0) << imported.Err;
    ASSERT_EQ(Cli({"rules", "export", dir / "out.txt", "--data=" + data}).Status, 0);
    EXPECT_EQ(test::ReadAll(dir / "out.txt"), kRules);

    const std::string wrong = std::string(kRules) + "[category \"Jazz\"]\nrun Tempo=Fats 2\n";
    const Result refused = Cli({"rules", "import", dir.Write("bad.txt", wrong), "--data", data});
    EXPECT_EQ(refused.Status, 1);
    EXPECT_NE(refused.Err.find("bad.txt: line 16: \"Fats\" is not a value"), std::string::npos)
        << refused.Err;
    ASSERT_EQ(Cli({"rules", "export", dir / "after.txt", "--data", data}).Status, 0);
    EXPECT_EQ(test::ReadAll(dir / "after.txt"), kRules);

    // Taken as written, with a word for a window on a track the station does not have.
    const std::string elsewhere =
        std::string(kRules) + "window track \"/elsewhere/A - B.mp3\" hours 06:00-07:00\n";
    const Result told =
        Cli({"rules", "import", dir.Write("sister.txt", elsewhere), "--data", data});
    EXPECT_EQ(told.Status, 3);
    EXPECT_NE(told.Err.find("\"A - B.mp3 plays only 6:00 AM to 7:00 AM\" (window track "
                            "\"/elsewhere/A - B.mp3\" hours 06:00-07:00) of \"Gold\" names a "
                            "track no Category holds"),
              std::string::npos)
        << told.Err;

    EXPECT_EQ(Cli({"rules", "export"}).Status, 2);
    EXPECT_EQ(Cli({"rules", "copy", "x", "--data", data}).Status, 2);
    EXPECT_EQ(Cli({"rules", "import", dir / "missing.txt", "--data", data}).Status, 1);
    EXPECT_EQ(Cli({"rules", "import", "-", "--data", data}).Status, 2);
    EXPECT_EQ(Cli({"rules", "export", "-", "--data", dir.Path().string()}).Status, 1);
}

// An attribute line that would clear values tracks have by hand refuses the whole file,
// naming them; keeping them in the list, the file is taken.
TEST(RulesCommand, ImportKeepsValuesSetByHand) {
    test::TempDir dir;
    ASSERT_EQ(Cli({"make-demo", dir / "demo"}).Status, 0);
    const std::string data = dir / "demo/data";
    StationDb db(data, StationDb::Mode::OrCreate);
    ASSERT_TRUE(db.DefineAttribute({"Vocal", "hand", "", {"Female", "Male", "Group", "Solo"}}));
    ASSERT_TRUE(db.SetAttribute(
        "Vocal", {{"/m/a", "Group"}, {"/m/b", "Solo"}, {"/m/c", "Group"}, {"/m/d", "Male"}}));

    const std::string rules = "[station]\nseparate Vocal=Female 2 items\n";
    const Result refused =
        Cli({"rules", "import",
             dir.Write("in.txt", "# Vocal\nattribute Vocal values Female Male\n" + rules), "--data",
             data});
    EXPECT_EQ(refused.Status, 1);
    EXPECT_NE(refused.Err.find("in.txt: line 2: 3 tracks have Vocal set to Group or Solo by hand; "
                               "keep those values in the list, or clear them first"),
              std::string::npos)
        << refused.Err;
    EXPECT_TRUE(db.Rules().Value.empty());
    EXPECT_EQ(db.AttributesOf("/m/b").Value.at("Vocal"), "Solo");

    const std::string kept = "attribute Vocal values Solo Group Male Female\n" + rules;
    EXPECT_EQ(Cli({"rules", "import", dir.Write("in.txt", kept), "--data", data}).Status, 0);
    EXPECT_EQ(db.Rules().Value.size(), 1u);
    // Rules alone may name what the station defined before: no word, and nothing lost.
    const Result alone = Cli({"rules", "import", dir.Write("in.txt", rules), "--data", data});
    EXPECT_EQ(alone.Status, 0) << alone.Err;
    EXPECT_EQ(db.AttributesOf("/m/b").Value.at("Vocal"), "Solo");
}

}  // namespace
}  // namespace spindle
