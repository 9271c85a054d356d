#include "outputs/log_airings.h"

#include <algorithm>
#include <filesystem>

#include "base/translate.h"
#include "generator/log_sink.h"

namespace spindle {

RunHistory HistoryOfLog(const LogContents& log, AiringSource source, const std::string& name) {
    RunHistory history;
    history.Run.Source = source;
    history.Run.Log = name;
    ClockOfItems clock;
    std::int64_t hour = 0;
    bool any = false;
    for (const LogLine& line : log.Lines) {
        if (line.LineKind == LogLine::Kind::Hour) {
            clock.StartHour(line.HourStart);
            hour = ClockSeconds(line.HourStart);
            history.Run.From = any ? std::min(history.Run.From, hour) : hour;
            history.Run.To = std::max(history.Run.To, hour + 3600);
            any = true;
            continue;
        }
        const TDateTime when = clock.Of(line.Time);
        if (!any || line.Text.empty() || (line.Type != kItemTrack && !IsSpotItem(line.Type))) {
            continue;
        }
        history.Airings.push_back(
            {ClockSeconds(when), hour, line.Type, line.Text, line.Owner, line.Duration});
    }
    return history;
}

RunHistory ReadLogHistory(const std::string& file, const FormatSettings& settings,
                          AiringSource source, std::string& problem) {
    LogContents contents;
    switch (ReadPlaylistLog(file, settings, contents)) {
        case LogReadError::None:
            break;
        case LogReadError::CannotOpen:
            problem = file + ": " + tr("Unable to open Playlist Log file.");
            return {};
        case LogReadError::InvalidFormat:
            problem = file + ": " + tr("Invalid Playlist Log file format.");
            return {};
    }
    return HistoryOfLog(contents, source, std::filesystem::path(file).stem().string());
}

}  // namespace spindle
