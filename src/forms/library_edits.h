#pragma once

#include <string>
#include <vector>

#include "station/station.h"

namespace spindle {

// The operator's edits of the four library lists: rename, delete, copy, usage, and
// the data-folder commands. Refusals and questions go through the station's Operator.

enum class ListKind { Categories, SpotGroups, Rotations, Schedules };

// What a check says of an edit: nothing when it may go ahead, else the message for the
// operator and the field it concerns, so a dialog can show it and keep focus there.
struct Verdict {
    std::string Message;
    std::string Field;
    bool Ok() const { return Message.empty(); }
};

// Whether `name` may be the name of entry `index` of a list (kNewEntry for an entry
// not in the list yet): not empty, no invalid character, not taken, and for a group no
// track list that would be one of the station's own files.
inline constexpr std::size_t kNewEntry = static_cast<std::size_t>(-1);
// The refusal of a name with an invalid character, naming every one of them.
std::string InvalidNameMessage();
Verdict CheckName(const Station& station, ListKind kind, std::size_t index,
                  const std::string& name);

// Whether entry `index` may be deleted: not while a rotation or schedule uses it, and
// never the Default Rotation.
Verdict CheckDelete(const Station& station, ListKind kind, std::size_t index);

// Renames an entry and carries the new name into the rotations and schedules that use
// it. False (with the reason shown) when the name is empty, holds an invalid character
// or is taken; false without a word when nothing changed.
bool RenameEntry(Station& station, ListKind kind, std::size_t index, const std::string& newName);

// Deletes an entry after the operator confirms; refused while something uses it.
bool DeleteEntry(Station& station, ListKind kind, std::size_t index);

// A copy of a Rotation or Schedule named "Copy of ..." (with a number when that name is
// taken), added at the end of its list and marked for saving.
bool CopyEntry(Station& station, ListKind kind, std::size_t index);

// Who uses what, in list order.
std::vector<const TRotationDetails*> RotationsUsing(const Station& station,
                                                    const TCustomDetails* group);
std::vector<const TScheduleDetails*> SchedulesWithTimedSpot(const Station& station,
                                                            const TSpotDetails* group);
std::vector<const TScheduleDetails*> SchedulesUsing(const Station& station,
                                                    const TRotationDetails* rotation);

// Rewrites the items and entries that refer to a renamed object; false when none does.
bool UpdateRotationReferences(Station& station, const TCustomDetails& group);
bool UpdateScheduleReferences(Station& station, const TRotationDetails& rotation);
bool UpdateScheduleReferences(Station& station, const TSpotDetails& group);

// Copies every "*.dat" of the data folder, "Settings.ini" and "ArtistNames.txt" into its
// "Backup" folder.
void BackupDataFiles(Station& station);

// "Clear Last Scheduled": after the operator agrees, every track counts as long unused.
bool ResetLastUsed(Station& station);
// After a reset of the last uses: when the station has a play history, asks whether the
// tracks' airings go too, and if so has the next save of the track lists forget them.
void ForgetTrackHistory(Station& station);

}  // namespace spindle
