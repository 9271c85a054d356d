#include <gtest/gtest.h>

#include <algorithm>

#include "base/unattended_operator.h"
#include "forms/file_view.h"
#include "forms/library_edits.h"
#include "station/rotation.h"
#include "support/run_fixture.h"
#include "support/station_builder.h"

namespace spindle {
namespace {

using test::Generate;
using test::RunResult;
using test::ScriptedOperator;
using test::StationBuilder;
using test::TempDir;

constexpr std::int64_t kMonday = 46363;  // 7 December 2026

// A small station: ten songs by ten artists, a spot group, and whatever Categories a
// test adds; runs start on a Monday at midnight.
class RunTest : public ::testing::Test {
protected:
    RunTest() : b(dir) {
        std::vector<std::string> songs;
        for (int i = 0; i < 10; ++i) {
            songs.push_back("Artist" + std::to_string(i) + " - Song" + std::to_string(i));
        }
        b.AddCategory("Hits", {b.MusicFolder("Hits", songs, 240)});
        b.AddSpotGroup("IDs", {b.SpotFolder("IDs", {"ID1", "ID2"}, 10)});
    }

    void Configure(long hours) {
        Station& s = b.Get();
        test::RunFrom(s.Opt, kMonday, 0, static_cast<int>(hours));
        s.Opt.CrossfadeAllowance = "0";
        s.Clock = [] { return kMonday - 1 + 0.5; };
        s.FixedSeed = 3;
    }

    // `items` as the Default Rotation of every hour of the `days`, saved, and a run of
    // `hours` configured; time checking stays on only when asked for.
    Station& Plan(const std::vector<std::string>& items, long hours, bool timeCheck = false,
                  const std::vector<std::string>& timed = {}, const char* days = "1111111") {
        b.AddRotation("A", items, true);
        b.AddSchedule("All", days, "A", timed);
        b.Save();
        Configure(hours);
        b.Opt().TimeCheck = timeCheck;
        return b.Get();
    }

