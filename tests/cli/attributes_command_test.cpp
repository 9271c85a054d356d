// spindle-cli attributes export|import on a real station and its Station.db.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <sstream>

#include "cli/cli.h"
#include "cli/cli_run.h"
#include "rules/track_facts.h"
#include "station/data_lock.h"
#include "stationdb/station_db.h"
#include "support/station_builder.h"

namespace spindle {
namespace {

using Values = std::map<std::string, std::string>;

using Result = test::CliResult;

// A Category of four tracks; Tempo from the BPM tag (read for A only), Vocal by hand.
class AttributesCommand : public ::testing::Test {
protected:
    AttributesCommand() : b(dir) {
        b.AddCategory("Rock", {b.MusicFolder("Rock", {"A - One", "B - Two", "C - Three"}, 100)});
        b.Save();
        data = b.DataFolder();
        StationDb db(data, StationDb::Mode::OrCreate);
        // As a scan kept them: of the file as it is, so the command's own scan keeps them.
        TrackRecord a{Track("A - One"), FileStamp(Track("A - One")).value_or(TrackStamp{}), {}};
        a.Tags.Bpm = 130;
        EXPECT_TRUE(db.StoreTracks({a}));
        EXPECT_TRUE(db.DefineAttribute({"Tempo", "bpm", "90 120", {"Slow", "Medium", "Fast"}}));
        EXPECT_TRUE(db.DefineAttribute({"Vocal", "hand", "", {"Male", "Group, \"mixed\""}}));
        EXPECT_TRUE(db.SetAttribute("Vocal", {{Track("C - Three"), "Male"}}));
    }

    std::string Track(const std::string& name) const {
        return dir / ("music/Rock/" + name + ".mp3");
    }
    Result Cli(const std::string& command, const std::string& file) const {
        return test::CliRun({"attributes", command, file, "--data", data.string()});
    }
    Values Hand(const std::string& name) const {
        return StationDb(data, StationDb::Mode::IfExists).AttributesOf(Track(name)).Value;
    }

    test::TempDir dir;
    test::StationBuilder b;
    std::filesystem::path data;
};

// Export, edit, import: good rows applied, each bad one named by the line it starts on.
TEST_F(AttributesCommand, RoundTripAppliesGoodRowsAndReportsBadOnesByLine) {
    const std::string csv = dir / "values.csv";
    const Result exported = Cli("export", csv);
    EXPECT_EQ(exported.Status, 0) << exported.Err;
    EXPECT_EQ(test::ReadAll(csv), "\"path\",\"Tempo\",\"Vocal\"\r\n\"" + Track("A - One") +
                                      "\",\"Fast\",\"\"\r\n\"" + Track("B - Two") +
                                      "\",\"\",\"\"\r\n\"" + Track("C - Three") +
                                      "\",\"\",\"Male\"\r\n");
    EXPECT_EQ(Cli("export", "-").Out, test::ReadAll(csv));
    EXPECT_EQ(Cli("import", "-").Status, 2);

    dir.Write("values.csv", "\xEF\xBB\xBFPath,tempo,Vocal\r\n" + Track("A - One") +
                                ",fast,\"Group, \"\"mixed\"\"\"\r\n\"" + Track("B - Two") +
                                "\", slow ,\r\n" + Track("C - Three") + ",Loud,\r\n" +
                                Track("C - Three") +
                                ",Slow\r\n"
                                "Rock/B - Two.mp3,Slow,Male\r\n"
                                "\"/elsewhere/new\nline.mp3\",,\r\n" +
                                Track("A - One") +
                                ",,\r\n"
                                "\r\n" +
                                Track("C - Three") + ",,\"Male\"x\r\n");
    const Result imported = Cli("import", csv);
    EXPECT_EQ(imported.Status, 3);
    EXPECT_EQ(imported.Out, "Applied 2 rows; 6 could not be applied.\n");
    EXPECT_EQ(imported.Err,
              "line 4: \"Loud\" is not a value of the attribute \"Tempo\" (Slow, Medium, Fast).\n"
              "line 5: 2 fields where the header has 3.\n"
              "line 6: \"Rock/B - Two.mp3\" is not a full path; give each track's full path, as "
              "the export writes it.\n"
              "line 7: the station has no track \"/elsewhere/new\nline.mp3\".\n"
              "line 9: the track \"" +
                  Track("A - One") +
                  "\" was given already on line 2.\n"
                  "line 11: text follows the closing quote of a field\n");
    // A value the tags give is left to them; the others are set by hand.
    EXPECT_EQ(Hand("A - One"), (Values{{"Vocal", "Group, \"mixed\""}}));
    EXPECT_EQ(Hand("B - Two"), (Values{{"Tempo", "Slow"}}));
    EXPECT_EQ(Hand("C - Three"), (Values{{"Vocal", "Male"}}));

    // An empty cell removes the value set by hand.
    dir.Write("values.csv", "path,Vocal\n" + Track("C - Three") + ",\n");
    EXPECT_EQ(Cli("import", csv).Status, 0);
    EXPECT_TRUE(Hand("C - Three").empty());

    // A value set by hand that the tags give too stays set by hand through a round trip,
    // so a later retag does not undo it; a file saved with ";" reads as well.
    ASSERT_TRUE(StationDb(data, StationDb::Mode::IfExists)
                    .SetAttribute("Tempo", {{Track("A - One"), "Fast"}}));
    ASSERT_EQ(Cli("export", csv).Status, 0);
    EXPECT_EQ(Cli("import", csv).Status, 0);
    dir.Write("values.csv", "path;Tempo\n\"" + Track("C - Three") + "\";Medium\n");
    EXPECT_EQ(Cli("import", csv).Status, 0);
    EXPECT_EQ(Hand("A - One"), (Values{{"Tempo", "Fast"}, {"Vocal", "Group, \"mixed\""}}));
    EXPECT_EQ(Hand("C - Three"), (Values{{"Tempo", "Medium"}}));
}

// A file the station cannot take as a whole, or a folder in use, changes nothing.
TEST_F(AttributesCommand, RefusedFilesChangeNothing) {
    const std::string csv = dir / "values.csv";
    const std::string row = Track("B - Two") + ",Slow\n";
    const struct {
        std::string Text;
        bool Locked;
        const char* Expected;
    } cases[] = {
        {"path,Colour\n" + row, false, "line 1: the station has no attribute \"Colour\"."},
        {"path,Tempo,TEMPO\n" + row, false, "line 1: the attribute \"Tempo\" has two columns."},
        {"file,Tempo\n" + row, false, "line 1: the first column must be \"path\", not \"file\"."},
        {"", false, "is empty"},
        {"path,Tempo\n" + row, true, "spindle-cli attributes import"},
    };
    for (const auto& c : cases) {
        dir.Write("values.csv", c.Text);
        std::optional<DataFolderLock> lock;
        if (c.Locked) {
            lock.emplace(data, "spindle-cli attributes import");
        }
        const Result imported = Cli("import", csv);
        EXPECT_EQ(imported.Status, 1) << c.Text;
        EXPECT_NE(imported.Err.find(c.Expected), std::string::npos) << imported.Err;
        EXPECT_TRUE(Hand("B - Two").empty()) << c.Text;
    }
}

}  // namespace
}  // namespace spindle
