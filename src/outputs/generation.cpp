#include "outputs/generation.h"

#include "outputs/html_pages.h"
#include "outputs/log_airings.h"
#include "outputs/output_pass.h"
#include "outputs/playlist_log.h"
#include "outputs/summaries.h"

namespace spindle {
namespace {

// The output pass with the pages and summaries the Options ask for.
struct StationOutputs {
    explicit StationOutputs(Station& station)
        : outputs(station), pages(station), tracks(station), spots(station) {
        if (station.Opt.HTMLEnabled) {
            outputs.AddConsumer(&pages);
        }
        if (station.Opt.TrackLog) {
            outputs.AddConsumer(&tracks);
        }
        if (station.Opt.SpotLog) {
            outputs.AddConsumer(&spots);
        }
    }
    PlaylistOutputs outputs;
    HtmlPages pages;
    TrackSummary tracks;
    SpotSummary spots;
};

}  // namespace

bool RunGeneration(Station& station, RunReport& report) {
    PlaylistLogFile log(station.Settings());
    StationOutputs made(station);
    GenerationRun run(station, report);
    if (!run.CreatePlaylist(log, made.outputs)) {
        return false;
    }
    // What goes on the air is what the log says: the history reads it back as an import
    // or an editor save would.
    std::string problem;
    station.LastRunAirings = ReadLogHistory(run.Facts().PlaylistLogName + ".plg",
                                            station.Settings(), AiringSource::Run, problem);
    if (!problem.empty()) {
        // A run whose log cannot be read back would move the start on with no history of
        // its period.
        report.Fail(problem);
        station.LastRunStart = 0.0;
        station.RevertLastUsed(false);
        return false;
    }
    return true;
}

bool RemakeOutputs(Station& station, const RunFacts& facts, RunReport& report) {
    StationOutputs made(station);
    return made.outputs.CreatePlaylistFiles(facts, report);
}

}  // namespace spindle
