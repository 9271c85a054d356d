#include "editor/playlist_document.h"
#include "editor/document_save.h"
#include "editor/find_replace.h"
#include "editor/insertion.h"
#include "editor/instant_replace.h"
#include "editor/voice_tracks.h"
#include "station/options.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <set>
#include <tuple>

#include "base/command_words.h"
#include "base/paths.h"
#include "base/text_case.h"
#include "base/unattended_operator.h"
#include "editor/preview.h"
#include "outputs/demo_station.h"
#include "station/rotation.h"
#include "station/station.h"
#include "support/run_fixture.h"
#include "support/scripted_operator.h"
#include "support/station_builder.h"
#include "support/temp_dir.h"

namespace spindle {
namespace {

constexpr double kMonday = 46363;  // 7 December 2026

// A log of two hours on Monday from 23:00 and one on Tuesday, written as the generator
// writes one: a header, hour lines and item lines.
std::vector<std::vector<std::string>> TwoDayLog() {
    const std::string hour23 = std::to_string(kMonday + 23.0 / 24);
    return {
        {"A", "46362.5", hour23, "X"},
        {"B", "0", hour23},
        {"3", "1", "0", "START OF HOUR", "0", "Hour Marker"},
        {"0", "2", "0", "/music/Band - Song.mp3", "215", "Hits"},
        {"1", "3", "0.0597", "/spots/Sponsor.mp3", "30", "<other>"},
        {"2", "4", "0.25", "/spots/Traffic.mp3", "20", "Sponsors"},
        {"4", "5", "0.3", "News", "3599", "Timed Break Note"},
        {"0", "6", "1.02", "/music/Late.mp3", "3600", "Hits"},
        {"B", "0", std::to_string(kMonday + 1)},
        {"0", "7", "1.1", "/music/Next.mp3", "180", "Gold"},
    };
}

// Hours with their rows and times; moving between hours wraps round the log, and a
// time outside it is said so rather than indexed.
TEST(PlaylistDocument, LoadsHoursWithTheirRowsAndTimesAndNavigationWraps) {
    test::TempDir dir;
    const std::string log = dir.Write("Dec0723.plg", test::ListLines(TwoDayLog()));
    PlaylistDocument doc;
    const auto report = doc.Load(log, true, FormatSettings::English());
    ASSERT_TRUE(report.Loaded);
    EXPECT_TRUE(report.Messages.empty());
    EXPECT_EQ(doc.StartHour(), 23);
    EXPECT_EQ(doc.HeaderFlag(), "X");
    EXPECT_EQ(doc.Last(), (LogHour{1, 0}));
    EXPECT_EQ(doc.MaxSequence(), 7u);

    const HourView view = doc.ViewOf({0, 23});
    // Each row as name|owner|folder|duration|start, "timed" when it keeps its minute.
    std::string rows;
    for (const HourRow& r : view.Rows) {
        rows += r.Filename + "|" + r.Owner + "|" + r.Folder + "|" + r.Duration + "|" +
                std::to_string(r.StartOffset) + (r.Timed ? "|timed\n" : "\n");
    }
    EXPECT_EQ(rows,
              "Hour Marker|<Hour Marker>||00:00|0\n"
              "Band - Song.mp3|Hits|/music|03:35|0\n"
              "Sponsor.mp3|<other>|/spots|00:30|215\n"
              "Traffic.mp3|{Sponsors}|/spots|00:20|900|timed\n"  // timed rows at their minute
              "News|<Timed Break Note>||59:59|1080|timed\n"
              "Late.mp3|Hits|/music|1:00:00|3864\n");
    EXPECT_EQ(view.Total, 215u + 30 + 20 + 3599 + 3600);
    // An item at or past its hour's end lies 60 minutes on.
    EXPECT_EQ(doc.Items()[5].Minute, 61);
    EXPECT_EQ(doc.ViewOf({1, 0}).Rows.size(), 1u);

    EXPECT_EQ(doc.PreviousHour({0, 0}), (LogHour{1, 23}));
    EXPECT_EQ(doc.NextHour({1, 23}), (LogHour{0, 0}));
    EXPECT_EQ(doc.NextHour({0, 23}), (LogHour{1, 0}));
    EXPECT_EQ(doc.HourOf(kMonday + 23.5 / 24), (LogHour{0, 23}));
    EXPECT_FALSE(doc.HourOf(kMonday - 30));
    EXPECT_EQ(doc.DayEntries(FormatSettings::English()).size(), 2u);
}

// A bad line is left out and reported by its number; every other line stays, so a
// later save keeps the hours after it. A log that does not start with its header is
// refused once.
TEST(PlaylistDocument, BadLinesAreSkippedAndTheRestKept) {
    test::TempDir dir;
    auto lines = TwoDayLog();
    lines[0].resize(3);  // a header of three fields
    lines[4][2] = "soon";
    PlaylistDocument doc;
    auto report =
        doc.Load(dir.Write("b.plg", test::ListLines(lines)), true, FormatSettings::English());
    ASSERT_TRUE(report.Loaded);
    EXPECT_EQ(doc.HeaderFlag(), " ");
    ASSERT_EQ(report.Messages.size(), 1u);
    EXPECT_EQ(report.Messages[0].second,
              "The Playlist Log file is incomplete.\nLines 5 could not be read and were left "
              "out; every other line is kept.");
    EXPECT_EQ(doc.Items().size(), 6u);
    EXPECT_EQ(doc.ViewOf({1, 0}).Rows.size(), 1u);

    lines.erase(lines.begin());
    report = doc.Load(dir.Write("c.plg", test::ListLines(lines)), true, FormatSettings::English());
    EXPECT_FALSE(report.Loaded);
    ASSERT_EQ(report.Messages.size(), 1u);
    EXPECT_EQ(report.Messages[0].second, "Invalid Playlist Log file.");
    EXPECT_TRUE(doc.Empty());
}

// Edits name rows by ids: a replacement replaced again stays one replacement, a cut
// pastes once, timed rows stay where they are, and a clipboard whose items Undo took
// away pastes nothing rather than something freed.
TEST(PlaylistDocument, EditsKeepTheirItemsStraight) {
    test::TempDir dir;
    PlaylistDocument doc;
    doc.Load(dir.Write("e.plg", test::ListLines(TwoDayLog())), true, FormatSettings::English());
    const LogHour hour{0, 23};
    auto ids = [&] { return test::RowIds(doc, hour); };
    auto names = [&] {
        std::vector<std::string> v;
        for (const HourRow& r : doc.ViewOf(hour).Rows) {
            v.push_back(r.Filename);
        }
        return v;
    };
    const auto start = ids();
    const std::size_t total = doc.Items().size();

    const std::uint64_t first = doc.Replace(start[1], "/music/A.mp3", 200, "Hits", 0, {});
    const std::uint64_t again =
        doc.Replace(first, "/music/B.mp3", 0, "Hits", 0, [](const std::string&) { return 77u; });
    EXPECT_EQ(again, first);
    EXPECT_EQ(doc.Items().size(), total + 1);  // one removed, one replacement
    EXPECT_EQ(doc.Find(first)->Duration, 77u);
    EXPECT_EQ(doc.Find(start[1])->State, EditState::Removed);
    EXPECT_TRUE(doc.Modified());

    // Timed rows cannot be cut or dragged, but can be deleted.
    doc.Cut({start[3]});
    EXPECT_FALSE(doc.CanPaste());
    EXPECT_TRUE(doc.Move(hour, {start[3]}, std::nullopt).empty());

    // Drag the first row below the third: cut and pasted before the fourth.
    doc.Move(hour, {ids()[0]}, ids()[3]);
    EXPECT_EQ(names()[2], "Hour Marker");
    doc.Undo();

    doc.Cut({ids()[1]});
    ASSERT_TRUE(doc.CanPaste());
    const auto pasted = doc.Paste(hour, {});
    ASSERT_EQ(pasted.size(), 1u);
    EXPECT_EQ(names().back(), "B.mp3");
    EXPECT_FALSE(doc.CanPaste());  // a cut pastes once
    EXPECT_EQ(doc.Find(pasted[0])->Sequence, doc.MaxSequence());

    doc.Copy(pasted);
    doc.Undo();  // the pasted item is gone again
    EXPECT_TRUE(doc.Paste(hour, {}).empty());

    EXPECT_TRUE(doc.Exchange(ids()[0], ids()[1]));
    EXPECT_EQ(names()[1], "Hour Marker");
    doc.Delete({start[3]});
    EXPECT_EQ(doc.Find(start[3])->State, EditState::Removed);
    EXPECT_TRUE(doc.Paste({5, 10}, {}).empty());  // an hour the log does not hold
}

// A search looks at file names only and goes round once; Replace All takes every live
// copy of the chosen item in the log wherever the search stands (not every name holding
// it, nor a copy the operator deleted) and ends even when the replacement matches. Undo
// gives back the document as it was, unmodified too, once.
TEST(PlaylistDocument, FindAndReplaceAll) {
    test::TempDir dir;
    auto lines = TwoDayLog();
    lines[3][3] = "/Songs/My Song.mp3";
    lines[4][3] = "/x/SONG.mp3";
    lines[6][3] = "/x/Song.mp3";
    lines[7][3] = "/x/Songbird.mp3";
    lines[9][3] = "/x/song.mp3";
    PlaylistDocument doc;
    doc.Load(dir.Write("f.plg", test::ListLines(lines)), true, FormatSettings::English());
    auto name = [&](std::optional<std::uint64_t> id) {
        return id ? ExtractFileName(doc.Find(*id)->Path) : std::string("none");
    };
    auto found = FindNextItem(doc, std::nullopt, "SONG", SearchDirection::Down, false);
    EXPECT_EQ(name(found), "My Song.mp3");
    found = FindNextItem(doc, found, "song", SearchDirection::Down, false);
    EXPECT_EQ(name(found), "SONG.mp3");
    const auto last = FindNextItem(doc, std::nullopt, "song", SearchDirection::Up, false);
    EXPECT_EQ(name(last), "song.mp3");
    EXPECT_FALSE(FindNextItem(doc, last, "song", SearchDirection::Down, false));
    EXPECT_EQ(name(FindNextItem(doc, last, "song", SearchDirection::Down, true)), "My Song.mp3");

    const Replacement with{"/x/Song (live).mp3", 200, 0, "Hits"};
    EXPECT_EQ(ReplaceAllItems(doc, "", "Song.mp3", with, {}), 3);
    doc.Undo();
    doc.Undo();  // one level: nothing more to give back
    EXPECT_FALSE(doc.Modified());
    EXPECT_FALSE(doc.CanUndo());
    EXPECT_EQ(doc.Items().size(), 7u);
    doc.Delete({*found});
    EXPECT_EQ(ReplaceAllItems(doc, "", "Song.mp3", with, {}), 2);  // not My Song.mp3
    EXPECT_EQ(doc.Find(*found)->State, EditState::Removed);
    EXPECT_EQ(doc.ViewOf({0, 23}).Rows.size(), 5u);  // the deleted row stays away
    EXPECT_EQ(ReplaceAllItems(doc, "/x/Songbird.mp3", "", Replacement{}, {}),
              1);  // an empty replacement deletes
    EXPECT_FALSE(FindNextItem(doc, std::nullopt, "songbird", SearchDirection::Down, false));
}

// Inserting at chosen minutes walks each hour by its entries' lengths: minute 0 goes
// before the hour's first entry, a minute inside an entry before that entry, and the
// minutes the hour does not reach (60 always) at its end, in the log's last hour too.
TEST(PlaylistDocument, InsertsAtTheCurrentPositionAndAtChosenMinutes) {
    test::TempDir dir;
    auto lines = TwoDayLog();
    lines[9][1] = "0";  // an item without a running number
    PlaylistDocument doc;
    doc.Load(dir.Write("i.plg", test::ListLines(lines)), true, FormatSettings::English());
    const std::size_t before = doc.Items().size();
    Selection note{SelectKind::BreakNote, "30:Weather news", BreakNoteSeconds("30:Weather news")};
    const auto inserted =
        doc.InsertAtMinutes(InsertedItem(note, true), {0, 1}, {0, 23}, {0, 4, 60},
                            [](const EditorItem& item) { return double(item.Duration); });
    ASSERT_EQ(inserted.size(), 6u);
    std::string walk;
    for (const EditorItem& item : doc.Items()) {
        walk += item.Type == kItemBreakNote && item.State == EditState::Changed
                    ? "[" + std::to_string(item.Minute) + "]"
                    : ExtractFileName(item.Path).substr(0, 2) + " ";
    }
    EXPECT_EQ(walk, "[0]ST Ba [4]Sp Tr Ne La [60][0]Ne [4][60]");
    const EditorItem& last = *doc.Find(inserted.back());
    EXPECT_EQ(last.Duration, 30u);
    EXPECT_EQ(last.GroupName, "Timed Break Note");
    EXPECT_EQ((LogHour{last.Day, last.Hour}), (LogHour{1, 0}));
    EXPECT_EQ(last.Sequence, 0u);  // next to an item without a number
    EXPECT_EQ(doc.ViewOf({0, 23}).Rows[0].Owner, "<Timed Break Note>");
    doc.Undo();
    EXPECT_EQ(doc.Items().size(), before);

    // At the current position: before the selected row, else after the hour's last row.
    const auto rows = doc.ViewOf({0, 23}).Rows;
    Selection other{SelectKind::Other, "/x/Promo.wav", 12};
    const auto at = doc.Insert({0, 23}, {rows[2].Id}, {InsertedItem(other, false)});
    ASSERT_EQ(at.size(), 1u);
    EXPECT_EQ(doc.ViewOf({0, 23}).Rows[2].Id, at[0]);
    EXPECT_EQ(doc.Find(at[0])->Type, kItemVoice);  // a type the playlists carry
    const auto end = doc.Insert({0, 23}, {}, {InsertedItem(other, false)});
    EXPECT_EQ(doc.ViewOf({0, 23}).Rows.back().Id, end.at(0));
    EXPECT_TRUE(doc.Insert({3, 5}, {}, {InsertedItem(other, false)}).empty());
}

// What the Select dialog's kinds insert and replace with, and what a drop takes.
TEST(PlaylistDocument, SelectionsAndDropsTakeTheirKinds) {
    EXPECT_EQ(BreakNoteSeconds("30:Weather news"), 30u);
    EXPECT_EQ(BreakNoteSeconds("Weather: sunny"), 0u);
    EXPECT_EQ(BreakNoteSeconds("News"), 0u);
    const Selection timed{SelectKind::TimedSpot, "/s/Traffic.mp3", 20, "Sponsors"};
    EXPECT_EQ(ReplacementFor(timed).Type, kItemTimedSpot);  // keeps its kind
    EXPECT_EQ(ReplacementFor(timed).Group, "Sponsors");
    EXPECT_EQ(InsertedItem({SelectKind::BreakNote, "News"}, false).GroupName, "Break Note");
    EXPECT_EQ(ReplacementFor({SelectKind::VoiceIntro, "/v/a.wav"}).Group, "<other>");

    EXPECT_EQ((std::vector<int>{DropType(true, true, true), DropType(false, true, true),
                                DropType(false, false, true), DropType(false, false, false)}),
              (std::vector<int>{kItemVoice, kItemOutro, kItemSpot, kItemTrack}));

    test::TempDir dir;
    std::filesystem::create_directories(dir.Path() / "music");
    const std::string song = (dir.Path() / "music/Song.mp3").string();
    std::filesystem::copy_file(test::DataPath("audio/cbr-64k-id3v2.mp3"), song);
    const std::string notes = dir.Write("music/Notes.txt", "x");
    const std::string list =
        dir.Write("music/list.m3u", "#EXTM3U\nSong.mp3\nGone.mp3\nhttp://radio.example/stream\n");
    Options options;
    auto paths = [](const std::vector<DroppedItem>& items) {
        std::string s;
        for (const auto& i : items) {
            s += ExtractFileName(i.Path) + ":" + std::to_string(i.Type) + " ";
        }
        return s;
    };
    const std::vector<std::string> dropped{song, notes, (dir.Path() / "music").string(), list};
    EXPECT_EQ(paths(DroppedItems(dropped, kItemOutro, false, false, options)),
              "Song.mp3:8 Song.mp3:0 ");
    EXPECT_EQ(paths(DroppedItems({list}, kItemVoice, true, true, options)), "list.m3u:1 ");
    options.Extensions.Select("M3U", false);
    EXPECT_EQ(paths(DroppedItems({list}, kItemVoice, true, false, options)), "");
}

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

// An hour of three tracks and a spot, and a library to replace them from.
class InstantReplaceTest : public ::testing::Test {
protected:
    InstantReplaceTest() : station(dir.Path(), op, FormatSettings::English()) {
        auto hits = std::make_unique<TCategoryDetails>();
        hits->Name = "Hits";
        for (const char* name : {"A - One", "B - Two", "A - Three", "C - Four"}) {
            FileRec f;
            f.FileName = std::string("/music/") + name + ".mp3";
            f.Duration = 200;
            f.Index = static_cast<std::int32_t>(hits->Files.size());
            hits->Files.push_back(f);
        }
        station.Categories.push_back(std::move(hits));
        auto ids = std::make_unique<TSpotDetails>();
        ids->Name = "IDs";
        ids->Files = {FileRec{"/spots/ID2.mp3", 0, 0, 0, 12, 0}};
        station.SpotGroups.push_back(std::move(ids));
        station.Random.Seed(3);
        const std::string start = "46363";
        doc.Load(
            dir.Write("x.plg",
                      test::ListLines({{"A", "46362", start},
                                       {"B", "0", start},
                                       {"0", "1", "0", "/music/B - Two.mp3", "200", "Hits"},
                                       {"0", "2", "0.06", "/music/A - One.mp3", "200", "Hits"},
                                       {"1", "3", "0.12", "/spots/ID1.mp3", "10", "IDs"},
                                       {"0", "4", "0.13", "/music/C - Four.mp3", "200", "Lost"}})),
            true, station.Settings());
    }
    std::uint64_t Row(std::size_t i) const { return doc.ViewOf({0, 0}).Rows[i].Id; }

