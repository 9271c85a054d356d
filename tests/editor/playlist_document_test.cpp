#include "editor/playlist_document.h"

#include "editor/find_replace.h"
#include "editor/insertion.h"
#include "station/options.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/paths.h"
#include "support/run_fixture.h"
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

}  // namespace
}  // namespace spindle
