// How near their hour's end a week of hours ends, with hour fit on and off, on four
// stations of different shapes and three seeds each, and how evenly each Category's
// tracks play; printed as Markdown for bench/RESULTS.md:
// spindle-fit-bench WORK_FOLDER
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "base/unattended_operator.h"
#include "fileinfo/name_conventions.h"
#include "fileinfo/silent_mp3.h"
#include "generator/run_report.h"
#include "outputs/demo_station.h"
#include "outputs/generation.h"
#include "outputs/playlist_log.h"
#include "station/rotation.h"
#include "station/station.h"

namespace fs = std::filesystem;
using namespace spindle;

namespace {

struct Week {
    std::vector<double> Lengths;  // seconds each hour plays, less crossfades
    long Errors = 0;
    // Plays per track within a Category, its most played track's against the mean: the
    // largest of the station's Categories.
    double Spread = 0.0;
};

// With SPINDLE_FIT_MISSES set, each fitted hour more than 30 seconds off 60:00 is
// printed to stderr with what its items play, to see which slot's choice missed.
void PrintMiss(const std::string& hour, const std::vector<std::pair<int, double>>& items) {
    double sum = 0.0;
    std::string line;
    for (const auto& [type, seconds] : items) {
        sum += seconds;
        line += (type == kItemTrack ? " T" : " o") + std::to_string(std::lround(seconds));
    }
    if (std::fabs(sum - 3600.0) > 30.0) {
        std::fprintf(stderr, "%s %+.0f:%s\n", hour.c_str(), sum - 3600.0, line.c_str());
    }
}

Week RunWeek(const fs::path& data, bool fit, unsigned seed) {
    UnattendedOperator op;
    Station s(data, op, FormatSettings::English());
    s.Random.Seed(seed);  // the track lists' first shuffle too
    s.LoadAll();
    s.Opt.FitHours = fit;
    s.Opt.TotalDays = 7;
    s.Opt.TotalHours = 0;
    s.FixedSeed = seed;
    RunReport report(op, nullptr);
    RunGeneration(s, report);
    Week w;
    for (const std::string& line : report.Lines()) {
        w.Errors += line.rfind("Selection error", 0) == 0;
    }
    LogContents log;
    ReadPlaylistLog(s.Opt.LogFolderPath() + s.Opt.LogBaseName + ".plg", s.Settings(), log);
    const double allowance = 0.9;
    std::map<std::string, std::map<std::string, long>> plays;  // Category -> track -> plays
    const bool misses = fit && std::getenv("SPINDLE_FIT_MISSES") != nullptr;
    std::vector<std::pair<int, double>> items;
    std::string hour;
    for (const LogLine& line : log.Lines) {
        if (line.LineKind == LogLine::Kind::Hour) {
            if (misses && !w.Lengths.empty()) {
                PrintMiss(hour, items);
            }
            w.Lengths.push_back(0.0);
            items.clear();
            hour = data.parent_path().filename().string() + " seed " + std::to_string(seed) +
                   " hour " + std::to_string(w.Lengths.size() - 1);
        } else if (!w.Lengths.empty() && line.Type != kItemHourMarker &&
                   line.Type != kItemContinuation) {
            const double seconds =
                line.Duration - ItemCrossfade(line.Text, line.Duration, allowance, true).Seconds;
            w.Lengths.back() += seconds;
            items.emplace_back(line.Type, seconds);
        }
        if (line.LineKind == LogLine::Kind::Item && line.Type == kItemTrack) {
            ++plays[line.Owner][line.Text];
        }
    }
    if (misses && !w.Lengths.empty()) {
        PrintMiss(hour, items);
    }
    for (const auto& c : s.Categories) {
        long most = 0;
        long total = 0;
        for (const auto& [track, n] : plays[c->Name]) {
            most = std::max(most, n);
            total += n;
        }
        if (total > 0 && !c->IsBlock()) {
            const double mean = static_cast<double>(total) / static_cast<double>(c->Files.size());
            w.Spread = std::max(w.Spread, static_cast<double>(most) / mean);
        }
    }
    return w;
}

// A row per station, seed and setting; `plain` is the same seed's week with fit off.
void Row(const std::string& station, unsigned seed, bool fit, const Week& w, const Week& plain,
         double tolerance) {
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
    char ratio[32] = "";
    if (fit) {
        std::snprintf(ratio, sizeof ratio, " (%+.1f%%)", 100.0 * (w.Spread / plain.Spread - 1.0));
    }
    std::printf(
        "| %s | %u | %s | %ld of %zu (%.1f%%) | %ld of %zu | %.1f-%.1f min, mean %.1f | %.2f%s | "
        "%ld |\n",
        station.c_str(), seed, fit ? "on" : "off", within30, w.Lengths.size(),
        100.0 * static_cast<double>(within30) / n, withinTolerance, w.Lengths.size(), shortest / 60,
        longest / 60, sum / n / 60, w.Spread, ratio, w.Errors);
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// `count` lengths spread evenly from `shortest` to `longest` seconds, in an order that
// mixes them.
std::vector<unsigned> Spread(unsigned count, unsigned shortest, unsigned longest) {
    std::vector<unsigned> lengths;
    for (unsigned k = 0; k < count; ++k) {
        lengths.push_back(shortest + (longest - shortest) * (k * 37 % count) / (count - 1));
    }
    return lengths;
}

// A station's data folder with its groups under `root`; the caller adds the groups,
// StationOf saves them with `items` as every hour's rotation.
struct Builder {
    explicit Builder(const fs::path& root)
        : Root(root),
          Data(root / "data"),
          S((fs::create_directories(Data), Data), Op, FormatSettings::English()) {
        S.LoadAll();
    }

    // A Category of tracks of the given lengths, in folders of one length each;
    // `perArtist` songs an artist.
    void Category(const std::string& name, const std::vector<unsigned>& lengths,
                  unsigned perArtist) {
        auto c = std::make_unique<TCategoryDetails>();
        c->Name = name;
        std::map<unsigned, fs::path> folders;
        for (const unsigned seconds : lengths) {
            const fs::path folder = Root / "music" / (name + std::to_string(seconds));
            folders.emplace(seconds, folder);
            WriteFile(folder / ("Artist" + std::to_string(Tracks / perArtist) + " - Song" +
                                std::to_string(Tracks) + ".mp3"),
                      SilentMp3Bytes(seconds));
            ++Tracks;
        }
        for (const auto& [seconds, folder] : folders) {
            c->Folders.push_back(folder.string());
        }
        S.Categories.push_back(std::move(c));
    }

    void Spots(const std::string& name,
               const std::vector<std::pair<const char*, unsigned>>& files) {
        auto g = std::make_unique<TSpotDetails>();
        g->Name = name;
        for (const auto& [file, seconds] : files) {
            WriteFile(Root / "spots" / name / (std::string(file) + ".mp3"),
                      SilentMp3Bytes(seconds));
        }
        g->Folders.push_back((Root / "spots" / name).string());
        S.SpotGroups.push_back(std::move(g));
    }

    // Saves the station with `items` in every hour and the `timed` entries of the
    // schedule; song interval a day, artist interval an hour, tolerance two minutes.
    fs::path Save(const std::vector<std::string>& items, const std::vector<std::string>& timed) {
        auto r = std::make_unique<TRotationDetails>();
        r->Name = "Hour";
        r->Default = true;
        for (const std::string& item : items) {
            r->Items.push_back({item, nullptr});
        }
        S.Rotations.push_back(std::move(r));
        auto schedule = std::make_unique<TScheduleDetails>();
        schedule->Name = "All";
        schedule->Days.fill(true);
        for (int h = 0; h < 24; ++h) {
            schedule->Hours[static_cast<std::size_t>(h)].Text =
                ScheduleEntryText(h, 0, kDefaultRotationPlaceholder);
        }
        for (const std::string& t : timed) {
            schedule->TimedSpots.push_back({t, nullptr});
        }
        S.Schedules.push_back(std::move(schedule));
        S.Opt.SystemSongInterval = "1440";
        S.Opt.SystemArtistInterval = "60";
        S.Opt.TimeCheck = true;
        S.Opt.TimeCheckMinutes = 2;
        S.Changed = ChangedFlags{true, true, true, true, true, false, true};
        S.SaveAll();
        return Data;
    }

    fs::path Root;
    fs::path Data;
    UnattendedOperator Op;
    Station S;
    unsigned Tracks = 0;
};

// Three Categories of 208 tracks from 2:30 to 5:30, IDs, ads of 30 and 60 seconds, a
// 14-item hour with a note.
fs::path RealisticStation(const fs::path& root) {
    Builder b(root);
    for (const char* category : {"Current", "Recurrent", "Gold"}) {
        std::vector<unsigned> lengths;
        for (unsigned seconds = 150; seconds <= 330; seconds += 15) {
            lengths.insert(lengths.end(), 16, seconds);
        }
        b.Category(category, lengths, 2);
    }
    b.Spots("IDs", {{"ID1", 8}, {"ID2", 8}, {"ID3", 8}});
    b.Spots("Ads", {{"Bakery", 30}, {"Garage", 30}, {"Shop", 30}, {"Bank", 60}, {"Cinema", 60}});
    return b.Save(
        {MakeSpotGroupItem("IDs"), MakeCategoryItem("Current"), MakeCategoryItem("Recurrent"),
         MakeCategoryItem("Gold"), MakeCategoryItem("Current"), MakeSpotGroupItem("Ads"),
         MakeSpotGroupItem("Ads"), MakeCategoryItem("Current"), MakeCategoryItem("Recurrent"),
         MakeBreakNoteItem("20:Weather"), MakeCategoryItem("Gold"), MakeCategoryItem("Current"),
         MakeSpotGroupItem("Ads"), MakeCategoryItem("Recurrent")},
        {});
}

// Three Categories of 260, 340 and 420 tracks of every length from 2:30 to 5:30, three
// songs an artist, a 14-item hour with a note and two sponsor breaks.
fs::path WiderStation(const fs::path& root) {
    Builder b(root);
    b.Category("Power", Spread(260, 150, 330), 3);
    b.Category("Secondary", Spread(340, 150, 330), 3);
    b.Category("Library", Spread(420, 150, 330), 3);
    b.Spots("IDs", {{"ID1", 6}, {"ID2", 9}, {"ID3", 12}});
    b.Spots("Sponsors", {{"Dairy", 15}, {"Motors", 20}, {"Florist", 25}, {"Travel", 30}});
    return b.Save(
        {MakeSpotGroupItem("IDs"), MakeCategoryItem("Power"), MakeCategoryItem("Secondary"),
         MakeCategoryItem("Library"), MakeSpotGroupItem("Sponsors"), MakeCategoryItem("Power"),
         MakeCategoryItem("Secondary"), MakeBreakNoteItem("45:Traffic"),
         MakeCategoryItem("Library"), MakeCategoryItem("Power"), MakeSpotGroupItem("Sponsors"),
         MakeCategoryItem("Secondary"), MakeCategoryItem("Library"), MakeCategoryItem("Power")},
        {});
}

// One Category of 300 tracks from 5 to 8 minutes, hourly files with the running time
// reset every hour, and two minutes of news at the top of each hour, due at :60.
fs::path LongTrackStation(const fs::path& root) {
    Builder b(root);
    b.Category("Album", Spread(300, 300, 480), 4);
    b.Spots("IDs", {{"ID1", 10}, {"ID2", 10}});
    b.S.Opt.PlaylistPeriod = kPeriodHour;
    b.S.Opt.TimeResetPeriod = kPeriodHour;
    std::vector<std::string> timed;
    for (int h = 0; h < 24; ++h) {
        timed.push_back(ScheduleEntryText(h, 60, std::string(kBreakNoteEntry) + "120:News"));
    }
    std::vector<std::string> items{MakeSpotGroupItem("IDs")};
    items.resize(9, MakeCategoryItem("Album"));
    return b.Save(items, timed);
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
    const std::pair<std::string, fs::path> stations[] = {
        {"demo", work / "demo/data"},
        {"realistic library", RealisticStation(work / "realistic")},
        {"wider library", WiderStation(work / "wider")},
        {"5-8 minute tracks", LongTrackStation(work / "long")},
    };
    std::printf(
        "| station | seed | hour fit | hours within 30 s of 60:00 | within the tolerance (2 min) "
        "| hour lengths | spread of plays (max/mean), against fit off | selection errors |\n"
        "|---|---|---|---|---|---|---|---|\n");
    for (const auto& [name, data] : stations) {
        for (const unsigned seed : {5u, 6u, 7u}) {
            const Week plain = RunWeek(data, false, seed);
            Row(name, seed, true, RunWeek(data, true, seed), plain, 120.0);
            Row(name, seed, false, plain, plain, 120.0);
        }
    }
    return 0;
}
