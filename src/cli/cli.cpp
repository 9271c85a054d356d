#include "cli/cli.h"

#include <cstdlib>
#include <optional>

#include "base/float_text.h"
#include "base/format.h"
#include "base/translate.h"
#include "base/unattended_operator.h"
#include "cli/console_progress.h"
#include "cli/data_file_command.h"
#include "cli/history_command.h"
#include "cli/regenerate_command.h"
#include "cli/rules_command.h"
#include "fileinfo/file_duration.h"
#include "generator/generation_run.h"
#include "generator/run_report.h"
#include "outputs/demo_station.h"
#include "outputs/generation.h"
#include "rules/attribute_csv.h"
#include "station/data_lock.h"
#include "station/migrate.h"
#include "station/station.h"

namespace spindle {
namespace {

constexpr const char* kUsage = N_(
    "Usage: spindle-cli -r [-i] [--data DIR] [--seed N]\n"
    "       spindle-cli duration FILE...\n"
    "       spindle-cli make-demo DIR\n"
    "       spindle-cli migrate --data DIR --map 'C:\\Music=/srv/music' [--map ...] [--dry-run]\n"
    "       spindle-cli attributes export|import FILE.csv [--data DIR]\n"
    "       spindle-cli rules export|import FILE [--data DIR]\n"
    "       spindle-cli history import [--from DATE --to DATE] [--data DIR]\n"
    "       spindle-cli history as-run FILE [--window SECONDS] [--data DIR]\n"
    "       spindle-cli history listeners FILE.csv [--data DIR]\n"
    "       spindle-cli regenerate --log FILE --from \"YYYY-MM-DD HH\" --to \"YYYY-MM-DD HH\"\n"
    "                   [--seed N] [-i] [--data DIR]\n"
    "       spindle-cli report --from DATE --to DATE --format NAME [--out FILE] [--csv]\n"
    "                   [--spots] [--service NAME] [--category C] [--channel NAME]\n"
    "                   [--data DIR]\n"
    "       spindle-cli --help | --version\n"
    "\n"
    "  -r, --run        generate the playlists the station's Options ask for, save the\n"
    "                   library and move the start on (the unattended run)\n"
    "  -i, --isolated   load the saved track lists only, without scanning any folder\n"
    "      --data DIR   the station's data folder (default: $SPINDLE_DATA, else the\n"
    "                   folder of this program)\n"
    "      --seed N     make the run's random choices repeatable\n"
    "  duration FILE... print each file's playing time in seconds, a TAB and its path\n"
    "  make-demo DIR    write a demo station (music, spots and data folder) under DIR\n"
    "  migrate          bring a data folder over from a Windows station: map its paths\n"
    "                   (--map WINDOWS=HERE, as often as needed) in the folder lists,\n"
    "                   track lists and Options, each file kept behind its .bak;\n"
    "                   --dry-run only reports what would change\n"
    "  attributes       write the attribute values of every track to FILE.csv (a\n"
    "                   path column, then one per attribute), or set them from it;\n"
    "                   an import applies the good rows and names each other one\n"
    "                   by its line\n"
    "  rules            write the attribute definitions and every Category's rules to\n"
    "                   FILE, or replace them from it; an import checks the whole file\n"
    "                   first and changes nothing when a line is wrong or would clear\n"
    "                   values set by hand, naming each such line\n"
    "  history import   record in the play history what the Playlist Logs in the log\n"
    "                   folder put on the air (hours already recorded are left)\n"
    "  history as-run   read the playout's as-run log: each line marks the scheduled\n"
    "                   airing of its file nearest its time (within --window, 600 s)\n"
    "                   as aired, else is recorded as not scheduled; scheduled airings\n"
    "                   the log's span has no line for are marked not aired\n"
    "  history listeners  record average listeners by hour (CSV: YYYY-MM-DD HH,N)\n"
    "  regenerate       make the hours --from to --to of a Playlist Log again (FILE,\n"
    "                   or its name in the log folder) under the station's rules, the\n"
    "                   log's other hours kept as they are and looked at on both\n"
    "                   sides; prints what the hours after now break, saves the log\n"
    "                   and remakes its playlists, pages and summaries\n"
    "  report           write a report of use of the days --from to --to (dates as\n"
    "                   YYYY-MM-DD): --format webcasting, webcasting-census,\n"
    "                   recordings, missing or differences; tab-separated, or CSV\n"
    "                   with --csv or an --out FILE ending in .csv; --spots takes\n"
    "                   spots and voice items in too; --service, --category and\n"
    "                   --channel name the station and are kept for next time\n"
    "  FILE \"-\"         attributes and rules export to the standard output; an\n"
    "                   import reads only a named file\n"
    "\n"
    "Exit status:\n"
    "  0  the run finished clean\n"
    "  1  the run failed or was stopped (nothing was moved on), or the folder holds no\n"
    "     station, or another run is using it\n"
    "  2  usage error\n"
    "  3  the run finished, but with problems an operator must see: a repeat rule\n"
    "     relaxed (\"Selection error\"), a load problem (a missing group, folder or\n"
    "     related artist), a file without a playing time scheduled\n"
    "     (or an attributes import skipped some rows, or hours made again left rules\n"
    "     broken to look at)\n"
    "\n"
    "One run at a time: a run holds a lock on the data folder (.spindle.lock), and a\n"
    "second run on the same folder exits with status 1, naming the running one; the\n"
    "attributes and rules commands take the same lock.\n");

// A usage error: what is wrong, then the usage, both in the operator's language.
int UsageError(std::ostream& err, const std::string& problem) {
    err << "spindle-cli: " << problem << '\n' << tr(kUsage);
    return 2;
}

struct RunArgs {
    bool Run = false;
    bool Isolated = false;
    std::optional<std::string> Data;
    std::optional<std::uint64_t> Seed;
};

// Accepts the program's switches as "-r", "/r" (either case) and their long names.
bool IsSwitch(const std::string& arg, char letter, const char* longName) {
    if (arg == longName) {
        return true;
    }
    return arg.size() == 2 && (arg[0] == '-' || arg[0] == '/') &&
           (arg[1] == letter || arg[1] == letter - 'a' + 'A');
}

int Duration(const std::vector<std::string>& files, std::ostream& out, std::ostream& err) {
    if (files.empty()) {
        return UsageError(err, tr("duration needs at least one file"));
    }
    UnattendedOperator op([&](MessageKind, const std::string& line) { err << line << '\n'; });
    int status = 0;
    for (const std::string& file : files) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(file, ec)) {
            err << "spindle-cli: " << Format(tr("%0:s: no such file"), file) << '\n';
            status = 1;
        }
        out << FileDuration(file, false, op) << '\t' << file << '\n';
    }
    return status;
}

