// The first load with the tags read beside the durations, against the same load without
// them and against the open-and-read floor, printed as Markdown for bench/RESULTS.md:
// spindle-tag-bench WORK_FOLDER [TRACKS]
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "base/unattended_operator.h"
#include "bench_library.h"
#include "fileinfo/tags.h"
#include "scan/track_tags_cache.h"
#include "station/station.h"
#include "stationdb/station_db.h"

namespace fs = std::filesystem;
using namespace spindle;
using namespace spindle::bench;

namespace {

struct Load {
    double Seconds = 0;
    std::size_t Tracks = 0;
};

void Fail(const std::string& why) {
    std::cerr << why << "\n";
    std::exit(1);
}

// The whole first load (LoadAll) of a fresh copy of the data folder, which holds no track
// list yet, so every file is opened and read; with `tags` the station takes artist and
// title from the tags, so their tags are read and kept too. The copy stays for a reload.
Load FirstLoad(const fs::path& data, const fs::path& copy, bool tags) {
    fs::remove_all(copy);
    fs::copy(data, copy, fs::copy_options::recursive);
    if (tags && !SetArtistTitleSource(copy, ArtistTitleSource::Tags)) {
        Fail("cannot make the station database");
    }
    UnattendedOperator op;
    Station s(copy, op, FormatSettings::English());
    Load load;
    load.Seconds = Seconds([&] { s.LoadAll(); });
    load.Tracks = s.TotalCategoryTracks();
    if (!s.SaveAll()) {
        Fail("cannot save the track lists");
    }
    StationDb db(copy, StationDb::Mode::IfExists);
    const std::size_t kept = db.IsOpen() ? db.KeptTracks({"/"}).Value.size() : 0;
    if (kept != (tags ? load.Tracks : 0) || db.IsOpen() != tags) {
        Fail("the station database does not hold what the load read");
    }
    return load;
}

// TagLib's reading alone, one file after another, as the floor reads them.
double ReadTagsLoop(const fs::path& music) {
    std::size_t tagged = 0;
    const double seconds = Seconds([&] {
        ForEachLibraryFile(music,
                           [&](const std::string& path) { tagged += ReadTags(path) ? 1 : 0; });
    });
    if (tagged == 0) {
        Fail("no tags read");
    }
    return seconds;
}

double Reload(const fs::path& copy) {
    UnattendedOperator op;
    Station s(copy, op, FormatSettings::English());
    return Seconds([&] { s.LoadAll(); });
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: spindle-tag-bench WORK_FOLDER [TRACKS]\n";
        return 2;
    }
    const fs::path work = argv[1];
    const int tracks = argc > 2 ? std::atoi(argv[2]) : 50000;
    fs::remove_all(work);
    const fs::path music = work / "music";
    const fs::path data = work / "data";
    fs::create_directories(data);
    std::cerr << "writing " << tracks << " tagged files...\n";
    MakeLibrary(music, tracks);
    {
        UnattendedOperator op;
        Station define(data, op, FormatSettings::English());
        DefineStation(define, music, work / "spots");
    }
    // Warm caches for every load and floor alike; the median of five of each, taken in
    // turn, as one load moves by tens of milliseconds from one to the next.
    ReloadFloor(music);
    std::vector<double> without, with, floors, tagReads, reloadsWithout, reloadsWith, reloadFloors;
    std::size_t loaded = 0;
    for (int round = 0; round < 5; ++round) {
        floors.push_back(FirstLoadFloor(music));
        tagReads.push_back(ReadTagsLoop(music));
        without.push_back(FirstLoad(data, work / "without", false).Seconds);
        const Load tagged = FirstLoad(data, work / "with", true);
        with.push_back(tagged.Seconds);
        loaded = tagged.Tracks;
        reloadFloors.push_back(ReloadFloor(music));
        reloadsWithout.push_back(Reload(work / "without"));
        reloadsWith.push_back(Reload(work / "with"));
    }
    const double floor = Median(floors);
    const double first = Median(with);
    const double reloadFloor = Median(reloadFloors);
    std::printf("| measure (%zu tracks) | figure | times the floor |\n|---|---|---|\n", loaded);
    std::printf("| open-and-read floor: list, open, read 4 KiB | %.3f s | 1.00 |\n", floor);
    std::printf(
        "| TagLib alone: open and read each file's tags, one after another | %.3f s | %.2f |\n",
        Median(tagReads), Median(tagReads) / floor);
    std::printf("| first load, durations only (nothing needs the tags) | %.3f s | %.2f |\n",
                Median(without), Median(without) / floor);
    std::printf("| first load, durations and tags read, tags kept | %.3f s | %.2f |\n", first,
                first / floor);
    std::printf("| reload floor: list, stat | %.3f s | 1.00 |\n", reloadFloor);
    std::printf("| reload from saved track lists, tags not needed | %.3f s | %.2f |\n",
                Median(reloadsWithout), Median(reloadsWithout) / reloadFloor);
    std::printf(
        "| reload from saved track lists, every file's stamp checked, no tag read again | %.3f "
        "s | %.2f |\n",
        Median(reloadsWith), Median(reloadsWith) / reloadFloor);
    std::printf("\n| target | result | |\n|---|---|---|\n");
    std::printf("| first load with tags within 3 x the open-and-read floor | %.2f x | %s |\n",
                first / floor, first <= 3 * floor ? "met" : "NOT met");
    fs::remove_all(work);
    return 0;
}
