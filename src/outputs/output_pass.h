#pragma once

#include <vector>

#include "generator/generation_run.h"
#include "outputs/playlist_log.h"
#include "station/station.h"

namespace spindle {

// Something the output pass feeds with every hour and item of the Playlist Log beside
// the playlist files (the HTML pages, the summaries).
class LogConsumer {
public:
    virtual ~LogConsumer() = default;
    virtual bool Begin(const RunFacts& facts, RunReport& report) = 0;
    virtual bool Hour(TDateTime hourStart, RunReport& report) = 0;
    virtual void Item(const LogLine& item, TDateTime clock, RunReport& report) = 0;
    // After the last line; `completed` is false when the pass was stopped.
    virtual bool Finish(RunReport& report, bool completed) = 0;
};

// The output pass of a run: reads the Playlist Log back and writes the playlist files,
// and whatever consumers it is given.
class PlaylistOutputs final : public OutputPass {
public:
    explicit PlaylistOutputs(Station& station) : station_(station) {}

    void AddConsumer(LogConsumer* consumer) { consumers_.push_back(consumer); }

    void PurgeOldOutputs(RunReport& report) override;
    bool CreatePlaylistFiles(const RunFacts& facts, RunReport& report) override;

private:
    Station& station_;
    std::vector<LogConsumer*> consumers_;
};

// Deletes generated files older than the Options' age from the playlist, HTML, log and
// voice-track folders ("index.html" and "playlist.html" stay). The data folder, and any
// folder holding it, is never purged.
void PurgeOldOutputs(const Station& station);

}  // namespace spindle
