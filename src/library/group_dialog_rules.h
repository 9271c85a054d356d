#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "library/details.h"
#include "library/library_edits.h"

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
// 2160 minutes, then days, each with one significant digit ("(3 hours)", "(2 days)").
std::string IntervalUnitLabel(std::uint32_t minutes);

// An interval field after an edit: an empty field becomes "0".
std::string IntervalFieldText(const std::string& text);

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

// The OK checks in their order: a new object's name must be free, the name may hold
// none of the characters a file name cannot, and every folder line must name an
// existing file or folder (one verdict per bad line). Empty when all pass.
std::vector<Verdict> CheckGroupProperties(const Station& station, GroupKind kind, bool isNew,
                                          const std::string& name,
                                          const std::vector<std::string>& folderLines);

}  // namespace spindle
