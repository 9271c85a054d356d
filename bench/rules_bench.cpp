// A week under a rule of every kind beyond the repeat intervals, on the hour-fit bench's
// realistic library (with album tags) and on the large library, against the same week
// with the repeat intervals alone and without a station database; each week's picks
// replayed by the tests' rule checker. Printed as Markdown for bench/RESULTS.md:
// spindle-rules-bench WORK_FOLDER [TRACKS]
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/unattended_operator.h"
#include "bench_library.h"
#include "fileinfo/silent_mp3.h"
#include "generator/run_report.h"
#include "outputs/generation.h"
#include "rules/attribute_csv.h"
#include "rules/track_facts.h"
#include "station/rotation.h"
#include "stationdb/station_db.h"
#include "support/rule_checker.h"
#include "support/rule_station.h"

namespace fs = std::filesystem;
using namespace spindle;
using namespace spindle::bench;

namespace {

constexpr int kRounds = 7;

// The station database, and what it holds: none (a station as it was before rules), the
// attributes and the repeat intervals alone, or the rules too.
enum Setup { kNoDatabase, kIntervalsOnly, kRules, kSetups };
const char* const kSetupNames[] = {"no-database", "intervals-only", "rules"};

// The processor time `work` takes, so the other programs of a busy machine do not count.
double CpuSeconds(const std::function<void()>& work) {
    const std::clock_t start = std::clock();
    work();
    return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
}

void Fail(const std::string& why) {
    std::cerr << why << "\n";
    std::exit(1);
}

// An ID3v2.3 tag with the album (TALB) alone, in ISO-8859-1.
std::string AlbumTag(const std::string& album) {
    const std::size_t n = album.size() + 1;
    const std::string frame =
        "TALB" + std::string{0, 0, 0, static_cast<char>(n)} + std::string(2, '\0') + '\0' + album;
    return std::string("ID3\x03\0\0\0\0\0", 9) + static_cast<char>(frame.size()) + frame;
}

// Three Categories of 208 tracks from 2:30 to 5:30 in 15-second steps, two songs an artist
// on one album; one song in eight a cover of a title another artist sang.
void MakeRealisticMusic(const fs::path& music) {
    int track = 0;
    for (const char* category : {"Current", "Recurrent", "Gold"}) {
        fs::create_directories(music / category);
        for (unsigned seconds = 150; seconds <= 330; seconds += 15) {
            for (int k = 0; k < 16; ++k, ++track) {
                const std::string artist = "Artist " + std::to_string(track / 2);
                const int title = track % 8 == 7 ? track - 41 : track;
                std::ofstream(
                    music / category / (artist + " - Song " + std::to_string(title) + ".mp3"),
                    std::ios::binary)
                    << AlbumTag(artist + " Album") << SilentMp3Bytes(seconds);
            }
        }
    }
}

void AddSpots(Station& s, const fs::path& spots, const std::string& name,
              const std::vector<std::pair<const char*, unsigned>>& files) {
    fs::create_directories(spots / name);
    for (const auto& [file, seconds] : files) {
        std::ofstream(spots / name / (std::string(file) + ".mp3"), std::ios::binary)
            << SilentMp3Bytes(seconds);
    }
    auto group = std::make_unique<TSpotDetails>();
    group->Name = name;
    group->Folders = {(spots / name).string()};
    s.SpotGroups.push_back(std::move(group));
}

// The realistic station: IDs, ads of 30 and 60 seconds, a 14-item hour with a note; song
// interval a day, artist interval an hour, time checking with a tolerance of two minutes.
void DefineRealistic(Station& s, const fs::path& music, const fs::path& spots) {
    for (const char* name : {"Current", "Recurrent", "Gold"}) {
        auto category = std::make_unique<TCategoryDetails>();
        category->Name = name;
        category->Folders = {(music / name).string()};
        s.Categories.push_back(std::move(category));
    }
    AddSpots(s, spots, "IDs", {{"ID1", 8}, {"ID2", 8}, {"ID3", 8}});
    AddSpots(s, spots, "Ads",
             {{"Bakery", 30}, {"Garage", 30}, {"Shop", 30}, {"Bank", 60}, {"Cinema", 60}});
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
    s.Schedules.push_back(std::move(schedule));
    s.Opt.SystemSongInterval = "1440";
    s.Opt.SystemArtistInterval = "60";
    s.Opt.TimeCheck = true;
    s.Opt.TimeCheckMinutes = 2;
    s.Changed = ChangedFlags{true, true, true, true, true, false, true};
    s.SaveAll();
}

struct Library {
    std::string Name;
    fs::path Root;
    bool Large = false;
    fs::path Data(Setup setup) const { return Root / kSetupNames[setup]; }
};

// A data folder of the library's station with the setup's database: rules set before the
// first scan, so it reads the album tags, and the attributes imported from a file.
void Prepare(const Library& library, Setup setup) {
    const fs::path data = library.Data(setup);
    fs::create_directories(data);
    UnattendedOperator op;
    {
        Station define(data, op, FormatSettings::English());
        if (library.Large) {
            DefineStation(define, library.Root / "music", library.Root / "spots");
        } else {
            DefineRealistic(define, library.Root / "music", library.Root / "spots");
        }
    }
    if (setup != kNoDatabase) {
        const std::string problem = test::SetStationRules(
            data, setup == kRules ? test::RulesOfEveryKind() : std::vector<std::string>{});
        if (!problem.empty()) {
            Fail(problem);
        }
    }
    Station s(data, op, FormatSettings::English());
    s.Random.Seed(7);  // every setup's tracks start in the same order
    s.LoadAll();
    s.Opt.RelaxedRuleReport = true;
    s.Changed.Options = true;
    if (!s.SaveAll()) {
        Fail("cannot save " + data.string());
    }
    if (setup == kNoDatabase) {
        return;
    }
    std::vector<std::string> paths;
    for (const auto& c : s.Categories) {
        for (const FileRec& f : c->Files) {
            paths.push_back(f.FileName);
        }
    }
    const fs::path csv = data / "attributes.csv";
    std::ofstream(csv, std::ios::binary) << test::AttributeCsv(paths);
    const AttributeImport imported = ImportAttributes(data, paths, csv);
    if (!imported.Problem.empty() || !imported.Rows.empty()) {
        Fail("attribute import: " + imported.Problem);
    }
}

struct Week {
    double Seconds = 0.0;
    std::string Log;      // the Playlist Log's path
    std::string Relaxed;  // the relaxed-rule report's
};

// A week from a fixed Monday, from a fresh load of the saved station; the load is not
// timed.
Week RunWeek(const fs::path& data, bool fit = false) {
    UnattendedOperator op;
    Station s(data, op, FormatSettings::English());
    s.Random.Seed(7);  // a Category not yet played is shuffled at each load
    s.LoadAll();
    s.Opt.StartDay = static_cast<std::int64_t>(EncodeDate(2030, 3, 4));  // a Monday
    s.Opt.StartHour = 0;
    s.Opt.TotalDays = 7;
    s.Opt.TotalHours = 0;
    s.FixedSeed = 7;
    if (fit) {
        s.Opt.FitHours = true;  // as a new station has it; the station's own setting otherwise
    }
    RunReport report(op, nullptr);
    bool ok = false;
    Week week;
    week.Seconds = CpuSeconds([&] { ok = RunGeneration(s, report); });
    if (!ok) {
        Fail("generation failed in " + data.string());
    }
    week.Log = s.Opt.LogFolderPath() + s.Opt.LogBaseName + ".plg";
    week.Relaxed = s.Opt.LogFolderPath() + "Relaxed-" + s.Opt.LogBaseName + ".csv";
    return week;
}

// How many of the week's hours play within 30 seconds of 60:00 (items less the
// crossfades), and how many hours there are.
std::pair<int, int> HoursOnTime(const Week& week, const Station& station) {
    LogContents log;
    ReadPlaylistLog(week.Log, station.Settings(), log);
    const std::vector<double> lengths = test::PlayedHourLengths(log, station.Opt.KorvelCrossfade);
    const auto onTime = std::count_if(lengths.begin(), lengths.end(),
                                      [](double s) { return std::fabs(s - 3600.0) <= 30.0; });
    return {static_cast<int>(onTime), static_cast<int>(lengths.size())};
}

struct Figures {
    std::pair<int, int> FittedOnTime[kSetups];  // the week with the hour fit on
    double Seconds[kSetups] = {};
    std::vector<double> Alone;  // the week with each rule alone, in the list's order
    double Facts = 0.0;         // reading every track's facts from the database
    long Plays = 0;
    std::vector<test::RuleBreak> Broken[kSetups];  // as the checker finds them
    std::vector<test::RuleBreak> Reported[kSetups];
};

void SetRules(const fs::path& data, const std::vector<std::string>& rules) {
    if (const DbStatus set = StationDb(data, StationDb::Mode::IfExists).SetRules("", rules); !set) {
        Fail(set.Problem);
    }
}

// What each rule costs: the week with the station's list holding it alone (the repeat
// intervals after it), the median of three.
std::vector<double> EachRuleAlone(const fs::path& data) {
    std::vector<double> alone;
    for (const std::string& rule : test::RulesOfEveryKind()) {
        if (rule == "song" || rule == "artist") {
            alone.push_back(0.0);  // the list holds them anyway
            continue;
        }
        SetRules(data, {rule});
        std::vector<double> times;
        for (int round = 0; round < 3; ++round) {
            times.push_back(RunWeek(data).Seconds);
        }
        alone.push_back(Median(times));
    }
    SetRules(data, test::RulesOfEveryKind());
    return alone;
}

// The median of the rounds of each setup, taken in turn, and each setup's last week checked.
Figures Measure(const Library& library) {
    Figures f;
    std::vector<double> times[kSetups];
    Week last[kSetups];
    for (int round = 0; round < kRounds; ++round) {
        for (int setup = 0; setup < kSetups; ++setup) {
            last[setup] = RunWeek(library.Data(static_cast<Setup>(setup)));
            times[setup].push_back(last[setup].Seconds);
        }
    }
    UnattendedOperator op;
    Station rules(library.Data(kRules), op, FormatSettings::English());
    rules.LoadAll();
    const test::RuleCheckInputs inputs = test::LoadRuleCheckInputs(rules);
    if (!inputs.Problems.empty()) {
        Fail(inputs.Problems.front());
    }
    for (int setup = 0; setup < kSetups; ++setup) {
        f.Seconds[setup] = Median(times[setup]);
        LogContents log;
        ReadPlaylistLog(last[setup].Log, rules.Settings(), log);
        const std::vector<test::LoggedPlay> plays = test::LoggedPlays(log, rules);
        f.Plays = static_cast<long>(plays.size());
        f.Broken[setup] = test::CheckRules(plays, inputs);
        std::string problem;
        f.Reported[setup] = test::ReadRelaxedReport(last[setup].Relaxed, problem);
        if (!problem.empty()) {
            Fail(problem);
        }
    }
    for (const Setup setup : {kIntervalsOnly, kRules}) {
        f.FittedOnTime[setup] = HoursOnTime(RunWeek(library.Data(setup), true), rules);
    }
    f.Alone = EachRuleAlone(library.Data(kRules));  // last: it writes over the weeks' logs
    std::vector<double> facts;
    for (int round = 0; round < 3; ++round) {
        facts.push_back(CpuSeconds([&] { LoadTrackFacts(library.Data(kRules)); }));
    }
    f.Facts = Median(facts);
    return f;
}

// "12 / 9": the breaks of `rule` and the hours they fall in.
std::string Touched(const std::vector<test::RuleBreak>& breaks, const std::string& rule) {
    long tracks = 0;
    std::set<long long> hours;
    for (const test::RuleBreak& b : breaks) {
        if (b.Rule == rule) {
            ++tracks;
            hours.insert(static_cast<long long>(std::floor(b.Slot * 24.0 + 1e-6)));
        }
    }
    return std::to_string(tracks) + " / " + std::to_string(hours.size());
}

std::vector<test::RuleBreak> StationRulesOnly(std::vector<test::RuleBreak> rows) {
    std::erase_if(rows,
                  [](const test::RuleBreak& r) { return r.Rule == "song" || r.Rule == "artist"; });
    return rows;
}

void PrintTimes(const std::vector<Library>& libraries, const std::vector<Figures>& figures) {
    std::printf(
        "| library | tracks played | no station database | attributes, repeat intervals only "
        "| the rules | rules against no database | of it, reading every track's facts |\n"
        "|---|---|---|---|---|---|---|\n");
    for (std::size_t k = 0; k < libraries.size(); ++k) {
        const Figures& f = figures[k];
        std::printf("| %s | %ld | %.3f s | %.3f s | %.3f s | %.2f x | %.3f s |\n",
                    libraries[k].Name.c_str(), f.Plays, f.Seconds[kNoDatabase],
                    f.Seconds[kIntervalsOnly], f.Seconds[kRules],
                    f.Seconds[kRules] / f.Seconds[kNoDatabase], f.Facts);
    }
}

void PrintRules(const std::vector<Library>& libraries, const std::vector<Figures>& figures) {
    std::printf("\n| rule |");
    for (const Library& l : libraries) {
        std::printf(" %s: repeat intervals only, broken | %s: with the rules, relaxed |",
                    l.Name.c_str(), l.Name.c_str());
    }
    std::printf("\n|---|");
    for (std::size_t k = 0; k < libraries.size() * 2; ++k) {
        std::printf("---|");
    }
    std::printf("\n");
    for (const std::string& rule : test::RulesOfEveryKind()) {
        const bool interval = rule == "song" || rule == "artist";
        std::printf("| %s%s |", rule.c_str(), interval ? " (relaxed, from the report)" : "");
        for (const Figures& f : figures) {
            const auto& before = interval ? f.Reported[kIntervalsOnly] : f.Broken[kIntervalsOnly];
            std::printf(" %s | %s |", Touched(before, rule).c_str(),
                        Touched(f.Reported[kRules], rule).c_str());
        }
        std::printf("\n");
    }
    std::printf("| all rules beyond the repeat intervals |");
    for (const Figures& f : figures) {
        std::printf(" %zu | %zu |", f.Broken[kIntervalsOnly].size(),
                    StationRulesOnly(f.Reported[kRules]).size());
    }
    std::printf("\n");
}

void PrintCosts(const std::vector<Library>& libraries, const std::vector<Figures>& figures) {
    std::printf("\n| the station's rules |");
    for (const Library& l : libraries) {
        std::printf(" %s: week | against no database |", l.Name.c_str());
    }
    std::printf("\n|---|");
    for (std::size_t k = 0; k < libraries.size() * 2; ++k) {
        std::printf("---|");
    }
    std::printf("\n");
    const std::vector<std::string> rules = test::RulesOfEveryKind();
    for (std::size_t r = 0; r <= rules.size(); ++r) {
        if (r < rules.size() && (rules[r] == "song" || rules[r] == "artist")) {
            continue;
        }
        std::printf("| %s |", r < rules.size() ? ("only " + rules[r]).c_str() : "all of them");
        for (const Figures& f : figures) {
            const double week = r < rules.size() ? f.Alone[r] : f.Seconds[kRules];
            std::printf(" %.3f s | %.2f x |", week, week / f.Seconds[kNoDatabase]);
        }
        std::printf("\n");
    }
}

void PrintTargets(const std::vector<Library>& libraries, const std::vector<Figures>& figures) {
    auto verdict = [](bool ok) { return ok ? "met" : "NOT met"; };
    std::printf("\n| target | library | result | |\n|---|---|---|---|\n");
    for (std::size_t k = 0; k < libraries.size(); ++k) {
        const Figures& f = figures[k];
        const char* name = libraries[k].Name.c_str();
        const double ratio = f.Seconds[kRules] / f.Seconds[kNoDatabase];
        std::printf(
            "| the week with the rules within 2 x the week without a database | %s | "
            "%.2f x | %s |\n",
            name, ratio, verdict(ratio <= 2.0));
        const std::size_t with = f.Broken[kRules].size();
        const std::size_t without = f.Broken[kIntervalsOnly].size();
        std::printf(
            "| fewer rules broken than the repeat intervals alone break | %s | %zu "
            "against %zu | %s |\n",
            name, with, without, verdict(with < without));
        // The checker weighs a quota by the hour, not by the song (the tests compare those).
        std::vector<test::RuleBreak> reported = StationRulesOnly(f.Reported[kRules]);
        std::erase_if(reported,
                      [](const test::RuleBreak& r) { return r.Rule.starts_with("quota "); });
        const std::size_t unreported = test::Unmatched(f.Broken[kRules], reported).size();
        const std::size_t unfounded = test::Unmatched(reported, f.Broken[kRules]).size();
        std::printf(
            "| every rule broken reported, every report a rule broken | %s | %zu "
            "unreported, %zu not found by the checker | %s |\n",
            name, unreported, unfounded, verdict(unreported + unfounded == 0));
        const auto [onTime, hours] = f.FittedOnTime[kRules];
        const auto [plainOnTime, plainHours] = f.FittedOnTime[kIntervalsOnly];
        std::printf(
            "| with the hour fit on, 95%% of hours within 30 s of 60:00 under the rules | %s | "
            "%d of %d (%.1f%%; %d of %d under the repeat intervals alone) | %s |\n",
            name, onTime, hours, 100.0 * onTime / std::max(hours, 1), plainOnTime, plainHours,
            verdict(onTime * 100 >= 95 * hours));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: spindle-rules-bench WORK_FOLDER [TRACKS]\n";
        return 2;
    }
    const fs::path work = argv[1];
    const int tracks = argc > 2 ? std::atoi(argv[2]) : 50000;
    fs::remove_all(work);
    const std::vector<Library> libraries{{"realistic library", work / "realistic", false},
                                         {"large library", work / "large", true}};
    std::cerr << "writing the libraries...\n";
    MakeRealisticMusic(libraries[0].Root / "music");
    MakeLibrary(libraries[1].Root / "music", tracks);
    std::vector<Figures> figures;
    for (const Library& library : libraries) {
        for (int setup = 0; setup < kSetups; ++setup) {
            Prepare(library, static_cast<Setup>(setup));
        }
        figures.push_back(Measure(library));
    }
    PrintTimes(libraries, figures);
    PrintRules(libraries, figures);
    PrintCosts(libraries, figures);
    PrintTargets(libraries, figures);
    fs::remove_all(work);
    return 0;
}
