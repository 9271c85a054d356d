// The Playlist Editor's work under the run's rules on a 90-day log of the large library:
// a whole day in the middle of the log made again, and the list of replacements for one
// track of a 10,000-track Category. The station three times: with the repeat intervals alone
// (no station database), with the rules but the quotas, and with a rule of every kind.
// Printed as Markdown for bench/RESULTS.md:
// spindle-regenerate-bench WORK_FOLDER [TRACKS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "base/unattended_operator.h"
#include "bench_library.h"
#include "editor/log_context.h"
#include "editor/playlist_document.h"
#include "editor/regenerate.h"
#include "editor/replacement_list.h"
#include "generator/run_report.h"
#include "outputs/generation.h"
#include "rules/attribute_csv.h"
#include "station/station.h"
#include "support/rule_station.h"

namespace fs = std::filesystem;
using namespace spindle;
using namespace spindle::bench;

namespace {

constexpr int kDays = 90;
constexpr int kMiddleDay = kDays / 2;
constexpr int kRegenerateRounds = 7;
constexpr int kListRounds = 9;
constexpr std::uint32_t kSeed = 7;
constexpr double kRegenerateTarget = 0.3;  // seconds, a whole day made again
constexpr double kListTarget = 0.050;      // seconds, the replacements of one track

[[noreturn]] void Fail(const std::string& why) {
    std::cerr << why << "\n";
    std::exit(1);
}

// The processor time `work` takes, beside the clock's: the machine may be busy.
struct Timing {
    double Clock = 0.0;
    double Processor = 0.0;
};

Timing Time(const std::function<void()>& work) {
    Timing t;
    const std::clock_t start = std::clock();
    t.Clock = Seconds(work);
    t.Processor = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    return t;
}

Timing MedianOf(const std::vector<Timing>& timings) {
    std::vector<double> clock, processor;
    for (const Timing& t : timings) {
        clock.push_back(t.Clock);
        processor.push_back(t.Processor);
    }
    return {Median(clock), Median(processor)};
}

// Every file of the library a last-write time of its own, the same in every run, spread
// over a year before the log: the new-track bias reads them, so the logs and the days
// made again are the same from one run of the bench to the next.
void FixFileTimes(const fs::path& music) {
    using namespace std::chrono;
    const auto base = file_clock::from_sys(sys_seconds{sys_days{year{2030} / January / 1}});
    std::uint32_t n = 0;
    std::vector<std::string> paths;
    ForEachLibraryFile(music, [&](const std::string& path) { paths.push_back(path); });
    std::sort(paths.begin(), paths.end());
    for (const std::string& path : paths) {
        n = n * 1664525u + 1013904223u;
        fs::last_write_time(path, base - seconds(n % (365u * 86400u)));
    }
}

struct Setup {
    std::string Name;
    fs::path Data;
    std::vector<std::string> Rules;  // none: no station database
};

// The rules of every kind but the quotas, which leave picks no track can make.
std::vector<std::string> RulesButQuotas() {
    std::vector<std::string> rules = test::RulesOfEveryKind();
    std::erase_if(rules, [](const std::string& r) { return r.starts_with("quota "); });
    return rules;
}

// The bench station in its own data folder; with rules, the database holds them (set
// before the first scan, so the album tags are read) and the attributes imported for
// every track.
void Prepare(const Setup& setup, const fs::path& music, const fs::path& spots) {
    fs::create_directories(setup.Data);
    UnattendedOperator op;
    {
        Station define(setup.Data, op, FormatSettings::English());
        DefineStation(define, music, spots);
    }
    if (!setup.Rules.empty()) {
        if (const std::string problem = test::SetStationRules(setup.Data, setup.Rules);
            !problem.empty()) {
            Fail(problem);
        }
    }
    Station s(setup.Data, op, FormatSettings::English());
    s.Random.Seed(kSeed);
    s.LoadAll();
    if (!s.SaveAll()) {
        Fail("cannot save " + setup.Data.string());
    }
    if (setup.Rules.empty()) {
        return;
    }
    std::vector<std::string> paths;
    for (const auto& c : s.Categories) {
        for (const FileRec& f : c->Files) {
            paths.push_back(f.FileName);
        }
    }
    const fs::path csv = setup.Data / "attributes.csv";
    std::ofstream(csv, std::ios::binary) << test::AttributeCsv(paths);
    const AttributeImport imported = ImportAttributes(setup.Data, paths, csv);
    if (!imported.Problem.empty() || !imported.Rows.empty()) {
        Fail("attribute import: " + imported.Problem);
    }
}

struct Figures {
    double Generation = 0.0;  // the 90-day run, once
    std::size_t Items = 0;
    Timing Regenerate;
    long TracksBefore = 0;
    long TracksAfter = 0;
    std::size_t Conflicts = 0;
    std::size_t Relaxed = 0;
    std::map<std::string, int> RelaxedBy;  // the relaxed picks by the rule each breaks
    Timing List;
    Timing FirstRegenerate;  // with the rules read first
    std::string ListCategory;
    std::size_t CategoryTracks = 0;
    std::size_t Candidates = 0;
    std::size_t Clean = 0;
};

// The first track of the middle day's noon hour.
std::uint64_t NoonTrack(const PlaylistDocument& document) {
    for (const EditorItem& item : document.Items()) {
        if (item.Day == kMiddleDay && item.Hour == 12 && item.Type == kItemTrack &&
            item.State != EditState::Removed) {
            return item.Id;
        }
    }
    Fail("no track at noon of the middle day");
}

Figures Measure(const Setup& setup) {
    Figures f;
    UnattendedOperator op;
    Station s(setup.Data, op, FormatSettings::English());
    s.Random.Seed(kSeed);
    s.LoadAll();
    s.Opt.StartDay = static_cast<std::int64_t>(EncodeDate(2030, 3, 4));  // a Monday
    s.Opt.StartHour = 0;
    s.Opt.TotalDays = kDays;
    s.Opt.TotalHours = 0;
    s.FixedSeed = kSeed;
    {
        RunReport report(op, nullptr);
        bool ok = false;
        f.Generation = Seconds([&] { ok = RunGeneration(s, report); });
        if (!ok) {
            Fail("the 90-day run failed in " + setup.Data.string());
        }
    }
    const std::string log = s.Opt.LogFolderPath() + s.Opt.LogBaseName + ".plg";
    PlaylistDocument document;
    const PlaylistDocument::LoadReport loaded = document.Load(log, true, s.Settings());
    if (!loaded.Loaded || !loaded.Messages.empty()) {
        Fail("cannot read " + log);
    }
    f.Items = document.Items().size();

    // (a) The middle day made again, undone after each round; the first round warms up and
    // reads the rules into the cache the editor keeps for its log.
    RulesCache cache;
    const LogHour from{kMiddleDay, 0};
    const LogHour to{kMiddleDay, 23};
    std::vector<Timing> regenerations;
    for (int round = 0; round <= kRegenerateRounds; ++round) {
        RunReport report(op, nullptr);
        RegenerateOutcome outcome;
        const Timing t =
            Time([&] { outcome = RegenerateHours(document, s, from, to, report, kSeed, &cache); });
        if (!outcome.Done) {
            Fail("making the day again failed: " + outcome.Problem);
        }
        if (round > 0) {
            regenerations.push_back(t);
        } else {
            f.FirstRegenerate = t;
        }
        f.TracksBefore = outcome.TracksBefore;
        f.TracksAfter = outcome.TracksAfter;
        f.Conflicts = outcome.Conflicts.size();
        f.Relaxed = outcome.Relaxed.size();
        f.RelaxedBy.clear();
        for (const std::string& line : outcome.Relaxed) {
            // "Mon 13:57  file (Category): breaks "the rule's words""
            const std::size_t at = line.rfind(": breaks \"");
            ++f.RelaxedBy[at == std::string::npos || !line.ends_with('"')
                              ? line
                              : line.substr(at + 10, line.size() - at - 11)];
        }
        document.Undo();
    }
    f.Regenerate = MedianOf(regenerations);

    // (b) The replacements of the first track of the middle day's noon hour.
    const std::uint64_t id = NoonTrack(document);
    std::vector<Timing> lists;
    for (int round = 0; round <= kListRounds; ++round) {
        RunReport report(op, nullptr);
        ReplacementList list;
        const Timing t = Time([&] { list = ListReplacements(document, s, id, report, &cache); });
        if (!list.Problem.empty()) {
            Fail("no replacement list: " + list.Problem);
        }
        if (round > 0) {
            lists.push_back(t);
        }
        f.ListCategory = list.Category;
        f.Candidates = list.Candidates.size();
        f.Clean = static_cast<std::size_t>(
            std::count_if(list.Candidates.begin(), list.Candidates.end(),
                          [](const ReplacementCandidate& c) { return c.Clean(); }));
    }
    f.List = MedianOf(lists);
    if (const TCategoryDetails* c = s.FindCategory(f.ListCategory)) {
        f.CategoryTracks = c->Files.size();
    }
    return f;
}

void Print(const std::vector<Setup>& setups, const std::vector<Figures>& figures) {
    std::printf(
        "| station | 90-day log (run once) | a whole day made again (%d rounds) | its "
        "processor time | tracks before / after | conflicts after it / relaxed picks | "
        "replacement list (%d rounds) | its processor time | candidates (clean) |\n"
        "|---|---|---|---|---|---|---|---|---|\n",
        kRegenerateRounds, kListRounds);
    for (std::size_t k = 0; k < setups.size(); ++k) {
        const Figures& f = figures[k];
        std::printf(
            "| %s | %zu items, %.2f s | %.3f s | %.3f s | %ld / %ld | %zu / %zu | %.1f ms | "
            "%.1f ms | %zu of %zu tracks of %s (%zu) |\n",
            setups[k].Name.c_str(), f.Items, f.Generation, f.Regenerate.Clock,
            f.Regenerate.Processor, f.TracksBefore, f.TracksAfter, f.Conflicts, f.Relaxed,
            f.List.Clock * 1000.0, f.List.Processor * 1000.0, f.Candidates, f.CategoryTracks,
            f.ListCategory.c_str(), f.Clean);
    }
    std::printf(
        "\nThe first day made again of each station also reads its rules and tracks' facts "
        "into the cache the editor keeps for its log:");
    for (std::size_t k = 0; k < setups.size(); ++k) {
        std::printf("%s %s %.3f s", k == 0 ? "" : ",", setups[k].Name.c_str(),
                    figures[k].FirstRegenerate.Clock);
    }
    std::printf(".\n");
    for (std::size_t k = 0; k < setups.size(); ++k) {
        if (figures[k].RelaxedBy.empty()) {
            continue;
        }
        std::printf("\nRelaxed picks of the day made again, %s:", setups[k].Name.c_str());
        const char* separator = " ";
        for (const auto& [rule, count] : figures[k].RelaxedBy) {
            std::printf("%s%d breaking \"%s\"", separator, count, rule.c_str());
            separator = ", ";
        }
        std::printf(".\n");
    }
    auto verdict = [](bool ok) { return ok ? "met" : "NOT met"; };
    std::printf("\n| target | station | result | |\n|---|---|---|---|\n");
    for (std::size_t k = 0; k < setups.size(); ++k) {
        const Figures& f = figures[k];
        std::printf("| a whole day of a 90-day log made again within %.1f s | %s | %.3f s | %s |\n",
                    kRegenerateTarget, setups[k].Name.c_str(), f.Regenerate.Clock,
                    verdict(f.Regenerate.Clock <= kRegenerateTarget));
    }
    for (std::size_t k = 0; k < setups.size(); ++k) {
        const Figures& f = figures[k];
        std::printf(
            "| the replacements of a track of a %zu-track Category within %.0f ms | %s | %.1f ms "
            "| %s |\n",
            f.CategoryTracks, kListTarget * 1000.0, setups[k].Name.c_str(), f.List.Clock * 1000.0,
            verdict(f.List.Clock <= kListTarget));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: spindle-regenerate-bench WORK_FOLDER [TRACKS]\n";
        return 2;
    }
    const fs::path work = argv[1];
    const int tracks = argc > 2 ? std::atoi(argv[2]) : 50000;
    fs::remove_all(work);
    std::cerr << "writing " << tracks << " files...\n";
    MakeLibrary(work / "music", tracks);
    FixFileTimes(work / "music");
    const std::vector<Setup> setups{
        {"repeat intervals only", work / "intervals", {}},
        {"the rules but the quotas", work / "rules-but-quotas", RulesButQuotas()},
        {"a rule of every kind", work / "rules", test::RulesOfEveryKind()}};
    std::vector<Figures> figures;
    for (const Setup& setup : setups) {
        std::cerr << setup.Name << ": the station and its 90-day log...\n";
        Prepare(setup, work / "music", work / "spots");
        figures.push_back(Measure(setup));
    }
    Print(setups, figures);
    fs::remove_all(work);
    return 0;
}