    TempDir dir;
    StationBuilder b;
    ScriptedOperator op;
    UnattendedOperator unattended;
};

TEST_F(RunTest, SchedulesByWeekdayInListOrderLookedUpAgainAtMidnight) {
    b.AddRotation("Monday", {MakeBreakNoteItem("monday")}, true);
    b.AddRotation("Tuesday", {MakeBreakNoteItem("tuesday")});
    b.AddRotation("Other", {MakeBreakNoteItem("other")});
    b.AddSchedule("Mon", "1000000", "Monday");
    b.AddSchedule("Tue", "0100000", "Tuesday");
    b.AddSchedule("Monday too", "1100000", "Other");  // later in the list: never used
    b.Save();
    Configure(4);
    b.Opt().StartHour = 22;
    b.Opt().TimeCheck = false;
    const RunResult r = Generate(b.Get(), op);
    ASSERT_TRUE(r.Ok);
    EXPECT_TRUE(r.HasLine("Compiling Playlist for Monday, December 7, 2026"));
    EXPECT_TRUE(r.HasLine("Compiling Playlist for Tuesday, December 8, 2026"));
    EXPECT_EQ(r.ItemTexts(kItemBreakNote),
              (std::vector<std::string>{"monday", "monday", "tuesday", "tuesday"}));
}

// A missing Rotation stops the run at its hour. The run takes back its own uses, while
// the operator's unsaved edits of the track lists outlive it; saved, they are what the
// station reloads.
TEST_F(RunTest, AMissingRotationStopsTheRunWhichKeepsTheOperatorsTrackEditsNotItsUses) {
    b.AddRotation("A", {MakeCategoryItem("Hits")}, true);
    b.AddSchedule("All", "1111111", "...DEFAULT...").Hours[2].Text =
        ScheduleEntryText(2, 0, "Gone");
    b.Save();
    Configure(2);
    Station& s = b.Get();
    ASSERT_TRUE(Generate(s, op).Ok);
    ASSERT_TRUE(s.SaveAll());  // a history of last uses
    op.QueueAnswer(Answer::Ok);
    ASSERT_TRUE(ResetLastUsed(s));  // Clear Last Scheduled
    const std::string edited = s.Categories[0]->Files[3].FileName;
    ApplyFileProperties(s, s.Categories[0]->Files[3], kMonday - 3.0, 0.5, 241);
    ASSERT_FALSE(s.Changed.Categories);
    op.Messages.clear();
    test::RunFrom(s.Opt, kMonday, 0, 5);
    const RunResult r = Generate(s, op);
    EXPECT_FALSE(r.Ok);
    EXPECT_TRUE(r.HasLine("Rotation \"02:00\tGone\" used in Schedule \"All\" is not found."));
    EXPECT_EQ(r.Lines.back(), "Playlist Creation Aborted.");
    ASSERT_FALSE(op.Messages.empty());
    EXPECT_EQ(op.Messages[0].Offered, Buttons::Cancel);
    // The stopped pass leaves the earlier run's log of the same start: its two hours.
    EXPECT_EQ(std::count_if(r.Log.Lines.begin(), r.Log.Lines.end(),
                            [](const LogLine& l) { return l.LineKind == LogLine::Kind::Hour; }),
              2);
    EXPECT_EQ(s.LastRunStart, 0.0);
    EXPECT_FALSE(s.Changed.Categories);
    EXPECT_TRUE(s.Changed.FileLists);
    auto expectEdits = [&](const Station& station) {
        for (const FileRec& f : station.Categories[0]->Files) {
            const bool isEdited = f.FileName == edited;
            EXPECT_EQ(f.LastUsed, isEdited ? kMonday - 2.5 : 1.0) << f.FileName;
            EXPECT_EQ(f.Duration, isEdited ? 241 : 240) << f.FileName;
        }
    };
    expectEdits(s);
    ASSERT_TRUE(s.SaveAll());
    Station again(b.DataFolder(), op, FormatSettings::English());
    again.LoadAll();
    expectEdits(again);
}

TEST_F(RunTest, UnattendedAPassEndingErrorFailsTheRunAndMovesNothingOn) {
    // Monday to Saturday: no schedule on Saturday.
    Station& s = Plan({MakeCategoryItem("Hits")}, 24 * 6, true, {}, "1111100");
    const std::int64_t startDay = s.Opt.StartDay;
    const RunResult r = Generate(s, unattended);
    EXPECT_FALSE(r.Ok);
    EXPECT_TRUE(r.HasLine("No Schedule has been established for Saturday"));
    EXPECT_EQ(r.Lines.back(), "Playlist Creation Aborted.");
    EXPECT_FALSE(r.HasLine("Playlist files created successfully."));
    EXPECT_FALSE(std::filesystem::exists(s.Opt.PlaylistFolder + "/Dec12.ALB"));
    // Save All keeps the start where it was, so the next run makes the same week.
    EXPECT_TRUE(s.SaveAll(true));
    EXPECT_EQ(s.Opt.StartDay, startDay);
}

// With every candidate blocked, the rule is relaxed as little as possible: the song
// played longest ago comes back, not whichever was drawn last.
TEST_F(RunTest, UnattendedABlockedSelectionTakesTheSongPlayedLongestAgo) {
    b.AddCategory("Three", {b.MusicFolder("Three", {"A - One", "B - Two", "C - Three"}, 240)});
    Station& s = Plan(std::vector<std::string>(12, MakeCategoryItem("Three")), 1);
    s.Opt.SystemSongInterval = "10000";
    const auto tracks = Generate(s, unattended).ItemTexts(kItemTrack);
    ASSERT_EQ(tracks.size(), 12u);
    for (std::size_t i = 3; i < tracks.size(); ++i) {
        EXPECT_EQ(tracks[i], tracks[i - 3]) << i;
    }
}

TEST_F(RunTest, TheRepeatWarningsThreeAnswers) {
    Station& s = Plan({MakeCategoryItem("Hits"), MakeCategoryItem("Hits")}, 24);
    s.Opt.SystemSongInterval = "10000";
    op.QueueAnswer(Answer::Cancel);
    const RunResult cancelled = Generate(s, op);
    EXPECT_FALSE(cancelled.Ok);
    EXPECT_TRUE(cancelled.RawLog.empty() && s.Opt.LogBaseName.empty());  // no log to name
    ASSERT_EQ(op.Messages.size(), 1u);
    EXPECT_EQ(op.Messages[0].Offered, Buttons::YesCancelYesToAll);
    EXPECT_NE(
        op.Messages[0].Text.find("Hint: The Song Repeat Protection interval may be too high."),
        std::string::npos);
    EXPECT_TRUE(
        cancelled.HasLineStartingWith("Selection error on Category \"Hits\" for Monday 5:00 AM"));
    EXPECT_EQ(cancelled.Lines.back(), "Playlist Creation Aborted.");

    // Yes takes the track played longest ago; Yes to All asks no more in the run.
    op.Messages.clear();
    op.QueueAnswer(Answer::Yes);
    op.QueueAnswer(Answer::YesToAll);
    test::RunFrom(s.Opt, kMonday, 0, 8);
    const RunResult r = Generate(s, op);
    EXPECT_TRUE(r.Ok);
    EXPECT_EQ(r.ItemTexts(kItemTrack).size(), 16u);
    EXPECT_EQ(op.Messages.size(), 2u);
}

TEST_F(RunTest, AnArtistIntervalCountsRelatedArtistsAsOne) {
    b.AddCategory("Solo", {b.MusicFolder("Solo", {"Same - A", "Same - B", "Same - C"}, 240)});
    b.AddCategory("Duo", {b.MusicFolder("Duo", {"Main Act - A", "Side Project - B"}, 240)});
    b.AddRotation("Duo", {MakeCategoryItem("Duo"), MakeCategoryItem("Duo")});
    b.Get().Related.SetLines({"Main Act;Side Project;"});
    Station& s = Plan({MakeCategoryItem("Solo"), MakeCategoryItem("Solo")}, 1);
    s.Opt.SystemArtistInterval = "60";
    const RunResult solo = Generate(s, op);
    ASSERT_EQ(op.Messages.size(), 1u);
    EXPECT_NE(
        op.Messages[0].Text.find("Hint: The Artist Repeat Protection interval may be too high."),
        std::string::npos);
    EXPECT_EQ(solo.ItemsOfType(kItemTrack).size(), 2u);  // Yes: the best blocked one

    s.Schedules[0]->Hours[0].Object = s.FindRotation("Duo");
    EXPECT_TRUE(Generate(s, unattended).HasLineStartingWith("Selection error on Category \"Duo\""));
    s.Related.SetLines({"Main Act;Side Project"});  // without the closing ";" no match
    EXPECT_FALSE(Generate(s, unattended).HasLineStartingWith("Selection error"));
}

// Relaxing the song rule is preferred to relaxing the artist rule: a song inside its
// interval by an artist outside theirs comes back before a song never played whose
// artist has just been on.
TEST_F(RunTest, ABlockedSelectionRelaxesTheSongRuleBeforeTheArtistRule) {
    b.AddCategory("Other", {b.MusicFolder("Other", {"B - Other"}, 240)});
    b.AddCategory("Mix", {b.MusicFolder("Mix", {"A - One", "B - Two"}, 240)});
    Station& s = Plan({MakeCategoryItem("Other"), MakeCategoryItem("Mix")}, 1);
    s.Opt.SystemSongInterval = "10000";
    s.Opt.SystemArtistInterval = "60";
    for (FileRec& f : s.FindCategory("Mix")->Files) {
        f.SavedLastUsed = f.FileName.ends_with("A - One.mp3") ? kMonday - 1 : 0.0;
    }
    const auto tracks = Generate(s, unattended).ItemTexts(kItemTrack);
    ASSERT_EQ(tracks.size(), 2u);
    EXPECT_TRUE(tracks[1].ends_with("A - One.mp3")) << tracks[1];
}

// Timed entries of a schedule brought in by hand may be cut short: they match nothing,
// and the hour's later entries still play.
TEST_F(RunTest, TimedItemsTakeTheirMinutes) {
    Station& s =
        Plan({MakeCategoryItem("Hits"), MakeBreakNoteItem("30:News", 15), MakeCategoryItem("Hits")},
             3, false,
             {"01:30", "01", "", "02", ScheduleEntryText(2, 0, "IDs"),
              ScheduleEntryText(2, 60, "<Break Note>End")});
    s.Opt.IncludeHM = false;
    const RunResult r = Generate(s, op);
    ASSERT_TRUE(r.Ok);
    std::vector<LogLine> hour2;
    int hour = -1;
    for (const LogLine& l : r.Log.Lines) {
        if (l.LineKind == LogLine::Kind::Hour) {
            ++hour;
        } else if (hour == 2) {
            hour2.push_back(l);
        }
    }
    ASSERT_EQ(hour2.size(), 5u);
    EXPECT_EQ(hour2[0].Type, kItemTimedSpot);  // due at minute 0: before the first item
    EXPECT_NEAR(hour2[0].Time, 2.0001, 1e-6);
    EXPECT_EQ(hour2[2].Type, kItemBreakNote);
    EXPECT_EQ(hour2[2].Time, 2.25);
    EXPECT_EQ(hour2[2].Text, "30:News");
    EXPECT_EQ(hour2[2].Duration, 30);
    EXPECT_EQ(hour2[2].Owner, "Timed Break Note");
    // The note's 30 seconds moved the running time on.
    EXPECT_NEAR(hour2[3].Time - hour2[1].Time, (240.0 + 30.0) / 3600.0, 1e-5);
    EXPECT_EQ(hour2[4].Text, "End");  // minute 60: after every rotation item
    EXPECT_EQ(hour2[4].Owner, "Timed Break Note");
}

// A note of the given length, then Category items of 4-minute songs, within one hour.
TEST_F(RunTest, TimeCheckingTopsUpDropsAndKeepsItsTolerance) {
    const struct {
        const char* Note;
        int Tolerance;
        std::size_t Tracks;
        const char* Line;
        const char* Why;
        const char* Over = nullptr;  // how late the hour ended, when past the tolerance
    } cases[] = {
        {"3000:Talk", 0, 3,
         "0 Rotation items dropped from full hours, 1 tracks added to fill short hours.",
         "50 + 4 + 4 = 58 minutes; a top-up track makes 62, and the top-up ends: nothing of the "
         "Rotation was dropped",
         "2:00"},
        {"3180:Talk", 5, 1,
         "0 Rotation items dropped from full hours, 0 tracks added to fill short hours.",
         "53 + 4 = 57 minutes: short, but within 5, so nothing is added"},
        {"3720:Talk", 5, 1,
         "0 Rotation items dropped from full hours, 0 tracks added to fill short hours.",
         "the song is reached at 62 minutes, within 5 of the hour: it plays", "6:00"},
        {"3960:Talk", 5, 0,
         "1 Rotation items dropped from full hours, 0 tracks added to fill short hours.",
         "reached at 66 minutes, past the tolerance: dropped", "6:00"},
        {"2110:Talk", 5, 8,
         "0 Rotation items dropped from full hours, 4 tracks added to fill short hours.",
         "35:10 + 4 x 4 = 51:10; the top-up pass runs on while its items are reached before "
         "65 minutes: 55:10, 59:10, 63:10, ending at 67:10",
         "7:10"},
    };
    Station& s = Plan({MakeBreakNoteItem("x"), MakeCategoryItem("Hits")}, 1, true);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Why);
        s.Rotations[0]->Items[0].Text = MakeBreakNoteItem(c.Note);
        s.Rotations[0]->Items.resize(c.Tolerance == 0 ? 3
                                     : c.Tracks == 8  ? 5
                                                      : 2,
                                     s.Rotations[0]->Items[1]);
        s.Opt.TimeCheckMinutes = c.Tolerance;
        const RunResult r = Generate(s, op);
        EXPECT_EQ(r.ItemsOfType(kItemTrack).size(), c.Tracks);
        EXPECT_TRUE(r.HasLine(std::string("Time Checking: ") + c.Line));
        // Past the tolerance, said as information: without the fit a top-up runs over.
        const std::string over = std::string(
                                     "Time Checking: 1 of 1 hours ended later than the "
                                     "tolerance allows, the latest ") +
                                 (c.Over == nullptr ? "" : c.Over) +
                                 " after the next hour was due.";
        EXPECT_EQ(r.HasLine(over), c.Over != nullptr);
        EXPECT_EQ(r.HasLineStartingWith("Time Checking: 1 of"), c.Over != nullptr);
        EXPECT_EQ(r.Problems, c.Tracks == 0 ? 1 : 0);  // an hour of a note alone is silent
    }
}

