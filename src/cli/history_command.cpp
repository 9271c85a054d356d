#include "cli/history_command.h"

#include <cstdlib>
#include <map>
#include <optional>
#include <set>

#include "base/format.h"
#include "base/safe_file.h"
#include "base/text_file.h"
#include "base/translate.h"
#include "base/unattended_operator.h"
#include "history/log_import.h"
#include "history/outside_files.h"
#include "history/use_reports.h"
#include "station/data_lock.h"
#include "station/recording_facts.h"
#include "station/station.h"

namespace spindle {
namespace {

// The words of a command: its options by name and the rest in order.
struct Words {
    std::map<std::string, std::string> Options;
    std::set<std::string> Flags;
    std::vector<std::string> Rest;
};

// Reads `args`; a problem comes back as the usage error's text.
std::optional<std::string> ReadWords(const std::vector<std::string>& args,
                                     const std::set<std::string>& valued,
                                     const std::set<std::string>& flags, Words& words) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string a = args[i];
        std::optional<std::string> value;
        if (const std::size_t eq = a.find('='); a.starts_with("--") && eq != std::string::npos) {
            value = a.substr(eq + 1);
            a = a.substr(0, eq);
        }
        if (valued.contains(a)) {
            if (!value && i + 1 < args.size()) {
                value = args[++i];
            }
            if (!value || value->empty()) {
                return Format(tr("%0:s needs a value"), a);
            }
            words.Options[a] = *value;
        } else if (flags.contains(a) && !value) {
            words.Flags.insert(a);
        } else if (a.starts_with("-") && a != "-") {
            return Format(tr("unknown argument \"%0:s\""), args[i]);
        } else {
            words.Rest.push_back(a);
        }
    }
    return std::nullopt;
}

int Fail(std::ostream& err, const std::string& problem) {
    err << "spindle-cli: " << problem << '\n';
    return 1;
}

// The station as the history names its recordings: Options and groups from the saved
// track lists, no folder scanned.
struct NamingStation {
    UnattendedOperator Op;
    Station Loaded;
    explicit NamingStation(const std::filesystem::path& folder) : Loaded(folder, Op) {
        Loaded.Isolated = true;
        Loaded.LoadOptions();
        Loaded.LoadCategories();
        Loaded.LoadSpotGroups();
    }
};

std::optional<std::int64_t> DateOption(const Words& words, const std::string& name,
                                       std::string& problem) {
    const auto found = words.Options.find(name);
    if (found == words.Options.end()) {
        return std::nullopt;
    }
    std::int64_t seconds = 0;
    if (!ReadStamp(found->second, false, false, seconds)) {
        problem = Format(tr("%0:s takes a date as YYYY-MM-DD"), name);
    }
    return seconds;
}

int Import(const std::filesystem::path& folder, const Words& words, std::ostream& out,
           std::ostream& err, const std::function<int(const std::string&)>& usageError) {
    std::string problem;
    const std::optional<std::int64_t> from = DateOption(words, "--from", problem);
    std::optional<std::int64_t> to = DateOption(words, "--to", problem);
    if (!problem.empty()) {
        return usageError(problem);
    }
    if (to) {
        *to += 86400;  // the whole last day
    }
    const NamingStation station(folder);
    const LogImport imported = ImportPlaylistLogs(station.Loaded, from, to);
    for (const std::string& line : imported.Problems) {
        err << "spindle-cli: " << line << '\n';
    }
    out << Format(tr("%0:d airings recorded from %1:d Playlist Logs."),
                  static_cast<long long>(imported.Airings), static_cast<long long>(imported.Logs))
        << '\n';
    return imported.Problems.empty() ? 0 : (imported.Airings > 0 ? 3 : 1);
}

