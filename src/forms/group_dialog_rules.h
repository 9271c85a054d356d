#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "forms/library_edits.h"
#include "station/details.h"

namespace spindle {

// The rules of the Category and Spot Group property dialogs, kept here so that the
// dialogs only show their verdicts and every rule is tested without a display.

// The repeat-interval track bars: minutes by position 0 to 21.
inline constexpr std::array<std::uint32_t, 22> kIntervalScale = {
    0,   30,  60,   90,   120,  180,  240,  300,  360,  480,  600,
    720, 900, 1080, 1440, 2160, 2880, 4320, 5760, 7200, 8640, 10080};

// The first position whose minutes are at least `minutes`; the last when none is.
int IntervalPosition(std::uint32_t minutes);

// The unit label beside an interval field: nothing below 120 minutes, then hours up to
// 2160 minutes, then days, each to the nearest half ("(2.5 hours)", "(36 hours)",
// "(2 days)").
double NearestHalf(double value);
std::string IntervalUnitLabel(std::uint32_t minutes);

// A number field (a repeat interval, the crossfade allowance) after an edit: a field
// left without a digit, empty or a lone decimal separator, becomes "0".
std::string NumberFieldText(const std::string& text);

// Which Spot Group dialog controls are enabled for a type, a sort and the state of
// "Always start with first item".
struct SpotDialogEnabling {
    bool SortType = true;
    bool FirstItem = true;
    bool NextItem = true;
};
SpotDialogEnabling SpotDialogRules(int groupType, int sortType, bool firstItemChecked);

// OK is offered only while the name and the folder list both hold something.
bool GroupPropertiesComplete(const std::string& name, const std::string& folderText);

// The OK checks in their order: a new object's name must be free and pass the name rule
// of every list (no invalid character, no clash with the station's files), and every
// folder line must name an existing file or folder (one verdict per bad line). Empty
// when all pass.
std::vector<Verdict> CheckGroupProperties(const Station& station, GroupKind kind, bool isNew,
                                          const std::string& name,
                                          const std::vector<std::string>& folderLines);

// What the dialogs edit of a Category or Spot Group: the fields of either kind.
struct GroupFields {
    std::string Name;
    std::string Notes;
    std::vector<std::string> Folders;
    bool Subfolders = false;
    std::uint8_t GroupType = 0;
    // Categories
    std::uint8_t SongRepeatOption = kRepeatSystemDefault;
    std::uint32_t SongRepeatInterval = 0;
    std::uint8_t ArtistRepeatOption = kRepeatSystemDefault;
    std::uint32_t ArtistRepeatInterval = 0;
    // Spot Groups
    std::uint8_t SortType = kSortAllFoldersCombined;
    bool FirstItem = false;
    std::uint32_t NextItem = 0;
};
GroupFields FieldsOf(const TCustomDetails& group);

// Whether the stored average still holds for what the dialog shows: the same folders,
// subfolder setting and type (for a Spot Group, whether it is a Block and whether it
// sorts per folder). Otherwise it is known again only after the scan.
bool ShowsStoredAverage(const TCustomDetails& stored, const GroupFields& shown);

// Writes checked fields back: into `existing`, or into a new group added at the end of
// its list. Marks the kind changed; the caller then reloads the group's files.
TCustomDetails& ApplyGroupFields(Station& station, GroupKind kind, TCustomDetails* existing,
                                 const GroupFields& fields);

}  // namespace spindle