// spindle-cli migrate: exit 0 when every path maps to a file here, 3 when some do not,
// 1 when the folder could not be migrated, 2 for a usage error.
int Migrate(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::optional<std::string> data;
    std::vector<PathMapping> mappings;
    bool dryRun = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--dry-run") {
            dryRun = true;
        } else if ((a == "--data" || a == "--map") && i + 1 < args.size()) {
            const std::string& value = args[++i];
            if (a == "--data") {
                data = value;
            } else if (auto m = ParsePathMapping(value)) {
                mappings.push_back(*m);
            } else {
                return UsageError(
                    err, Format(tr("--map takes WINDOWS-FOLDER=FOLDER, not \"%0:s\""), value));
            }
        } else {
            return UsageError(err,
                              Format(tr("migrate: unknown or incomplete argument \"%0:s\""), a));
        }
    }
    if (!data || mappings.empty()) {
        return UsageError(err, tr("migrate needs --data and at least one --map"));
    }
    const std::filesystem::path folder = std::filesystem::absolute(*data).lexically_normal();
    if (!HoldsStation(folder)) {
        err << "spindle-cli: " << Format(tr("%0:s holds no station"), folder.string()) << '\n';
        return 1;
    }
    // A dry run only reads, and leaves no byte of the folder changed, not even a lock.
    std::optional<DataFolderLock> lock;
    if (!dryRun) {
        lock.emplace(folder, "spindle-cli migrate");
        if (!lock->Held()) {
            err << "spindle-cli: " << lock->Problem() << '\n';
            return 1;
        }
    }
    const MigrationReport report = MigrateDataFolder(folder, mappings, dryRun);
    for (const MigratedGroup& g : report.Groups) {
        out << Format(g.Spot ? tr("Spot Group \"%0:s\": %1:d paths found, %2:d not found")
                             : tr("Category \"%0:s\": %1:d paths found, %2:d not found"),
                      g.Name, static_cast<long long>(g.Found), static_cast<long long>(g.Missing))
            << '\n';
        for (const std::string& path : g.FirstMissing) {
            out << "    " << Format(tr("not found: %0:s"), path) << '\n';
        }
    }
    for (const std::string& note : report.Notes) {
        out << note << '\n';
    }
    for (const std::string& file : report.Written) {
        out << Format(dryRun ? tr("would write %0:s") : tr("wrote %0:s"), file) << '\n';
    }
    if (!report.Failure.empty()) {
        err << "spindle-cli: " << report.Failure << '\n';
        return 1;
    }
    return report.AllFound() ? 0 : 3;
}

