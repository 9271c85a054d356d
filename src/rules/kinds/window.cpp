#include "rules/kinds/window.h"

#include <algorithm>
#include <array>
#include <vector>

#include "base/format.h"
#include "base/format_datetime.h"
#include "base/paths.h"
#include "base/translate.h"
#include "rules/kinds/kind_parts.h"

// A track with a value, or one track, plays only inside its window: days of the year,
// weekdays, hours of the day. Hours that run past midnight are a night, which belongs to the
// day it starts on.

namespace spindle::kinds {
namespace {

using rule_words::LineError;
using rule_words::Reader;
using rule_words::Token;

constexpr std::array<const char*, 7> kDayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                               "Thursday", "Friday", "Saturday"};
constexpr std::array<int, 12> kMonthDays{31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

int MonthDay(const std::string& text) {
    const std::size_t dash = text.find('-');
    const auto part = [&](std::size_t from, std::size_t length) {
        const std::string digits = text.substr(from, length);
        const bool ok =
            !digits.empty() && digits.size() <= 2 &&
            std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
        return ok ? std::stoi(digits) : -1;
    };
    const int month = dash == std::string::npos ? -1 : part(0, dash);
    const int day = dash == std::string::npos ? -1 : part(dash + 1, std::string::npos);
    if (month < 1 || month > 12 || day < 1 || day > kMonthDays[month - 1]) {
        throw LineError{Format(tr("\"%0:s\" is not a day of the year (MM-DD)"), text)};
    }
    return month * 100 + day;
}

void Dates(const std::string& text, TimeWindow& window) {
    const std::size_t dots = text.find("..");
    window.FromDate = MonthDay(text.substr(0, dots));
    window.ToDate = dots == std::string::npos ? window.FromDate : MonthDay(text.substr(dots + 2));
}

int DayIndex(const std::string& name) {
    const std::string lower = rule_words::AsciiLower(name);
    for (std::size_t i = 0; i < kDayNames.size(); ++i) {
        const std::string full = rule_words::AsciiLower(kDayNames[i]);
        if (lower == full || lower == full.substr(0, 3)) {
            return static_cast<int>(i);
        }
    }
    throw LineError{
        Format(tr("unknown weekday \"%0:s\" (Mon, Tue, Wed, Thu, Fri, Sat, Sun)"), name)};
}

// "Mon-Fri", "Sat,Sun", "Fri-Mon" (through the weekend).
std::uint8_t Weekdays(const std::string& text) {
    std::uint8_t days = 0;
    std::size_t from = 0;
    while (from <= text.size()) {
        const std::size_t comma = std::min(text.find(',', from), text.size());
        const std::string item = text.substr(from, comma - from);
        const std::size_t dash = item.find('-');
        const int first = DayIndex(item.substr(0, dash));
        const int last = dash == std::string::npos ? first : DayIndex(item.substr(dash + 1));
        for (int d = first;; d = (d + 1) % 7) {
            days |= static_cast<std::uint8_t>(1u << d);
            if (d == last) {
                break;
            }
        }
        from = comma + 1;
    }
    return days;
}

int TimeOfDay(const std::string& text) {
    const std::size_t colon = text.find(':');
    const bool shaped = colon != std::string::npos && colon >= 1 && colon <= 2 &&
                        text.size() == colon + 3 &&
                        std::all_of(text.begin(), text.end(),
                                    [](char c) { return (c >= '0' && c <= '9') || c == ':'; });
    const int hour = shaped ? std::stoi(text.substr(0, colon)) : -1;
    const int minute = shaped ? std::stoi(text.substr(colon + 1)) : -1;
    if (hour < 0 || minute < 0 || minute > 59 || hour * 60 + minute > 24 * 60) {
        throw LineError{Format(tr("\"%0:s\" is not a time of day (HH:MM, 00:00 to 24:00)"), text)};
    }
    return hour * 60 + minute;
}

void Hours(const std::string& text, TimeWindow& window) {
    const std::size_t dash = text.find('-');
    if (dash == std::string::npos) {
        throw LineError{Format(tr("\"%0:s\" is not a range of hours (HH:MM-HH:MM)"), text)};
    }
    window.FromMinute = TimeOfDay(text.substr(0, dash));
    window.ToMinute = TimeOfDay(text.substr(dash + 1));
    if (window.FromMinute == 24 * 60) {
        throw LineError{tr("the hours cannot start at 24:00")};
    }
    if (window.FromMinute == window.ToMinute) {
        throw LineError{Format(tr("the hours \"%0:s\" start and end at the same time"), text)};
    }
}

TimeWindow WindowParts(Reader& reader) {
    TimeWindow window;
    std::vector<std::string> seen;
    while (!reader.AtEnd()) {
        const std::string part =
            reader.OneOf(tr("\"dates\", \"days\" or \"hours\""), {"dates", "days", "hours"});
        if (std::find(seen.begin(), seen.end(), part) != seen.end()) {
            throw LineError{Format(tr("\"%0:s\" is given twice"), part)};
        }
        seen.push_back(part);
        const std::string value = reader.Word(Format(tr("a value after \"%0:s\""), part));
        if (part == "dates") {
            Dates(value, window);
        } else if (part == "days") {
            window.Weekdays = Weekdays(value);
        } else {
            Hours(value, window);
        }
    }
    if (window == TimeWindow{}) {
        throw LineError{
            tr("the window allows every day and hour: give the dates, days or hours "
               "it allows")};
    }
    return window;
}

// "window track PATH ..." or "window ATTRIBUTE=VALUE ..."; an attribute named "track" is
// told apart by its "=".
void Read(Reader& reader, RuleDef& rule) {
    const Token* second = reader.Peek(1);
    if ((second == nullptr || second->Kind != Token::Equals) && reader.TakeKeyword("track")) {
        rule.Track = reader.Word(tr("the track's path"));
        if (rule.Track.empty()) {
            throw LineError{tr("the track's path cannot be empty")};
        }
    } else {
        rule.Match = ReadMatch(reader);
    }
    rule.Allowed = WindowParts(reader);
}

std::string MonthDayText(int date) {
    return Format("%.2d-%.2d", date / 100, date % 100);
}

std::string WeekdaysText(std::uint8_t days) {
    return WeekdayList(
        days, [](int day) { return std::string(kDayNames[day], 3); }, ",", "-");
}

std::string TimeText(int minutes) {
    return Format("%.2d:%.2d", minutes / 60, minutes % 60);
}

std::string WindowText(const TimeWindow& window) {
    std::string text;
    if (window.FromDate != 0) {
        text += " dates " + MonthDayText(window.FromDate);
        if (window.ToDate != window.FromDate) {
            text += ".." + MonthDayText(window.ToDate);
        }
    }
    if (window.Weekdays != TimeWindow{}.Weekdays) {
        text += " days " + WeekdaysText(window.Weekdays);
    }
    if (window.FromMinute != window.ToMinute) {
        text += " hours " + TimeText(window.FromMinute) + "-" + TimeText(window.ToMinute);
    }
    return text;
}

std::string Write(const RuleDef& rule) {
    return (rule.Track.empty() ? MatchText(rule.Match)
                               : "track " + rule_words::Quoted(rule.Track, true)) +
           WindowText(rule.Allowed);
}

// "1 Dec": a day of the year in any year, so 29 February is taken from a leap year.
std::string DayOfYear(int date, const FormatSettings& settings) {
    // TRANSLATORS: a day of the year in a rule's dates, in FormatDateTime's letters
    // (d: the day, mmm: the month's short name).
    return FormatDateTime(tr("d mmm"), EncodeDate(2000, date / 100, date % 100), settings);
}

std::string Range(const std::string& from, const std::string& to) {
    return Format(tr("%0:s to %1:s"), from, to);
}

// Monday first: runs of three days or more as "Mon–Fri", the others one by one.
std::string Weekdays(std::uint8_t days, const FormatSettings& settings) {
    return WeekdayList(
        days, [&](int day) { return settings.ShortDayNames[day]; }, ", ", "\u2013");
}

std::string TimeOfDay(int minutes, const FormatSettings& settings) {
    return FormatDateTime("t", minutes / 1440.0, settings);
}

std::string Sentence(const RuleDef& rule, const FormatSettings& settings) {
    const TimeWindow& w = rule.Allowed;
    std::string parts;
    const auto add = [&](const std::string& part) { parts += (parts.empty() ? "" : ", ") + part; };
    if (w.FromDate != 0) {
        add(w.ToDate == w.FromDate
                ? DayOfYear(w.FromDate, settings)
                : Range(DayOfYear(w.FromDate, settings), DayOfYear(w.ToDate, settings)));
    }
    if (w.Weekdays != TimeWindow{}.Weekdays) {
        add(Weekdays(w.Weekdays, settings));
    }
    if (w.FromMinute != w.ToMinute) {
        add(Range(TimeOfDay(w.FromMinute, settings), TimeOfDay(w.ToMinute, settings)));
    }
    // What may play, and when: never to be read as "only these tracks then".
    return rule.Track.empty()
               ? Format(tr("Tracks with %0:s play only %1:s"), MatchWords(rule.Match), parts)
               : Format(tr("%0:s plays only %1:s"), ExtractFileName(rule.Track), parts);
}

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

namespace {

RuleVerdict Judge(const JudgedRule& rule, const RuleCandidate& candidate, TDateTime slot,
                  const PlayHistory&) {
    const bool applies = rule.Def.Track.empty() ? HasValue(candidate.Keys, rule.Match)
                                                : candidate.Path == rule.Def.Track;
    if (!applies || InsideWindow(rule.Def.Allowed, slot)) {
        return {};
    }
    // How far outside: from the nearer edge, the close before or the opening after (a whole
    // year when it never opens). A Christmas song just after Boxing Day is just outside.
    const double year = 366 * kMinutesPerDay;
    return {true, false, std::nullopt,
            std::min(MinutesUntilOpen(rule.Def.Allowed, slot).value_or(year),
                     MinutesSinceClosed(rule.Def.Allowed, slot).value_or(year))};
}

constexpr RuleForm Form() {
    RuleForm form;
    form.TrackOrMatch = form.Window = true;
    return form;
}

}  // namespace

constinit const KindDescriptor kWindow{
    RuleKind::Window, "window", N_("Time window"), Form(), Plain,     Read,   Write,
    Sentence,         NoLimit,  DayLookBack,       Judge,  InMinutes, nullptr};

}  // namespace spindle::kinds
