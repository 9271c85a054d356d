#include <gtest/gtest.h>

#include "base/text_file.h"
#include "generator/run_report.h"
#include "outputs/generation.h"
#include "station/rotation.h"
#include "support/scripted_operator.h"
#include "support/station_builder.h"

namespace spindle {
namespace {

using test::ReadAll;
using test::ScriptedOperator;
using test::StationBuilder;
using test::TempDir;

// A run starting on 7 December 2026 at 14:00, written at 11:24:30 on 5 December 2026,
// time reset and playlist period Hour, Hour Markers on, a crossfade allowance of 9 s:
// a 12-second station ID, a 215-second song, a 30-second voice track, a note.
TEST(WorkedExample, TheFirstHourOfTheLogIsExactlyAsDocumented) {
    TempDir dir;
    StationBuilder b(dir);
    const std::string spots = b.SpotFolder("Spots", {"ID1"}, 12);
    const std::string music = b.MusicFolder("Music", {"Band - Song"}, 215);
    b.AddSpotGroup("Station IDs", {spots});
    b.AddCategory("Current Hits", {music});
    b.AddRotation("Hour",
                  {MakeSpotGroupItem("Station IDs"), MakeCategoryItem("Current Hits"),
                   MakeVoiceTrackItem(30), MakeBreakNoteItem("Weather")},
                  true);
    b.AddSchedule("Always", "1111111", "...DEFAULT...");
    b.Save();

    Station& station = b.Get();
    test::RunFrom(station.Opt, 46363, 14, 2);
    station.Opt.PlaylistPeriod = kPeriodHour;
    station.Opt.TimeResetPeriod = kPeriodHour;
    station.Opt.TimeCheck = false;
    station.Opt.CrossfadeAllowance = "9";
    station.Opt.FilenameFormat = "mmmdd-hh\".ALB\"";
    station.Clock = [] { return EncodeDate(2026, 12, 5) + EncodeTime(11, 24, 30); };

    ScriptedOperator op;
    RunReport report(op, nullptr);
    ASSERT_TRUE(RunGeneration(station, report));
    EXPECT_TRUE(op.Messages.empty());

    const auto lines = ReadTextLines(station.Opt.LogFolderPath() + "Dec0714.plg");
    ASSERT_TRUE(lines);
    const std::string id = spots + "/ID1.mp3";
    const std::string song = music + "/Band - Song.mp3";
    const std::vector<std::string> expected = {
        "A,\"46361.4753472222\",\"46363.5833333333\",0",
        "B,0,\"46363.5833333333\"",
        "3,0,\"0\",\"Hour Marker\",0,\"\"",
        "1,1,\"0\",\"" + id + "\",12,\"Station IDs\"",
        "0,2,\"0.00333333341404796\",\"" + song + "\",215,\"Current Hits\"",
        "6,3,\"0.0605555549263954\",\"30:VoiceTrack\",30,\"VoiceTrack\"",
        "4,4,\"0.0663888901472092\",\"Weather\",0,\"Break Note\"",
        "B,0,\"46363.625\""};
    ASSERT_GE(lines->size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(lines->begin(), lines->begin() + 8), expected);

    // The Korvel line formats, one file per hour: markers and notes through their own
    // formats, no line for the voice-track placeholder.
    EXPECT_EQ(ReadAll(station.Opt.PlaylistFolder + "/Dec07-14.ALB"),
              "START OF HOUR 14:00:00\r\n" + id + "\r\n" + song + "\r\nWeather\r\n");
    EXPECT_EQ(ReadAll(station.Opt.PlaylistFolder + "/Dec07-15.ALB").substr(0, 24),
              "START OF HOUR 15:00:00\r\n");
    EXPECT_NE(ReadAll(station.Opt.LogFolderPath() + "Generate.log")
                  .find("Playlist files created successfully."),
              std::string::npos);
}

}  // namespace
}  // namespace spindle
