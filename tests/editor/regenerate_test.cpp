// Hours of a log made again, and the replacement list, on stations small enough that each
// rule decides once.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>

#include "base/float_text.h"
#include "base/unattended_operator.h"
#include "editor/document_save.h"
#include "editor/log_context.h"
#include "editor/regenerate.h"
#include "editor/replacement_list.h"
#include "station/rotation.h"
#include "stationdb/station_db.h"
#include "support/recorded_plays.h"
#include "support/rule_station.h"
#include "support/run_fixture.h"
#include "support/station_builder.h"

namespace spindle {
namespace {

constexpr std::int64_t kDay = 46363;  // the log's first day

// A station of one Category of ten-minute songs whose Rotation plays one a hour, with the
// hour check off so that every hour holds its one song.
class Regenerate : public ::testing::Test {
protected:
    Regenerate() : b(dir) {
        const auto folder = b.MusicFolder(
            "Hits",
            {"A - One", "A - Uno", "B - Two", "C - Three", "D - Four", "E - Five", "F - Six"}, 600);
        b.AddCategory("Hits", {folder});
        b.AddRotation("R", {MakeCategoryItem("Hits")}, true);
        b.AddSchedule("All", "1111111", "R");
        b.Opt().TimeCheck = false;
        b.Opt().SystemSongInterval = "90";
        b.Opt().SystemArtistInterval = "0";
        b.Save();
    }

    std::string Song(const std::string& name) {
        return (dir.Path() / "music" / "Hits" / (name + ".mp3")).string();
    }
    // The Category's tracks are these, in this play order, the first next.
    void PlayOrder(const std::vector<std::string>& names) {
        TCategoryDetails& hits = *b.Get().Categories[0];
        std::vector<FileRec> files;
        for (const std::string& name : names) {
            for (const FileRec& f : hits.Files) {
                if (f.FileName == Song(name)) {
                    files.push_back(f);
                }
            }
        }
        hits.Files = files;
        for (std::size_t k = 0; k < files.size(); ++k) {
            hits.Files[k].Index = static_cast<std::int32_t>(k);
        }
        hits.NextItem = 0;
        b.Get().RebuildArtists();
    }
    // A log of `hours` hours from kDay 00:00, an hour marker and the song named for it in
    // each, as a run writes them; loaded into `doc`.
    void WriteLog(int hours, const std::map<int, std::string>& songs) {
        std::vector<std::vector<std::string>> lines{{"A", "46362.5", std::to_string(kDay), "0"}};
        const FormatSettings& fs = b.Get().Settings();
        long n = 0;
        for (int h = 0; h < hours; ++h) {
            lines.push_back({"B", std::to_string(n), FloatToText(kDay + h / 24.0, fs)});
            lines.push_back({"3", std::to_string(n), std::to_string(h), "Hour Marker", "0", ""});
            if (const auto song = songs.find(h); song != songs.end()) {
                lines.push_back({"0", std::to_string(++n), std::to_string(h), Song(song->second),
                                 "600", "Hits"});
            }
        }
        log = dir.Write("data/Logs/Log.plg", test::ListLines(lines));
        ASSERT_TRUE(doc.Load(log, true, fs).Loaded);
    }
    std::vector<std::string> SongsOf(LogHour hour) const {
        std::vector<std::string> names;
        for (const HourRow& row : doc.ViewOf(hour).Rows) {
            if (row.Type == kItemTrack) {
                names.push_back(row.Filename.substr(0, row.Filename.size() - 4));
            }
        }
        return names;
    }
    RegenerateOutcome Remake(LogHour from, LogHour to) {
        RunReport report(op, nullptr);
        return RegenerateHours(doc, b.Get(), from, to, report, 1);
    }

