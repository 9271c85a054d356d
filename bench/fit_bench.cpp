// How near their hour's end a week of hours ends, with hour fit on and off, on the demo
// station and on a realistic library; printed as Markdown for bench/RESULTS.md:
// spindle-fit-bench WORK_FOLDER
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/unattended_operator.h"
#include "fileinfo/name_conventions.h"
#include "fileinfo/silent_mp3.h"
#include "generator/run_report.h"
#include "library/rotation.h"
#include "library/station.h"
#include "outputs/demo_station.h"
#include "outputs/generation.h"
#include "outputs/playlist_log.h"

namespace fs = std::filesystem;
using namespace spindle;

namespace {

struct Week {
    std::vector<double> Lengths;  // seconds each hour plays, less crossfades
    long Errors = 0;
};

Week RunWeek(const fs::path& data, bool fit) {
    UnattendedOperator op;
    Station s(data, op, FormatSettings::English());
    s.LoadAll();
    s.Opt.FitHours = fit;
    s.Opt.TotalDays = 7;
    s.Opt.TotalHours = 0;
    s.FixedSeed = 5;
    RunReport report(op, nullptr);
    RunGeneration(s, report);
    Week w;
    for (const std::string& line : report.Lines()) {
        w.Errors += line.rfind("Selection error", 0) == 0;
    }
    LogContents log;
    ReadPlaylistLog(s.Opt.LogFolderPath() + s.Opt.LogBaseName + ".plg", s.Settings(), log);
    const double allowance = 0.9;
    for (const LogLine& line : log.Lines) {
        if (line.LineKind == LogLine::Kind::Hour) {
            w.Lengths.push_back(0.0);
        } else if (!w.Lengths.empty() && line.Type != kItemHourMarker &&
                   line.Type != kItemContinuation) {
            w.Lengths.back() +=
                line.Duration - ItemCrossfade(line.Text, line.Duration, allowance, true).Seconds;
        }
    }
    return w;
}

void Row(const char* station, bool fit, const Week& w, double tolerance) {
    long within30 = 0;
    long withinTolerance = 0;
    double shortest = 1e9;
    double longest = 0.0;
    double sum = 0.0;
    for (const double len : w.Lengths) {
        within30 += std::fabs(len - 3600.0) <= 30.0;
        withinTolerance += std::fabs(len - 3600.0) <= tolerance;
        shortest = std::min(shortest, len);
        longest = std::max(longest, len);
        sum += len;
    }
    const double n = static_cast<double>(w.Lengths.size());
    std::printf("| %s | %s | %ld of %zu (%.1f%%) | %ld of %zu | %.1f-%.1f min, mean %.1f | %ld |\n",
                station, fit ? "on" : "off", within30, w.Lengths.size(), 100.0 * within30 / n,
                withinTolerance, w.Lengths.size(), shortest / 60, longest / 60, sum / n / 60,
                w.Errors);
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// Three Categories of tracks from 2:30 to 5:30, IDs, ads of 30 and 60 seconds, a
// 14-item hour with a note; song interval a day, artist interval an hour, tolerance two
// minutes.
fs::path RealisticStation(const fs::path& root) {
    UnattendedOperator op;
    const fs::path data = root / "data";
    fs::create_directories(data);
    Station s(data, op, FormatSettings::English());
    s.LoadAll();
    unsigned n = 0;
    for (const char* category : {"Current", "Recurrent", "Gold"}) {
        auto c = std::make_unique<TCategoryDetails>();
        c->Name = category;
        for (unsigned seconds = 150; seconds <= 330; seconds += 15) {
            const fs::path folder =
                root / "music" / (std::string(category) + std::to_string(seconds));
            for (int k = 0; k < 16; ++k, ++n) {
                WriteFile(folder / ("Artist" + std::to_string(n / 2) + " - Song" +
                                    std::to_string(n) + ".mp3"),
                          SilentMp3Bytes(seconds));
            }
            c->Folders.push_back(folder.string());
        }
        s.Categories.push_back(std::move(c));
    }
    auto spots = [&](const char* name, std::vector<std::pair<const char*, unsigned>> files) {
        auto g = std::make_unique<TSpotDetails>();
        g->Name = name;
        for (const auto& [file, seconds] : files) {
            WriteFile(root / "spots" / name / (std::string(file) + ".mp3"),
                      SilentMp3Bytes(seconds));
        }
        g->Folders.push_back((root / "spots" / name).string());
        s.SpotGroups.push_back(std::move(g));
    };
    spots("IDs", {{"ID1", 8}, {"ID2", 8}, {"ID3", 8}});
    spots("Ads", {{"Bakery", 30}, {"Garage", 30}, {"Shop", 30}, {"Bank", 60}, {"Cinema", 60}});
    auto r = std::make_unique<TRotationDetails>();
    r->Name = "Hour";
    r->Default = true;
    for (const std::string& item :
         {MakeSpotGroupItem("IDs"), MakeCategoryItem("Current"), MakeCategoryItem("Recurrent"),
          MakeCategoryItem("Gold"), MakeCategoryItem("Current"), MakeSpotGroupItem("Ads"),
          MakeSpotGroupItem("Ads"), MakeCategoryItem("Current"), MakeCategoryItem("Recurrent"),
          MakeBreakNoteItem("20:Weather"), MakeCategoryItem("Gold"), MakeCategoryItem("Current"),
          MakeSpotGroupItem("Ads"), MakeCategoryItem("Recurrent")}) {
        r->Items.push_back({item, nullptr});
    }
    s.Rotations.push_back(std::move(r));
    auto schedule = std::make_unique<TScheduleDetails>();
    schedule->Name = "All";
    schedule->Days.fill(true);
    for (int h = 0; h < 24; ++h) {
        char text[32];
        std::snprintf(text, sizeof text, "%02d:00\t...DEFAULT...", h);
        schedule->Hours[static_cast<std::size_t>(h)].Text = text;
    }
    s.Schedules.push_back(std::move(schedule));
    s.Opt.SystemSongInterval = "1440";
    s.Opt.SystemArtistInterval = "60";
    s.Opt.TimeCheck = true;
    s.Opt.TimeCheckMinutes = 2;
    s.Changed = ChangedFlags{true, true, true, true, true, false, true};
    s.SaveAll();
    return data;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: spindle-fit-bench WORK_FOLDER\n");
        return 2;
    }
    const fs::path work = argv[1];
    const std::string refused = MakeDemoStation(work / "demo");
    if (!refused.empty()) {
        std::fprintf(stderr, "%s\n", refused.c_str());
        return 1;
    }
    const fs::path realistic = RealisticStation(work / "realistic");
    std::printf(
        "| station | hour fit | hours within 30 s of 60:00 | within the tolerance (2 min) "
        "| hour lengths | selection errors |\n|---|---|---|---|---|---|\n");
    for (const auto& [name, data] :
         {std::pair{"demo", work / "demo/data"}, std::pair{"realistic library", realistic}}) {
        for (const bool fit : {true, false}) {
            Row(name, fit, RunWeek(data, fit), 120.0);
        }
    }
    return 0;
}
