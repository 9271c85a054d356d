#include "history/log_import.h"

#include <algorithm>
#include <filesystem>

#include "base/format.h"
#include "base/translate.h"
#include "outputs/log_airings.h"
#include "station/recording_facts.h"
#include "station/station.h"

namespace spindle {

LogImport ImportPlaylistLogs(const Station& station, std::optional<std::int64_t> from,
                             std::optional<std::int64_t> to) {
    LogImport result;
    struct Found {
        TDateTime Created = 0;
        RunHistory History;
    };
    std::vector<Found> logs;
    const std::filesystem::path folder = station.Opt.LogFolderPath();
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.path().extension() != ".plg" || !entry.is_regular_file(error)) {
            continue;
        }
        LogContents contents;
        if (ReadPlaylistLog(entry.path().string(), station.Settings(), contents) !=
            LogReadError::None) {
            result.Problems.push_back(entry.path().string() + ": " +
                                      tr("Invalid Playlist Log file format."));
            continue;
        }
        RunHistory history =
            HistoryOfLog(contents, AiringSource::Import, entry.path().stem().string());
        std::erase_if(history.Airings, [&](const LogAiring& a) {
            return (from && a.Hour < *from) || (to && a.Hour >= *to);
        });
        if (history.Airings.empty()) {
            continue;
        }
        history.Run.From = std::max(history.Run.From, from.value_or(history.Run.From));
        history.Run.To = std::min(history.Run.To, to.value_or(history.Run.To));
        logs.push_back({contents.Created, std::move(history)});
    }
    if (error) {
        result.Problems.push_back(
            Format(tr("Cannot open \"%0:s\": %1:s"), folder.string(), error.message()));
        return result;
    }
    std::sort(logs.begin(), logs.end(), [](const Found& x, const Found& y) {
        return x.Created != y.Created ? x.Created > y.Created
                                      : x.History.Run.Log > y.History.Run.Log;
    });
    for (Found& log : logs) {
        const DbRead<int> recorded = RecordHistory(station, std::move(log.History));
        if (!recorded) {
            result.Problems.push_back(recorded.Problem);
            break;
        }
        result.Logs += recorded.Value > 0 ? 1 : 0;
        result.Airings += recorded.Value;
    }
    return result;
}

}  // namespace spindle
