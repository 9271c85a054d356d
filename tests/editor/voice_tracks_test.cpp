#include "editor/voice_tracks.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/command_words.h"
#include "base/paths.h"
#include "editor/preview.h"
#include "support/run_fixture.h"
#include "support/temp_dir.h"

namespace spindle {
namespace {

namespace fs = std::filesystem;
constexpr double kHour = 46363 + 23.0 / 24;  // Monday 7 December 2026, 23:00

// An hour holding a placeholder, recordings named three ways, a note and a track.
PlaylistDocument HourWithVoiceTracks(const test::TempDir& dir) {
    const std::string hour = std::to_string(kHour);
    PlaylistDocument doc;
    doc.Load(dir.Write("v.plg", test::ListLines({
                                    {"A", "46362.5", hour, "X"},
                                    {"B", "0", hour},
                                    {"3", "1", "0", "Hour Marker", "0", ""},
                                    {"9", "2", "0", "/vt/Dec0723-01.wav", "9", "Voice Track"},
                                    {"6", "3", "0", "30:VoiceTrack", "30", "VoiceTrack"},
                                    {"0", "4", "0", "/music/Band - Song.mp3", "200", "Hits"},
                                    {"9", "5", "0", "/vt/Dec0723-03#2.wav", "9", "Voice Track"},
                                    {"9", "6", "0", "/vt/Dec0723-1.wav", "9", "Voice Track"},
                                    {"4", "7", "0", "Weather", "0", "Break Note"},
                                    {"9", "8", "0", "/x/Promo.wav", "12", "<other>"},
                                    {"6", "9", "0", "", "30", "VoiceTrack"},
                                })),
             true, FormatSettings::English());
    return doc;
}

std::vector<std::uint64_t> Ids(const PlaylistDocument& doc) {
    return test::RowIds(doc, {0, 23});
}

// Names follow the hour and the highest recording; a file already there is never taken.
TEST(VoiceTracks, NamesNeverOverwriteARecording) {
    test::TempDir dir;
    const PlaylistDocument doc = HourWithVoiceTracks(dir);
    const HourView view = doc.ViewOf({0, 23});
    const FormatSettings en = FormatSettings::English();
    const std::string folder = dir.Path().string();
    const std::string next = NextVoiceTrackName(folder, kHour, view, std::nullopt, en);
    EXPECT_EQ(next, folder + "/Dec0723-04.wav");
    ASSERT_TRUE(WriteVoiceTrackPlaceholder(next));
    EXPECT_FALSE(WriteVoiceTrackPlaceholder(next));  // there already
    EXPECT_EQ(fs::file_size(next), 44u);
    EXPECT_EQ(test::ReadAll(next).substr(0, 16), std::string("RIFF\x24\0\0\0WAVEfmt ", 16));
    EXPECT_FALSE(RecordingMade(next));
    EXPECT_EQ(NextVoiceTrackName(folder, kHour, view, std::nullopt, en),
              folder + "/Dec0723-05.wav");
    EXPECT_EQ(NextVoiceTrackName(folder, kHour, view, 2, en), folder + "/Dec0723-04#2.wav");
    EXPECT_EQ(NextVoiceTrackName(folder, kHour + 1.0 / 24, {}, std::nullopt, en),
              folder + "/Dec0800-01.wav");
    dir.Write("Dec0723-04.wav", std::string(100, 'x'));
    EXPECT_TRUE(RecordingMade(next));
    EXPECT_TRUE(WriteVoiceTrackPlaceholder(folder + "/missing/Dec0723-01.wav"));  // made
    EXPECT_FALSE(WriteVoiceTrackPlaceholder(folder + "/no/share/Dec0723-01.wav"));
    EXPECT_EQ(CommandWithFile("'/opt/my rec' -q", "/v/a b.wav"),
              (std::vector<std::string>{"/opt/my rec", "-q", "/v/a b.wav"}));
    EXPECT_TRUE(CommandWithFile("  ", "/v/a.wav").empty());
}

// Next finds placeholders with a text only; a recording replaces its placeholder or
// goes in at the current position; a recorded voice track is recorded again in place.
TEST(VoiceTracks, RecordingsTakeThePlaceholdersPlace) {
    test::TempDir dir;
    PlaylistDocument doc = HourWithVoiceTracks(dir);
    const auto ids = Ids(doc);
    const auto marker = FindNextMarker(doc, std::nullopt);
    ASSERT_EQ(marker, ids[2]);
    EXPECT_FALSE(FindNextMarker(doc, marker));  // the one without a text is not looked for

    const FormatSettings en = FormatSettings::English();
    const RecordTarget again = ChooseRecordTarget(doc, ids[1], "/vt", {0, 23}, std::nullopt, en);
    EXPECT_EQ(again.Path, "/vt/Dec0723-01.wav");
    EXPECT_EQ(again.Again, ids[1]);
    EXPECT_EQ(ChooseRecordTarget(doc, ids[7], "/vt", {0, 23}, std::nullopt, en).Path,
              "/vt/Dec0723-04.wav");  // an "<other>" file is not recorded over

    const std::uint64_t put = PutRecording(doc, {0, 23}, marker, "/vt/Dec0723-04.wav", 31);
    EXPECT_EQ(doc.Find(*marker)->State, EditState::Removed);
    EXPECT_EQ(Ids(doc)[2], put);
    EXPECT_EQ(doc.Find(put)->GroupName, "Voice Track");
    EXPECT_EQ(doc.Find(put)->Type, kItemVoice);
    EXPECT_FALSE(FindNextMarker(doc, std::nullopt));
    const std::uint64_t before = PutRecording(doc, {0, 23}, ids[3], "/vt/Dec0723-05.wav", 20);
    EXPECT_EQ(Ids(doc)[3], before);
    const std::uint64_t atEnd = PutRecording(doc, {0, 23}, std::nullopt, "/vt/Dec0723-06.wav", 20);
    EXPECT_EQ(Ids(doc).back(), atEnd);
}

// The preview plays the selected files in view order; notes and markers have no file.
TEST(VoiceTracks, PreviewListsTheSelectedFiles) {
    test::TempDir dir;
    const PlaylistDocument doc = HourWithVoiceTracks(dir);
    const auto ids = Ids(doc);
    const auto files = PreviewFiles(doc.ViewOf({0, 23}), {ids[7], ids[3], ids[0], ids[6], ids[2]});
    EXPECT_EQ(files, (std::vector<std::string>{"/music/Band - Song.mp3", "/x/Promo.wav"}));
    const std::string list = (dir.Path() / "preview.m3u").string();
    ASSERT_TRUE(WritePreviewList(list, files));
    EXPECT_EQ(test::ReadAll(list), "#EXTM3U\n/music/Band - Song.mp3\n/x/Promo.wav\n");
    EXPECT_NE(PreviewListPath().find("spindle"), std::string::npos);
}

}  // namespace
}  // namespace spindle
