// Benchmarks of the engine on a large library, printed as Markdown for bench/RESULTS.md:
// spindle-bench WORK_FOLDER [TRACKS]
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "base/unattended_operator.h"
#include "bench_library.h"
#include "generator/run_report.h"
#include "generator/selection.h"
#include "outputs/generation.h"
#include "station/station.h"

namespace fs = std::filesystem;
using namespace spindle;
using namespace spindle::bench;

namespace {

long MaxRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The whole unattended first run as cron starts it: spindle-cli -r on a data folder
// whose groups have no saved track lists yet, so every file is opened and read.
double FirstRunSeconds(const fs::path& data) {
    return Seconds([&] {
        const pid_t child = fork();
        if (child == 0) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
            execl(SPINDLE_CLI_PATH, SPINDLE_CLI_PATH, "-r", "--seed", "7", "--data", data.c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFEXITED(status) || (WEXITSTATUS(status) != 0 && WEXITSTATUS(status) != 3)) {
            std::cerr << "spindle-cli -r failed\n";
            std::exit(1);
        }
    });
}

struct RunFigures {
    double Seconds = 0;
    long Picks = 0;
};

RunFigures Generate(Station& s, int days) {
    s.Opt.StartDay = DateOf(NowLocal()) + 1;
    s.Opt.StartHour = 0;
    s.Opt.TotalDays = days;
    s.Opt.TotalHours = 0;
    s.FixedSeed = 7;
    UnattendedOperator op;
    RunReport report(op, nullptr);
    RunFigures f;
    bool ok = false;
    f.Seconds = Seconds([&] { ok = RunGeneration(s, report); });
    if (!ok) {
        std::cerr << "generation failed\n";
        std::exit(1);
    }
    // Picks: the tracks written, read back from the log.
    std::ifstream log(s.Opt.LogFolderPath() + s.Opt.LogBaseName + ".plg");
    std::string line;
    while (std::getline(log, line)) {
        if (line.rfind("0,", 0) == 0)
            ++f.Picks;
    }
    return f;
}

// SelectTrack alone on one Category of `n` tracks, in memory.
double SelectionsPerSecond(int n, int bias) {
    UnattendedOperator op;
    Station s("/nonexistent", op, FormatSettings::English());
    auto c = std::make_unique<TCategoryDetails>();
    c->Name = "Big";
    for (int i = 0; i < n; ++i) {
        FileRec f;
        f.FileName =
            "/music/" + ArtistName(i % (n / 5 + 1)) + " - Title " + std::to_string(i) + ".mp3";
        f.Duration = 200;
        f.FileDate = 40000 + i % 1000;
        f.Index = i;
        s.Artists.NoteTrack(f.FileName, 0, s.Opt.Names());
        c->Files.push_back(std::move(f));
    }
    s.Random.Seed(3);
    RunSettings settings;
    settings.SongInterval = 1440;
    settings.ArtistInterval = 30;
    settings.NewerTracks = bias;
    RunState state;
    RunReport report(op, nullptr);
    TrackSelector selector(s, settings, state, report);
    const int picks = 5000;
    const double t = Seconds([&] {
        for (int i = 0; i < picks; ++i) {
            selector.SelectTrack(*c, 46400.0 + i * (3.5 / 1440.0));
        }
    });
    return picks / t;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: spindle-bench WORK_FOLDER [TRACKS]\n";
        return 2;
    }
    const fs::path work = argv[1];
    const int tracks = argc > 2 ? std::atoi(argv[2]) : 50000;
    fs::remove_all(work);
    const fs::path music = work / "music";
    const fs::path data = work / "data";
    fs::create_directories(data);
    std::cerr << "writing " << tracks << " files...\n";
    MakeLibrary(music, tracks);
    {
        UnattendedOperator op;
        Station define(data, op, FormatSettings::English());
        DefineStation(define, music, work / "spots");
    }

    // Warm the caches the same way for both the loader and its floor.
    ReloadFloor(music);
    // The first run, as the median of five, each on a fresh copy of the data folder that
    // holds no track list yet, against the median of the floors taken beside them: one
    // run of a third of a second moves by tens of milliseconds from one to the next.
    const fs::path firstRunData = work / "first-run";
    std::vector<double> firstRuns;
    std::vector<double> firstRunFloors;
    for (int round = 0; round < 5; ++round) {
        fs::remove_all(firstRunData);
        fs::copy(data, firstRunData, fs::copy_options::recursive);
        firstRunFloors.push_back(FirstLoadFloor(music));
        firstRuns.push_back(FirstRunSeconds(firstRunData));
    }
    const double firstRunFloor = Median(firstRunFloors);
    const double firstRun = Median(firstRuns);
    const double firstFloor = FirstLoadFloor(music);
    UnattendedOperator op;
    auto station = std::make_unique<Station>(data, op, FormatSettings::English());
    const double firstLoad = Seconds([&] { station->LoadAll(); });
    const std::size_t loaded = station->TotalCategoryTracks();
    station->SaveAll();
    const double reloadFloor = ReloadFloor(music);
    station = std::make_unique<Station>(data, op, FormatSettings::English());
    const double reload = Seconds([&] { station->LoadAll(); });
    const long rssLoaded = MaxRssKb();

