#include "rules/rule_sentence.h"

#include <array>

#include "base/datetime.h"
#include "base/format.h"
#include "base/format_datetime.h"
#include "base/paths.h"
#include "base/translate.h"

// Counts pick their singular or plural text here, as the catalogue has no plural forms.

namespace spindle {
namespace {

std::string Counted(int number, const char* one, const char* many) {
    return Format(tr(number == 1 ? one : many), number);
}

std::string Duration(int minutes) {
    if (minutes > 0 && minutes % 60 == 0) {
        return Counted(minutes / 60, N_("%0:d hour"), N_("%0:d hours"));
    }
    return Counted(minutes, N_("%0:d minute"), N_("%0:d minutes"));
}

std::string MatchWords(const AttributeMatch& match) {
    return match.Attribute + " " + match.Value;
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

std::string WindowSentence(const RuleDef& rule, const FormatSettings& settings) {
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
    const std::string subject =
        rule.Track.empty() ? MatchWords(rule.Match) : ExtractFileName(rule.Track);
    return Format(tr("%0:s only %1:s"), subject, parts);
}

std::string HourRotationSentence(const RuleDef& rule) {
    if (rule.Days == 1) {
        return Format(tr("Not within %0:s either side of the time of day it played the day before"),
                      Duration(rule.Minutes));
    }
    return Format(
        tr("Not within %0:s either side of the times of day it played on the previous %1:d days"),
        Duration(rule.Minutes), rule.Days);
}

std::string CapSentence(const RuleDef& rule) {
    const std::string span = rule.PerDay ? std::string(tr("per day"))
                                         : Format(tr("in any %0:s"), Duration(rule.Minutes));
    switch (rule.Of) {
        case CapOf::Track:
            return Format(tr("At most %0:s of one track %1:s"),
                          Counted(rule.Count, N_("%0:d play"), N_("%0:d plays")), span);
        case CapOf::Artist:
            return Format(tr("At most %0:s of one artist %1:s"),
                          Counted(rule.Count, N_("%0:d track"), N_("%0:d tracks")), span);
        case CapOf::Album:
            return Format(tr("At most %0:s of one album %1:s"),
                          Counted(rule.Count, N_("%0:d track"), N_("%0:d tracks")), span);
    }
    return {};
}

}  // namespace

std::string RuleSentence(const RuleDef& rule, const FormatSettings& settings) {
    switch (rule.Kind) {
        case RuleKind::Song:
            return tr("Song repeat interval (set on the Category page)");
        case RuleKind::Artist:
            return tr("Artist repeat interval (set on the Category page)");
        case RuleKind::Album:
            return Format(tr("No two tracks of one album within %0:s"), Duration(rule.Minutes));
        case RuleKind::Title:
            return Format(tr("No two tracks of the same title within %0:s"),
                          Duration(rule.Minutes));
        case RuleKind::Separation:
            return Format(tr("No two tracks with %0:s within %1:s"), MatchWords(rule.Match),
                          rule.Count > 0 ? Counted(rule.Count, N_("%0:d item"), N_("%0:d items"))
                                         : Duration(rule.Minutes));
        case RuleKind::Run:
            return Format(tr("At most %0:s with %1:s in a row"),
                          Counted(rule.Count, N_("%0:d track"), N_("%0:d tracks")),
                          MatchWords(rule.Match));
        case RuleKind::Transition:
            return Format(tr("Not %0:s right after %1:s"), MatchWords(rule.Next),
                          MatchWords(rule.Match));
        case RuleKind::Window:
            return WindowSentence(rule, settings);
        case RuleKind::HourRotation:
            return HourRotationSentence(rule);
        case RuleKind::Cap:
            return CapSentence(rule);
    }
    return {};
}

std::string RuleKindName(RuleKind kind) {
    static constexpr std::array<const char*, 10> kNames{
        N_("Song repeat interval"), N_("Artist repeat interval"),
        N_("Album separation"),     N_("Title separation"),
        N_("Attribute separation"), N_("Attribute run"),
        N_("Transition"),           N_("Time window"),
        N_("Hour rotation"),        N_("Play cap")};
    return tr(kNames[static_cast<std::size_t>(kind)]);
}

}  // namespace spindle