TEST_F(RunTest, AnHourUsedUpByTheLastOneIsAContinuation) {
    b.AddCategory("Long", {b.MusicFolder("Long", {"Band - Symphony"}, 7300)});
    Station& s = Plan({MakeCategoryItem("Long"), MakeBreakNoteItem("x")}, 3, true);
    s.Opt.TimeResetPeriod = kPeriodDay;
    const auto continued = Generate(s, op).ItemsOfType(kItemContinuation);
    ASSERT_EQ(continued.size(), 1u);
    EXPECT_EQ(continued[0].Text, "(continued from last hour)");
    EXPECT_EQ(continued[0].Duration, 3600);
    EXPECT_TRUE(Generate(s, op).HasLine(
        "Dropping entire rotation for 1:00 due to a scheduled track exceeding 1 hour"));
}

// Zero hours write only the log's header and no playlist; then, an hour of a rotation
// without Categories plays one pass of its items.
TEST_F(RunTest, ZeroHoursThenARotationWithoutCategoriesCannotBeToppedUp) {
    Station& s = Plan({MakeSpotGroupItem("IDs"), MakeBreakNoteItem("Weather")}, 0, true);
    const RunResult none = Generate(s, op);
    EXPECT_TRUE(none.Ok);
    ASSERT_EQ(none.RawLog.size(), 1u);
    EXPECT_EQ(none.RawLog[0].rfind("A,", 0), 0u);
    EXPECT_FALSE(std::filesystem::exists(s.Opt.PlaylistFolder) &&
                 !std::filesystem::is_empty(s.Opt.PlaylistFolder));
    s.Opt.TotalHours = 1;
    const RunResult r = Generate(s, op);
    EXPECT_TRUE(r.Ok);
    EXPECT_TRUE(r.HasLine(
        "Hour 0:00 cannot be topped up. Rotation \"A\" does not contain any Category items."));
    EXPECT_EQ(r.ItemsOfType(kItemSpot).size(), 1u);  // one pass of them
    EXPECT_TRUE(
        r.HasLine("Time Checking: 0 Rotation items dropped from full hours, 0 tracks added to fill "
                  "short hours."));
}