    const RunFigures week = Generate(*station, 7);
    const RunFigures season = Generate(*station, 90);
    const long rssGenerated = MaxRssKb();

    std::printf("| measure | figure | floor | ratio to floor |\n|---|---|---|---|\n");
    std::printf(
        "| first load, %zu tracks, every duration read | %.3f s, %.0f tracks/s | %.3f s, %.0f "
        "tracks/s | %.2f |\n",
        loaded, firstLoad, loaded / firstLoad, firstFloor, loaded / firstFloor,
        firstFloor / firstLoad);
    std::printf(
        "| reload from saved track lists | %.3f s, %.0f tracks/s | %.3f s, %.0f tracks/s | %.2f "
        "|\n",
        reload, station->TotalCategoryTracks() / reload, reloadFloor,
        station->TotalCategoryTracks() / reloadFloor, reloadFloor / reload);
    std::printf(
        "| spindle-cli -r, first run (whole process: load, 1 day with pages and summaries, "
        "save) | %.3f s | %.3f s | %.2f |\n",
        firstRun, firstRunFloor, firstRunFloor / firstRun);
    std::printf("| generate 7 days (loading excluded) | %.3f s, %.0f picks/s, %.4f s/day | | |\n",
                week.Seconds, week.Picks / week.Seconds, week.Seconds / 7);
    std::printf("| generate 90 days (loading excluded) | %.3f s, %.0f picks/s, %.4f s/day | | |\n",
                season.Seconds, season.Picks / season.Seconds, season.Seconds / 90);
    std::printf("| peak memory after loading | %.1f MB | | |\n", rssLoaded / 1024.0);
    std::printf("| peak memory after generating 7 and 90 days | %.1f MB | | |\n",
                rssGenerated / 1024.0);
    const double reloadRate = station->TotalCategoryTracks() / reload;
    auto verdict = [](bool ok) { return ok ? "met" : "NOT met"; };
    std::printf("\n| target | result | |\n|---|---|---|\n");
    std::printf("| 7-day run under 0.25 s | %.3f s | %s |\n", week.Seconds,
                verdict(week.Seconds < 0.25));
    std::printf("| 90-day run under 3 s | %.3f s | %s |\n", season.Seconds,
                verdict(season.Seconds < 3));
    std::printf("| reload at least 200,000 tracks/s | %.0f tracks/s | %s |\n", reloadRate,
                verdict(reloadRate >= 200000));
    std::printf("| reload at least half its floor | %.2f | %s |\n", reloadFloor / reload,
                verdict(reloadFloor / reload >= 0.5));
    std::printf("| first load at least half its floor | %.2f | %s |\n", firstFloor / firstLoad,
                verdict(firstFloor / firstLoad >= 0.5));
    std::printf("| spindle-cli first run within 1.5 x the open-and-read floor | %.2f x | %s |\n",
                firstRun / firstRunFloor, verdict(firstRun <= 1.5 * firstRunFloor));
    std::printf("| peak memory under 100 MB | %.1f MB | %s |\n", rssGenerated / 1024.0,
                verdict(rssGenerated < 100 * 1024));
    std::printf(
        "\nSelectTrack alone (5000 selections, song interval 1 day, artist interval 30 minutes).\n"
        "With the Heavy bias a selection compares up to 6 + 36 x (n - 1) / 10000 eligible\n"
        "tracks and keeps the newest, so its cost grows with the Category; without it a\n"
        "selection takes the next eligible track at much the same cost at any size.\n\n");
    std::printf(
        "| SelectTrack, one Category of | no bias: selections/s | Heavy bias: selections/s |\n"
        "|---|---|---|\n");
    for (int n : {1000, 10000, 100000}) {
        std::printf("| %d tracks | %.0f | %.0f |\n", n, SelectionsPerSecond(n, 0),
                    SelectionsPerSecond(n, 3));
    }
    // The library and its data folder stay for the desktop program's figures;
    // bench/run removes the whole work folder.
    fs::remove_all(firstRunData);
    return 0;
}
