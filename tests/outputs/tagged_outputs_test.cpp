#include <gtest/gtest.h>

#include <algorithm>

#include "editor/instant_replace.h"
#include "fileinfo/silent_mp3.h"
#include "reports/prints.h"
#include "scan/track_tags_cache.h"
#include "station/rotation.h"
#include "support/audio_files.h"
#include "support/run_fixture.h"
#include "support/station_builder.h"

namespace spindle {
namespace {

// Every text fits: the names are what is looked at.
struct NoWidths : FontMetrics {
    double TextWidth(std::string_view, const PrintFont&) const override { return 0; }
    double LineHeight(const PrintFont& font) const override { return font.Points; }
};

// A station that takes artist and title from the tags names a track by its tags wherever
// it names one, and finds the same artist by them.
TEST(TaggedOutputs, EveryOutputNamesATrackByItsTags) {
    test::TempDir dir;
    test::StationBuilder b(dir);
    test::ScriptedOperator op;
    const std::string tagged =
        dir.Write("music/Hits/Name A - Name T.mp3",
                  test::Id3v2Tag({{"TPE1", "Tag A"}, {"TIT2", "Tag T"}}) + SilentMp3Bytes(200));
    const std::string sameArtist = dir.Write(
        "music/Hits/Other - Song.mp3", test::Id3v2Tag({{"TPE1", "Tag A"}}) + SilentMp3Bytes(200));
    b.AddCategory("Hits", {dir / "music/Hits"});
    b.AddRotation("Hour", {MakeCategoryItem("Hits"), MakeCategoryItem("Hits")}, true);
    b.AddSchedule("All", "1111111", "...DEFAULT...");
    ASSERT_TRUE(SetArtistTitleSource(b.DataFolder(), ArtistTitleSource::Tags));
    b.Save();
    Station& station = b.Get();
    Options& o = station.Opt;
    test::RunFrom(o, 46363, 14, 1);
    o.SystemSongInterval = "60";  // each file once
    o.HTMLEnabled = o.TrackLog = true;
    o.FilenameFormat = "\"p.m3u\"";
    o.PlaylistFormat = "%a|%t|%A";
    ASSERT_TRUE(test::Generate(station, op).Ok);

    PlaylistDocument doc;
    ASSERT_TRUE(doc.Load(o.LogFolderPath() + "Dec0714.plg", true, station.Settings()).Loaded);
    const NoWidths metrics;
    PageLayout layout(metrics, 540, 780, "KXYZ", "", "");
    LayOutPlaylist(layout, doc, {0, 0, 0, 23, true}, station.Settings(), 0.0, false,
                   station.Names());
    std::string printed;
    for (const PrintCell& cell : layout.Pages().at(0).Cells) {
        printed += cell.Text + "\n";
    }
    // Each output with the tagged file's line in it.
    const std::pair<std::string, std::string> outputs[] = {
        {test::ReadAll(o.HTMLFolder + "/Dec0714.html"), " Tag A - Tag T "},
        {test::ReadAll(o.PlaylistFolder + "/p.m3u"), "Tag A|Tag T|title=\"Tag T\""},
        {test::ReadAll(o.LogFolderPath() + "Track-Dec0714.csv"), "\"Tag A\",\"Tag T\",1"},
        {printed, "\nTag A - Tag T\n"},
    };
    for (const auto& [text, name] : outputs) {
        EXPECT_TRUE(text.find(name) != text.npos && text.find("Name T") == text.npos) << name;
    }

    // "Other - Song" is by "Tag A" too.
    const auto row = std::ranges::find(doc.Items(), tagged, &EditorItem::Path);
    ASSERT_NE(row, doc.Items().end());
    const ReplaceOutcome done = InstantReplace(doc, station, row->Id, true, 0, 0, {});
    EXPECT_EQ(done.Replaced() ? doc.Find(done.Id)->Path : done.Message, sameArtist);
}

}  // namespace
}  // namespace spindle
