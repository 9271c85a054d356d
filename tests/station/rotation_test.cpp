#include "station/rotation.h"

#include <gtest/gtest.h>

#include <tuple>

#include "station/schedule.h"

namespace spindle {
namespace {

TEST(TimedMinute, FindsTheFirstMinuteGroup) {
    EXPECT_EQ(TimedMinute("00:00:00 ** (07)News"), 7);
    EXPECT_EQ(TimedMinute("00:00:00 ** Call (55) now"), 55);
    EXPECT_EQ(TimedMinute("00:00:00 ** Call (555) 1234"), -1);
    EXPECT_EQ(TimedMinute("00:00:00\t{(60)Top of hour}"), 60);
    EXPECT_EQ(TimedMinute("00:00:00\t{(61)Too late}"), -1);
    EXPECT_EQ(TimedMinute("00:00:00\t{(ab)Letters}"), -1);
    EXPECT_EQ(TimedMinute("00:00:00\t{(5)Short}"), -1);
    EXPECT_EQ(TimedMinute("no group"), -1);
    EXPECT_EQ(TimedMinute("("), -1);
    EXPECT_EQ(TimedMinute("(12"), -1);
}

TEST(RotationItems, AreClassifiedInTheirOrderOfTests) {
    EXPECT_EQ(ClassifyRotationItem("00:00:00 ** Weather"), RotationItemKind::BreakNote);
    EXPECT_EQ(ClassifyRotationItem("00:00:00 ** Call (555) 1234"), RotationItemKind::BreakNote);
    EXPECT_EQ(ClassifyRotationItem("00:00:00 ** (07)News"), RotationItemKind::TimedBreakNote);
    EXPECT_EQ(ClassifyRotationItem("00:00:00 ## 30:VoiceTrack"), RotationItemKind::VoiceTrack);
    EXPECT_EQ(ClassifyRotationItem("00:00:00\t{Station IDs}"), RotationItemKind::SpotGroup);
    EXPECT_EQ(ClassifyRotationItem("00:00:00\t{(12)Sponsors}"), RotationItemKind::TimedSpotGroup);
    EXPECT_EQ(ClassifyRotationItem("00:00:00\tCurrent Hits"), RotationItemKind::Category);
    // A Category whose name holds "{" passes for a Spot Group item.
    EXPECT_EQ(ClassifyRotationItem("00:00:00\tOdd{Name"), RotationItemKind::SpotGroup);
}

TEST(RotationItems, NameTheirGroups) {
    EXPECT_EQ(RotationItemGroupName("00:00:00\t{Station IDs}"), "Station IDs");
    EXPECT_EQ(RotationItemGroupName("00:00:00\t{(12)Sponsors}"), "Sponsors");
    EXPECT_EQ(RotationItemGroupName("00:00:00\tCurrent Hits"), "Current Hits");
    EXPECT_EQ(RotationItemGroupName("00:00:00 ** Weather"), "");
    EXPECT_EQ(RotationItemGroupName("{"), "");  // too short to hold a name
    EXPECT_EQ(RotationItemGroupName(""), "");
}

// A new schedule plays the Default Rotation every hour; timed spots keep to time order.
TEST(Schedule, StartsWithTheDefaultRotationAndKeepsTimedSpotsInOrder) {
    TScheduleDetails s;
    ASSERT_EQ(s.Hours.size(), 24u);
    EXPECT_EQ(s.Hours[0].Text, "00:00\t...DEFAULT...");
    EXPECT_EQ(s.Hours[23].Text, "23:00\t...DEFAULT...");
    EXPECT_EQ(ScheduleEntryName(s.Hours[5].Text), "...DEFAULT...");
    EXPECT_EQ(s.Days, (std::array<bool, 7>{}));
    s.TimedSpots = {{ScheduleEntryText(14, 30, "Sponsors"), nullptr},
                    {ScheduleEntryText(9, 0, "<Break Note>Traffic"), nullptr},
                    {ScheduleEntryText(14, 5, "IDs"), nullptr}};
    s.SortTimedSpots();
    EXPECT_EQ(std::tuple(s.TimedSpots[0].Text, s.TimedSpots[1].Text, s.TimedSpots[2].Text),
              std::tuple("09:00\t<Break Note>Traffic", "14:05\tIDs", "14:30\tSponsors"));
}

}  // namespace
}  // namespace spindle
