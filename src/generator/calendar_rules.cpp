#include "generator/calendar_rules.h"

#include <algorithm>
#include <cmath>

#include "base/translate.h"

namespace spindle {
namespace {

constexpr double kMinutesEpsilon = 1e-6;

int MinuteOfDay(TDateTime moment) {
    return static_cast<int>(SplitDateTime(moment).MSec / 60000);
}

bool DateAllowed(const TimeWindow& w, std::int64_t day) {
    if (w.FromDate == 0) {
        return true;
    }
    const CalendarDate d = DecodeDate(static_cast<TDateTime>(day));
    const int date = d.Month * 100 + d.Day;
    return w.FromDate <= w.ToDate ? date >= w.FromDate && date <= w.ToDate
                                  : date >= w.FromDate || date <= w.ToDate;
}

bool DayAllowed(const TimeWindow& w, std::int64_t day) {
    // Bit 0 is Sunday; the calendar's weeks start on Monday.
    const int weekday = (DayOfWeekMondayFirst(static_cast<TDateTime>(day)) + 1) % 7;
    return DateAllowed(w, day) && (w.Weekdays >> weekday & 1) != 0;
}

bool MinuteAllowed(const TimeWindow& w, int minute) {
    if (w.FromMinute == w.ToMinute) {
        return true;
    }
    return w.FromMinute < w.ToMinute ? minute >= w.FromMinute && minute < w.ToMinute
                                     : minute >= w.FromMinute || minute < w.ToMinute;
}

// The first minute of the day at or after `from` the window allows, or none.
std::optional<int> FirstMinute(const TimeWindow& w, int from) {
    if (MinuteAllowed(w, from)) {
        return from;
    }
    if (w.FromMinute > from) {
        return w.FromMinute;  // outside is before the start, or between the end and the start
    }
    return std::nullopt;
}

}  // namespace

bool InsideWindow(const TimeWindow& window, TDateTime moment) {
    const DayAndTime at = SplitDateTime(moment);
    const int minute = static_cast<int>(at.MSec / 60000);
    // Hours that run past midnight are a night, which belongs to the day it starts on: the
    // small hours are judged by the day before.
    const bool smallHours = window.FromMinute > window.ToMinute && minute < window.ToMinute;
    return MinuteAllowed(window, minute) && DayAllowed(window, at.Day - (smallHours ? 1 : 0));
}

std::optional<double> MinutesUntilOpen(const TimeWindow& window, TDateTime moment) {
    if (InsideWindow(window, moment)) {
        return 0.0;
    }
    const DayAndTime at = SplitDateTime(moment);
    const double minuteNow = static_cast<double>(at.MSec) / 60000.0;
    if (window.FromMinute > window.ToMinute) {
        // Outside, a night opens only at its start, on a day the window allows.
        for (std::int64_t d = 0; d <= 366; ++d) {
            const double opens = static_cast<double>(d) * kMinutesPerDay + window.FromMinute;
            if (opens > minuteNow && DayAllowed(window, at.Day + d)) {
                return opens - minuteNow;
            }
        }
        return std::nullopt;
    }
    for (std::int64_t d = 0; d <= 366; ++d) {
        if (!DayAllowed(window, at.Day + d)) {
            continue;
        }
        const auto first = FirstMinute(window, d == 0 ? MinuteOfDay(moment) : 0);
        if (first) {
            return std::max(0.0, static_cast<double>(d) * kMinutesPerDay + *first - minuteNow);
        }
    }
    return std::nullopt;
}

std::optional<double> MinutesSinceClosed(const TimeWindow& window, TDateTime moment) {
    if (InsideWindow(window, moment)) {
        return 0.0;
    }
    const DayAndTime at = SplitDateTime(moment);
    const double minuteNow = static_cast<double>(at.MSec) / 60000.0;
    // Where the hours a day opens end, from that day's midnight: a night ends the next day.
    const double end = window.FromMinute == window.ToMinute  ? kMinutesPerDay
                       : window.FromMinute > window.ToMinute ? kMinutesPerDay + window.ToMinute
                                                             : window.ToMinute;
    for (std::int64_t d = 0; d <= 367; ++d) {
        const double closed = end - static_cast<double>(d) * kMinutesPerDay;
        if (closed <= minuteNow && DayAllowed(window, at.Day - d)) {
            return minuteNow - closed;
        }
    }
    return std::nullopt;
}

RuleVerdict Window::Check(const Candidate& candidate, TDateTime slot) const {
    const bool applies = def_.Track.empty() ? HasValue(candidate.Facts, match_)
                                            : candidate.Entry.FileName == def_.Track;
    if (!applies || InsideWindow(def_.Allowed, slot)) {
        return {};
    }
    // How far outside: from the nearer edge, the close before or the opening after (a whole
    // year when it never opens). A Christmas song just after Boxing Day is just outside.
    const double year = 366 * kMinutesPerDay;
    return {true, false, std::nullopt,
            std::min(MinutesUntilOpen(def_.Allowed, slot).value_or(year),
                     MinutesSinceClosed(def_.Allowed, slot).value_or(year))};
}

RuleVerdict HourRotation::Check(const Candidate& candidate, TDateTime slot) const {
    if (candidate.Facts == nullptr) {
        return {};
    }
    const std::int64_t today = SplitDateTime(slot).Day;
    const double minute = static_cast<double>(SplitDateTime(slot).MSec) / 60000.0;
    RuleVerdict worst;
    // The plays on the days before today that the rule reaches, and none after.
    const std::vector<KeyPlay>& plays =
        history_.PlaysOf(PlayHistory::Key::Track, candidate.Facts->Track);
    const auto first =
        std::lower_bound(plays.begin(), plays.end(), static_cast<TDateTime>(today - def_.Days) - 1,
                         [](const KeyPlay& p, TDateTime t) { return p.At < t; });
    for (auto play = first; play != plays.end() && play->At < static_cast<TDateTime>(today) + 1;
         ++play) {
        const DayAndTime at = SplitDateTime(play->At);
        if (at.Day >= today || at.Day < today - def_.Days) {
            continue;
        }
        const double apart = std::fabs(static_cast<double>(at.MSec) / 60000.0 - minute);
        const double distance = std::min(apart, kMinutesPerDay - apart);  // across midnight
        const double inside = def_.Minutes - distance;
        if (inside > kMinutesEpsilon && inside > worst.Amount) {
            worst = {true, false, play->At, inside};
        }
    }
    return worst;
}

std::string Cap::Unit() const {
    return tr("plays");
}

RuleVerdict Cap::Check(const Candidate& candidate, TDateTime slot) const {
    if (candidate.Facts == nullptr) {
        return {};
    }
    // Plays from the start of the slot's day, or within the minutes before it; a play
    // exactly that far back has left the stretch.
    const TDateTime from = def_.PerDay ? static_cast<TDateTime>(SplitDateTime(slot).Day)
                                       : slot - (def_.Minutes - kMinutesEpsilon) / kMinutesPerDay;
    std::vector<std::size_t> counted;  // the places of the plays counted
    std::optional<TDateTime> latest;
    const auto count = [&](const std::vector<KeyPlay>& plays) {
        auto at = std::lower_bound(plays.begin(), plays.end(), from,
                                   [](const KeyPlay& p, TDateTime t) { return p.At < t; });
        for (; at != plays.end() && at->At <= slot; ++at) {
            counted.push_back(at->Seq);
            latest = std::max(latest.value_or(at->At), at->At);
        }
    };
    switch (def_.Of) {
        case CapOf::Track:
            count(history_.PlaysOf(PlayHistory::Key::Track, candidate.Facts->Track));
            break;
        case CapOf::Artist:
            for (const ArtistRec* artist : candidate.Artists) {
                count(history_.PlaysOf(artist));
            }
            // A play of two of the track's artists is one play.
            std::sort(counted.begin(), counted.end());
            counted.erase(std::unique(counted.begin(), counted.end()), counted.end());
            break;
        case CapOf::Album:
            count(history_.PlaysOf(PlayHistory::Key::Album, candidate.Facts->Album));
            break;
    }
    const auto plays = static_cast<int>(counted.size());
    if (plays < def_.Count) {
        return {};
    }
    return {true, false, latest, static_cast<double>(plays + 1 - def_.Count)};
}

}  // namespace spindle