// An hour with nothing to play is dead air: the operator is asked once for each Rotation
// (Cancel stops the run), each such hour has its line, naming where the Rotation came from.
TEST_F(RunTest, EmptyGroupsAndMissingGroupsGiveNothing) {
    b.AddCategory("Empty", {});
    Station& s =
        Plan({MakeCategoryItem("Empty"), MakeCategoryItem("Nowhere"), MakeBreakNoteItem("n")}, 2);
    s.Schedules[0]->Hours[1].Text = ScheduleEntryText(1, 0, kDefaultRotationPlaceholder);
    const RunResult r = Generate(s, op);
    EXPECT_TRUE(r.Ok);
    EXPECT_TRUE(r.ItemsOfType(kItemTrack).empty());
    ASSERT_EQ(op.Messages.size(), 1u);
    EXPECT_EQ(op.Messages[0].Text,
              "Nothing plays in the hour of Monday 12:00 AM: Rotation \"A\" of Schedule \"All\" "
              "gave no item that goes on the air.");
    EXPECT_EQ(op.Messages[0].Offered, Buttons::OkCancel);
    EXPECT_TRUE(
        r.HasLine("Nothing plays in the hour of Monday 1:00 AM: Schedule \"All\" plays the Default "
                  "Rotation there, \"A\", which gave no item that goes on the air."));
    EXPECT_EQ(r.Problems, 3);  // the two hours and the missing Category
    op.QueueAnswer(Answer::Cancel);
    EXPECT_FALSE(Generate(s, op).Ok);
    EXPECT_TRUE(Generate(s, unattended).HasLineStartingWith("Nothing plays in the hour of"));
    EXPECT_EQ(
        std::count_if(r.Lines.begin(), r.Lines.end(),
                      [](const std::string& l) { return l.find("Nowhere") != std::string::npos; }),
        1);
}

