#include "cli/regenerate_command.h"

#include <cstdlib>

#include "base/format.h"
#include "base/format_datetime.h"
#include "base/text_case.h"
#include "base/translate.h"
#include "base/unattended_operator.h"
#include "editor/document_save.h"
#include "editor/regenerate.h"
#include "history/outside_files.h"
#include "station/data_lock.h"
#include "station/station.h"
#include "stationdb/history.h"

namespace spindle {
namespace {

int Fail(std::ostream& err, const std::string& problem) {
    err << "spindle-cli: " << problem << '\n';
    return 1;
}

// The log as given, else by that name in the station's log folder.
std::string LogPath(const Station& station, const std::string& given) {
    std::error_code ec;
    if (std::filesystem::exists(given, ec) || given.find('/') != std::string::npos) {
        return given;
    }
    const std::string inFolder = station.Opt.LogFolderPath() + given;
    return std::filesystem::exists(inFolder, ec) ? inFolder : given;
}

}  // namespace

int RegenerateLog(Station& station, const std::string& logPath, const std::string& from,
                  const std::string& to, std::optional<std::uint32_t> seed, std::ostream& out,
                  std::ostream& err, const std::function<void()>& beforeSave) {
    const FormatSettings& fs = station.Settings();
    const std::string path = LogPath(station, logPath);
    PlaylistDocument document;
    const PlaylistDocument::LoadReport loaded = document.Load(path, station.Isolated, fs);
    if (!loaded.Loaded || !loaded.Messages.empty()) {
        // A line that cannot be read would be lost in the saved log.
        for (const auto& [error, message] : loaded.Messages) {
            err << "spindle-cli: " << path << ": " << message << '\n';
        }
        return Fail(err, Format(tr("\"%0:s\" cannot be read whole; nothing was changed."), path));
    }
    std::optional<LogHour> hours[2];
    const std::string* texts[2] = {&from, &to};
    for (int k = 0; k < 2; ++k) {
        std::int64_t seconds = 0;
        if (!ReadStamp(*texts[k], true, true, seconds)) {
            return Fail(err, Format(tr("\"%0:s\" is not an hour (YYYY-MM-DD HH)"), *texts[k]));
        }
        const TDateTime moment = FromClockSeconds(seconds);
        hours[k] =
            LogHour{static_cast<int>(std::floor(moment + 1e-9) - document.StartDate()),
                    static_cast<int>(std::lround((moment - std::floor(moment + 1e-9)) * 24.0))};
    }
    UnattendedOperator op;
    RunReport report(op, nullptr);
    const RegenerateOutcome outcome =
        RegenerateHours(document, station, *hours[0], *hours[1], report, seed);
    if (!outcome.Done) {
        const bool stop = !outcome.Problem.empty() && outcome.Problem.back() == '.';
        return Fail(err, outcome.Problem + (stop ? " " : ". ") + tr("Nothing was changed."));
    }
    for (const std::string& line : outcome.Relaxed) {
        out << tr("Rule relaxed: ") << line << '\n';
    }
    for (const std::string& line : outcome.Conflicts) {
        out << tr("Now breaks: ") << line << '\n';
    }
    if (beforeSave) {
        beforeSave();
    }
    std::string base = path;
    if (LowerCase(base).ends_with(".plg")) {
        base.resize(base.size() - 4);
    }
    RunReport saving(op, nullptr);
    const bool saved = SaveDocument(document, station, base, saving);
    // The run's words for the hours (a group gone missing, a rule an hour ends without),
    // and the save's: where its failure goes when it failed.
    for (const std::string& line : report.Lines()) {
        out << line << '\n';
    }
    for (const std::string& line : saving.Lines()) {
        (saved ? out : err) << line << '\n';
    }
    if (!saved && document.Modified()) {
        return Fail(err, tr("The Playlist Log was not saved; nothing was changed."));
    }
    // The log is written: the track lists take the last uses it gave and took back.
    const bool library = station.SaveAll();
    if (!saved) {
        return Fail(err, tr("The Playlist Log was saved, but not all of its playlists, pages and "
                            "summaries could be made again; see the lines above."));
    }
    if (!library) {
        return Fail(err, tr("some of the station's files could not be saved"));
    }
    out << Format(tr("%0:s to %1:s made again: %2:d tracks in place of %3:d; the log, its "
                     "playlists, pages and summaries are saved."),
                  FormatDateTime("yyyy-mm-dd hh:00",
                                 document.StartDate() + hours[0]->Day + hours[0]->Hour / 24.0, fs),
                  FormatDateTime("yyyy-mm-dd hh:59",
                                 document.StartDate() + hours[1]->Day + hours[1]->Hour / 24.0, fs),
                  outcome.TracksAfter, outcome.TracksBefore)
        << '\n';
    const bool clean = outcome.Conflicts.empty() && outcome.Relaxed.empty() &&
                       report.Problems() == 0 && saving.Problems() == 0 && op.Lines().empty();
    return clean ? 0 : 3;
}

int RegenerateCommand(const std::vector<std::string>& args,
                      const std::filesystem::path& programPath, std::ostream& out,
                      std::ostream& err, const std::function<int(const std::string&)>& usageError) {
    std::optional<std::string> data, log, from, to;
    std::optional<std::uint32_t> seed;
    bool isolated = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-i" || a == "--isolated") {
            isolated = true;
            continue;
        }
        std::optional<std::string>* target = a == "--data"   ? &data
                                             : a == "--log"  ? &log
                                             : a == "--from" ? &from
                                             : a == "--to"   ? &to
                                                             : nullptr;
        if (target == nullptr && a != "--seed") {
            return usageError(Format(tr("unknown argument \"%0:s\""), a));
        }
        if (i + 1 >= args.size() || args[i + 1].empty()) {
            return usageError(Format(tr("%0:s needs a value"), a));
        }
        const std::string& value = args[++i];
        if (target != nullptr) {
            *target = value;
            continue;
        }
        char* end = nullptr;
        const unsigned long number = std::strtoul(value.c_str(), &end, 10);
        if (*end != '\0' || value[0] == '-' || number > 0xFFFFFFFFul) {
            return usageError(tr("--seed takes a whole number"));
        }
        seed = static_cast<std::uint32_t>(number);
    }
    if (!log || !from || !to) {
        return usageError(tr("regenerate needs --log, --from and --to"));
    }
    std::int64_t first = 0, last = 0;
    for (const auto& [text, seconds] : {std::pair{&*from, &first}, std::pair{&*to, &last}}) {
        if (!ReadStamp(*text, true, true, *seconds)) {
            return usageError(Format(tr("\"%0:s\" is not an hour (YYYY-MM-DD HH)"), *text));
        }
    }
    if (last < first) {
        return usageError(tr("--to comes before --from"));
    }
    const std::filesystem::path folder =
        ResolveDataFolder(data, std::getenv("SPINDLE_DATA"), programPath);
    if (!HoldsStation(folder)) {
        return Fail(err, Format(tr("%0:s holds no station"), folder.string()));
    }
    const DataFolderLock lock(folder, "spindle-cli regenerate");
    if (!lock.Held()) {
        return Fail(err, lock.Problem());
    }
    UnattendedOperator op;
    Station station(folder, op);
    station.Isolated = isolated;
    if (seed) {
        station.FixedSeed = *seed;
        station.Random.Seed(*seed);  // loading shuffles too
    }
    station.Startup = true;
    station.LoadAll();
    station.Startup = false;
    return RegenerateLog(station, *log, *from, *to, seed, out, err);
}

}  // namespace spindle
