#include "outputs/generation.h"

#include "outputs/html_pages.h"
#include "outputs/output_pass.h"
#include "outputs/playlist_log.h"
#include "outputs/summaries.h"

namespace spindle {

bool RunGeneration(Station& station, RunReport& report) {
    PlaylistLogFile log(station.Settings());
    PlaylistOutputs outputs(station);
    HtmlPages pages(station);
    TrackSummary tracks(station);
    SpotSummary spots(station);
    if (station.Opt.HTMLEnabled) {
        outputs.AddConsumer(&pages);
    }
    if (station.Opt.TrackLog) {
        outputs.AddConsumer(&tracks);
    }
    if (station.Opt.SpotLog) {
        outputs.AddConsumer(&spots);
    }
    GenerationRun run(station, report);
    return run.CreatePlaylist(log, outputs);
}

}  // namespace spindle