// A Category whose folder went away (a share not mounted) keeps its history, but none of
// its files reaches the log; the operator is asked first, and unattended it is a problem.
TEST_F(RunTest, AFolderThatWentAwayIsNeverScheduled) {
    const std::string gone = b.MusicFolder("Gone", {"G1 - One", "G2 - Two", "G3 - Three"}, 200);
    b.AddCategory("Gone", {gone, b.MusicFolder("Stays", {"S - Stays"}, 100)});
    b.AddCategory("Unplayed", {(dir.Path() / "nowhere").string()});  // no Rotation plays it
    Station& first = Plan({MakeCategoryItem("Gone"), MakeCategoryItem("Hits")}, 2);
    ASSERT_TRUE(Generate(first, unattended).Ok);
    ASSERT_TRUE(first.SaveAll(true));
    std::filesystem::rename(gone, dir.Path() / "unmounted");
    std::filesystem::create_directory(gone);  // the mount point, left empty
    Station s(b.DataFolder(), op, FormatSettings::English());
    s.LoadAll();
    EXPECT_FALSE(s.Changed.Any());  // its average stays as saved
    op.Messages.clear();
    test::RunFrom(s.Opt, kMonday + 1, 0, 2);
    s.FixedSeed = 3;
    const std::string said = "Category \"Gone\": \"" + gone +
                             "\" not found when its files were loaded; 3 of its "
                             "tracks are left out of this run.";
    op.QueueAnswer(Answer::No);
    const RunResult refused = Generate(s, op);
    EXPECT_FALSE(refused.Ok);
    ASSERT_EQ(op.Messages.size(), 1u);
    EXPECT_EQ(op.Messages[0].Offered, Buttons::YesNo);
    EXPECT_EQ(op.Messages[0].Text.rfind(said + "\n\n", 0), 0u) << op.Messages[0].Text;
    EXPECT_EQ(refused.Lines.back(), "Playlist Creation Aborted.");

    op.QueueAnswer(Answer::Yes);
    const RunResult r = Generate(s, op);
    ASSERT_TRUE(r.Ok);
    EXPECT_TRUE(r.HasLine(said));
    EXPECT_GT(r.Problems, 0);
    EXPECT_EQ(r.ItemTexts(kItemTrack).size(), 4u);
    for (const std::string& track : r.ItemTexts(kItemTrack)) {
        EXPECT_EQ(track.find(gone), std::string::npos) << track;
    }
    // The share comes back with its last uses.
    ASSERT_TRUE(s.SaveAll(true));
    std::filesystem::remove(gone);
    std::filesystem::rename(dir.Path() / "unmounted", gone);
    Station back(b.DataFolder(), op, FormatSettings::English());
    back.LoadAll();
    const std::vector<FileRec>& files = back.FindCategory("Gone")->Files;
    ASSERT_EQ(files.size(), 4u);
    EXPECT_EQ(std::count_if(files.begin(), files.end(),
                            [](const FileRec& f) { return f.LastUsed > kMonday; }),
              2);
}