    test::TempDir dir;
    test::StationBuilder b;
    UnattendedOperator op;
    PlaylistDocument doc;
    std::string log;
};

// The songs on either side decide: each case leaves one song clean for the hour made again,
// and the song next in the play order is one that only the hours after it rule out.
TEST_F(Regenerate, TheLogOnBothSidesDecides) {
    struct Case {
        std::string Rule;  // besides the repeat intervals; "" for none
        std::map<int, std::string> Log;
        LogHour Hour;
        const char* Clean;
    };
    const Case cases[] = {
        // The song interval: B an hour before, A an hour after.
        {"",
         {{0, "C - Three"}, {1, "B - Two"}, {2, "F - Six"}, {3, "A - One"}},
         {0, 2},
         "C - Three"},
        // A cap of two plays of a track a day: A once before and once after, B twice after.
        {"cap track 2 per day",
         {{0, "A - One"}, {5, "B - Two"}, {9, "B - Two"}, {12, "A - One"}},
         {0, 3},
         "C - Three"},
        // A window that lets C play only now: judged at the slot's own time, never in the
        // mirror of the plays after it.
        {"window track \"" + Song("C - Three") + "\" hours 02:00-03:00",
         {{1, "B - Two"}, {2, "F - Six"}, {3, "A - One"}},
         {0, 2},
         "C - Three"},
        // The hour rotation: A played at this time of day tomorrow, B an hour later.
        {"hour-rotation 90 minutes 1 days",
         {{26, "A - One"}, {27, "B - Two"}},
         {0, 2},
         "C - Three"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Rule);
        ASSERT_EQ(test::SetStationRules(b.DataFolder(), c.Rule.empty()
                                                            ? std::vector<std::string>{}
                                                            : std::vector<std::string>{c.Rule}),
                  "");
        PlayOrder({"A - One", "B - Two", "C - Three"});
        WriteLog(30, c.Log);
        const RegenerateOutcome done = Remake(c.Hour, c.Hour);
        ASSERT_TRUE(done.Done) << done.Problem;
        EXPECT_EQ(SongsOf(c.Hour), std::vector<std::string>{c.Clean});
        EXPECT_TRUE(done.Relaxed.empty() && done.Conflicts.empty());
    }
}

// The play history's airings just before the log and just after it (a later run's) count
// as the log's own plays do.
TEST_F(Regenerate, AiringsBeforeAndAfterTheLogCount) {
    {
        StationDb db(b.DataFolder(), StationDb::Mode::OrCreate);
        ASSERT_TRUE(test::RecordPlays(db, kDay - 1 / 24.0, kDay,
                                      {{Song("A - One"), kDay - 1 / 24.0, "Hits"}}));
        const TDateTime next = kDay + 5 / 24.0;
        ASSERT_TRUE(test::RecordPlays(db, next, next + 1 / 24.0,
                                      {{Song("B - Two"), next + 10 / kMinutesPerDay, "Hits"}}));
    }
    WriteLog(5, {{0, "F - Six"}, {1, "B - Two"}, {3, "A - One"}, {4, "F - Six"}});
    for (const LogHour hour : {LogHour{0, 0}, LogHour{0, 4}}) {
        PlayOrder({"A - One", "B - Two", "C - Three"});
        const RegenerateOutcome done = Remake(hour, hour);
        ASSERT_TRUE(done.Done) << done.Problem;
        EXPECT_EQ(SongsOf(hour), std::vector<std::string>{"C - Three"});
    }
}

// When every song breaks a rule the least breaking one plays, and what it makes the songs
// after the hours break is listed; Undo takes it all back in one step.
TEST_F(Regenerate, ConflictsAfterTheHoursAreListedAndUndoTakesThemBack) {
    PlayOrder({"B - Two", "A - One"});
    WriteLog(5, {{1, "B - Two"}, {2, "F - Six"}, {3, "A - One"}});
    const std::vector<EditorItem> before = doc.Items();
    auto lastUses = [&] {
        std::vector<TDateTime> uses;
        for (const FileRec& f : b.Get().Categories[0]->Files) {
            uses.push_back(f.LastUsed);
        }
        b.Get().Artists.ForEach([&](const ArtistRec& a) { uses.push_back(a.LastPlayed); });
        return uses;
    };
    const std::vector<TDateTime> uses = lastUses();
    const RegenerateOutcome done = Remake({0, 2}, {0, 2});
    EXPECT_EQ(lastUses(), uses);  // the saved log records them
    ASSERT_TRUE(done.Done) << done.Problem;
    EXPECT_EQ(SongsOf({0, 2}), std::vector<std::string>{"A - One"});  // played longer ago
    EXPECT_EQ(done.Relaxed,
              std::vector<std::string>{"Mon 02:00  A - One.mp3 (Hits): breaks \"Song repeat "
                                       "interval (set on the Category page)\""});
    EXPECT_EQ(done.Conflicts,
              std::vector<std::string>{
                  "Mon 03:00  A - One.mp3 (Hits): song played 60 min ago; 90 min apart"});
    EXPECT_EQ(std::make_pair(done.TracksBefore, done.TracksAfter), std::make_pair(1L, 1L));
    ASSERT_TRUE(doc.CanUndo());
    doc.Undo();
    ASSERT_EQ(doc.Items().size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(doc.Items()[i].Id, before[i].Id);
        EXPECT_EQ(doc.Items()[i].State, before[i].State);
    }
    EXPECT_EQ(SongsOf({0, 2}), std::vector<std::string>{"F - Six"});
}

// A range outside the log, or the wrong way round, changes nothing.
TEST_F(Regenerate, RangesTheLogDoesNotHoldAreRefused) {
    WriteLog(5, {{2, "F - Six"}});
    EXPECT_NE(Remake({0, 3}, {0, 5}).Problem.find("not all in this Playlist Log"),
              std::string::npos);
    EXPECT_NE(Remake({0, 3}, {0, 1}).Problem, "");
    EXPECT_FALSE(doc.Modified());
}

// The saved log: the songs removed give their last uses back (to the play before the log),
// the new ones take theirs, and the play history holds the new hours.
TEST_F(Regenerate, SavingGivesLastUsesBackAndRecordsTheNewHours) {
    PlayOrder({"C - Three", "D - Four"});
    {
        StationDb db(b.DataFolder(), StationDb::Mode::OrCreate);
        ASSERT_TRUE(test::RecordPlays(db, kDay - 1, kDay - 1 + 1 / 24.0,
                                      {{Song("D - Four"), kDay - 1.0, "Hits"}}));
    }
    WriteLog(5, {{2, "D - Four"}});
    FileRec* d = &b.Get().Categories[0]->Files[1];
    d->LastUsed = d->SavedLastUsed = kDay + 2 / 24.0;       // as the run of the log left it
    b.Get().Categories[0]->Files[0].LastUsed = kDay + 3.0;  // a later run's
    ASSERT_TRUE(Remake({0, 2}, {0, 2}).Done);
    ASSERT_EQ(SongsOf({0, 2}), std::vector<std::string>{"C - Three"});
    EXPECT_EQ(d->LastUsed, kDay + 2 / 24.0);  // nothing changes before the save
    RunReport report(op, nullptr);
    ASSERT_TRUE(SaveDocument(doc, b.Get(), log.substr(0, log.size() - 4), report));
    for (const FileRec& f : b.Get().Categories[0]->Files) {
        EXPECT_NEAR(f.LastUsed, f.FileName == Song("D - Four") ? kDay - 1.0 : kDay + 3.0, 1e-6)
            << f.FileName;
    }
    StationDb db(b.DataFolder(), StationDb::Mode::ReadOnly);
    const auto aired = db.Airings(kDay, kDay + 1);
    ASSERT_TRUE(aired);
    ASSERT_EQ(aired.Value.size(), 1u);
    EXPECT_EQ(aired.Value[0].Path, Song("C - Three"));
}

// The list of replacements: those that break nothing first in play order, then the others,
// the least important rules broken by the least first; each rule in words. Instant replace
// and an inserted track are judged by the same rules.
TEST_F(Regenerate, ReplacementListOrderAndWords) {
    ASSERT_EQ(test::SetStationRules(b.DataFolder(), {"song", "artist", "cap artist 1 per day"}),
              "");
    b.Opt().SystemArtistInterval = "90";
    PlayOrder({"A - One", "A - Uno", "B - Two", "C - Three", "D - Four", "E - Five", "F - Six"});
    WriteLog(6, {{0, "C - Three"}, {2, "A - One"}, {3, "F - Six"}, {4, "B - Two"}});
    const std::uint64_t slot = test::RowIds(doc, {0, 3})[1];
    RunReport report(op, nullptr);
    RulesCache cache;  // as the editor keeps it: its artist records go with a rebuilt list
    ListReplacements(doc, b.Get(), slot, report, &cache);
    b.Get().RebuildArtists();
    const ReplacementList list = ListReplacements(doc, b.Get(), slot, report, &cache);
    ASSERT_EQ(list.Problem, "");
    std::vector<std::pair<std::string, std::vector<std::string>>> seen;
    for (const ReplacementCandidate& c : list.Candidates) {
        seen.emplace_back(c.Artist + " - " + c.Title, c.Breaks);
    }
    const std::string cap = "At most 1 track of one artist per day: 1 play too many";
    const decltype(seen) expected{
        {"D - Four", {}},
        {"E - Five", {}},
        {"C - Three", {cap}},
        {"A - Uno", {"artist played 60 min ago; 90 min apart", cap}},
        {"B - Two",
         {"song plays 60 min later; 90 min apart", "artist plays 60 min later; 90 min apart", cap}},
        {"A - One",
         {"song played 60 min ago; 90 min apart", "artist played 60 min ago; 90 min apart", cap}},
    };
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(ShownCandidates(list, true, ""), (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(ShownCandidates(list, false, "UNO"), (std::vector<std::size_t>{3}));

    // Instant replace takes the first clean one; with none, it names the rule that turned
    // away the most.
    doc.BeginEdit();
    const ReplaceOutcome replaced = InstantReplace(doc, b.Get(), slot, false, 90 * 60, 90 * 60, {});
    ASSERT_TRUE(replaced.Replaced()) << replaced.Message;
    EXPECT_EQ(doc.Find(replaced.Id)->Path, Song("D - Four"));
    doc.Undo();
    PlayOrder({"A - One", "A - Uno", "B - Two", "C - Three", "F - Six"});
    EXPECT_EQ(InstantReplace(doc, b.Get(), slot, false, 90 * 60, 90 * 60, {}).Message,
              "Unable to replace \"F - Six.mp3\": every track of its Category breaks the rule "
              "\"At most 1 track of one artist per day\" there.");

    // A track put in by hand says what it breaks where it stands.
    const auto ids = doc.Insert({0, 3}, {slot}, {{Song("A - Uno"), kItemTrack, "Hits", 600, {}}});
    ASSERT_EQ(ids.size(), 1u);
    EXPECT_EQ(SongsOf({0, 3}), (std::vector<std::string>{"A - Uno", "F - Six"}));
    EXPECT_EQ(RuleBreaksOf(doc, b.Get(), ids[0]),
              (std::vector<std::string>{"artist played 60 min ago; 90 min apart", cap}));
}

}  // namespace
}  // namespace spindle

namespace spindle {
namespace {

// The saved log's lines by hour: the header first, then each hour from its hour line.
std::vector<std::vector<std::string>> Hours(const std::string& path) {
    std::vector<std::vector<std::string>> hours(1);
    std::istringstream text(test::ReadAll(path));
    for (std::string line; std::getline(text, line);) {
        if (line.starts_with("B,")) {
            hours.emplace_back();
        }
        hours.back().push_back(line);
    }
    return hours;
}

// A line with its running number left out.
std::string Unnumbered(const std::string& line) {
    const std::size_t first = line.find(',');
    return line.substr(0, first) + line.substr(line.find(',', first + 1));
}

// Three days of a station with spots, a timed spot and the hour fit, one of its hours edited
// by hand: hours made again across midnight, saved, leave every other line as it was (the
// hours after them in the same playlist file counting their items on from the new ones),
// and the day's playlist holds the new hours.
TEST(RegenerateRun, OnlyTheHoursMadeAgainChangeInTheSavedLog) {
    test::TempDir dir;
    test::StationBuilder b(dir);
    std::vector<std::string> songs;
    for (int i = 0; i < 60; ++i) {
        songs.push_back("Artist" + std::to_string(i % 40) + " - Song" + std::to_string(i));
    }
    b.AddCategory("Hits", {b.MusicFolder("Hits", songs, 215)});
    b.AddSpotGroup("Ads", {b.SpotFolder("Ads", {"Ad1", "Ad2", "Ad3"}, 30)});
    b.AddRotation(
        "R",
        {MakeSpotGroupItem("Ads"), MakeCategoryItem("Hits"), MakeCategoryItem("Hits"),
         MakeSpotGroupItem("Ads", 30), MakeCategoryItem("Hits"), MakeCategoryItem("Hits")},
        true);
    b.AddSchedule("All", "1111111", "R");
    test::RunFrom(b.Opt(), kDay, 0, 72);
    b.Opt().FitHours = true;
    b.Opt().SystemSongInterval = "180";
    b.Save();
    UnattendedOperator op;
    ASSERT_TRUE(test::Generate(b.Get(), op).Ok);
    const Options& o = b.Opt();
    const std::string base = o.LogFolderPath() + o.LogBaseName;
    PlaylistDocument doc;
    ASSERT_TRUE(doc.Load(base + ".plg", true, b.Get().Settings()).Loaded);
    doc.Delete({test::RowIds(doc, {0, 3})[2]});  // by hand
    RunReport report(op, nullptr);
    ASSERT_TRUE(SaveDocument(doc, b.Get(), base, report));
    const auto edited = Hours(base + ".plg");

    const RegenerateOutcome done = RegenerateHours(doc, b.Get(), {0, 22}, {1, 1}, report, 9);
    ASSERT_TRUE(done.Done) << done.Problem;
    ASSERT_TRUE(SaveDocument(doc, b.Get(), base, report));
    const auto made = Hours(base + ".plg");
    ASSERT_EQ(made.size(), edited.size());
    for (std::size_t h = 1; h < made.size(); ++h) {
        SCOPED_TRACE(h - 1);
        if (h - 1 >= 22 && h - 1 <= 25) {
            EXPECT_NE(made[h], edited[h]);  // made again, each hour on the clock from its start
            EXPECT_EQ(Unnumbered(made[h][1]),
                      "3,\"" + std::to_string(h - 1) + "\",\"Hour Marker\",0,\"\"\r");
        } else if (h - 1 > 25 && h - 1 < 48) {
            ASSERT_EQ(made[h].size(), edited[h].size());
            for (std::size_t k = 0; k < made[h].size(); ++k) {
                EXPECT_EQ(Unnumbered(made[h][k]), Unnumbered(edited[h][k]));
            }
        } else {
            EXPECT_EQ(made[h], edited[h]);
        }
    }
    // The items of day 2 count on from the new hours without a gap.
    long number = 0;
    for (std::size_t h = 25; h < 49; ++h) {
        for (const std::string& line : made[h]) {
            const long n = std::stol(line.substr(line.find(',') + 1));
            EXPECT_TRUE(n == number || n == number + 1) << line;
            number = n;
        }
    }
    std::vector<std::filesystem::path> playlists;
    for (const auto& entry : std::filesystem::directory_iterator(o.PlaylistFolder)) {
        playlists.push_back(entry.path());
    }
    std::sort(playlists.begin(), playlists.end());
    ASSERT_EQ(playlists.size(), 3u);
    const std::string playlist = test::ReadAll(playlists[1]);
    for (const EditorItem& item : doc.Items()) {
        if (item.Day == 1 && item.Hour == 0 && item.Type == kItemTrack) {
            EXPECT_NE(playlist.find(item.Path), std::string::npos) << item.Path;
        }
    }
}

}  // namespace
}  // namespace spindle
