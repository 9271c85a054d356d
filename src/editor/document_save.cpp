#include "editor/document_save.h"

#include <unordered_map>

#include "base/translate.h"
#include "fileinfo/name_conventions.h"
#include "library/station.h"
#include "outputs/generation.h"
#include "outputs/playlist_log.h"

namespace spindle {
namespace {

// Records the last use of a file in its group, when no later occurrence stays in the
// log. `moment` is when the changed item is scheduled, or for a removed one when the
// file's last remaining occurrence is.
void UpdateLastUsed(Station& station, const EditorItem& item, TDateTime moment) {
    if (item.Type != kItemTrack && item.Type != kItemSpot && item.Type != kItemTimedSpot) {
        return;
    }
    TCustomDetails* group = item.Type == kItemTrack
                                ? static_cast<TCustomDetails*>(station.FindCategory(item.GroupName))
                                : station.FindSpotGroup(item.GroupName);
    if (group == nullptr) {
        return;
    }
    for (FileRec& f : group->Files) {
        if (f.FileName == item.Path) {
            f.LastUsed = moment;
            station.Changed.Categories = true;
            station.Changed.FileLists = true;  // the track lists hold the last uses
            return;
        }
    }
}

}  // namespace

bool SaveDocument(PlaylistDocument& document, Station& station, const std::string& baseName,
                  RunReport& report) {
    const FormatSettings& fs = station.Settings();
    const double allowance = station.Opt.CrossfadeSeconds(fs);
    const std::vector<EditorItem>& items = document.Items();
    const std::vector<HourLine>& hours = document.Hours();
    RunFacts facts;
    facts.PlaylistLogName = baseName;
    const std::string folder = baseName.substr(0, baseName.find_last_of('/') + 1);
    const std::string name = baseName.substr(folder.size());
    facts.TrackSummaryName = folder + "Track-" + name;
    facts.SpotSummaryName = folder + "Spot-" + name;
    facts.Start = document.StartDate() + document.StartHour() / 24.0;
    facts.Hours = static_cast<long>(hours.size());
    facts.LastHour = hours.empty() ? facts.Start : hours.back().Start;

    if (document.Modified()) {
        report.AddLine(tr("Saving Playlist Log file..."));
        PlaylistLogFile log(fs);
        if (!log.Open(baseName, report)) {
            return false;
        }
        log.Header(NowLocal(), facts.Start, document.HeaderFlag());
        // When each live item is scheduled, and the last occurrence of each file.
        std::vector<TDateTime> moments(items.size(), 0.0);
        std::unordered_map<std::string, std::size_t> lastOf;
        long hourCount = -1;
        double timeBase = 0.0;
        long itemNumber = 0;
        std::size_t j = 0;
        auto inHour = [&](std::size_t i, const HourLine& h) {
            return items[i].Day == h.Hour.Day && items[i].Hour == h.Hour.Hour;
        };
        auto advance = [&](const EditorItem& item) {
            return (item.Duration -
                    ItemCrossfade(item.Path, item.Duration, allowance, station.Opt.KorvelCrossfade)
                        .Seconds) /
                   3600.0;
        };
        for (std::size_t h = 0; h < hours.size(); ++h) {
            const HourLine& line = hours[h];
            ++hourCount;
            const bool newFile = line.Counter == "0";
            if (newFile) {
                itemNumber = 0;
                timeBase = static_cast<double>(hourCount);
            } else if (document.HeaderFlag() == "0") {
                timeBase = static_cast<double>(hourCount);
            }
            const TDateTime hourMoment =
                document.StartDate() + line.Hour.Day + line.Hour.Hour / 24.0;
            log.Hour(std::strtol(line.Counter.c_str(), nullptr, 10), hourMoment);
            double hourClock = 0.0;
            // The hour's items; the last hour also takes any whose hour has no line.
            while (j < items.size() && (inHour(j, line) || h + 1 == hours.size())) {
                const EditorItem& item = items[j];
                moments[j] = hourMoment + hourClock / 24.0;
                lastOf[item.Path] = j;
                if (item.State != EditState::Removed) {
                    // A timed item keeps its minute; the others follow each other.
                    const double time =
                        PlaylistDocument::IsTimed(item) ? hourCount + item.Minute / 60.0 : timeBase;
                    // Numbered from 0 in each playlist file, as the run numbers them.
                    log.Item(
                        item.Type, itemNumber++, time, item.Path,
                        static_cast<std::uint16_t>(std::min<std::uint32_t>(item.Duration, 65535)),
                        item.GroupName);
                    const double step = advance(item);
                    timeBase += step;
                    hourClock += step;
                }
                ++j;
            }
        }
        if (!log.Close(report)) {
            return false;
        }
        for (std::size_t i = 0; i < j; ++i) {
            const EditorItem& item = items[i];
            if (item.State == EditState::Loaded) {
                continue;
            }
            // A later occurrence of the file that stays in the log keeps its own time.
            const std::size_t last = lastOf[item.Path];
            const bool lastLive = items[last].State != EditState::Removed;
            if (lastLive && moments[last] > moments[i] + 0.0005) {
                continue;
            }
            if (item.State == EditState::Changed) {
                UpdateLastUsed(station, item, moments[i]);
            } else if (lastLive) {
                UpdateLastUsed(station, item, moments[last]);
            }
        }
        document.Saved();
    }
    return RemakeOutputs(station, facts, report);
}

}  // namespace spindle
