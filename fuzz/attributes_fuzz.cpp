// The attributes import over any bytes, into a station with two attributes and two
// tracks: never a crash, nothing applied when the file is refused, every value it stores
// one of its attribute's, and none on a track the station does not have.
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "fuzz_support.h"
#include "rules/attribute_csv.h"
#include "stationdb/station_db.h"

namespace {

const std::vector<std::string> kPaths{"/m/a.mp3", "/m/b.mp3"};

// Station.db as a new station has it, made once and written afresh for every input.
const std::string& FreshDatabase() {
    static const std::string bytes = [] {
        using namespace spindle;
        const auto folder = fuzz::Folder() / "template";
        std::filesystem::create_directories(folder);
        {
            StationDb db(folder, StationDb::Mode::OrCreate);
            if (!db.DefineAttribute({"Tempo", "bpm", "90 120", {"Slow", "Medium", "Fast"}}) ||
                !db.DefineAttribute({"Vocal", "hand", "", {"Female", "Male"}})) {
                std::abort();
            }
        }
        std::ifstream file(StationDb::FileIn(folder), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }();
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace spindle;
    const std::string& fresh = FreshDatabase();
    fuzz::Reset();
    fuzz::Put("Station.db", fresh);
    const AttributeImport imported =
        ImportAttributes(fuzz::Folder(), kPaths, fuzz::Put("in.csv", fuzz::Text(data, size)));
    StationDb db(fuzz::Folder(), StationDb::Mode::IfExists);
    const auto held = db.HandValuesHeld();
    if (!held || (!imported.Problem.empty() && (imported.Applied != 0 || !held.Value.empty()))) {
        std::abort();
    }
    for (const auto& [attribute, values] : held.Value) {
        for (const auto& [value, count] : values) {
            const bool known = attribute == "Tempo"
                                   ? value == "Slow" || value == "Medium" || value == "Fast"
                                   : attribute == "Vocal" && (value == "Female" || value == "Male");
            if (!known || count <= 0 || count > static_cast<long long>(kPaths.size())) {
                std::abort();
            }
        }
    }
    // A path the station does not have takes nothing.
    if (const auto stray = db.AttributesOf("/m/c.mp3"); !stray || !stray.Value.empty()) {
        std::abort();
    }
    return 0;
}
