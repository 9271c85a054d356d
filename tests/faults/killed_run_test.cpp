// spindle-cli -r killed with SIGKILL at any moment must leave a station that loads whole.
#include <gtest/gtest.h>

#include <random>

#include "base/list_text.h"
#include "base/text_file.h"
#include "base/unattended_operator.h"
#include "station/station.h"
#include "station/track_list.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace spindle {
namespace {

namespace fs = std::filesystem;

// What a station holds that a kill must not lose.
struct Contents {
    std::size_t Categories = 0, Spots = 0, Rotations = 0, Schedules = 0, Tracks = 0,
                RelatedLines = 0, OptionItems = 0;
    bool operator==(const Contents&) const = default;
};

Contents Load(const fs::path& data) {
    UnattendedOperator op;
    Station s(data, op, FormatSettings::English());
    s.Isolated = true;  // what the saved files hold, not what the folders add
    s.LoadAll();
    for (const auto& cat : s.Categories) {
        // Every line of every track list is whole.
        bool bad = false;
        ReadTrackList(data / TrackListFileName(*cat), nullptr, s.Settings(),
                      [&](const std::string&) { bad = true; });
        EXPECT_FALSE(bad) << cat->Name;
    }
    const std::size_t optionItems =
        DecodeListText(ReadTextLines(data / "Options.dat").value().at(0)).size();
    return {s.Categories.size(), s.SpotGroups.size(),     s.Rotations.size(),
            s.Schedules.size(),  s.TotalCategoryTracks(), s.Related.Lines().size(),
            optionItems};
}

TEST(KilledDuringUnattendedRun, TheStationLoadsWholeAfterEveryKill) {
    test::TempDir dir;
    const std::string cli = SPINDLE_CLI_PATH;
    const std::string station = (dir.Path() / "station").string();
    const std::string data = station + "/data";
    test::RunProcess({cli, "make-demo", station});
    test::RunProcess({cli, "-r", "--data", data, "--seed", "1"});  // saved track lists from here on
    const Contents expected = Load(data);
    ASSERT_EQ(expected.Categories, 5u);
    ASSERT_GT(expected.Tracks, 300u);
    ASSERT_EQ(expected.OptionItems, 61u);

    std::mt19937 gen(99);
    for (int round = 0; round < 12; ++round) {
        // A demo week takes a few hundred milliseconds; kill anywhere in it.
        test::RunProcess({cli, "-r", "--data", data, "--seed", std::to_string(round)}, {}, {},
                         static_cast<int>(gen() % 400000));
        EXPECT_EQ(Load(data), expected) << "after a kill in round " << round;
    }
}

}  // namespace
}  // namespace spindle