// The paths of every track of the station's Categories, found as a run finds them.
std::vector<std::string> CategoryTracks(const std::filesystem::path& folder, std::ostream& err) {
    UnattendedOperator op(
        [&](MessageKind, const std::string& line) { err << "spindle-cli: " << line << '\n'; });
    Station station(folder, op);
    station.LoadOptions();
    station.LoadCategories();
    std::vector<std::string> paths;
    for (const auto& category : station.Categories) {
        for (const FileRec& file : category->Files) {
            paths.push_back(file.FileName);
        }
    }
    return paths;
}

int ExportOrImport(const DataFileCommand& command, std::ostream& out, std::ostream& err) {
    const std::vector<std::string> paths = CategoryTracks(command.Folder, err);
    if (command.Export) {
        const AttributeExport done = ExportAttributes(command.Folder, paths, command.File);
        if (!done.Problem.empty()) {
            err << "spindle-cli: " << done.Problem << '\n';
            return 1;
        }
        if (!command.ToOutput) {
            out << Format(tr("Wrote %0:d tracks with %1:d attributes to %2:s"), done.Tracks,
                          done.Attributes, command.File.string())
                << '\n';
        }
        return 0;
    }
    const AttributeImport done = ImportAttributes(command.Folder, paths, command.File);
    for (const std::string& row : done.Rows) {
        err << row << '\n';
    }
    if (!done.Problem.empty()) {
        err << "spindle-cli: " << done.Problem << ' ' << tr("Nothing was imported.") << '\n';
        return 1;
    }
    out << Format(tr("Applied %0:d rows; %1:d could not be applied."), done.Applied,
                  static_cast<long long>(done.Rows.size()))
        << '\n';
    return done.Rows.empty() ? 0 : 3;
}

// The run proper: load, generate, save. Returns the exit status.
int LoadGenerateSave(Station& station, RunReport& report, const UnattendedOperator& op,
                     ConsoleProgress& progress, std::ostream& out, std::ostream& err) {
    station.Startup = true;
    station.LoadAll();
    station.Startup = false;

    const bool generated = RunGeneration(station, report);
    const bool saved = station.SaveAll(true);
    progress.Finish();
    if (!saved) {
        err << "spindle-cli: " << tr("some of the station's files could not be saved") << '\n';
    }
    const bool stopped = report.Status() != RunStatus::Running || progress.CancelRequested();
    if (!generated || stopped) {
        err << "spindle-cli: "
            << Format(tr("the run did not finish; nothing was moved on (see %0:s)"),
                      station.Opt.LogFolderPath() + "Generate.log")
            << '\n';
        return 1;
    }
    const Options& o = station.Opt;
    out << tr("Playlist Log: ") << o.LogFolderPath() << o.LogBaseName << ".plg\n"
        << tr("Playlists:    ") << o.PlaylistFolder << '\n';
    if (o.HTMLEnabled) {
        out << tr("HTML pages:   ") << o.HTMLFolder << '\n';
    }
    if (o.TrackLog || o.SpotLog) {
        out << tr("Summaries:    ") << o.LogFolderPath() << "Track-" << o.LogBaseName
            << ".csv, Spot-" << o.LogBaseName << ".csv\n";
    }
    if (o.RelaxedRuleReport) {
        out << tr("Rules relaxed: ") << o.LogFolderPath() << "Relaxed-" << o.LogBaseName
            << ".csv\n";
    }
    out << tr("Run log:      ") << o.LogFolderPath() << "Generate.log\n";
    if (!saved) {
        return 1;
    }
    // Every message the operator would have seen in a box, and every problem line.
    const long problems = static_cast<long>(op.Lines().size()) + report.Problems();
    if (problems > 0) {
        err << "spindle-cli: "
            << Format(tr("the run finished with %0:d problem(s) to look at (see Generate.log)"),
                      static_cast<long long>(problems))
            << '\n';
        return 3;
    }
    return 0;
}

