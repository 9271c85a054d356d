#pragma once

#include "base/operator.h"
#include "library/station.h"

namespace spindle {

// The main window's rules, kept here so the window only shows their results.

enum class Page { Categories, SpotGroups, Rotations, Schedules, Options };

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
