#pragma once

#include <optional>
#include <string>

#include "generator/log_sink.h"
#include "generator/run_report.h"
#include "generator/run_state.h"
#include "generator/station_rules.h"
#include "station/station.h"

namespace spindle {

// The Playlist Log as the assembly pass writes it.
class PlaylistLogTarget : public PlaylistLogSink {
public:
    // Opens the log named `baseName` + ".plg" (the previous one kept as ".bak"); on
    // failure it has reported why through the run report.
    virtual bool Open(const std::string& baseName, RunReport& report) = 0;
    // Puts the finished log in place; false (reported) when that failed.
    virtual bool Close(RunReport& report) = 0;
    // Throws away a log the pass did not finish: the earlier log and its backup stay.
    virtual void Abandon() = 0;
};

// What follows the assembly pass: old outputs go at its start, and the output pass
// makes the playlists, pages and summaries from the written log.
class OutputPass {
public:
    virtual ~OutputPass() = default;
    virtual void PurgeOldOutputs(RunReport& report) = 0;
    virtual bool CreatePlaylistFiles(const RunFacts& facts, RunReport& report) = 0;
};

// One generation run over the span of hours the Options give.
class GenerationRun {
public:
    GenerationRun(Station& station, RunReport& report) : station_(station), report_(report) {}

    // Reverts the working state, assembles the Playlist Log, makes the outputs, marks
    // the library changed after success (reverts again after a failure), and writes the
    // run log "Generate.log".
    // True when both passes finished.
    bool CreatePlaylist(PlaylistLogTarget& log, OutputPass& outputs);

    // The assembly pass alone.
    bool AssemblePlaylistLog(PlaylistLogTarget& log);
    // Takes back what a run that made no playlists set: its start, its log name, its uses.
    void ForgetRun();

    const RunFacts& Facts() const { return facts_; }
    const RunState& State() const { return state_; }

private:
    // The counts of the repeat rules relaxed, and their CSV when the station asks for it.
    void ReportRelaxedRules();
    void ReportHoursOver();
    // Says which groups' folders the last scan did not find; false when the operator
    // would rather not run without their tracks.
    bool TellUnreachedFolders();

    Station& station_;
    RunReport& report_;
    RunSettings settings_;
    RunState state_;
    RunFacts facts_;
    StationRules rules_;
    std::optional<std::string> previousLogBase_;  // the log name before this run set its own
};

// Saves the run's lines as "Generate.log" in the log folder (replacing it); a failure
// becomes a line of the report.
void SaveRunLog(const Options& options, RunReport& report);

}  // namespace spindle
