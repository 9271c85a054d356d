#include "forms/plan_editors.h"

#include <gtest/gtest.h>

#include "station/station.h"
#include "support/scripted_operator.h"
#include "support/temp_dir.h"

namespace spindle {
namespace {

class PlanEditors : public ::testing::Test {
protected:
    PlanEditors() : station(dir.Path(), op, FormatSettings::English()) {
        auto hits = std::make_unique<TCategoryDetails>();
        hits->Name = "Hits";
        hits->AverageTime = 210;
        station.Categories.push_back(std::move(hits));
        auto sponsors = std::make_unique<TSpotDetails>();
        sponsors->Name = "Sponsors";
        sponsors->AverageTime = 60;
        station.SpotGroups.push_back(std::move(sponsors));
        auto intros = std::make_unique<TSpotDetails>();
        intros->Name = "Intros";
        intros->GroupType = kSpotSongIntro;
        station.SpotGroups.push_back(std::move(intros));
    }
    test::TempDir dir;
    test::ScriptedOperator op;
    Station station;
};

TEST_F(PlanEditors, ApproximateTimesAndItemEdits) {
    std::vector<RotationItem> items = {
        {MakeCategoryItem("Hits"), station.Categories[0].get()},
        {VoiceTrackItemFor("30"), nullptr},
        {MakeSpotGroupItem("Sponsors"), station.SpotGroups[0].get()}};
    EXPECT_EQ(RecomputeRotationTimes(items), 300u);
    EXPECT_EQ(items[1].Text, "00:03:30 ## 30:VoiceTrack");
    EXPECT_EQ(items[2].Text, "00:04:00\t{Sponsors}");
    EXPECT_EQ(ApproxTimeLabel(300, station.Settings()), "(Approx Time: 00:05:00)");
    EXPECT_EQ(VoiceTrackItemFor("soon"), "00:00:00 ## 0:VoiceTrack");

    // Pinning to a minute: a whole number 0 to 60 only, replacing an existing minute.
    const auto five = WithMinute(items[2].Text, "5");
    ASSERT_TRUE(five);
    EXPECT_EQ(*five, "00:04:00\t{(05)Sponsors}");
    EXPECT_EQ(OfferedMinute(*five), 5);
    EXPECT_EQ(OfferedMinute(items[2].Text), 4);  // from its start
    EXPECT_EQ(WithMinute(*five, "45").value_or(""), "00:04:00\t{(45)Sponsors}");
    for (const char* bad : {"61", "x", "-5", ""}) {
        EXPECT_FALSE(WithMinute(*five, bad)) << bad;
    }
    EXPECT_FALSE(WithMinute(items[0].Text, "5"));  // a Category item has no minute
    const std::string note = MakeBreakNoteItem("News", 15);
    EXPECT_EQ(BreakNoteText(note), "News");
    EXPECT_EQ(WithBreakNoteText(note, "Traffic"), "00:00:00 ** (15)Traffic");
    EXPECT_EQ(WithMinute(MakeBreakNoteItem("News"), "0").value_or(""), "00:00:00 ** (00)News");

    // Dragging the first item below the third puts it in third place.
    std::vector<RotationItem> order = {{"a"}, {"b"}, {"c"}, {"d"}};
    MoveRotationItem(order, 0, 3);
    EXPECT_EQ(order[2].Text, "a");
    MoveRotationItem(order, 2, 0);
    EXPECT_EQ(order[0].Text, "a");
    MoveRotationItem(order, 0, 99);
    EXPECT_EQ(order[3].Text, "a");
}

TEST_F(PlanEditors, NamesAndTheDefaultRotation) {
    EXPECT_EQ(CheckNewPlanName(station, ListKind::Rotations, "").Message, "You must type a name.");
    EXPECT_FALSE(CheckNewPlanName(station, ListKind::Rotations, "...default...").Ok());
    EXPECT_TRUE(CheckNewPlanName(station, ListKind::Schedules, "...DEFAULT...").Ok());
    TRotationDetails edited;
    edited.Name = "Morning";
    TRotationDetails& morning = ApplyRotation(station, nullptr, edited);
    EXPECT_TRUE(morning.Default);  // the station's first
    EXPECT_EQ(station.DefaultRotation, &morning);
    EXPECT_EQ(CheckNewPlanName(station, ListKind::Rotations, "morning").Message,
              "Rotation already exists. Try again.");
    edited.Name = "Night";
    edited.Default = true;
    TRotationDetails& night = ApplyRotation(station, nullptr, edited);
    EXPECT_EQ(station.DefaultRotation, &night);
    EXPECT_FALSE(morning.Default);
    edited.Default = false;
    // Unticked on the Default Rotation: refused with the way to move the part, which
    // ticking Default on the other Rotation does.
    EXPECT_EQ(CheckRotationDefault(station, &night, edited).Message,
              "\"Night\" is the Default Rotation, which every \"...DEFAULT...\" hour of every "
              "Schedule plays. To make another Rotation the Default, tick Default in that "
              "Rotation's editor.");
    EXPECT_TRUE(CheckRotationDefault(station, &morning, edited).Ok());
    EXPECT_TRUE(CheckRotationDefault(station, nullptr, edited).Ok());
    ApplyRotation(station, &night, edited);  // what the refusal keeps from happening
    EXPECT_EQ(station.DefaultRotation, &morning);
    EXPECT_TRUE(morning.Default);
    EXPECT_FALSE(night.Default);
}

// Nothing on the air: a Rotation of Break Notes alone, and the Schedule hours that play
// it, directly or as the Default Rotation, are warned about at OK.
TEST_F(PlanEditors, SilentRotationsAndTheHoursThatPlayThem) {
    TRotationDetails edited;
    edited.Name = "Notes";
    edited.Items = {{MakeBreakNoteItem("News", 15)}, {MakeBreakNoteItem("Weather")}};
    TRotationDetails& notes = ApplyRotation(station, nullptr, edited);  // the Default
    EXPECT_EQ(SilentRotationWarning(edited),
              "Rotation \"Notes\" has no item that goes on the air (a Category, a Spot Group or "
              "a Voice Track): every hour that plays it will be silent.\n\nKeep it as it is?");
    for (const std::string& plays :
         {MakeCategoryItem("Hits"), MakeSpotGroupItem("Sponsors"), VoiceTrackItemFor("30")}) {
        TRotationDetails playing = edited;
        playing.Items.push_back({plays});
        EXPECT_TRUE(SilentRotationWarning(playing).empty()) << plays;
    }
    edited.Name = "Music";
    edited.Items = {{MakeCategoryItem("Hits"), station.Categories[0].get()}};
    TRotationDetails& music = ApplyRotation(station, nullptr, edited);
    TScheduleDetails day;
    day.Name = "Day";
    for (ScheduleHour& hour : day.Hours) {
        AttachRotation(hour, &music);
    }
    EXPECT_TRUE(SilentScheduleWarning(station, day).empty());
    AttachRotation(day.Hours[2], &notes);
    AttachRotation(day.Hours[13], nullptr);  // the Default Rotation: "Notes"
    EXPECT_EQ(SilentScheduleWarning(station, day),
              "In Schedule \"Day\" the hours 02:00, 13:00 play \"Notes\", with no item that "
              "goes on the air: those hours will be silent.\n\nKeep it as it is?");
}

TEST_F(PlanEditors, TimedSpotsTimesAndPaste) {
    const struct {
        const char* Time;
        bool Valid;
    } times[] = {{"10:60", true}, {"10:61", false}, {"24:00", false}, {"00:00", true},
                 {"9:30", false}, {"ab:cd", false}, {"10:-5", false}};
    for (const auto& t : times) {
        EXPECT_EQ(TimedSpotTimeValid(t.Time), t.Valid) << t.Time;
    }
    EXPECT_EQ(AddMinutesToTime("23:45", 30).value_or(""), "00:15");
    EXPECT_EQ(AddMinutesToTime("00:15", -30).value_or(""), "23:45");
    EXPECT_EQ(AddMinutesToTime("10:60", 0).value_or(""), "11:00");

    std::vector<TimedSpot> spots = {MakeTimedSpot(station, "23:45", "Sponsors", ""),
                                    MakeTimedSpot(station, "08:00", kBreakNoteEntry, "Traffic")};
    EXPECT_EQ(spots[0].Object, station.SpotGroups[0].get());
    EXPECT_EQ(spots[1].Text, "08:00\t<Break Note>Traffic");
    ASSERT_TRUE(AddTimeToAll(spots, 30));
    EXPECT_EQ(spots[0].Text, "00:15\tSponsors");  // sorted again
    spots.push_back({"bad\tSponsors", nullptr});
    EXPECT_FALSE(AddTimeToAll(spots, 30));
    EXPECT_EQ(spots[0].Text, "00:15\tSponsors");  // nothing changed

    EXPECT_EQ(TimedSpotGroups(station).size(), 1u);  // a Song Intro group is no Timed Spot
    std::vector<std::string> missing;
    const auto pasted = PasteTimedSpots(
        station, {"07:05\tSponsors", "07:10\tGone", "08:00\t<Break Note>x"}, missing);
    ASSERT_EQ(pasted.size(), 2u);
    EXPECT_EQ(pasted[0].Object, station.SpotGroups[0].get());
    EXPECT_EQ(missing, std::vector<std::string>{"Gone"});
}

}  // namespace
}  // namespace spindle
