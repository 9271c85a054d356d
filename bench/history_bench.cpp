// Five years of a 24-hour station's play history: recording each week's airings as a run
// saves them, then any month's reports of use, printed as Markdown for bench/RESULTS.md:
// spindle-history-bench WORK_FOLDER
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "history/use_reports.h"
#include "stationdb/station_db.h"

namespace fs = std::filesystem;
using namespace spindle;

namespace {

constexpr std::int64_t kFirstDay = 44197;  // 2021-01-01
constexpr int kWeeks = 5 * 52 + 1;
constexpr int kRecordings = 3000;
constexpr int kSpots = 60;

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A week of hours of 13 tracks and 4 spots each, from `day`.
std::vector<LogAiring> Week(std::int64_t day, std::mt19937& gen) {
    std::vector<LogAiring> airings;
    std::uniform_int_distribution<int> track(0, kRecordings - 1), spot(0, kSpots - 1);
    for (int hour = 0; hour < 7 * 24; ++hour) {
        const std::int64_t start = ClockSeconds(static_cast<double>(day)) + hour * 3600;
        std::int64_t at = start;
        for (int item = 0; item < 17; ++item) {
            const bool isSpot = item % 4 == 0;
            const int n = isSpot ? spot(gen) : track(gen);
            const int length = isSpot ? 30 : 180 + n % 120;
            airings.push_back({at, start, isSpot ? 1 : 0,
                               (isSpot ? "/srv/spots/Spot " : "/srv/music/Artist ") +
                                   std::to_string(n) + " - Title.mp3",
                               isSpot ? "Ads" : "Music", length});
            at += length;
        }
    }
    return airings;
}

RecordingFacts Facts(const std::string& path, const RecordingFacts* kept) {
    if (kept != nullptr) {
        return *kept;
    }
    const std::size_t n = std::hash<std::string>{}(path);
    return {path.substr(11, path.find(" - ") - 11),
            "Title",
            "Album " + std::to_string(n % 300),
            n % 5 == 0 ? "" : "USAAA" + std::to_string(1000000 + n % 9000000),
            "Label " + std::to_string(n % 40),
            "Composer"};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: spindle-history-bench WORK_FOLDER\n";
        return 2;
    }
    const fs::path folder = argv[1];
    fs::remove_all(folder);
    fs::create_directories(folder);
    StationDb db(folder, StationDb::Mode::OrCreate);
    std::mt19937 gen(5);
    std::vector<double> weeks;
    for (int w = 0; w < kWeeks; ++w) {
        const std::int64_t day = kFirstDay + 7 * w;
        const std::vector<LogAiring> airings = Week(day, gen);
        const RunRecord run{ClockSeconds(static_cast<double>(day)),
                            ClockSeconds(static_cast<double>(day + 7)), AiringSource::Run,
                            "week" + std::to_string(w), 0};
        const auto start = std::chrono::steady_clock::now();
        const DbRead<int> recorded = db.RecordRun(run, airings, Facts);
        weeks.push_back(Seconds(start));
        if (!recorded) {
            std::cerr << recorded.Problem << "\n";
            return 1;
        }
    }
    const long long total = db.AiringCount().Value;
    // A week again, replacing the one it supersedes.
    const std::int64_t last = kFirstDay + 7 * (kWeeks - 1);
    std::vector<double> again;
    for (int round = 0; round < 5; ++round) {
        const std::vector<LogAiring> airings = Week(last, gen);
        const auto start = std::chrono::steady_clock::now();
        (void)db.RecordRun(
            {ClockSeconds(static_cast<double>(last)), ClockSeconds(static_cast<double>(last + 7)),
             AiringSource::Run, "again", 0},
            airings, Facts);
        again.push_back(Seconds(start));
    }
    // A month from the middle of the history, each report as spindle-cli report makes it.
    const std::int64_t from = ClockSeconds(static_cast<double>(kFirstDay + 900));
    const std::int64_t to = ClockSeconds(static_cast<double>(kFirstDay + 930));
    std::printf("| what | time | target |\n|---|---|---|\n");
    std::printf("| recording a week (%zu airings), the median of %d weeks | %.3f s | 0.2 s |\n",
                Week(last, gen).size(), kWeeks, Median(weeks));
    std::printf("| the last week recorded | %.3f s | 0.2 s |\n", weeks.back());
    std::printf("| a week run again, replacing the one before (median of 5) | %.3f s | 0.2 s |\n",
                Median(again));
    for (const UseReport report : AllUseReports()) {
        std::vector<double> times;
        std::size_t rows = 0;
        for (int round = 0; round < 5; ++round) {
            const auto start = std::chrono::steady_clock::now();
            UseReportRequest request;
            request.Report = report;
            request.From = from;
            request.To = to;
            request.Listeners = db.Listeners(from, to).Value;
            request.AsRun = db.AsRunDays(from, to).Value;
            const UseReportTable table = MakeUseReport(db.History(from, to).Value, request);
            const std::string text = UseReportText(table, request);
            times.push_back(Seconds(start));
            rows = table.Rows.size() - 1;
        }
        std::printf("| a month's report, %s (%zu rows, median of 5) | %.3f s | 2 s |\n",
                    UseReportName(report), rows, Median(times));
    }
    std::printf("\n%lld airings in all; the database file %.0f MB.\n", total,
                static_cast<double>(fs::file_size(StationDb::FileIn(folder))) / 1e6);
    return 0;
}
