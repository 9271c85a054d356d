#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/operator.h"
#include "station/station.h"

namespace spindle {

// The main window's rules, kept here so the window only shows their results.

enum class Page { Categories, SpotGroups, Rotations, Schedules, Options };

// The desktop program's command line: "e" (the Playlist Editor as the program's window),
// "i" (isolated) and "r" (unattended run) with "-" or "/" in either case (or --editor,
// --isolated, --run), and --data DIR (or --data=DIR). Problem is set, and
// the rest unusable, when an argument is none of these.
struct StartupSwitches {
    bool EditorFirst = false;
    bool Isolated = false;
    bool Unattended = false;
    std::optional<std::string> Data;
    std::string Problem;
};
StartupSwitches ParseStartupSwitches(const std::vector<std::string>& args);

// How long the splash window stays at least, from the start of loading.
inline constexpr std::int64_t kSplashMinimumMs = 4000;
// What is left of the splash's minimum time after `elapsedMs`; 0 when it has passed.
inline std::int64_t SplashRemainingMs(std::int64_t elapsedMs) {
    return elapsedMs >= kSplashMinimumMs ? 0 : kSplashMinimumMs - elapsedMs;
}

// A station set up beside the studio's playout program and without a Rotation yet
// starts with that program's extended playlist lines instead of the plain format.
// True when it applied.
bool ApplyFirstRunPreset(Station& station);

// How the four library lists are shown; one style for all four.
enum class ViewStyle { LargeIcons, SmallIcons, List, Details };

// The toolbar's view button: Details to List, List to Small Icons, Small Icons to Large
// Icons, and anything else back to Details.
ViewStyle NextViewStyle(ViewStyle style);

// The page the program opens on: Categories while there is no Category or no Rotation,
// else Rotations while there is no Schedule, else Options.
Page StartPage(const Station& station);

// Whether the page shown has unsaved changes ("Save"); "Save All" is Changed.Any().
bool PageHasChanges(const ChangedFlags& changed, Page page);

// The page's Save: its own kind only (the Categories page also saves the track lists
// when they changed; the Options page the Options and the Related Artists). True when
// everything it had to save was saved.
bool SavePage(Station& station, Page page);

// The close question: nothing to ask without changes; Cancel keeps the program open,
// No closes, Yes saves everything and closes only when everything was saved (a failed
// save keeps the window open, so nothing is lost).
bool MayClose(Station& station);

}  // namespace spindle
