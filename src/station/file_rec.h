#pragma once

#include <cstdint>
#include <string>

#include "base/datetime.h"

namespace spindle {

// One track of a Category or Spot Group.
struct FileRec {
    std::string FileName;           // full path of the audio file (or M3U, or shortcut target)
    TDateTime FileDate = 0.0;       // last-write time found by the scan; 0 when unknown
    TDateTime LastUsed = 0.0;       // when the generator last placed it; 0 = never
    TDateTime SavedLastUsed = 0.0;  // LastUsed of the last load or save, or as the operator set it
    std::uint16_t Duration = 0;     // seconds; 0 = not on record
    std::int32_t Index = 0;         // position when entered or shuffled; a permutation of 0..n-1
};

}  // namespace spindle
