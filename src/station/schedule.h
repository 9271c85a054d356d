#pragma once

#include <array>
#include <string>
#include <vector>

#include "station/details.h"
#include "station/rotation.h"

namespace spindle {

// Stands in a schedule hour for whichever rotation is the Default Rotation.
inline constexpr const char* kDefaultRotationPlaceholder = "...DEFAULT...";
// Marks a timed spot entry that is a note rather than a Spot Group.
inline constexpr const char* kBreakNoteEntry = "<Break Note>";

// "hh:nn" + TAB + rotation name; the Rotation itself, or none for the placeholder.
struct ScheduleHour {
    std::string Text;
    TRotationDetails* Object = nullptr;

    bool PlaysDefault() const {
        return Text.find(kDefaultRotationPlaceholder) != std::string::npos;
    }
    // The Rotation the hour plays, given the station's Default Rotation; null when none.
    const TRotationDetails* Plays(const TRotationDetails* defaultRotation) const {
        return PlaysDefault() ? defaultRotation : Object;
    }
};

// "hh:nn" + TAB + spot group name, or "hh:nn" + TAB + "<Break Note>" + note text.
struct TimedSpot {
    std::string Text;
    TSpotDetails* Object = nullptr;
};

class TScheduleDetails {
public:
    TScheduleDetails();

    std::string Name;
    std::string Notes;
    std::array<bool, 7> Days{};         // Monday first
    std::vector<ScheduleHour> Hours;    // 24 entries
    std::vector<TimedSpot> TimedSpots;  // kept sorted by text
    std::vector<TimedSpot> HourSpots;   // the generator's working list for one hour

    void SortTimedSpots();
};

// "hh:nn" + TAB + name, as a schedule hour or timed spot entry is written.
std::string ScheduleEntryText(int hour, int minute, const std::string& name);
// The part after the TAB (the rotation or spot group name), or empty.
std::string ScheduleEntryName(const std::string& text);

}  // namespace spindle
