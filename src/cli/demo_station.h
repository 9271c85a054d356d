#pragma once

#include <filesystem>
#include <string>

namespace spindle {

// Writes a demo station under `folder`: a music library of a few hundred tracks in
// genre folders and spot groups made of tiny MPEG files with realistic durations,
// and a data folder with Categories, Spot Groups, Rotations, a Schedule for the whole
// week, Related Artists and Options that generate a week with pages and summaries.
// Refuses (returning the reason) when `folder` already holds a station.
std::string MakeDemoStation(const std::filesystem::path& folder);

}  // namespace spindle
