#include "outputs/generation.h"

#include "outputs/output_pass.h"
#include "outputs/playlist_log.h"

namespace spindle {

bool RunGeneration(Station& station, RunReport& report) {
    PlaylistLogFile log(station.Settings());
    PlaylistOutputs outputs(station);
    GenerationRun run(station, report);
    return run.CreatePlaylist(log, outputs);
}

}  // namespace spindle
