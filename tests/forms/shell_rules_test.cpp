#include "forms/shell_rules.h"

#include <gtest/gtest.h>

#include "support/scripted_operator.h"
#include "support/temp_dir.h"

namespace spindle {
namespace {

// An empty station in a folder of its own.
class ShellRules : public ::testing::Test {
protected:
    test::TempDir dir;
    test::ScriptedOperator op;
    Station s{dir.Path(), op, FormatSettings::English()};
};

TEST_F(ShellRules, TheStartPageFollowsWhatTheLibraryHolds) {
    EXPECT_EQ(StartPage(s), Page::Categories);
    s.Categories.push_back(std::make_unique<TCategoryDetails>());
    EXPECT_EQ(StartPage(s), Page::Categories);  // no Rotation yet
    s.Rotations.push_back(std::make_unique<TRotationDetails>());
    EXPECT_EQ(StartPage(s), Page::Rotations);
    s.Schedules.push_back(std::make_unique<TScheduleDetails>());
    EXPECT_EQ(StartPage(s), Page::Options);
}

TEST_F(ShellRules, StartupSwitchesTakeEitherPrefixAndCaseAndTheViewStylesCycle) {
    const StartupSwitches all = ParseStartupSwitches({"/I", "-r", "--data", "/srv/station"});
    EXPECT_TRUE(all.Isolated);
    EXPECT_TRUE(all.Unattended);
    EXPECT_EQ(all.Data, "/srv/station");
    EXPECT_TRUE(all.Problem.empty());
    EXPECT_TRUE(ParseStartupSwitches({"/R", "--data=x"}).Unattended);
    EXPECT_TRUE(ParseStartupSwitches({"-E"}).EditorFirst);
    EXPECT_FALSE(ParseStartupSwitches({}).Unattended);
    for (const char* bad : {"-x", "--data", "-ri", "r"}) {
        EXPECT_FALSE(ParseStartupSwitches({bad}).Problem.empty()) << bad;
    }
    EXPECT_EQ(SplashRemainingMs(0), 4000);
    EXPECT_EQ(SplashRemainingMs(3500), 500);
    EXPECT_EQ(SplashRemainingMs(9000), 0);
    // The View button cycles through the four styles.
    ViewStyle style = ViewStyle::Details;
    for (const ViewStyle next :
         {ViewStyle::List, ViewStyle::SmallIcons, ViewStyle::LargeIcons, ViewStyle::Details}) {
        EXPECT_EQ(style = NextViewStyle(style), next);
    }
}

TEST_F(ShellRules, TheFirstRunPresetNeedsThePlayoutProgramAndNoRotation) {
    s.Opt.PlaylistFormat = "%p/%f%e";
    EXPECT_FALSE(ApplyFirstRunPreset(s));
    dir.Write("Studio/ZedStudio.exe", "MZ");
    s.Rotations.push_back(std::make_unique<TRotationDetails>());
    EXPECT_FALSE(ApplyFirstRunPreset(s));
    s.Rotations.clear();
    ASSERT_TRUE(ApplyFirstRunPreset(s));
    EXPECT_EQ(s.Opt.PlaylistFormat, "#EXTINF:%S,%a - %t|%C%h|%c%n%p/%f%e");
    EXPECT_EQ(s.Opt.BreakNoteString, "#EXTINF:%S,%u|3%h|%c%n%u");
    EXPECT_FALSE(ApplyFirstRunPreset(s));  // the operator's format is no longer the plain one
}

TEST_F(ShellRules, EachPageSavesItsOwnKind) {
    const struct {
        ChangedFlags Flags;
        Page Shown;
        bool Save;
    } cases[] = {
        {{false, false, false, false, false, true, false}, Page::Categories, true},
        {{false, false, false, false, false, true, false}, Page::SpotGroups, false},
        {{false, false, true, false, false, false, false}, Page::SpotGroups, true},
        {{false, false, false, true, false, false, false}, Page::Rotations, true},
        {{false, false, false, false, true, false, false}, Page::Schedules, true},
        {{false, false, false, false, false, false, true}, Page::Options, true},
        {{true, false, false, false, false, false, false}, Page::Schedules, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PageHasChanges(c.Flags, c.Shown), c.Save) << static_cast<int>(c.Shown);
    }
}

// The close question's three answers, and a save that fails keeping the program open.
TEST_F(ShellRules, TheCloseQuestion) {
    EXPECT_TRUE(MayClose(s));
    EXPECT_TRUE(op.Messages.empty());  // nothing to ask
    s.Changed.Rotations = true;
    op.QueueAnswer(Answer::Cancel);
    EXPECT_FALSE(MayClose(s));
    EXPECT_EQ(op.Messages[0].Text,
              "Unsaved changes have been made.  Do you wish to save them now?");
    EXPECT_EQ(op.Messages[0].Offered, Buttons::YesNoCancel);
    op.QueueAnswer(Answer::No);
    EXPECT_TRUE(MayClose(s));
    dir.MakeFolder("Rotations.bak/blocked");  // the backup, and so the save, cannot be made
    dir.Write("Rotations.dat", "");
    op.QueueAnswer(Answer::Yes);
    EXPECT_FALSE(MayClose(s));
    EXPECT_TRUE(s.Changed.Rotations);
    std::filesystem::remove_all(dir.Path() / "Rotations.bak");
    op.QueueAnswer(Answer::Yes);
    EXPECT_TRUE(MayClose(s));
    EXPECT_FALSE(s.Changed.Any());
}

}  // namespace
}  // namespace spindle
