#include <gtest/gtest.h>

#include <algorithm>

#include "base/unattended_operator.h"
#include "library/rotation.h"
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

// A small station: ten songs by ten artists, a spot group, one rotation for all days.
class RunTest : public ::testing::Test {
protected:
    RunTest() : b(dir) {
        std::vector<std::string> songs;
        for (int i = 0; i < 10; ++i) {
            songs.push_back("Artist" + std::to_string(i) + " - Song" + std::to_string(i));
        }
        music = b.MusicFolder("Hits", songs, 240);
        spots = b.SpotFolder("IDs", {"ID1", "ID2"}, 10);
        b.AddCategory("Hits", {music});
        b.AddSpotGroup("IDs", {spots});
    }

    void Configure(long hours) {
        Station& s = b.Get();
        s.Opt.StartDay = kMonday;
        s.Opt.StartHour = 0;
        s.Opt.TotalDays = static_cast<int>(hours / 24);
        s.Opt.TotalHours = static_cast<int>(hours % 24);
        s.Opt.CrossfadeAllowance = "0";
        s.Clock = [] { return kMonday - 1 + 0.5; };
        s.FixedSeed = 3;
    }

    TempDir dir;
    StationBuilder b;
    std::string music;
    std::string spots;
    ScriptedOperator op;
};

TEST_F(RunTest, ARunOverMidnightLooksTheScheduleUpAgain) {
    b.AddRotation("Monday", {MakeBreakNoteItem("monday")}, true);
    b.AddRotation("Tuesday", {MakeBreakNoteItem("tuesday")});
    b.AddSchedule("Mon", "1000000", "Monday");
    b.AddSchedule("Tue", "0100000", "Tuesday");
    b.Save();
    Configure(4);
    b.Opt().StartHour = 22;
    b.Opt().TimeCheck = false;
    const RunResult r = Generate(b.Get(), op);
    ASSERT_TRUE(r.Ok);
    EXPECT_TRUE(r.HasLine("Compiling Playlist for Monday, December 7, 2026"));
    EXPECT_TRUE(r.HasLine("Compiling Playlist for Tuesday, December 8, 2026"));
    std::vector<std::string> notes;
    for (const LogLine& l : r.ItemsOfType(kItemBreakNote)) {
        notes.push_back(l.Text);
    }
    EXPECT_EQ(notes, (std::vector<std::string>{"monday", "monday", "tuesday", "tuesday"}));
}

TEST_F(RunTest, TheFirstScheduleInListOrderServesItsDays) {
    b.AddRotation("A", {MakeBreakNoteItem("first")}, true);
    b.AddRotation("B", {MakeBreakNoteItem("second")});
    b.AddSchedule("Everyday", "1111111", "A");
    b.AddSchedule("Monday too", "1000000", "B");
    b.Save();
    Configure(1);
    b.Opt().TimeCheck = false;
    const RunResult r = Generate(b.Get(), op);
    ASSERT_EQ(r.ItemsOfType(kItemBreakNote).size(), 1u);
    EXPECT_EQ(r.ItemsOfType(kItemBreakNote)[0].Text, "first");
}

TEST_F(RunTest, ZeroHoursWritesOnlyTheHeaderAndNoPlaylist) {
    b.AddRotation("A", {MakeCategoryItem("Hits")}, true);
    b.AddSchedule("All", "1111111", "A");
    b.Save();
    Configure(0);
    const RunResult r = Generate(b.Get(), op);
    EXPECT_TRUE(r.Ok);
    ASSERT_EQ(r.RawLog.size(), 1u);
    EXPECT_EQ(r.RawLog[0].rfind("A,", 0), 0u);
    EXPECT_FALSE(std::filesystem::exists(b.Opt().PlaylistFolder) &&
                 !std::filesystem::is_empty(b.Opt().PlaylistFolder));
}

