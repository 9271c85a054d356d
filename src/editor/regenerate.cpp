#include "editor/regenerate.h"

#include <cmath>

#include "base/float_text.h"
#include "base/format.h"
#include "base/format_datetime.h"
#include "base/paths.h"
#include "base/translate.h"
#include "editor/log_context.h"
#include "generator/hour_assembly.h"
#include "generator/repeat_rules.h"
#include "station/station.h"

namespace spindle {
namespace {

// Takes the lines the hour assembly writes as the document's new items.
class HourCapture final : public PlaylistLogSink {
public:
    HourCapture(const FormatSettings& settings, std::vector<PlaylistDocument::HourItem>& items)
        : settings_(settings), items_(items) {}

    void StartHour(LogHour hour, long index) {
        hour_ = hour;
        index_ = index;
    }
    void Header(TDateTime, TDateTime, int) override {}
    void Hour(long, TDateTime) override {}
    void Item(int type, long, double time, std::string_view text, std::uint16_t duration,
              std::string_view owner) override {
        PlaylistDocument::NewItem item;
        item.Path = std::string(text);
        item.Type = type;
        item.GroupName = std::string(owner);
        item.Duration = duration;
        item.Minute = std::max(
            0, static_cast<int>(std::floor((time - static_cast<double>(index_)) * 60.0 + 1e-6)));
        items_.push_back({hour_, std::move(item), FloatToText(time, settings_)});
    }

private:
    const FormatSettings& settings_;
    std::vector<PlaylistDocument::HourItem>& items_;
    LogHour hour_;
    long index_ = 0;
};

std::string HourText(const PlaylistDocument& document, LogHour hour, const FormatSettings& fs) {
    return FormatDateTime("yyyy-mm-dd hh:00", document.StartDate() + hour.Day + hour.Hour / 24.0,
                          fs);
}

}  // namespace

RegenerateOutcome RegenerateHours(PlaylistDocument& document, Station& station, LogHour from,
                                  LogHour to, RunReport& report, std::optional<std::uint32_t> seed,
                                  RulesCache* cache) {
    RegenerateOutcome outcome;
    const FormatSettings& fs = station.Settings();
    if (document.Empty()) {
        outcome.Problem = tr("No Playlist Log is open.");
        return outcome;
    }
    if (const std::string refusal = document.SaveRefusal(); !refusal.empty()) {
        outcome.Problem = refusal;
        return outcome;
    }
    if (to < from) {
        outcome.Problem = tr("The last hour to make again comes before the first.");
        return outcome;
    }
    if (from < document.First() || document.Last() < to) {
        outcome.Problem = Format(tr("The hours %0:s to %1:s are not all in this Playlist Log, "
                                    "which holds %2:s to %3:s."),
                                 HourText(document, from, fs), HourText(document, to, fs),
                                 HourText(document, document.First(), fs),
                                 HourText(document, document.Last(), fs));
        return outcome;
    }

    LogContext context(station, document, report, cache);
    if (const std::string problem = context.Load(); !problem.empty()) {
        outcome.Problem =
            Format(tr("The station database cannot be used, so the station's rules cannot be "
                      "kept and no hour was made again: %0:s"),
                   problem);
        return outcome;
    }
    const auto [first, last] = document.SpanOfHours(from, to);
    context.Around(first, last);
    const std::vector<LogPlay> before = context.PlaysOf(first, last);
    outcome.TracksBefore = static_cast<long>(before.size());

    if (seed) {
        station.Random.Seed(*seed);
    } else if (station.FixedSeed) {
        station.Random.Seed(*station.FixedSeed);
    } else {
        station.Random.SeedFromClock();
    }
    std::vector<PlaylistDocument::HourItem> made;
    HourCapture capture(fs, made);
    RunState& state = context.State();
    state.RunningTime = context.ClockAt(from);
    HourAssembler assembler(station, context.Settings(), state, report, capture);
    assembler.Selector().UseRules(context.Rules());
    assembler.Selector().UseLastUses(context);
    const long hours = context.IndexOf(to) - context.IndexOf(from) + 1;
    report.SetBar(0, hours);
    LogHour hour = from;
    for (long n = 0; n < hours; ++n, hour = document.NextHour(hour)) {
        const TDateTime start = context.HourStart(hour);
        const long index = context.IndexOf(hour);
        const int weekday = DayOfWeekMondayFirst(start);
        TScheduleDetails* schedule = nullptr;
        for (auto& s : station.Schedules) {
            if (s->Days[static_cast<std::size_t>(weekday)]) {
                schedule = s.get();
                break;
            }
        }
        if (schedule == nullptr) {
            outcome.Problem = Format(tr("No Schedule has been established for %0:s"),
                                     FormatDateTime("dddd", start, fs));
            return outcome;
        }
        const ScheduleHour& entry = schedule->Hours[static_cast<std::size_t>(hour.Hour)];
        const TRotationDetails* rotation = entry.Plays(station.DefaultRotation);
        if (rotation == nullptr) {
            outcome.Problem =
                Format(tr("Rotation \"%0:s\" used in Schedule \"%1:s\" is not found."), entry.Text,
                       schedule->Name);
            return outcome;
        }
        if (n > 0 && context.ClockResets(hour)) {
            state.RunningTime = static_cast<float>(index);
        }
        capture.StartHour(hour, index);
        report.ProcessEvents();
        if (report.Stopped() ||
            !assembler.AssembleHour(index, hour.Hour, start, *rotation, *schedule)) {
            outcome.Problem = tr("Making the hours again was cancelled; the log is as it was.");
            return outcome;
        }
        report.SetBar(n + 1, hours);
    }

    std::vector<LogPlay> after;
    for (const PlaylistDocument::HourItem& item : made) {
        if (item.Item.Type == kItemTrack) {
            const double time = ReadDataFloat(item.TimeText, fs).value_or(0.0);
            after.push_back(
                {context.Settings().Start + time / 24.0, item.Item.Path, item.Item.GroupName});
        }
    }
    outcome.TracksAfter = static_cast<long>(after.size());
    outcome.Conflicts = context.LaterBreaks(before, after);
    for (const RelaxedRule& r : state.Relaxed) {
        outcome.Relaxed.push_back(Format(
            tr("%0:s  %1:s (%2:s): breaks \"%3:s\""), FormatDateTime("ddd hh:nn", r.Slot, fs),
            ExtractFileName(r.Track), r.Category, RuleWords(r.Rule, fs)));
    }
    outcome.NewIds = document.ReplaceHours(from, to, made);
    outcome.Done = true;
    // The groups' play orders moved on as a run's do; they are saved with the library.
    station.Changed.Categories = true;
    station.Changed.Spots = true;
    station.Changed.FileLists = true;
    return outcome;
}

}  // namespace spindle
