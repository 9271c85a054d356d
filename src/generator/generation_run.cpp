#include "generator/generation_run.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <utility>

#include "base/format.h"
#include "base/format_datetime.h"
#include "base/list_text.h"
#include "base/paths.h"
#include "base/safe_file.h"
#include "base/text_file.h"
#include "base/translate.h"
#include "generator/hour_assembly.h"
#include "station/migrate.h"
#include "station/track_list.h"

namespace spindle {

RunSettings RunSettings::FromOptions(const Options& o, const FormatSettings& fs) {
    RunSettings s;
    s.Start = static_cast<double>(o.StartDay) + o.StartHour / 24.0;
    s.Hours = static_cast<long>(o.TotalDays) * 24 + o.TotalHours;
    s.PlaylistPeriod = o.PlaylistPeriod;
    s.TimeResetPeriod = o.TimeResetPeriod;
    s.Crossfade = o.CrossfadeSeconds(fs);
    s.KorvelCrossfade = o.KorvelCrossfade;
    s.SongInterval = o.SongIntervalMinutes();
    s.ArtistInterval = o.ArtistIntervalMinutes();
    s.NewerTracks = o.NewerTracks;
    s.TimeCheck = o.TimeCheck;
    s.Tolerance = o.TimeCheckMinutes / 60.0;
    s.IncludeHM = o.IncludeHM;
    s.VTFilenames = o.VTFilenames;
    s.FitHours = o.FitHours;
    s.Names = o.Names();
    return s;
}

namespace {

// A word as it stands ("song"); anything a spreadsheet could split, quoted.
std::string BareOrQuoted(const std::string& text) {
    return text.find_first_of(",\" \r\n") == std::string::npos ? text : CsvText(text);
}

// The relaxed-rule report. A station with rules beyond the repeat intervals has a unit
// column, as its rules count items and plays too; one without keeps the columns it had.
std::string RelaxedRulesCsv(const std::vector<RelaxedRule>& relaxed, bool withUnits,
                            const FormatSettings& fs) {
    std::string text = CsvText(tr("Slot")) + "," + CsvText(tr("Category")) + "," +
                       CsvText(tr("Rule relaxed")) + "," + CsvText(tr("Track chosen")) + "," +
                       CsvText(tr("Previous play")) + "," +
                       (withUnits ? CsvText(tr("Broken by")) + "," + CsvText(tr("Unit"))
                                  : CsvText(tr("Minutes inside the interval"))) +
                       "\r\n";
    for (const RelaxedRule& r : relaxed) {
        char amount[32];
        std::snprintf(amount, sizeof amount, "%.1f", r.Amount);
        text +=
            CsvText(FormatDateTime("yyyy-mm-dd hh:nn:ss", r.Slot, fs)) + "," + CsvText(r.Category) +
            "," + BareOrQuoted(r.Rule) + "," + CsvText(r.Track) + "," +
            CsvText(r.PreviousPlay > 0.0 ? FormatDateTime("yyyy-mm-dd hh:nn:ss", r.PreviousPlay, fs)
                                         : std::string()) +
            "," + amount + (withUnits ? "," + CsvText(r.Unit) : std::string()) + "\r\n";
    }
    return text;
}

// Whether hour `index` of the run starts a new period of the given kind.
bool StartsPeriod(long index, int period) {
    switch (period) {
        case kPeriodHour:
            return true;
        case kPeriodDay:
            return index % 24 == 0;
        default:
            return index % 168 == 0;
    }
}

}  // namespace

bool GenerationRun::AssemblePlaylistLog(PlaylistLogTarget& log) {
    const FormatSettings& fs = station_.Settings();
    settings_ = RunSettings::FromOptions(station_.Opt, fs);
    settings_.Names = station_.Names();  // with the tags' artists, as the artist list has them
    state_ = RunState{};
    const long n = settings_.Hours;
    if (!report_.Unattended()) {
        report_.ClearLines();
    }
    report_.SetStatus(RunStatus::Running);
    report_.SetBar(0, 2 * n);

    const std::string stamp = FormatDateTime("mmmddhh", settings_.Start, fs);
    const std::string logFolder = station_.Opt.LogFolderPath();
    facts_.Start = settings_.Start;
    facts_.Hours = n;
    facts_.LastHour = settings_.Start + static_cast<double>(n - 1) / 24.0;
    facts_.PlaylistLogName = logFolder + stamp;
    facts_.TrackSummaryName = logFolder + "Track-" + stamp;
    facts_.SpotSummaryName = logFolder + "Spot-" + stamp;
    previousLogBase_ = std::exchange(station_.Opt.LogBaseName, stamp);
    station_.LastRunStart = settings_.Start;

    // A station brought from Windows and not yet migrated would write its outputs into
    // folders named "C:\..." wherever the program happens to run.
    const Options& o = station_.Opt;
    for (const std::string* folder : {&o.LogFolder, &o.PlaylistFolder, &o.HTMLFolder}) {
        if (IsWindowsPath(*folder) && (folder != &o.HTMLFolder || o.HTMLEnabled)) {
            report_.Fail(Format(tr("The folder \"%0:s\" is a path of a Windows station. Bring the "
                                   "station over with spindle-cli migrate before generating."),
                                *folder));
            return false;
        }
    }
    // Before the log is touched: a run that cannot keep the station's rules makes nothing.
    if (const std::string problem = rules_.Load(station_, settings_, report_); !problem.empty()) {
        report_.Fail(Format(tr("The station database cannot be used, so the station's rules "
                               "cannot be kept and no playlist was made: %0:s"),
                            problem));
        return false;
    }
    if (!TellUnreachedFolders()) {
        return false;
    }
    if (!log.Open(facts_.PlaylistLogName, report_)) {
        return false;
    }
    for (auto& group : station_.SpotGroups) {
        if (group->FirstItem || group->GroupType == kSpotBlock) {
            group->NextItem = 0;
        }
    }
    const TDateTime now = station_.Clock();
    log.Header(now, settings_.Start, settings_.TimeResetPeriod);

    // Said first, done once the log is made: a run that fails keeps every earlier output.
    report_.AddLine(tr("Deleting old playlist files ..."));
    report_.AddLine(Format(tr("Playlist generation started on %0:s"),
                           FormatDateTime("dddddd hh:nnam/pm", now, fs)));
    report_.AddLine(Format(tr("Playlist scheduled to start on %0:s"),
                           FormatDateTime("dddddd ham/pm", settings_.Start, fs)));
    report_.AddLine(tr("Creating Playlist log ..."));
    if (station_.FixedSeed) {
        station_.Random.Seed(*station_.FixedSeed);
    } else {
        station_.Random.SeedFromClock();
    }

    HourAssembler assembler(station_, settings_, state_, report_, log);
    assembler.Selector().UseRules(rules_);
    TScheduleDetails* schedule = nullptr;
    int h = station_.Opt.StartHour;
    for (long i = 0; i < n; ++i) {
        const TDateTime d = settings_.Start + static_cast<double>(i) / 24.0;
        if (StartsPeriod(i, settings_.PlaylistPeriod)) {
            state_.ItemCounter = 0;
        }
        if (StartsPeriod(i, settings_.TimeResetPeriod)) {
            state_.RunningTime = static_cast<float>(i);
        }
        log.Hour(state_.ItemCounter, d);
        if (i == 0 || h == 0) {
            report_.AddLine(
                Format(tr("Compiling Playlist for %0:s"), FormatDateTime("dddddd", d, fs)));
            const int weekday = DayOfWeekMondayFirst(d);
            schedule = nullptr;
            for (auto& s : station_.Schedules) {
                if (s->Days[static_cast<std::size_t>(weekday)]) {
                    schedule = s.get();
                    break;
                }
            }
            if (schedule == nullptr) {
                report_.Fail(Format(tr("No Schedule has been established for %0:s"),
                                    FormatDateTime("dddd", d, fs)));
                break;
            }
        }
        const ScheduleHour& entry = schedule->Hours[static_cast<std::size_t>(h)];
        const TRotationDetails* rotation = entry.Plays(station_.DefaultRotation);
        if (rotation == nullptr) {
            report_.Fail(Format(tr("Rotation \"%0:s\" used in Schedule \"%1:s\" is not found."),
                                entry.Text, schedule->Name));
            break;
        }
        report_.ProcessEvents();
        if (report_.Stopped() || !assembler.AssembleHour(i, h, d, *rotation, *schedule)) {
            break;
        }
        h = h == 23 ? 0 : h + 1;
        report_.SetBar(i + 1, 2 * n);
    }

    // A pass that stopped says so once, through "Playlist Creation Aborted.", never
    // as a success.
    if (!report_.Stopped()) {
        report_.AddLine(tr("Playlist log file successfully created."));
    }
    report_.AddLine(Format(tr("%0:d of %1:d total artists used."), state_.ArtistsUsed,
                           station_.Artists.Count()));
    report_.AddLine(Format(tr("%0:d of %1:d total tracks used."), state_.TracksUsed,
                           station_.TotalCategoryTracks()));
    if (settings_.TimeCheck) {
        report_.AddLine(Format(tr("Time Checking: %0:d Rotation items dropped from full hours, "
                                  "%1:d tracks added to fill short hours."),
                               state_.TracksDropped, state_.TracksAdded));
        if (settings_.FitHours) {
            report_.AddLine(Format(tr("Hour fit: %0:d slots left out."), state_.SlotsLeftOut));
        }
        ReportHoursOver();
    }
    // A pass that stopped leaves the earlier run's log (and its .bak) as they were: a
    // run that failed twice must not turn a week's log into a header.
    if (report_.Stopped()) {
        log.Abandon();
        return false;
    }
    return log.Close(report_);
}

bool GenerationRun::TellUnreachedFolders() {
    // Only the groups the Schedules play: a Category left over from last year is no
    // reason to stop the night's run.
    std::set<const TCustomDetails*> played;
    for (const auto& schedule : station_.Schedules) {
        for (const ScheduleHour& hour : schedule->Hours) {
            if (const TRotationDetails* rotation = hour.Plays(station_.DefaultRotation)) {
                for (const RotationItem& item : rotation->Items) {
                    played.insert(item.Object);
                }
            }
        }
        for (const TimedSpot& spot : schedule->TimedSpots) {
            played.insert(spot.Object);
        }
    }
    std::vector<std::string> lines;
    auto tell = [&](const TCustomDetails& group, const std::string& text) {
        if (!group.Unreached.empty() && played.count(&group) != 0) {
            std::string entries;
            for (const std::string& entry : group.Unreached) {
                entries += (entries.empty() ? "\"" : ", \"") + entry + "\"";
            }
            lines.push_back(
                Format(text, group.Name, entries, static_cast<long long>(group.Absent.size())));
        }
    };
    for (const auto& c : station_.Categories) {
        tell(*c, tr("Category \"%0:s\": %1:s not found when its files were loaded; %2:d of its "
                    "tracks are left out of this run."));
    }
    for (const auto& g : station_.SpotGroups) {
        tell(*g, tr("Spot Group \"%0:s\": %1:s not found when its files were loaded; %2:d of "
                    "its spots are left out of this run."));
    }
    if (lines.empty()) {
        return true;
    }
    for (const std::string& line : lines) {
        report_.Problem(line);
    }
    if (report_.Unattended()) {
        return true;  // the run goes on; its exit status says there is something to see
    }
    std::string question;
    for (const std::string& line : lines) {
        question += line + "\n";
    }
    question += std::string("\n") +
                tr("A share that is not mounted or a renamed folder leaves "
                   "them out; once the folder is back, Reload Files takes them in again. Create "
                   "the playlist without them?");
    if (report_.Op().Show(MessageKind::Warning, question, Buttons::YesNo) == Answer::Yes) {
        return true;
    }
    report_.SetStatus(RunStatus::StopAsked);
    return false;
}

// Hours that ran long push every later item on. With the hour fit on they should not
// happen: the library is too tight for the clock, and the operator must hear of it.
// Without the fit, a top-up pass runs over by design, and the figure is for information.
void GenerationRun::ReportHoursOver() {
    if (state_.HoursOver == 0) {
        return;
    }
    const auto seconds = static_cast<long>(std::lround(state_.LongestOver));
    char latest[48];
    std::snprintf(latest, sizeof latest, "%ld:%02ld", seconds / 60, seconds % 60);
    const std::string line =
        Format(tr("Time Checking: %0:d of %1:d hours ended later than the tolerance allows, the "
                  "latest %2:s after the next hour was due."),
               state_.HoursOver, state_.HoursTimed, std::string(latest));
    if (settings_.FitHours) {
        report_.Problem(line + " " +
                        tr("The hour fit cannot end them on time with these tracks: shorter or "
                           "more tracks in the Categories, or fewer slots, would."));
    } else {
        report_.AddLine(line);
    }
}

void GenerationRun::ReportRelaxedRules() {
    if (!station_.Opt.RelaxedRuleReport) {
        return;
    }
    // One line of counts per Category and rule, at the end of the run's messages; a pick
    // that broke several rules counts under each.
    struct Counts {
        long Song = 0, Artist = 0;
        std::vector<std::pair<std::string, long>> Others;  // in the order first broken
    };
    std::map<std::string, Counts> counts;
    for (const RelaxedRule& r : state_.Relaxed) {
        Counts& n = counts[r.Category];
        if (r.Rule == "song" || r.Rule == "artist") {
            ++(r.Rule == "song" ? n.Song : n.Artist);
            continue;
        }
        auto other = std::find_if(n.Others.begin(), n.Others.end(),
                                  [&](const auto& o) { return o.first == r.Rule; });
        ++(other != n.Others.end() ? other->second : n.Others.emplace_back(r.Rule, 0).second);
    }
    std::string line;
    for (const auto& [category, n] : counts) {
        line += (line.empty() ? "" : "; ") +
                Format(tr("%0:s: song %1:d, artist %2:d"), category, n.Song, n.Artist);
        for (const auto& [rule, count] : n.Others) {
            line += Format(", \"%0:s\" %1:d", RuleWords(rule, station_.Settings()), count);
        }
    }
    report_.AddLine(Format(tr("Repeat rules relaxed: %0:s"), line.empty() ? tr("none") : line));
    // Every relaxed selection, as a row a spreadsheet reads, beside the summaries.
    const std::string path =
        station_.Opt.LogFolderPath() + "Relaxed-" + station_.Opt.LogBaseName + ".csv";
    const std::string text = RelaxedRulesCsv(state_.Relaxed, rules_.Any(), station_.Settings());
    if (!ReplaceFile(path, text)) {
        report_.Message(Format(tr("Unable to create \"%0:s\""), path), false);
    }
}

bool GenerationRun::CreatePlaylist(PlaylistLogTarget& log, OutputPass& outputs) {
    station_.RevertLastUsed(false);
    bool ok = false;
    try {
        ok = AssemblePlaylistLog(log);
        if (ok) {
            outputs.PurgeOldOutputs(report_);  // files older than today's log
            ok = outputs.CreatePlaylistFiles(facts_, report_);
        }
    } catch (...) {
        // A fault deep in the run must not leave it half made: a later Save All would
        // move the start past a period that has no playlists.
        ForgetRun();
        throw;
    }
    if (ok) {
        ReportRelaxedRules();
        station_.LastRunAirings = {};  // the caller takes them from the log just made
        station_.Changed.Categories = true;
        station_.Changed.Spots = true;
        station_.Changed.FileLists = true;
    } else {
        report_.AddLine(tr("Playlist Creation Aborted."));
        ForgetRun();
    }
    SaveRunLog(station_.Opt, report_);
    return ok;
}

void GenerationRun::ForgetRun() {
    station_.LastRunStart = 0.0;
    station_.LastRunAirings = {};
    // The editor and the next save name the log that is still there.
    if (previousLogBase_) {
        station_.Opt.LogBaseName = *previousLogBase_;
    }
    station_.RevertLastUsed(false);  // the uses of a run that made no playlists
}

void SaveRunLog(const Options& options, RunReport& report) {
    if (IsWindowsPath(options.LogFolder)) {
        return;  // said already: nothing is written into such a folder
    }
    const std::filesystem::path file = options.LogFolderPath() + "Generate.log";
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    if (!ReplaceFile(file, JoinLines(report.Lines()))) {
        report.Problem(Format(tr("Unable to create \"%0:s\""), file.string()));
    }
}

}  // namespace spindle