TEST_F(RunTest, AMissingRotationStopsTheRunAtThatHour) {
    b.AddRotation("A", {MakeCategoryItem("Hits")}, true);
    TScheduleDetails& s = b.AddSchedule("All", "1111111", "...DEFAULT...");
    s.Hours[2].Text = ScheduleEntryText(2, 0, "Gone");
    b.Save();
    Configure(5);
    const RunResult r = Generate(b.Get(), op);
    EXPECT_FALSE(r.Ok);
    EXPECT_TRUE(r.HasLine("Rotation \"02:00\tGone\" used in Schedule \"All\" is not found."));
    EXPECT_EQ(r.Lines.back(), "Playlist Creation Aborted.");
    ASSERT_FALSE(op.Messages.empty());
    EXPECT_EQ(op.Messages[0].Offered, Buttons::Cancel);
    // The hours before the stop stay in the log.
    const auto hours = std::count_if(r.Log.Lines.begin(), r.Log.Lines.end(), [](const LogLine& l) {
        return l.LineKind == LogLine::Kind::Hour;
    });
    EXPECT_EQ(hours, 3);
    EXPECT_EQ(b.Get().LastRunStart, 0.0);
    EXPECT_FALSE(b.Get().Changed.Categories);
}

TEST_F(RunTest, UnattendedAPassEndingErrorFailsTheRunAndMovesNothingOn) {
    b.AddRotation("A", {MakeCategoryItem("Hits")}, true);
    b.AddSchedule("Weekdays", "1111100", "A");
    b.Save();
    Configure(24 * 6);  // Monday to Saturday: no schedule on Saturday
    b.Opt().PlaylistPeriod = kPeriodDay;
    const std::int64_t startDay = b.Opt().StartDay;
    UnattendedOperator unattended;
    const RunResult r = Generate(b.Get(), unattended);
    EXPECT_FALSE(r.Ok);
    EXPECT_TRUE(r.HasLine("No Schedule has been established for Saturday"));
    EXPECT_EQ(r.Lines.back(), "Playlist Creation Aborted.");
    EXPECT_FALSE(r.HasLine("Playlist log file successfully created."));
    EXPECT_FALSE(r.HasLine("Playlist files created successfully."));
    EXPECT_FALSE(std::filesystem::exists(b.Opt().PlaylistFolder + "/Dec12.ALB"));
    // Save All keeps the start where it was, so the next run makes the same week.
    EXPECT_TRUE(b.Get().SaveAll(true));
    EXPECT_EQ(b.Opt().StartDay, startDay);
}

// Timed entries of a schedule brought in by hand may be cut short; they match nothing.
TEST_F(RunTest, AShortTimedEntryIsSkippedNotFatal) {
    b.AddRotation("A", {MakeCategoryItem("Hits")}, true);
    b.AddSchedule("All", "1111111", "A", {"01:30", "01", "", "01:45\t<Break Note>30:News"});
    b.Save();
    Configure(3);
    UnattendedOperator unattended;
    const RunResult r = Generate(b.Get(), unattended);
    EXPECT_TRUE(r.Ok);
    ASSERT_EQ(r.ItemsOfType(kItemBreakNote).size(), 1u);
    EXPECT_EQ(r.ItemsOfType(kItemBreakNote)[0].Text, "30:News");
}

// With every candidate blocked, the rule is relaxed as little as possible: the song
// played longest ago comes back, not whichever was drawn last.
TEST_F(RunTest, UnattendedABlockedSelectionTakesTheSongPlayedLongestAgo) {
    b.AddCategory("Three", {b.MusicFolder("Three", {"A - One", "B - Two", "C - Three"}, 240)});
    b.AddRotation("A", std::vector<std::string>(12, MakeCategoryItem("Three")), true);
    b.AddSchedule("All", "1111111", "A");
    b.Save();
    Configure(1);
    b.Opt().SystemSongInterval = "10000";
    b.Opt().TimeCheck = false;
    UnattendedOperator unattended;
    const RunResult r = Generate(b.Get(), unattended);
    ASSERT_TRUE(r.Ok);
    const auto tracks = r.ItemsOfType(kItemTrack);
    ASSERT_EQ(tracks.size(), 12u);
    for (std::size_t i = 3; i < tracks.size(); ++i) {
        EXPECT_EQ(tracks[i].Text, tracks[i - 3].Text) << i;
    }
}