    test::TempDir dir;
    test::ScriptedOperator op;
    Station station;
    PlaylistDocument doc;
};

TEST_F(InstantReplaceTest, TracksUnderTheIntervalsAndSpotsFromTheirGroup) {
    // Same artist: only another file by A will do.
    auto done = InstantReplace(doc, station, Row(1), true, 0, 0, {});
    ASSERT_TRUE(done.Replaced()) << done.Message;
    EXPECT_EQ(doc.Find(done.Id)->Path, "/music/A - Three.mp3");

    // Under the intervals the neighbours decide, across the removed item: B stands
    // before the row and C after it, so only D will do; without D, the reason is told.
    auto& files = station.Categories[0]->Files;
    files = {files[1], files[3]};  // B - Two, C - Four
    station.RebuildArtists();
    done = InstantReplace(doc, station, Row(1), false, 0, 3600, {});
    EXPECT_EQ(done.Message,
              "Unable to replace \"A - Three.mp3\" due to Artist Repeat Interval constraints.");
    done = InstantReplace(doc, station, Row(1), false, 3600, 0, {});
    EXPECT_EQ(done.Message,
              "Unable to replace \"A - Three.mp3\" due to Song Repeat Interval constraints.");
    files.push_back(FileRec{"/music/D - Five.mp3", 0, 0, 0, 180, 2});
    station.RebuildArtists();
    done = InstantReplace(doc, station, Row(1), false, 3600, 3600, {});
    ASSERT_TRUE(done.Replaced()) << done.Message;
    EXPECT_EQ(doc.Find(done.Id)->Path, "/music/D - Five.mp3");
    EXPECT_EQ(doc.Find(done.Id)->Duration, 180u);

    done = InstantReplace(doc, station, Row(2), false, 0, 0, {});
    ASSERT_TRUE(done.Replaced());
    EXPECT_EQ(doc.Find(done.Id)->Path, "/spots/ID2.mp3");
    EXPECT_EQ(InstantReplace(doc, station, Row(3), false, 0, 0, {}).Message,
              "Unable to find Category Lost");

    // A Category's own song interval is in minutes: ten keep C - Four, two rows on, away
    // from the first row; six do not. A replacement that fails leaves the log unmodified
    // and no Undo behind.
    doc.Load(dir / "x.plg", true, station.Settings());
    station.Categories[0]->Files = {FileRec{"/music/B - Two.mp3", 0, 0, 0, 200, 0}};
    EXPECT_FALSE(InstantReplace(doc, station, Row(0), false, 0, 0, {}).Replaced());  // itself
    station.Categories[0]->Files = {FileRec{"/music/C - Four.mp3", 0, 0, 0, 200, 0}};
    station.Categories[0]->SongRepeatOption = kRepeatSpecify;
    for (const std::uint32_t minutes : {10u, 6u}) {
        station.Categories[0]->SongRepeatInterval = minutes;
        doc.BeginEdit();
        EXPECT_EQ(InstantReplace(doc, station, Row(0), false, 0, 0, {}).Replaced(), minutes == 6);
        EXPECT_EQ(std::pair(doc.Modified(), doc.CanUndo()), std::pair(minutes == 6, minutes == 6));
    }
}

// The run's artist keys decide, in the log and before its start (the track lists' last
// uses): a related or a credited artist within the interval blocks a replacement.
TEST_F(InstantReplaceTest, RunsArtistKeysAcrossTheLogsStart) {
    struct Case {
        std::size_t Row;  // 0 opens the log; 1 follows "B - Two" (200 s)
        const char* Candidate;
        const char* Earlier;  // another Category's track, last used `At` s from the start
        int At;
        const char* Related;
        bool Credited;
        std::uint32_t Song, Artist;
        const char* Blocked;  // the reason told, or nullptr for a replacement
    };
    const Case cases[] = {
        {1, "D - Five", "B - Two", 0, "B;D;", false, 0, 3600, "Artist"},
        {0, "D - Five", "G - Old", -600, "G;D;", false, 0, 3600, "Artist"},
        {0, "D feat. G - Five", "G - Old", -600, "", true, 0, 3600, "Artist"},
        {0, "D feat. G - Five", "G - Old", -600, "", false, 0, 3600, nullptr},
        {0, "D - Five", "D - Old", -3500, "", false, 0, 3600, "Artist"},
        {1, "D - Five", "D - Old", -3500, "", false, 0, 3600, nullptr},  // 3700 s apart
        {0, "D - Five", "D - Old", 7200, "", false, 0, 3600, nullptr},   // this log's own
        {0, "D - Five", "D - Five", -600, "", false, 3600, 0, "Song"},
    };
    station.Categories.push_back(std::make_unique<TCategoryDetails>());
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        doc.Load(dir / "x.plg", true, station.Settings());
        const TDateTime used = 46363.0 + c.At / kSecondsPerDay;
        station.Categories[0]->Files = {
            FileRec{std::string("/music/") + c.Candidate + ".mp3", 0, 0, 0, 180, 0}};
        station.Categories[1]->Files = {
            FileRec{std::string("/music/") + c.Earlier + ".mp3", 0, used, used, 200, 0}};
        station.Opt.CreditedArtists = c.Credited;
        station.Related.SetLines({c.Related});
        station.RebuildArtists();
        const auto done = InstantReplace(doc, station, Row(c.Row), false, c.Song, c.Artist, {});
        EXPECT_EQ(done.Replaced(), c.Blocked == nullptr) << done.Message;
        if (c.Blocked != nullptr) {
            EXPECT_NE(done.Message.find(std::string(c.Blocked) + " Repeat"), std::string::npos);
        }
    }
}

// The editor's document driven by thousands of random edits on a generated week: after
// each, every item is accounted for, an undo gives back exactly what was, hour totals are
// the sums of their rows, and no instant replacement repeats a song within its interval.
// An item whole, to compare.
auto Fields(const EditorItem& x) {
    return std::tie(x.Id, x.Path, x.Day, x.Hour, x.Type, x.GroupName, x.Duration, x.Sequence,
                    x.State, x.Minute);
}

TEST(EditProperties, RandomEditsKeepTheDocumentSound) {
    test::TempDir dir;
    test::StationBuilder b(dir);
    std::vector<std::string> songs;
    for (int i = 0; i < 40; ++i) {
        songs.push_back("Artist" + std::to_string(i % 25) + " - Song" + std::to_string(i));
    }
    b.AddCategory("Hits", {b.MusicFolder("Hits", songs, 200)});
    b.AddSpotGroup("IDs", {b.SpotFolder("IDs", {"ID1", "ID2", "ID3"}, 10)});
    b.AddRotation("A",
                  {MakeSpotGroupItem("IDs"), MakeCategoryItem("Hits"), MakeCategoryItem("Hits"),
                   MakeSpotGroupItem("IDs", 30), MakeCategoryItem("Hits")},
                  true);
    b.AddSchedule("All", "1111111", "A");
    test::RunFrom(b.Opt(), 46363, 0, 7 * 24);
    b.Opt().TimeCheck = false;
    b.Save();
    UnattendedOperator op;
    ASSERT_TRUE(test::Generate(b.Get(), op).Ok);
    PlaylistDocument doc;
    const Options& o = b.Opt();
    doc.Load(o.LogFolderPath() + o.LogBaseName + ".plg", true, b.Get().Settings());
    const std::uint32_t song = 3 * 3600;

    std::mt19937 random(7);
    auto pick = [&](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    for (int step = 0; step < 2000; ++step) {
        const LogHour hour{static_cast<int>(pick(7)), static_cast<int>(pick(24))};
        const HourView view = doc.ViewOf(hour);
        if (view.Rows.empty()) {
            continue;
        }
        std::vector<std::uint64_t> some;
        for (std::size_t n = 1 + pick(3); n > 0; --n) {
            some.push_back(view.Rows[pick(view.Rows.size())].Id);
        }
        const std::vector<EditorItem> before = doc.Items();
        const bool undoable = doc.CanUndo();
        bool edited = true;
        switch (pick(6)) {
            case 0:
                doc.Delete(some);
                break;
            case 1:
                doc.Copy(some);
                edited = !doc.Paste(hour, {some[0]}).empty();
                break;
            case 2:
                edited = !doc.Move(hour, {some[0]}, some.back()).empty();
                break;
            case 3:
                edited = doc.Exchange(some[0], some.back());
                break;
            case 4: {
                doc.BeginEdit();
                const ReplaceOutcome done =
                    InstantReplace(doc, b.Get(), some[0], false, song, 0, {});
                edited = done.Replaced();  // a refusal leaves the last Undo as it was
                if (done.Replaced() && doc.Find(done.Id)->Type == kItemTrack) {
                    // No live item with the same file within the song interval around it
                    // (spots come from their group without intervals), on the clock: each
                    // hour from its start, its items one after the other.
                    const auto& items = doc.Items();
                    std::vector<std::int64_t> at(items.size());
                    for (std::size_t i = 0, since = 0; i < items.size(); ++i) {
                        const EditorItem& x = items[i];
                        if (i == 0 || x.Day != items[i - 1].Day || x.Hour != items[i - 1].Hour) {
                            since = 0;
                        }
                        at[i] = (x.Day * 24 + x.Hour) * 3600 + static_cast<std::int64_t>(since);
                        since += x.State == EditState::Removed ? 0 : x.Duration;
                    }
                    const std::size_t mine = *doc.IndexOf(done.Id);
                    for (std::size_t i = 0; i < items.size(); ++i) {
                        ASSERT_FALSE(i != mine && items[i].State != EditState::Removed &&
                                     LowerCase(items[i].Path) == LowerCase(items[mine].Path) &&
                                     std::llabs(at[i] - at[mine]) < song)
                            << step;
                    }
                } else if (!done.Replaced() && !PlaylistDocument::IsTimed(*doc.Find(some[0]))) {
                    EXPECT_FALSE(done.Message.empty()) << step;  // a refusal says why
                }
                break;
            }
            default:
                if (undoable) {
                    doc.Undo();
                }
                edited = false;
                break;
        }
        // Every item is accounted for: none is lost, ids stay unique, new ones are new.
        std::set<std::uint64_t> now;
        for (const EditorItem& item : doc.Items()) {
            ASSERT_TRUE(now.insert(item.Id).second) << step;
        }
        if (edited) {
            for (const EditorItem& item : before) {
                ASSERT_TRUE(now.count(item.Id)) << "item " << item.Id << " lost at step " << step;
            }
        }
        // The hour's total is the sum of its rows.
        const HourView after = doc.ViewOf(hour);
        std::uint32_t sum = 0;
        for (const EditorItem& item : doc.Items()) {
            if (item.Day == hour.Day && item.Hour == hour.Hour &&
                item.State != EditState::Removed) {
                sum += item.Duration;
            }
        }
        ASSERT_EQ(after.Total, sum) << step;
        // Now and then, an undo gives back exactly what was.
        if (edited && pick(4) == 0) {
            doc.Undo();
            ASSERT_TRUE(std::ranges::equal(doc.Items(), before, {}, Fields, Fields)) << step;
        }
    }
}

// A generated day of hourly playlist files, opened in the editor.
class DocumentSave : public ::testing::Test {
protected:
    DocumentSave() : b(dir) {
        b.AddCategory(
            "Hits", {b.MusicFolder(
                        "Hits", {"A - One", "B - Two", "C - Three", "D - Four", "E - Five"}, 600)});
        b.AddSpotGroup("IDs", {b.SpotFolder("IDs", {"ID"}, 10)});
        b.AddRotation(
            "A", {MakeSpotGroupItem("IDs"), MakeCategoryItem("Hits"), MakeCategoryItem("Hits")},
            true);
        b.AddSchedule("All", "1111111", "A");
        b.Get().Clock = [] { return 46363 - 1 + 0.5; };  // the day before the log's
        test::RunFrom(b.Opt(), 46363, 0, 3);
        b.Opt().PlaylistPeriod = kPeriodHour;
        b.Opt().FilenameFormat = "mmmdd-hh\".m3u\"";
        b.Opt().TimeCheck = false;
        b.Save();
        b.Get().FixedSeed = 4;
        test::Generate(b.Get(), op);
        base = b.Opt().LogFolderPath() + b.Opt().LogBaseName;
        doc.Load(base + ".plg", false, b.Get().Settings());
    }
    std::vector<std::uint64_t> Rows(LogHour hour) const { return test::RowIds(doc, hour); }

    test::TempDir dir;
    test::StationBuilder b;
    UnattendedOperator op;
    std::string base;
    PlaylistDocument doc;
};

// A run of the demo station (spots, timed spots of its rotation and of its schedule,
// Hour Markers, crossfades): a save that changed nothing gives the log back byte for
// byte but for its creation time, which becomes the document's Last Modified. Replacing
// a timed spot with a spot and a track everywhere changes those two lines only: the spot
// stays timed at its time, and every other line, numbers too, stays as it was.
TEST(DocumentSaveRoundTrip, WhatWasNotEditedIsWrittenAsRead) {
    test::TempDir dir;
    ASSERT_EQ(MakeDemoStation(dir.Path()), "");
    UnattendedOperator op;
    Station station(dir.Path() / "data", op, FormatSettings::English());
    station.LoadAll();
    test::RunFrom(station.Opt, 46363, 7, 2);
    station.Opt.CrossfadeAllowance = "20";
    station.FixedSeed = 5;
    station.Clock = [] { return 46362.5; };
    ASSERT_TRUE(test::Generate(station, op).Ok);
    const std::string base = station.Opt.LogFolderPath() + station.Opt.LogBaseName;
    const std::string written = test::ReadAll(base + ".plg");
    const auto playlists = test::Snapshot(station.Opt.PlaylistFolder);
    PlaylistDocument doc;
    doc.Load(base + ".plg", false, station.Settings());

    // The rows follow the run's clock (its hours start afresh), not the plain sum.
    const HourView hour = doc.ViewOf({0, 8}, 20.0, true);
    for (const HourRow& row : hour.Rows) {
        if (!row.Timed) {
            EXPECT_NEAR(row.StartOffset, (std::stod(doc.Find(row.Id)->TimeText) - 1) * 3600, 1);
        }
    }
    EXPECT_GE(hour.OnAir, 3600 - 120);  // filled to within the time check
    EXPECT_GT(hour.Total, hour.OnAir + 200);

    doc.SetModified(true);
    station.Clock = [] { return 46363.25; };
    RunReport report(op, nullptr);
    ASSERT_TRUE(SaveDocument(doc, station, base, report));
    EXPECT_EQ(test::ReadAll(base + ".plg"), "A,\"46363.25\"" + written.substr(11));
    EXPECT_EQ(doc.LastModified(), 46363.25);
    EXPECT_FALSE(doc.Modified());
    EXPECT_EQ(test::ReadAll(base + ".bak"), written);
    EXPECT_EQ(test::Snapshot(station.Opt.PlaylistFolder), playlists);

    // A timed spot (the schedule's, a little after its minute) replaced by a spot, and a
    // track replaced everywhere, by files of the same lengths and crossfade marks: the spot
    // stays timed at its time, and every other line, numbers too, stays as it was.
    auto first = [&](int type, int minute) {
        return *std::ranges::find_if(doc.Items(), [&](const EditorItem& item) {
            return item.Hour == 7 && item.Type == type && (minute < 0 || item.Minute == minute);
        });
    };
    const EditorItem timed = first(kItemTimedSpot, 30);
    const EditorItem track = first(kItemTrack, -1);
    std::string expected = test::ReadAll(base + ".plg");
    for (const EditorItem& item : {timed, track}) {
        const std::string time = QuotedField(item.TimeText) + ",";
        const std::size_t at = expected.find(time + QuotedField(item.Path));
        expected.replace(at + time.size(), item.Path.size() + 2,
                         QuotedField("/new/" + ExtractFileName(item.Path)));
    }
    doc.Replace(timed.Id, "/new/" + ExtractFileName(timed.Path), timed.Duration, timed.GroupName,
                kItemSpot, {});
    const Replacement with{"/new/" + ExtractFileName(track.Path), track.Duration, kItemTrack,
                           track.GroupName};
    EXPECT_EQ(ReplaceAllItems(doc, track.Path, "", with, {}), 1);
    ASSERT_TRUE(SaveDocument(doc, station, base, report));
    EXPECT_EQ(test::ReadAll(base + ".plg"), expected);
}

// Delete and replace reach the log and the playlists; the replacement's last use
// reaches its track list; an item moved before the first of an hour that starts a
// playlist file keeps every file apart.
TEST_F(DocumentSave, EditsReachTheLogTheLibraryAndThePlaylists) {
    const std::size_t files = test::Snapshot(b.Opt().PlaylistFolder).size();
    const auto first = Rows({0, 0});
    doc.Delete({first[0]});
    TCategoryDetails& hits = *b.Get().Categories[0];
    // A file nowhere else in the log.
    FileRec& fresh =
        hits.Files.emplace_back(FileRec{dir / "music/Hits/F - Six.mp3", 0, 1.0, 0, 600});
    doc.Replace(first[1], fresh.FileName, fresh.Duration, "Hits", 0, {});
    // Before the day's first item, and of a kind older editors could not save.
    doc.Insert({0, 0}, {Rows({0, 0})[0]},
               {InsertedItem({SelectKind::Other, dir / "Promo.wav", 12}, false)});
    const auto second = Rows({0, 1});
    doc.Cut({second[1]});
    doc.Paste({0, 1}, {second[0]});
    RunReport report(op, nullptr);
    b.Get().Changed = ChangedFlags{};
    ASSERT_TRUE(SaveDocument(doc, b.Get(), base, report));

    PlaylistDocument reloaded;
    reloaded.Load(base + ".plg", false, b.Get().Settings());
    const HourView hour = reloaded.ViewOf({0, 0});
    EXPECT_EQ(hour.Rows.size(), Rows({0, 0}).size());
    EXPECT_EQ(hour.Rows[0].Filename, "Promo.wav");
    EXPECT_EQ(hour.Rows[1].Filename, fs::path(fresh.FileName).filename().string());
    EXPECT_EQ(reloaded.Hours().size(), 3u);
    EXPECT_GT(fresh.LastUsed, 46363.0);  // after the promo inserted before it
    EXPECT_LT(fresh.LastUsed, 46363.0 + 13.0 / 86400);
    EXPECT_TRUE(b.Get().Changed.FileLists);
    EXPECT_EQ(test::Snapshot(b.Opt().PlaylistFolder).size(), files);
    const std::string playlist = test::ReadAll(b.Opt().PlaylistFolder + "/Dec07-00.m3u");
    EXPECT_NE(playlist.find(fs::path(fresh.FileName).filename().string()), std::string::npos);
    EXPECT_NE(playlist.find("Promo.wav"), std::string::npos);
}

// A save refused or failed says why and leaves the log, its backup and the edits as they
// were: over a log that a new run of its period wrote since it was opened (saved over
// only when asked), where the old copy cannot become the backup, and from a log whose
// first or a later hour line cannot be read (its items would be saved under another
// hour); the operator is told so when the log is opened.
TEST_F(DocumentSave, RefusedAndFailedSavesKeepTheLogItsBackupAndTheEdits) {
    const std::string bak = base + ".bak";
    auto refused = [&](const std::string& says) {
        const auto files = test::Snapshot(b.Opt().LogFolderPath());  // the log and its .bak
        doc.Delete({Rows({0, 0})[0]});
        RunReport report(op, nullptr);
        EXPECT_FALSE(SaveDocument(doc, b.Get(), base, report));
        EXPECT_TRUE(doc.Modified());
        EXPECT_EQ(test::Snapshot(b.Opt().LogFolderPath()), files);
        EXPECT_NE(report.Lines().back().find(says), std::string::npos) << says;
    };
    test::Generate(b.Get(), op);
    refused("changed on disk since it was opened");
    RunReport report(op, nullptr);
    EXPECT_TRUE(SaveDocument(doc, b.Get(), base, report, true));
    EXPECT_FALSE(doc.ChangedOnDisk());

    fs::remove(bak);
    fs::create_directories(bak + "/in the way");
    refused("Unable to rename Playlist Log file.");

    const std::string good = test::ReadAll(base + ".plg");
    const std::size_t first = good.find("\r\nB,0,") + 2, second = good.find("\r\nB,", first) + 2;
    for (const auto& [at, damage] : {std::pair{first + 5, 'x'}, std::pair{second, 'X'}}) {
        std::string text = good;
        text[at] = damage;  // the first hour line's time, then a later one's tag
        dir.Write(base + ".plg", text);
        EXPECT_EQ(doc.Load(base + ".plg", false, b.Get().Settings()).Messages.size(), 2u);
        refused("some of its hour lines could not be read");
    }
}

}  // namespace
}  // namespace spindle
