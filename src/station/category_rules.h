#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "rules/rule_def.h"
#include "stationdb/station_db.h"

namespace spindle {

class Station;

// What a Category's rules page shows and starts from. The database keeps a Category's rules
// under the name the saved Categories give it (TCustomDetails::ListName), as its track
// list is kept, until a save of the Categories carries them to its new name.
struct CategoryRules {
    std::vector<RuleDef> Own;      // the Category's own list; empty: it uses the station's
    std::vector<RuleDef> Station;  // the station's list, with the repeat intervals
    std::vector<AttributeDef> Attributes;
    std::string Problem;  // the database could not be read: the rules are not to be changed
};
CategoryRules ReadCategoryRules(const std::filesystem::path& dataFolder,
                                const std::string& category);

// Stores a Category's own list (empty: it uses the station's) when it differs from what
// the database holds, so a station whose rules never changed gets no database; without
// one, a list that means what no rules mean is not stored either.
DbStatus SaveCategoryRules(const std::filesystem::path& dataFolder, const std::string& category,
                           const std::vector<RuleDef>& own);

// Moves the rules of a Category never saved to its new name, in one step.
DbStatus RenameCategoryRules(const std::filesystem::path& dataFolder, const std::string& from,
                             const std::string& to);

// For a save of the Categories: carries each renamed one's rules from its saved name to its
// name and drops those of the Categories deleted since (Station::DeletedCategories). Gives
// back the rules as they were, to be put back should the file not be saved; nothing when
// none moved.
DbRead<std::optional<RuleTexts>> CarryCategoryRules(const Station& station);

// Whether rules kept under `scope` are the station's own ("") or a Category's, by the name
// the saved Categories give it.
bool KeepsRulesUnder(const Station& station, const std::string& scope);

// What keeps a rule from doing anything, one line each for the operator: a list kept under
// a name no Category has (`byScope` by the name the database keeps it under, "" for the
// station's), a window on a track no Category holds, and a rule naming an attribute or a
// value the station does not define. A run and an import tell them; nothing is changed.
std::vector<std::string> IdleRules(const Station& station,
                                   const std::map<std::string, std::vector<RuleDef>>& byScope,
                                   const std::vector<AttributeDef>& attributes);

}  // namespace spindle