TEST_F(RunTest, CancelOnTheRepeatWarningAbortsTheRun) {
    b.AddRotation("A", {MakeCategoryItem("Hits"), MakeCategoryItem("Hits")}, true);
    b.AddSchedule("All", "1111111", "A");
    b.Save();
    Configure(24);
    b.Opt().SystemSongInterval = "10000";
    b.Opt().TimeCheck = false;
    op.QueueAnswer(Answer::Cancel);
    const RunResult r = Generate(b.Get(), op);
    EXPECT_FALSE(r.Ok);
    EXPECT_EQ(r.ItemsOfType(kItemTrack).size(), 10u);  // then the eleventh is refused
    ASSERT_EQ(op.Messages.size(), 1u);
    EXPECT_EQ(op.Messages[0].Offered, Buttons::YesCancelYesToAll);
    EXPECT_NE(
        op.Messages[0].Text.find("Hint: The Song Repeat Protection interval may be too high."),
        std::string::npos);
    EXPECT_TRUE(r.HasLineStartingWith("Selection error on Category \"Hits\" for Monday 5:00 AM"));
    EXPECT_EQ(r.Lines.back(), "Playlist Creation Aborted.");
}

TEST_F(RunTest, YesTakesTheTrackPlayedLongestAgoAndYesToAllAsksNoMore) {
    b.AddRotation("A", {MakeCategoryItem("Hits"), MakeCategoryItem("Hits")}, true);
    b.AddSchedule("All", "1111111", "A");
    b.Save();
    Configure(8);
    b.Opt().SystemSongInterval = "10000";
    b.Opt().TimeCheck = false;
    op.QueueAnswer(Answer::Yes);
    op.QueueAnswer(Answer::YesToAll);
    const RunResult r = Generate(b.Get(), op);
    EXPECT_TRUE(r.Ok);
    const auto tracks = r.ItemsOfType(kItemTrack);
    ASSERT_EQ(tracks.size(), 16u);
    EXPECT_EQ(tracks[10].Text, tracks[0].Text);  // the one played longest ago
    EXPECT_EQ(op.Messages.size(), 2u);
}

TEST_F(RunTest, AnArtistIntervalBlocksOneArtistsTracks) {
    TempDir other;
    StationBuilder solo(other);
    const std::string m =
        solo.MusicFolder("Solo", {"Same - A", "Same - B", "Same - C", "Same - D", "Same - E"}, 240);
    solo.AddCategory("Solo", {m});
    solo.AddRotation("A", {MakeCategoryItem("Solo"), MakeCategoryItem("Solo")}, true);
    solo.AddSchedule("All", "1111111", "A");
    solo.Save();
    Station& s = solo.Get();
    s.Opt.StartDay = kMonday;
    s.Opt.TotalDays = 0;
    s.Opt.TotalHours = 1;
    s.Opt.SystemArtistInterval = "60";
    s.Opt.TimeCheck = false;
    const RunResult r = Generate(s, op);
    ASSERT_EQ(op.Messages.size(), 1u);
    EXPECT_NE(
        op.Messages[0].Text.find("Hint: The Artist Repeat Protection interval may be too high."),
        std::string::npos);
    EXPECT_EQ(r.ItemsOfType(kItemTrack).size(), 2u);  // Yes: the best blocked one
}

TEST_F(RunTest, RelatedArtistsCountAsOne) {
    TempDir other;
    StationBuilder duo(other);
    const std::string m = duo.MusicFolder("Duo", {"Main Act - A", "Side Project - B"}, 240);
    duo.AddCategory("Duo", {m});
    duo.AddRotation("A", {MakeCategoryItem("Duo"), MakeCategoryItem("Duo")}, true);
    duo.AddSchedule("All", "1111111", "A");
    duo.Get().Related.SetLines({"Main Act;Side Project;"});
    duo.Save();
    Station& s = duo.Get();
    s.Opt.StartDay = kMonday;
    s.Opt.TotalDays = 0;
    s.Opt.TotalHours = 1;
    s.Opt.SystemArtistInterval = "60";
    s.Opt.TimeCheck = false;
    UnattendedOperator unattended;
    const RunResult r = Generate(s, unattended);
    EXPECT_TRUE(r.HasLineStartingWith("Selection error on Category \"Duo\""));

    s.Related.SetLines({"Main Act;Side Project"});  // without the closing ";" no match
    const RunResult r2 = Generate(s, unattended);
    EXPECT_FALSE(r2.HasLineStartingWith("Selection error"));
}

