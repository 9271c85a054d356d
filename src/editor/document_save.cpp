#include "editor/document_save.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

#include "base/float_text.h"
#include "base/translate.h"
#include "editor/log_context.h"
#include "fileinfo/name_conventions.h"
#include "outputs/generation.h"
#include "outputs/log_airings.h"
#include "outputs/playlist_log.h"
#include "station/recording_facts.h"
#include "station/station.h"
#include "station/track_list.h"
#include "stationdb/station_db.h"

namespace spindle {
namespace {

// The track list record of an item's file: its Category's or Spot Group's; none for other
// items.
FileRec* RecordOf(Station& station, const EditorItem& item) {
    if (item.Type != kItemTrack && item.Type != kItemSpot && item.Type != kItemTimedSpot) {
        return nullptr;
    }
    TCustomDetails* group = item.Type == kItemTrack
                                ? static_cast<TCustomDetails*>(station.FindCategory(item.GroupName))
                                : station.FindSpotGroup(item.GroupName);
    if (group == nullptr) {
        return nullptr;
    }
    for (FileRec& f : group->Files) {
        if (f.FileName == item.Path) {
            return &f;
        }
    }
    return nullptr;
}

void SetLastUsed(Station& station, FileRec& f, TDateTime moment) {
    f.LastUsed = moment;
    station.Changed.Categories = true;
    station.Changed.FileLists = true;  // the track lists hold the last uses
}

}  // namespace

bool SaveDocument(PlaylistDocument& document, Station& station, const std::string& baseName,
                  RunReport& report, bool overwriteChanged) {
    if (const std::string refusal = document.SaveRefusal(); !refusal.empty()) {
        report.Fail(refusal);
        return false;
    }
    if (!overwriteChanged && document.ChangedOnDisk()) {
        report.Fail(
            tr("The Playlist Log file has changed on disk since it was opened, perhaps "
               "by a new run of its period, and was not saved over. Open it again to "
               "see the log as it is now."));
        return false;
    }
    const FormatSettings& fs = station.Settings();
    const double allowance = station.Opt.CrossfadeSeconds(fs);
    const bool fromName = station.Opt.KorvelCrossfade;
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
        const TDateTime created = station.Clock();
        const std::string start =
            document.StartText().empty() ? FloatToText(facts.Start, fs) : document.StartText();
        log.Header(created, start, document.HeaderFlag());
        // When each item is scheduled.
        std::vector<TDateTime> moments(items.size(), 0.0);
        // The time each item was written with: a later save writes an unedited hour so.
        std::vector<std::string> written(items.size());
        // Numbered as the run numbers: on from the first hour line's counter, from 0 in
        // each playlist file, Hour Markers and continuations not counted.
        long counter = hours.empty() ? 0 : std::strtol(hours[0].Counter.c_str(), nullptr, 10);
        // The run's clock in hours, kept in single precision as the run keeps it.
        float clock = 0.0f;
        std::size_t j = 0;
        auto inHour = [&](std::size_t i, const HourLine& h) {
            return items[i].Day == h.Hour.Day && items[i].Hour == h.Hour.Hour;
        };
        for (std::size_t h = 0; h < hours.size(); ++h) {
            const HourLine& line = hours[h];
            // The hour's items; the last hour also takes any whose hour has no line.
            std::size_t end = j;
            while (end < items.size() && (inHour(end, line) || h + 1 == hours.size())) {
                ++end;
            }
            // An hour without edits is written as read; an edited one from the clock its
            // first item was read at.
            bool edited = false;
            std::optional<double> hourStart;
            for (std::size_t i = j; i < end; ++i) {
                edited = edited || items[i].State != EditState::Loaded;
                if (!PlaylistDocument::IsTimed(items[i]) && !items[i].TimeText.empty()) {
                    const auto t = ReadDataFloat(items[i].TimeText, fs);
                    if (t && (!hourStart || *t < *hourStart)) {
                        hourStart = t;
                    }
                }
            }
            const bool newFile = line.Counter == "0";
            if (newFile) {
                counter = 0;
            }
            if (hourStart) {
                clock = static_cast<float>(*hourStart);
            } else if (newFile || document.HeaderFlag() == "0") {
                clock = static_cast<float>(h);
            }
            log.Hour(counter, line.StartText);
            const TDateTime hourMoment =
                document.StartDate() + line.Hour.Day + line.Hour.Hour / 24.0;
            double hourClock = 0.0;
            for (; j < end; ++j) {
                const EditorItem& item = items[j];
                moments[j] = hourMoment + hourClock / 24.0;
                if (item.State == EditState::Removed) {
                    continue;
                }
                if (item.Type != kItemHourMarker && item.Type != kItemContinuation) {
                    ++counter;
                }
                const auto seconds =
                    static_cast<std::uint16_t>(std::min<std::uint32_t>(item.Duration, 65535));
                // A timed item keeps its time; the others follow each other.
                const bool timed = PlaylistDocument::IsTimed(item);
                if (!item.TimeText.empty() && (!edited || timed)) {
                    log.Item(item.Type, counter, item.TimeText, item.Path, seconds, item.GroupName);
                    written[j] = item.TimeText;
                } else {
                    const double time = timed ? static_cast<double>(h) + item.Minute / 60.0
                                              : static_cast<double>(clock);
                    written[j] = FloatToText(time, fs);
                    log.Item(item.Type, counter, written[j], item.Path, seconds, item.GroupName);
                }
                const double step =
                    PlaylistDocument::OnAirSeconds(item, allowance, fromName) / 3600.0;
                clock = static_cast<float>(clock + step);
                hourClock += step;
            }
        }
        if (!log.Close(report)) {
            return false;
        }
        // Each file's last use follows the edits: a changed item's is its time unless a
        // later occurrence of the file stays; a removed item's is the file's last
        // occurrence that stays, else it is given back to the file's airing before this
        // log (none when there was none).
        std::unordered_map<std::string, std::size_t> lastLiveOf;
        for (std::size_t i = 0; i < j; ++i) {
            if (items[i].State != EditState::Removed) {
                lastLiveOf[items[i].Path] = i;
            }
        }
        std::optional<std::unordered_map<std::string, TDateTime>> earlier;
        const TDateTime logEnd = facts.LastHour + 1.0 / 24.0;
        for (std::size_t i = 0; i < j; ++i) {
            const EditorItem& item = items[i];
            if (item.State == EditState::Loaded) {
                continue;
            }
            FileRec* record = RecordOf(station, item);
            if (record == nullptr) {
                continue;
            }
            const auto live = lastLiveOf.find(item.Path);
            if (live == lastLiveOf.end()) {
                // A last use this log gave the file goes back to its airing before the log.
                if (record->LastUsed >= facts.Start && record->LastUsed < logEnd) {
                    if (!earlier) {
                        StationDb db(station.DataFolder(), StationDb::Mode::ReadOnly);
                        earlier = db.IsOpen() ? LatestAiringsBefore(db, facts.Start)
                                              : decltype(earlier)::value_type{};
                    }
                    const auto aired = earlier->find(item.Path);
                    SetLastUsed(station, *record,
                                aired != earlier->end()               ? aired->second
                                : record->SavedLastUsed < facts.Start ? record->SavedLastUsed
                                                                      : 0.0);
                }
                continue;
            }
            // A later occurrence of the file that stays in the log keeps its own time, and a
            // later run's use its own.
            if (record->LastUsed >= logEnd) {
                continue;
            }
            if (item.State == EditState::Changed && moments[live->second] <= moments[i] + 0.0005) {
                SetLastUsed(station, *record, moments[i]);
            } else if (item.State == EditState::Removed) {
                SetLastUsed(station, *record, moments[live->second]);
            }
        }
        // As a reload would read the header back.
        document.Saved(baseName + ".plg", written,
                       ReadDataFloat(FloatToText(created, fs), fs).value_or(created));
        // The play history takes the log as saved, in place of what was recorded of its
        // hours.
        std::string problem;
        RunHistory saved = ReadLogHistory(baseName + ".plg", fs, AiringSource::Editor, problem);
        // A run not yet saved whose log this is records the log as edited when it is.
        if (!station.LastRunAirings.Airings.empty() && station.LastRunAirings.Run.Log == name) {
            station.LastRunAirings.Airings = saved.Airings;
        }
        const DbRead<int> recorded = RecordHistory(station, std::move(saved));
        if (!problem.empty() || !recorded) {
            report.Problem(problem.empty() ? recorded.Problem : problem);
        }
    }
    return RemakeOutputs(station, facts, report);
}

}  // namespace spindle
