#pragma once

#include <filesystem>
#include <string>

namespace spindle {

// Writes a demo station under `folder`: a music library of a few hundred tracks in
// genre folders and spot groups made of tiny MPEG files with realistic durations,
// and a data folder with Categories, Spot Groups, Rotations, a Schedule for the whole
// week, Related Artists and Options that generate a week with pages and summaries.
// The data folder is `folder`/data unless `dataFolder` names another (the desktop
// program's own, which must not hold a station yet). Refuses (returning the reason)
// when the data folder already holds a station.
std::string MakeDemoStation(const std::filesystem::path& folder,
                            const std::filesystem::path& dataFolder = {});

}  // namespace spindle