TEST_F(RunTest, TimedItemsTakeTheirMinutes) {
    b.AddRotation(
        "A", {MakeCategoryItem("Hits"), MakeBreakNoteItem("30:News", 15), MakeCategoryItem("Hits")},
        true);
    b.AddSchedule("All", "1111111", "A",
                  {ScheduleEntryText(2, 0, "IDs"), ScheduleEntryText(2, 60, "<Break Note>End")});
    b.Save();
    Configure(3);
    b.Opt().TimeCheck = false;
    b.Opt().IncludeHM = false;
    const RunResult r = Generate(b.Get(), op);
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
    EXPECT_EQ(r.RawLog.size() > 0, true);
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

TEST_F(RunTest, TimeCheckingTopsUpAndDrops) {
    b.AddRotation(
        "A", {MakeBreakNoteItem("3000:Talk"), MakeCategoryItem("Hits"), MakeCategoryItem("Hits")},
        true);
    b.AddSchedule("All", "1111111", "A");
    b.Save();
    Configure(1);
    const RunResult r = Generate(b.Get(), op);
    ASSERT_TRUE(r.Ok);
    // 50 + 4 + 4 = 58 minutes; a top-up track makes 62; the next item is dropped.
    EXPECT_EQ(r.ItemsOfType(kItemTrack).size(), 3u);
    EXPECT_TRUE(r.HasLine("Time Checking: 1 tracks dropped, 1 tracks added."));
}

// A 5-minute tolerance on both sides of the hour: a note of the given length, then one
// Category item of a 4-minute song.
TEST_F(RunTest, TheToleranceWorksOnBothSidesOfTheHour) {
    const struct {
        const char* Note;
        std::size_t Tracks;
        const char* Why;
    } cases[] = {
        {"3180:Talk", 1, "53 + 4 = 57 minutes: short, but within 5, so nothing is added"},
        {"3720:Talk", 1, "the song is reached at 62 minutes, within 5 of the hour: it plays"},
        {"3960:Talk", 0, "reached at 66 minutes, past the tolerance: dropped"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Why);
        TempDir d;
        StationBuilder s(d);
        s.AddCategory("Hits", {s.MusicFolder("Hits", {"A - One", "B - Two"}, 240)});
        s.AddRotation("A", {MakeBreakNoteItem(c.Note), MakeCategoryItem("Hits")}, true);
        s.AddSchedule("All", "1111111", "A");
        s.Save();
        s.Opt().StartDay = kMonday;
        s.Opt().TotalDays = 0;
        s.Opt().TotalHours = 1;
        s.Opt().CrossfadeAllowance = "0";
        s.Opt().TimeCheckMinutes = 5;
        const RunResult r = Generate(s.Get(), op);
        EXPECT_EQ(r.ItemsOfType(kItemTrack).size(), c.Tracks);
        EXPECT_TRUE(r.HasLine("Time Checking: " + std::to_string(1 - c.Tracks) +
                              " tracks dropped, 0 tracks added."));
    }
}

// The song interval is in minutes: a song played 61 minutes ago is free again under a
// 60-minute interval, one played 59 minutes ago is not.
TEST_F(RunTest, ASongIsEligibleAgainOnceItsIntervalHasPassed) {
    b.AddRotation("A", {MakeCategoryItem("Hits")}, true);
    b.AddSchedule("All", "1111111", "A");
    b.Save();
    Configure(1);
    b.Opt().SystemSongInterval = "60";
    b.Opt().TimeCheck = false;
    auto& files = b.Get().Categories[0]->Files;
    for (FileRec& f : files) {
        f.SavedLastUsed = kMonday - 59.0 / 1440;
    }
    files[6].SavedLastUsed = kMonday - 61.0 / 1440;
    const RunResult r = Generate(b.Get(), op);
    ASSERT_EQ(r.ItemsOfType(kItemTrack).size(), 1u);
    EXPECT_EQ(r.ItemsOfType(kItemTrack)[0].Text, files[6].FileName);
    EXPECT_FALSE(r.HasLineStartingWith("Selection error"));
    EXPECT_TRUE(op.Messages.empty());
}

TEST_F(RunTest, AnHourUsedUpByTheLastOneIsAContinuation) {
    TempDir other;
    StationBuilder longOne(other);
    const std::string m = longOne.MusicFolder("Long", {"Band - Symphony"}, 7300);
    longOne.AddCategory("Long", {m});
    longOne.AddRotation("A", {MakeCategoryItem("Long"), MakeBreakNoteItem("x")}, true);
    longOne.AddSchedule("All", "1111111", "A");
    longOne.Save();
    Station& s = longOne.Get();
    s.Opt.StartDay = kMonday;
    s.Opt.TotalDays = 0;
    s.Opt.TotalHours = 3;
    s.Opt.TimeResetPeriod = kPeriodDay;
    const RunResult r = Generate(s, op);
    const auto continued = r.ItemsOfType(kItemContinuation);
    ASSERT_EQ(continued.size(), 1u);
    EXPECT_EQ(continued[0].Text, "(continued from last hour)");
    EXPECT_EQ(continued[0].Duration, 3600);
    EXPECT_TRUE(
        r.HasLine("Dropping entire rotation for 1:00 due to a scheduled track exceeding 1 hour"));
}

TEST_F(RunTest, ARotationWithoutCategoriesCannotBeToppedUp) {
    b.AddRotation("Spots only", {MakeSpotGroupItem("IDs"), MakeBreakNoteItem("Weather")}, true);
    b.AddSchedule("All", "1111111", "...DEFAULT...");
    b.Save();
    Configure(1);
    const RunResult r = Generate(b.Get(), op);
    EXPECT_TRUE(r.Ok);
    EXPECT_TRUE(
        r.HasLine("Hour 0:00 cannot be topped up. Rotation \"Spots only\" does not contain any "
                  "Category items."));
    EXPECT_EQ(r.ItemsOfType(kItemSpot).size(), 1u);  // one pass of them
    EXPECT_TRUE(r.HasLine("Time Checking: 0 tracks dropped, 0 tracks added."));
}

TEST_F(RunTest, EmptyGroupsAndMissingGroupsGiveNothing) {
    b.AddCategory("Empty", {});
    b.AddRotation("A",
                  {MakeCategoryItem("Empty"), MakeCategoryItem("Nowhere"), MakeBreakNoteItem("n")},
                  true);
    b.AddSchedule("All", "1111111", "A");
    b.Save();
    Configure(2);
    b.Opt().TimeCheck = false;
    const RunResult r = Generate(b.Get(), op);
    EXPECT_TRUE(r.Ok);
    EXPECT_TRUE(r.ItemsOfType(kItemTrack).empty());
    EXPECT_EQ(
        std::count_if(r.Lines.begin(), r.Lines.end(),
                      [](const std::string& l) { return l.find("Nowhere") != std::string::npos; }),
        1);
}

TEST_F(RunTest, IntrosComeBeforeTheirSongAndOutrosAfterIt) {
    const std::string intros = b.SpotFolder("Intros", {"Artist3 - Song3", "Artist5"}, 8);
    b.AddSpotGroup("Intros", {intros}, kSpotSongIntro);
    b.AddSpotGroup("Outros", {intros}, kSpotSongOutro);
    b.AddRotation(
        "A",
        {MakeSpotGroupItem("Outros"), MakeSpotGroupItem("Intros"), MakeBreakNoteItem("between"),
         MakeCategoryItem("Hits"), MakeSpotGroupItem("Outros")},
        true);
    b.AddSchedule("All", "1111111", "A");
    b.Save();
    Configure(10);
    b.Opt().TimeCheck = false;
    const RunResult r = Generate(b.Get(), op);
    ASSERT_TRUE(r.Ok);
    const LogLine* previous = nullptr;
    int intros_seen = 0;
    for (const LogLine& l : r.Log.Lines) {
        if (l.LineKind == LogLine::Kind::Item && previous != nullptr &&
            previous->Type == kItemIntro) {
            EXPECT_EQ(l.Type, kItemTrack);
            const bool song3 = l.Text.find("Song3") != std::string::npos;
            const bool artist5 = l.Text.find("Artist5") != std::string::npos;
            EXPECT_TRUE(song3 || artist5) << l.Text;
            ++intros_seen;
        }
        if (l.LineKind == LogLine::Kind::Item && l.Type == kItemOutro) {
            ASSERT_NE(previous, nullptr);
            EXPECT_EQ(previous->Type, kItemTrack);  // never at the start of an hour
        }
        previous = l.LineKind == LogLine::Kind::Item ? &l : nullptr;
    }
    EXPECT_GT(intros_seen, 0);
}

}  // namespace
}  // namespace spindle
