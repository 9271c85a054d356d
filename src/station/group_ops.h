#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/random_source.h"
#include "station/details.h"

namespace spindle {

// A uniform random order of the group's tracks; NextItem returns to 0.
void ShuffleFiles(TCustomDetails& group, RandomSource& random);

// Orders the tracks by file name without folder, ignoring case; Index values travel
// with their entries and NextItem stays.
void SortFilesByName(TCustomDetails& group);

// The track at NextItem, then NextItem moves on. Past the end a Category is
// reshuffled first. nullopt for a group without tracks.
std::optional<FileRec> TakeNextTrack(TCategoryDetails& category, RandomSource& random);

// As TakeNextTrack; past the end a "Randomly" group is reshuffled, any other
// starts again at its first track.
std::optional<FileRec> TakeNextSpot(TSpotDetails& group, RandomSource& random);

// Index of the first track whose path is exactly `path`, or -1.
int FindFileIndex(const TCustomDetails& group, std::string_view path);

// The folder column of a group list: the first eight entries, "; " between them.
std::string FolderSummary(const std::vector<std::string>& folders);

// The average time after loading: for a Block group the total cut to 16 bits, else
// the mean rounded half to even; nullopt for a group without tracks.
std::optional<std::uint16_t> AverageOfFiles(const std::vector<FileRec>& files, bool block);

}  // namespace spindle
