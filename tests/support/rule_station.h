#pragma once

// The attributes and the rules of every kind that the rule checks and the rules benchmark
// put on a station, and the attribute values they import for its tracks.

#include <filesystem>
#include <string>
#include <vector>

namespace spindle::test {

// The station's rules, most important first: a watershed window, the repeat intervals,
// then a rule of every other kind (two caps, one per day and one per stretch of hours;
// two quotas, a share at least and a number at most).
std::vector<std::string> RulesOfEveryKind();

// Defines Tempo, Vocal and Explicit (set by hand) in the data folder's database, made if
// need be, and sets `rules` as the station's; the problem when that failed.
std::string SetStationRules(const std::filesystem::path& dataFolder,
                            const std::vector<std::string>& rules);

// An attribute file for `paths` (the import's columns: path, Tempo, Vocal, Explicit), the
// values spread as a music library's are and chosen by each file's name, so a library made
// again gets the same; about one track in twenty has no row.
std::string AttributeCsv(const std::vector<std::string>& paths);

}  // namespace spindle::test