int UnattendedRun(const RunArgs& args, const std::filesystem::path& programPath, std::ostream& out,
                  std::ostream& err, bool terminal) {
    const std::filesystem::path data =
        ResolveDataFolder(args.Data, std::getenv("SPINDLE_DATA"), programPath);
    std::error_code ec;
    if (!std::filesystem::is_directory(data, ec)) {
        err << "spindle-cli: " << Format(tr("the data folder %0:s does not exist"), data.string())
            << '\n';
        return 1;
    }
    if (!HoldsStation(data)) {
        err << "spindle-cli: "
            << Format(tr("%0:s holds no station (neither Options.dat nor Categories.dat); give "
                         "the station's data folder with --data or SPINDLE_DATA"),
                      data.string())
            << '\n';
        return 1;
    }
    const DataFolderLock lock(data, "spindle-cli -r");
    if (!lock.Held()) {
        err << "spindle-cli: " << lock.Problem() << '\n';
        return 1;
    }
    ConsoleProgress progress(out, err, terminal);
    ConsoleProgress::CatchInterrupts();
    RunReport* reportRef = nullptr;
    UnattendedOperator op([&](MessageKind, const std::string& line) {
        if (reportRef != nullptr) {
            reportRef->AddLine(line);
        }
    });
    RunReport report(op, &progress);
    reportRef = &report;

    Station station(data, op);
    station.Isolated = args.Isolated;
    station.FixedSeed = args.Seed;
    if (args.Seed) {
        station.Random.Seed(*args.Seed);  // loading shuffles too
    }
    // Whatever goes wrong inside, the run ends with a message, a run log and status 1.
    std::string unexpected;
    try {
        return LoadGenerateSave(station, report, op, progress, out, err);
    } catch (const std::exception& e) {
        unexpected = e.what();
    } catch (...) {
        unexpected = "unknown exception";
    }
    progress.Finish();
    const std::string stopped =
        Format(tr("The run stopped on an unexpected error: %0:s"), unexpected);
    report.AddLine(stopped);
    report.AddLine(tr("Playlist Creation Aborted."));
    SaveRunLog(station.Opt, report);
    err << "spindle-cli: " << stopped << '\n';
    return 1;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, const std::filesystem::path& programPath,
           std::ostream& out, std::ostream& err, bool terminal) {
    if (args.empty()) {
        err << tr(kUsage);
        return 2;
    }
    if (args[0] == "--help" || args[0] == "-h") {
        out << tr(kUsage);
        return 0;
    }
    if (args[0] == "--version") {
        out << "spindle-cli " << SPINDLE_VERSION << '\n';
        return 0;
    }
    if (args[0] == "make-demo") {
        if (args.size() != 2) {
            return UsageError(err, tr("make-demo takes one folder"));
        }
        const std::string problem = MakeDemoStation(args[1]);
        if (!problem.empty()) {
            err << "spindle-cli: " << problem << '\n';
            return 1;
        }
        out << Format(tr("Demo station written to %0:s"), args[1]) << '\n';
        return 0;
    }
    if (args[0] == "migrate") {
        return Migrate(std::vector<std::string>(args.begin() + 1, args.end()), out, err);
    }
    if (args[0] == "attributes") {
        // Exit 0 when done, 3 when an import skipped rows, 1 when nothing was done.
        return RunDataFileCommand(
            "attributes", std::vector<std::string>(args.begin() + 1, args.end()), programPath, out,
            err, [&](const std::string& p) { return UsageError(err, p); },
            [&](const DataFileCommand& command) { return ExportOrImport(command, out, err); });
    }
    if (args[0] == "rules") {
        return RulesCommand(std::vector<std::string>(args.begin() + 1, args.end()), programPath,
                            out, err, [&](const std::string& p) { return UsageError(err, p); });
    }
    if (args[0] == "history" || args[0] == "report") {
        const std::vector<std::string> rest(args.begin() + 1, args.end());
        const auto usage = [&](const std::string& p) { return UsageError(err, p); };
        return args[0] == "history" ? HistoryCommand(rest, programPath, out, err, usage)
                                    : ReportCommand(rest, programPath, out, err, usage);
    }
    if (args[0] == "regenerate") {
        return RegenerateCommand(std::vector<std::string>(args.begin() + 1, args.end()),
                                 programPath, out, err,
                                 [&](const std::string& p) { return UsageError(err, p); });
    }
    if (args[0] == "duration") {
        return Duration(std::vector<std::string>(args.begin() + 1, args.end()), out, err);
    }
    RunArgs run;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (IsSwitch(a, 'r', "--run")) {
            run.Run = true;
        } else if (IsSwitch(a, 'i', "--isolated")) {
            run.Isolated = true;
        } else if ((a == "--data" || a == "--seed") && i + 1 >= args.size()) {
            return UsageError(err, Format(tr("%0:s needs a value"), a));
        } else if (a == "--data" || a == "--seed") {
            if (a == "--data") {
                run.Data = args[++i];
            } else {
                const auto seed = TextToInt(args[++i]);
                if (!seed || *seed < 0) {
                    return UsageError(err, tr("--seed takes a whole number"));
                }
                run.Seed = static_cast<std::uint64_t>(*seed);
            }
        } else if (a.rfind("--data=", 0) == 0) {
            run.Data = a.substr(7);
            if (run.Data->empty()) {
                return UsageError(err, Format(tr("%0:s needs a value"), "--data"));
            }
        } else {
            return UsageError(err, Format(tr("unknown argument \"%0:s\""), a));
        }
    }
    if (!run.Run) {
        return UsageError(err, tr("nothing to do; give -r to run"));
    }
    return UnattendedRun(run, programPath, out, err, terminal);
}

}  // namespace spindle
