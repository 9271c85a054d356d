#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/format_settings.h"
#include "forms/library_edits.h"
#include "station/rotation.h"
#include "station/schedule.h"

namespace spindle {

// The rules of the Rotation and Schedule editors and the Timed Spot dialog, kept here so
// the dialogs only show their results.

// ---- Rotations ----

// The seconds an item adds to the hour: its group's average, or for a Break Note or
// Voice Track marker the number before the first ":" after its marker.
std::uint32_t RotationItemSeconds(const RotationItem& item);

// Writes each item's approximate start into its first eight characters and gives the
// hour's total in seconds.
std::uint32_t RecomputeRotationTimes(std::vector<RotationItem>& items);

// "(Approx Time: hh:nn:ss)".
std::string ApproxTimeLabel(std::uint32_t seconds, const FormatSettings& settings);

// A Break Note's text after its marker (and its minute, when timed).
std::string BreakNoteText(const std::string& item);
// The Break Note with new text, keeping its time, marker and minute.
std::string WithBreakNoteText(const std::string& item, const std::string& text);
// A Voice Track marker for the operator's answer; what is not a number counts as 0.
std::string VoiceTrackItemFor(const std::string& answer);

// Whether an item may be pinned to a minute (Break Notes and Spot Group items), the
// minute offered (its own, else that of its start) and the item pinned to the minute
// the operator typed; nullopt for anything but a whole number 0 to 60.
bool CanBeTimed(const std::string& item);
int OfferedMinute(const std::string& item);
std::optional<std::string> WithMinute(const std::string& item, const std::string& answer);

// Moves item `from` to index `to` of the list as it is before the move (a drop
// position); `to` past the end moves it to the end.
void MoveRotationItem(std::vector<RotationItem>& items, std::size_t from, std::size_t to);

// OK of the Rotation or Schedule editor for a new entry: the name must be free ("...
// already exists. Try again.") and pass the name rule of every list (not empty, no
// invalid character, never the Default Rotation's placeholder).
Verdict CheckNewPlanName(const Station& station, ListKind kind, const std::string& name);

// Writes an edited Rotation back, or adds a new one. The Default box decides which
// Rotation is the Default Rotation: ticked, it takes over from the old one; unticked on
// the Default Rotation, the first other Rotation takes over. A station's first Rotation
// is its Default Rotation.
TRotationDetails& ApplyRotation(Station& station, TRotationDetails* existing,
                                const TRotationDetails& edited);

// OK of the Rotation editor, in turn:
// - unticking Default on the Default Rotation is refused with the way to move the part
//   (tick Default on the Rotation that is to take it), never moved in silence;
// - a Rotation with no item that goes on the air (only Break Notes, or nothing) gives a
//   warning for the operator to confirm: every hour that plays it would be silent.
Verdict CheckRotationDefault(const Station& station, const TRotationDetails* existing,
                             const TRotationDetails& edited);
bool RotationPlays(const std::vector<RotationItem>& items);
std::string SilentRotationWarning(const TRotationDetails& edited);

// ---- Schedules ----

// Attaches a Rotation (nullptr: the Default Rotation's placeholder) to an hour entry.
void AttachRotation(ScheduleHour& hour, TRotationDetails* rotation);

// A Timed Spot's "hh:nn": hours 00-23, minutes 00-60 (":60" is the next hour's :00).
bool TimedSpotTimeValid(const std::string& time);
// "hh:nn" plus `minutes` (negative subtracts), wrapping round the day both ways; ":60"
// counts as the next hour. nullopt when the text is no time.
std::optional<std::string> AddMinutesToTime(const std::string& time, int minutes);
// Adds minutes to every entry and sorts them again; false (nothing changed) when an
// entry's time cannot be read.
bool AddTimeToAll(std::vector<TimedSpot>& spots, int minutes);

// The Spot Groups a Timed Spot may be: types Normal and Voice Intro.
std::vector<TSpotDetails*> TimedSpotGroups(const Station& station);
// The entry for a time and a chosen group name ("<Break Note>" takes the description).
TimedSpot MakeTimedSpot(const Station& station, const std::string& time, const std::string& choice,
                        const std::string& description);

// Paste: the copied entries' texts, with their groups found again by name; the names
// no longer found are given back (those entries are left out).
std::vector<TimedSpot> PasteTimedSpots(const Station& station,
                                       const std::vector<std::string>& copied,
                                       std::vector<std::string>& missing);

// OK of the Schedule editor: a warning for the operator to confirm when some of its hours
// play a Rotation with no item that goes on the air; empty when every hour plays.
std::string SilentScheduleWarning(const Station& station, const TScheduleDetails& edited);

// Writes an edited Schedule back, or adds a new one.
TScheduleDetails& ApplySchedule(Station& station, TScheduleDetails* existing,
                                const TScheduleDetails& edited);

}  // namespace spindle