int AsRun(const std::filesystem::path& folder, const std::string& file, const Words& words,
          std::ostream& out, std::ostream& err,
          const std::function<int(const std::string&)>& usageError) {
    int window = 600;
    if (const auto given = words.Options.find("--window"); given != words.Options.end()) {
        char* end = nullptr;
        const long seconds = std::strtol(given->second.c_str(), &end, 10);
        if (*end != '\0' || seconds < 0 || seconds > 86400) {
            return usageError(tr("--window takes seconds, from 0 to 86400"));
        }
        window = static_cast<int>(seconds);
    }
    const std::optional<std::string> text = ReadFileBytes(file);
    if (!text) {
        return Fail(err, Format(tr("Unable to open \"%0:s\""), file));
    }
    const AsRunRead read = ReadAsRunLog(*text);
    for (const std::size_t line : read.BadLines) {
        err << "spindle-cli: "
            << Format(tr("%0:s, line %1:d: not a time (YYYY-MM-DD HH:MM:SS), a tab and a file; "
                         "left out."),
                      file, static_cast<long long>(line))
            << '\n';
    }
    const NamingStation station(folder);
    const NameRules names = station.Loaded.Names();
    StationDb db(folder, StationDb::Mode::OrCreate);
    const DbRead<AsRunResult> result =
        db.IsOpen() ? db.RecordAsRun(read.Lines, window,
                                     [&](const std::string& path, const RecordingFacts* kept) {
                                         return DescribeAsNamed(path, kept, names);
                                     })
                    : DbRead<AsRunResult>{{db.Problem()}, {}};
    if (!result) {
        return Fail(err, result.Problem);
    }
    out << Format(tr("%0:d aired as scheduled, %1:d not scheduled, %2:d scheduled but not "
                     "aired, %3:d read before."),
                  static_cast<long long>(result.Value.Matched),
                  static_cast<long long>(result.Value.Unscheduled),
                  static_cast<long long>(result.Value.NotAired),
                  static_cast<long long>(result.Value.Known))
        << '\n';
    return read.BadLines.empty() ? 0 : 3;
}

int Listeners(const std::filesystem::path& folder, const std::string& file, std::ostream& out,
              std::ostream& err) {
    const std::optional<std::string> text = ReadFileBytes(file);
    if (!text) {
        return Fail(err, Format(tr("Unable to open \"%0:s\""), file));
    }
    ListenerFigures figures = ReadListenerFigures(*text);
    if (figures.Hours.empty() && figures.Problems.empty()) {
        figures.Problems.push_back(tr("It holds no listener figures."));
    }
    std::map<std::int64_t, double> byHour;
    for (const auto& [hour, listeners] : figures.Hours) {
        byHour[hour] = listeners;  // the later line of an hour holds
    }
    figures.Hours.assign(byHour.begin(), byHour.end());
    for (const std::string& problem : figures.Problems) {
        err << "spindle-cli: " << file << ": " << problem << '\n';
    }
    StationDb db(folder, StationDb::Mode::OrCreate);
    const DbStatus saved = db.IsOpen() ? db.SetListeners(figures.Hours) : DbStatus{db.Problem()};
    if (!saved) {
        return Fail(err, saved.Problem);
    }
    out << Format(tr("Listener figures of %0:d hours recorded."),
                  static_cast<long long>(figures.Hours.size()))
        << '\n';
    return figures.Problems.empty() ? 0 : 3;
}

// The data folder of --data, when it holds a station.
std::optional<std::filesystem::path> StationFolder(const Words& words,
                                                   const std::filesystem::path& programPath,
                                                   std::ostream& err) {
    const auto data = words.Options.find("--data");
    const std::filesystem::path folder = ResolveDataFolder(
        data == words.Options.end() ? std::nullopt : std::optional<std::string>(data->second),
        std::getenv("SPINDLE_DATA"), programPath);
    if (!HoldsStation(folder)) {
        Fail(err, Format(tr("%0:s holds no station"), folder.string()));
        return std::nullopt;
    }
    return folder;
}

}  // namespace

int HistoryCommand(const std::vector<std::string>& args, const std::filesystem::path& programPath,
                   std::ostream& out, std::ostream& err,
                   const std::function<int(const std::string&)>& usageError) {
    Words words;
    if (const auto problem = ReadWords(args, {"--data", "--from", "--to", "--window"}, {}, words)) {
        return usageError(*problem);
    }
    const std::vector<std::string>& rest = words.Rest;
    const bool import = rest.size() == 1 && rest[0] == "import";
    const bool withFile = rest.size() == 2 && (rest[0] == "as-run" || rest[0] == "listeners");
    if (!import && !withFile) {
        return usageError(tr("history takes import, as-run FILE or listeners FILE.csv"));
    }
    const std::optional<std::filesystem::path> folder = StationFolder(words, programPath, err);
    if (!folder) {
        return 1;
    }
    const DataFolderLock lock(*folder, "spindle-cli history " + rest[0]);
    if (!lock.Held()) {
        return Fail(err, lock.Problem());
    }
    if (import) {
        return Import(*folder, words, out, err, usageError);
    }
    if (rest[0] == "as-run") {
        return AsRun(*folder, rest[1], words, out, err, usageError);
    }
    return Listeners(*folder, rest[1], out, err);
}

