#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "station/details.h"

namespace spindle {

// One line of a rotation: its text in the item encoding and, for a Category or Spot
// Group item, the group it names (none when the group is missing).
struct RotationItem {
    std::string Text;
    TCustomDetails* Object = nullptr;
};

class TRotationDetails {
public:
    std::string Name;
    std::string Notes;
    bool Default = false;
    std::vector<RotationItem> Items;
    std::string OldName;
};

enum class RotationItemKind {
    BreakNote,       // "hh:nn:ss ** text"
    TimedBreakNote,  // "hh:nn:ss ** (mm)text"
    VoiceTrack,      // "hh:nn:ss ## 30:VoiceTrack"
    SpotGroup,       // "hh:nn:ss\t{name}"
    TimedSpotGroup,  // "hh:nn:ss\t{(mm)name}"
    Category,        // "hh:nn:ss\tname"
};

RotationItemKind ClassifyRotationItem(std::string_view text);

// The minute 0 to 60 of the first "(mm)" group of an item, or -1.
int TimedMinute(std::string_view text);

// The group name an item names (Category, Spot Group or Timed Spot Group items);
// empty for notes and voice tracks.
std::string RotationItemGroupName(std::string_view text);

// Builders of the encodings, with the time field "00:00:00".
std::string MakeCategoryItem(std::string_view name);
std::string MakeSpotGroupItem(std::string_view name, int minute = -1);
std::string MakeBreakNoteItem(std::string_view note, int minute = -1);
std::string MakeVoiceTrackItem(unsigned seconds);

}  // namespace spindle
