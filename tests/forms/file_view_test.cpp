#include "forms/file_view.h"

#include <gtest/gtest.h>

#include "station/station.h"
#include "support/scripted_operator.h"
#include "support/temp_dir.h"

namespace spindle {
namespace {

FileRec Track(std::string name, std::int32_t index, std::uint16_t duration, TDateTime lastUsed,
              TDateTime modified) {
    FileRec f;
    f.FileName = "/music/" + std::move(name);
    f.Index = index;
    f.Duration = duration;
    f.LastUsed = lastUsed;
    f.FileDate = modified;
    return f;
}

// Each column sorts both ways, file names without regard to case; dates within one
// second are alike and keep their order.
TEST(FileView, EveryColumnSortsBothWays) {
    const std::vector<FileRec> files = {
        Track("beta.mp3", 2, 215, 46000.5, 46001.0), Track("Alpha.mp3", 0, 180, 1.0, 46002.0),
        Track("gamma.mp3", 1, 3725, 46000.25, 46001.0 + 0.2 / 86400)};
    const struct {
        int Key;
        std::vector<std::size_t> Order;
    } cases[] = {
        {0, {0, 1, 2}},
        {kColPosition, {1, 2, 0}},
        {-kColPosition, {0, 2, 1}},
        {kColFilename, {1, 0, 2}},
        {-kColFilename, {2, 0, 1}},
        {kColDuration, {1, 0, 2}},
        {-kColDuration, {2, 0, 1}},
        {kColLastUsed, {1, 2, 0}},
        {-kColLastUsed, {0, 2, 1}},
        {kColModified, {0, 2, 1}},
        {-kColModified, {1, 0, 2}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SortedFileOrder(files, c.Key), c.Order) << c.Key;
    }
    EXPECT_EQ(NextSortKey(0, kColDuration), kColDuration);
    EXPECT_EQ(NextSortKey(kColDuration, kColDuration), -kColDuration);
    EXPECT_EQ(NextSortKey(-kColDuration, kColDuration), kColDuration);
}

TEST(FileView, RowsAndPropertiesOfATrack) {
    test::TempDir dir;
    test::ScriptedOperator op;
    Station station(dir.Path(), op, FormatSettings::English());
    const FormatSettings& fs = station.Settings();
    FileRec never = Track("x.mp3", 4, 3725, 1.0, 46001.5);
    never.FileName = dir.Write("Big Song.mp3", std::string(1234567, 'x'));
    const FileViewRow row = FileViewRowOf(never, fs);
    EXPECT_EQ(row.Position, "5");
    EXPECT_EQ(row.Filename, "Big Song.mp3");
    EXPECT_EQ(row.Duration, "01:02:05");
    EXPECT_EQ(row.LastUsed, "     Never");
    EXPECT_TRUE(IsTaken(never, 5));
    EXPECT_FALSE(IsTaken(never, 4));

    TSpotDetails spots;
    spots.Name = "Sponsors";
    FileProperties p = PropertiesOf(spots, never, fs);
    EXPECT_EQ(p.Caption, "Big Song.mp3 Properties");
    EXPECT_EQ(p.GroupLabel, "Spot Group:");
    EXPECT_EQ(p.Size, "1,234,567 bytes");
    EXPECT_EQ(p.LastDate, 1.0);
    EXPECT_EQ(p.LastTime, 0.0);
    EXPECT_FALSE(p.DurationEditable);  // read from the file
    never.FileName = "/lists/Hour.M3U";
    EXPECT_TRUE(PropertiesOf(spots, never, fs).DurationEditable);
    EXPECT_TRUE(PropertiesOf(TCategoryDetails{}, never, fs).DurationEditable);

    FileRec used = Track("y.mp3", 0, 100, 46000.75 + 0.3 / 86400, 0);
    used.SavedLastUsed = 46000.5;  // before a run not yet saved
    p = PropertiesOf(spots, used, fs);
    EXPECT_EQ(p.LastDate, 46000.0);
    // The dialog gives back the time it showed, to the second: the run's use stays the
    // run's, one the run would undo.
    ApplyFileProperties(station, used, p.LastDate, 0.75, 100);
    EXPECT_EQ(used.SavedLastUsed, 46000.5);
    EXPECT_TRUE(station.Changed.FileLists);
    // A last use the operator sets is the one a run starts from.
    ApplyFileProperties(station, used, 1.0, 0.0, 20 * 3600);
    EXPECT_EQ(used.LastUsed, 1.0);  // never used again
    EXPECT_EQ(used.SavedLastUsed, 1.0);
    EXPECT_EQ(used.Duration, kMaxDurationSeconds);  // 20:00:00 does not fit
}

}  // namespace
}  // namespace spindle
