#include "support/rule_station.h"

#include <cstdint>

#include "base/list_text.h"
#include "stationdb/station_db.h"

namespace spindle::test {
namespace {

// FNV-1a of the file's name: the same values for the same names on every machine.
std::uint32_t NameHash(const std::string& path) {
    std::uint32_t hash = 2166136261u;
    for (const char c : path.substr(path.rfind('/') + 1)) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    }
    return hash;
}

// The value whose share, in per cent, `roll` (0 to 99) falls in.
const char* Pick(unsigned roll, const std::vector<std::pair<unsigned, const char*>>& shares) {
    for (const auto& [upTo, value] : shares) {
        if (roll < upTo) {
            return value;
        }
    }
    return shares.back().second;
}

}  // namespace

std::vector<std::string> RulesOfEveryKind() {
    return {"window Explicit=Yes hours 21:00-06:00",
            "artist",
            "song",
            "cap track 3 per day",
            "transition Tempo=Fast -> Tempo=Slow",
            "album 90 minutes",
            "title 2 hours",
            "quota Vocal=Female at least 20%",
            "run Tempo=Fast 2",
            "separate Vocal=Female 2 items",
            "cap artist 3 per 3 hours",
            "hour-rotation 1 hour 3 days",
            "quota Tempo=Slow at most 5"};
}

std::string SetStationRules(const std::filesystem::path& dataFolder,
                            const std::vector<std::string>& rules) {
    StationDb db(dataFolder, StationDb::Mode::OrCreate);
    for (const AttributeDef& attribute :
         {AttributeDef{"Tempo", "hand", "", {"Slow", "Medium", "Fast"}},
          AttributeDef{"Vocal", "hand", "", {"Female", "Male", "Group", "Instrumental"}},
          AttributeDef{"Explicit", "hand", "", {"Yes", "No"}}}) {
        if (const DbStatus defined = db.DefineAttribute(attribute); !defined) {
            return defined.Problem;
        }
    }
    return db.SetRules("", rules).Problem;
}

std::string AttributeCsv(const std::vector<std::string>& paths) {
    std::string csv = "path,Tempo,Vocal,Explicit\r\n";
    for (const std::string& path : paths) {
        const std::uint32_t hash = NameHash(path);
        if (hash / 1000000 % 20 == 0) {
            continue;
        }
        csv += CsvText(path) + "," +
               Pick(hash % 100, {{30, "Slow"}, {75, "Medium"}, {100, "Fast"}}) + "," +
               Pick(hash / 100 % 100,
                    {{35, "Female"}, {75, "Male"}, {90, "Group"}, {100, "Instrumental"}}) +
               "," + Pick(hash / 10000 % 100, {{8, "Yes"}, {100, "No"}}) + "\r\n";
    }
    return csv;
}

}  // namespace spindle::test
