// Every data file of a station, loaded from any bytes. The first byte chooses the file;
// the station is isolated so that no folder named in the input is scanned.
#include "base/unattended_operator.h"
#include "forms/library_edits.h"
#include "fuzz_support.h"
#include "station/station.h"
#include "station/track_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace spindle;
    if (size == 0) {
        return 0;
    }
    static const char* kFiles[] = {"Options.dat",   "Categories.dat", "Spots.dat",  "Jazz.dat",
                                   "Rotations.dat", "Schedules.dat",  "Related.dat"};
    const char* file = kFiles[data[0] % 7];
    const std::string_view bytes = fuzz::Text(data + 1, size - 1);
    fuzz::Reset();
    fuzz::Put(file, bytes);
    // Groups for the rotations and schedules to find.
    fuzz::Put("Categories.dat", std::string(file) == "Categories.dat" ? bytes : "Jazz\r\nRock\r\n");
    fuzz::Put("Spots.dat", std::string(file) == "Spots.dat" ? bytes : "IDs\r\n{Odd}\r\n");
    UnattendedOperator op;
    Station station(fuzz::Folder(), op, FormatSettings::English());
    station.Isolated = true;
    station.LoadAll();
    for (const auto& c : station.Categories) {
        (void)station.Related.Key(c->Name);
    }
    (void)OptionsLine(station.Opt);
    (void)ReadTrackList(fuzz::Folder() / "Jazz.dat", nullptr, station.Settings(), nullptr);
    return 0;
}