int ReportCommand(const std::vector<std::string>& args, const std::filesystem::path& programPath,
                  std::ostream& out, std::ostream& err,
                  const std::function<int(const std::string&)>& usageError) {
    Words words;
    if (const auto problem = ReadWords(args,
                                       {"--data", "--from", "--to", "--format", "--out",
                                        "--service", "--category", "--channel"},
                                       {"--csv", "--spots"}, words)) {
        return usageError(*problem);
    }
    if (!words.Rest.empty()) {
        return usageError(Format(tr("unknown argument \"%0:s\""), words.Rest[0]));
    }
    std::string problem;
    const std::optional<std::int64_t> from = DateOption(words, "--from", problem);
    const std::optional<std::int64_t> to = DateOption(words, "--to", problem);
    UseReportRequest request;
    const auto format = words.Options.find("--format");
    if (problem.empty() && (!from || !to || format == words.Options.end())) {
        problem = tr("report needs --from, --to and --format");
    }
    if (problem.empty() && !UseReportOfName(format->second, request.Report)) {
        std::string names;
        for (const UseReport report : AllUseReports()) {
            names += (names.empty() ? "" : ", ") + std::string(UseReportName(report));
        }
        problem = Format(tr("--format takes one of %0:s"), names);
    }
    if (problem.empty() && *to < *from) {
        problem = tr("--to is before --from");
    }
    if (!problem.empty()) {
        return usageError(problem);
    }
    const std::optional<std::filesystem::path> folder = StationFolder(words, programPath, err);
    if (!folder) {
        return 1;
    }
    request.From = *from;
    request.To = *to + 86400;
    request.Csv = words.Flags.contains("--csv");
    request.WithSpots = words.Flags.contains("--spots");
    const auto out_ = words.Options.find("--out");
    if (out_ != words.Options.end() && out_->second.ends_with(".csv")) {
        request.Csv = true;
    }
    StationDb db(*folder, StationDb::Mode::OrCreate);
    if (!db.IsOpen()) {
        return Fail(err, db.Problem());
    }
    // What the station says of itself, as given here (and kept for the next report) or as
    // kept before.
    DbRead<ReportSettings> settings = LoadReportSettings(db);
    bool given = false;
    for (const auto& [option, field] : {std::pair{"--service", &ReportSettings::Service},
                                        {"--category", &ReportSettings::Transmission},
                                        {"--channel", &ReportSettings::Channel}}) {
        if (const auto value = words.Options.find(option); value != words.Options.end()) {
            settings.Value.*field = value->second;
            given = true;
        }
    }
    const DbStatus kept = settings && given ? SaveReportSettings(db, settings.Value) : settings;
    if (!kept) {
        return Fail(err, kept.Problem);
    }
    request.Settings = settings.Value;
    const DbRead<UseReportTable> made = ReportFromDatabase(db, request);
    if (!made) {
        return Fail(err, made.Problem);
    }
    const UseReportTable& table = made.Value;
    const std::string text = UseReportText(table, request);
    err << table.Basis << '\n';
    for (const std::string& warning : table.Warnings) {
        err << "spindle-cli: " << warning << '\n';
    }
    if (out_ == words.Options.end() || out_->second == "-") {
        out << text;
        return 0;
    }
    if (!ReplaceFile(out_->second, text)) {
        return Fail(err, Format(tr("Unable to create \"%0:s\""), out_->second));
    }
    out << Format(tr("%0:d rows written to %1:s"), static_cast<long long>(table.Rows.size() - 1),
                  out_->second)
        << '\n';
    return 0;
}

}  // namespace spindle