TEST_F(RunTest, IntrosComeBeforeTheirSongAndOutrosAfterIt) {
    const std::string intros = b.SpotFolder("Intros", {"Artist3 - Song3", "Artist5"}, 8);
    b.AddSpotGroup("Intros", {intros}, kSpotSongIntro);
    b.AddSpotGroup("Outros", {intros}, kSpotSongOutro);
    const RunResult r = Generate(
        Plan({MakeSpotGroupItem("Outros"), MakeSpotGroupItem("Intros"),
              MakeBreakNoteItem("between"), MakeCategoryItem("Hits"), MakeSpotGroupItem("Outros")},
             10),
        op);
    ASSERT_TRUE(r.Ok);
    const LogLine* previous = nullptr;
    int introsSeen = 0;
    for (const LogLine& l : r.Log.Lines) {
        const bool item = l.LineKind == LogLine::Kind::Item;
        if (item && previous != nullptr && previous->Type == kItemIntro) {
            EXPECT_EQ(l.Type, kItemTrack);
            EXPECT_TRUE(l.Text.find("Song3") != std::string::npos ||
                        l.Text.find("Artist5") != std::string::npos)
                << l.Text;
            ++introsSeen;
        }
        if (item && l.Type == kItemOutro) {
            ASSERT_NE(previous, nullptr);
            EXPECT_EQ(previous->Type, kItemTrack);  // never at the start of an hour
        }
        previous = item ? &l : nullptr;
    }
    EXPECT_GT(introsSeen, 0);
}

}  // namespace
}  // namespace spindle
