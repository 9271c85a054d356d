#include "bench_library.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>

#include "fileinfo/silent_mp3.h"
#include "outputs/html_pages.h"
#include "station/rotation.h"

namespace fs = std::filesystem;

namespace spindle::bench {
namespace {

// An ID3v2.3 text frame in ISO-8859-1, as most taggers write plain names.
std::string Frame(const std::string& id, const std::string& text) {
    const std::size_t n = text.size() + 1;
    return id +
           std::string{static_cast<char>(n >> 24), static_cast<char>(n >> 16 & 0xFF),
                       static_cast<char>(n >> 8 & 0xFF), static_cast<char>(n & 0xFF)} +
           std::string(2, '\0') + '\0' + text;
}

std::string Id3v2Tag(const std::string& artist, const std::string& title, int t) {
    static const char* const kMoods[] = {"Calm", "Bright", "Dark", "Warm"};
    const std::string body = Frame("TPE1", artist) + Frame("TIT2", title) +
                             Frame("TALB", "Album " + std::to_string(t / 12)) +
                             Frame("TBPM", std::to_string(70 + t % 90)) +
                             Frame("TXXX", std::string("MOOD") + '\0' + kMoods[t % 4]);
    const std::size_t n = body.size();
    return std::string("ID3\x03\0\0", 6) +
           std::string{static_cast<char>(n >> 21 & 0x7F), static_cast<char>(n >> 14 & 0x7F),
                       static_cast<char>(n >> 7 & 0x7F), static_cast<char>(n & 0x7F)} +
           body;
}

}  // namespace

double Seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void ForEachLibraryFile(const fs::path& music,
                        const std::function<void(const std::string&)>& each) {
    std::string path;
    for (int f = 0; f < kFolders; ++f) {
        const std::string folder = (music / ("Folder " + std::to_string(f))).string() + "/";
        DIR* dir = opendir(folder.c_str());
        while (const dirent* e = readdir(dir)) {
            if (e->d_name[0] != '.') {
                path.assign(folder).append(e->d_name);
                each(path);
            }
        }
        closedir(dir);
    }
}

std::string ArtistName(int a) {
    return "Artist " + std::to_string(a);
}

void MakeLibrary(const fs::path& music, int tracks) {
    std::mt19937 gen(1);
    const int perFolder = tracks / kFolders;
    for (int f = 0; f < kFolders; ++f) {
        const fs::path folder = music / ("Folder " + std::to_string(f));
        fs::create_directories(folder);
        for (int t = 0; t < perFolder; ++t) {
            const int artist = (f * 160 + t % 160 + (t % 7 == 0 ? 80 : 0)) % 8000;
            const std::string title = "Title " + std::to_string(t);
            const std::string name = ArtistName(artist) + " - " + title + ".mp3";
            std::ofstream(folder / name, std::ios::binary)
                << Id3v2Tag(ArtistName(artist), title, t) << SilentMp3Bytes(150 + gen() % 150);
        }
    }
}

// What any loader must at least do to read every file's header: list, open, read.
double FirstLoadFloor(const fs::path& music) {
    return Seconds([&] {
        char buf[4096];
        ForEachLibraryFile(music, [&](const std::string& path) {
            const int fd = open(path.c_str(), O_RDONLY);
            if (read(fd, buf, sizeof buf) < 0) {
                std::abort();
            }
            close(fd);
        });
    });
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// What any reload must at least do to know the files are still there: list and stat.
double ReloadFloor(const fs::path& music) {
    return Seconds([&] {
        struct stat st {};
        ForEachLibraryFile(music, [&](const std::string& path) { stat(path.c_str(), &st); });
    });
}

void DefineStation(Station& s, const fs::path& music, const fs::path& spots) {
    for (int c = 0; c < kCategories; ++c) {
        auto category = std::make_unique<TCategoryDetails>();
        category->Name = "Category " + std::to_string(c);
        for (int f = c; f < kFolders; f += kCategories) {
            category->Folders.push_back((music / ("Folder " + std::to_string(f))).string());
        }
        s.Categories.push_back(std::move(category));
    }
    fs::create_directories(spots);
    for (int i = 0; i < 6; ++i) {
        std::ofstream(spots / ("Spot " + std::to_string(i) + ".mp3"), std::ios::binary)
            << SilentMp3Bytes(30);
    }
    auto group = std::make_unique<TSpotDetails>();
    group->Name = "Spots";
    group->Folders = {spots.string()};
    s.SpotGroups.push_back(std::move(group));

    auto r = std::make_unique<TRotationDetails>();
    r->Name = "Hour";
    r->Default = true;
    std::vector<std::string> items = {MakeSpotGroupItem("Spots"), MakeBreakNoteItem("Weather"),
                                      MakeVoiceTrackItem(30), MakeSpotGroupItem("Spots", 30),
                                      MakeSpotGroupItem("Spots")};
    for (int i = 0; items.size() < 20; ++i) {
        items.insert(items.begin() + 1 + i % 4,
                     MakeCategoryItem("Category " + std::to_string(i % kCategories)));
    }
    for (auto& text : items)
        r->Items.push_back({text, nullptr});
    s.Rotations.push_back(std::move(r));
    auto schedule = std::make_unique<TScheduleDetails>();
    schedule->Name = "All";
    schedule->Days.fill(true);
    s.Schedules.push_back(std::move(schedule));

    std::vector<std::string> related;
    for (int i = 0; i < 300; ++i) {
        related.push_back(ArtistName(i * 20) + ";" + ArtistName(i * 20 + 1) + ";" +
                          ArtistName(i * 20 + 2) + ";");
    }
    s.Related.SetLines(related);
    Options& o = s.Opt;
    o.SystemSongInterval = std::to_string(3 * 1440);
    o.SystemArtistInterval = "90";
    o.NewerTracks = 3;
    o.TimeCheck = true;
    o.HTMLEnabled = true;
    o.HTMLSpots = true;
    o.TrackLog = true;
    o.SpotLog = true;
    DefaultHtmlCode(o, "Bench FM", "https://bench.example");
    s.Changed = ChangedFlags{true, true, true, true, true, false, true};
    s.SaveAll();
}

}  // namespace spindle::bench
