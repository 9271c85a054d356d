#include "rules/rule_def.h"

#include <algorithm>
#include <array>
#include <map>

#include "base/format.h"
#include "base/translate.h"
#include "rules/rule_words.h"

// One rule is one line of English keywords, whatever the operator's language: the rules
// file is shared between stations and kept under version control.

namespace spindle {
namespace {

using rule_words::LineError;
using rule_words::Reader;
using rule_words::Token;

constexpr std::array<const char*, 7> kDayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                               "Thursday", "Friday", "Saturday"};
constexpr std::array<int, 12> kMonthDays{31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// "90 minutes", "3 hours": in minutes.
int Minutes(int number, const std::string& unit) {
    return unit == "hour" || unit == "hours" ? number * 60 : number;
}

int Duration(Reader& reader) {
    const int number = reader.Number();
    return Minutes(number, reader.OneOf(tr("\"minutes\" or \"hours\""),
                                        {"minute", "minutes", "hour", "hours"}));
}

AttributeMatch Match(Reader& reader) {
    const std::string expected = tr("ATTRIBUTE=VALUE");
    AttributeMatch match;
    match.Attribute = reader.Word(expected);
    reader.Expect(Token::Equals, expected);
    match.Value = reader.Word(expected);
    if (match.Attribute.empty() || match.Value.empty()) {
        throw LineError{tr("an attribute's name and value cannot be empty")};
    }
    return match;
}

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

void ReadNothing(Reader&, RuleDef&) {}

void ReadMinutes(Reader& reader, RuleDef& rule) {
    rule.Minutes = Duration(reader);
}

void ReadSeparation(Reader& reader, RuleDef& rule) {
    rule.Match = Match(reader);
    const int number = reader.Number();
    const std::string unit = reader.OneOf(tr("\"items\", \"minutes\" or \"hours\""),
                                          {"item", "items", "minute", "minutes", "hour", "hours"});
    if (unit == "item" || unit == "items") {
        rule.Count = number;
    } else {
        rule.Minutes = Minutes(number, unit);
    }
}

void ReadRun(Reader& reader, RuleDef& rule) {
    rule.Match = Match(reader);
    rule.Count = reader.Number();
}

void ReadTransition(Reader& reader, RuleDef& rule) {
    rule.Match = Match(reader);
    reader.Expect(Token::Arrow, "\"->\"");
    rule.Next = Match(reader);
}

// "window track PATH ..." or "window ATTRIBUTE=VALUE ..."; an attribute named "track" is
// told apart by its "=".
void ReadWindow(Reader& reader, RuleDef& rule) {
    const Token* second = reader.Peek(1);
    if ((second == nullptr || second->Kind != Token::Equals) && reader.TakeKeyword("track")) {
        rule.Track = reader.Word(tr("the track's path"));
        if (rule.Track.empty()) {
            throw LineError{tr("the track's path cannot be empty")};
        }
    } else {
        rule.Match = Match(reader);
    }
    rule.Allowed = WindowParts(reader);
}

void ReadHourRotation(Reader& reader, RuleDef& rule) {
    rule.Minutes = Duration(reader);
    if (rule.Minutes >= kHourRotationLimit) {
        throw LineError{
            tr("an hour rotation must be under 12 hours: 12 hours either side is "
               "every time of day")};
    }
    rule.Days = reader.Number();
    reader.OneOf("\"days\"", {"day", "days"});
}

void ReadCap(Reader& reader, RuleDef& rule) {
    const std::string of =
        reader.OneOf(tr("\"track\", \"artist\" or \"album\""), {"track", "artist", "album"});
    rule.Of = of == "track" ? CapOf::Track : of == "artist" ? CapOf::Artist : CapOf::Album;
    rule.Count = reader.Number();
    reader.OneOf("\"per\"", {"per"});
    rule.PerDay = reader.TakeKeyword("day");
    if (!rule.PerDay) {
        rule.Minutes = Duration(reader);
    }
}

// How far back a rule may reach: each run reads every airing within it, and beyond these a
// rule says nothing a station can hear (a week of albums, a day of separation).
constexpr int kLongestSpan = 7 * 24 * 60;
constexpr int kLongestSeparation = 24 * 60;
constexpr int kMostItems = 100;
constexpr int kMostDays = 31;

void ReachWithinLimits(const RuleDef& rule) {
    const bool byItems =
        rule.Kind == RuleKind::Run || (rule.Kind == RuleKind::Separation && rule.Count > 0);
    const int most = byItems                               ? kMostItems
                     : rule.Kind == RuleKind::Separation   ? kLongestSeparation
                     : rule.Kind == RuleKind::HourRotation ? kMostDays
                                                           : kLongestSpan;
    const int reach = byItems                               ? rule.Count
                      : rule.Kind == RuleKind::HourRotation ? rule.Days
                                                            : rule.Minutes;
    if (reach <= most) {
        return;
    }
    const auto limit = static_cast<long long>(most);
    const std::string words = byItems ? Format(tr("%0:d items"), limit)
                              : rule.Kind == RuleKind::HourRotation
                                  ? Format(tr("%0:d days"), limit)
                                  : Format(tr("%0:d hours"), limit / 60);
    throw LineError{Format(tr("this rule reaches back at most %0:s (every run reads what played "
                              "within it)"),
                           words)};
}

struct KindSyntax {
    RuleKind Kind;
    void (*Read)(Reader&, RuleDef&);
};

const std::map<std::string, KindSyntax>& Kinds() {
    static const std::map<std::string, KindSyntax> kinds{
        {"song", {RuleKind::Song, ReadNothing}},
        {"artist", {RuleKind::Artist, ReadNothing}},
        {"album", {RuleKind::Album, ReadMinutes}},
        {"title", {RuleKind::Title, ReadMinutes}},
        {"separate", {RuleKind::Separation, ReadSeparation}},
        {"run", {RuleKind::Run, ReadRun}},
        {"transition", {RuleKind::Transition, ReadTransition}},
        {"window", {RuleKind::Window, ReadWindow}},
        {"hour-rotation", {RuleKind::HourRotation, ReadHourRotation}},
        {"cap", {RuleKind::Cap, ReadCap}},
    };
    return kinds;
}

std::string MatchText(const AttributeMatch& match) {
    return rule_words::Quoted(match.Attribute) + "=" + rule_words::Quoted(match.Value);
}

std::string Amount(int number, const char* one, const char* many) {
    return std::to_string(number) + " " + (number == 1 ? one : many);
}

std::string DurationText(int minutes) {
    return minutes % 60 == 0 ? Amount(minutes / 60, "hour", "hours")
                             : Amount(minutes, "minute", "minutes");
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

}  // namespace

std::string WeekdayList(std::uint8_t days, const std::function<std::string(int)>& name,
                        std::string_view separator, std::string_view through) {
    static constexpr std::array<int, 7> kMondayFirst{1, 2, 3, 4, 5, 6, 0};
    const auto on = [&](std::size_t at) { return (days & (1u << kMondayFirst[at])) != 0; };
    std::string text;
    for (std::size_t i = 0; i < kMondayFirst.size(); ++i) {
        if (!on(i)) {
            continue;
        }
        std::size_t end = i;
        while (end + 1 < kMondayFirst.size() && on(end + 1)) {
            ++end;
        }
        text += (text.empty() ? std::string() : std::string(separator)) + name(kMondayFirst[i]);
        if (end > i) {
            text += std::string(end - i >= 2 ? through : separator) + name(kMondayFirst[end]);
        }
        i = end;
    }
    return text;
}

std::string RuleText(const RuleDef& rule) {
    switch (rule.Kind) {
        case RuleKind::Song:
            return "song";
        case RuleKind::Artist:
            return "artist";
        case RuleKind::Album:
            return "album " + DurationText(rule.Minutes);
        case RuleKind::Title:
            return "title " + DurationText(rule.Minutes);
        case RuleKind::Separation:
            return "separate " + MatchText(rule.Match) + " " +
                   (rule.Count > 0 ? Amount(rule.Count, "item", "items")
                                   : DurationText(rule.Minutes));
        case RuleKind::Run:
            return "run " + MatchText(rule.Match) + " " + std::to_string(rule.Count);
        case RuleKind::Transition:
            return "transition " + MatchText(rule.Match) + " -> " + MatchText(rule.Next);
        case RuleKind::Window:
            return "window " +
                   (rule.Track.empty() ? MatchText(rule.Match)
                                       : "track " + rule_words::Quoted(rule.Track, true)) +
                   WindowText(rule.Allowed);
        case RuleKind::HourRotation:
            return "hour-rotation " + DurationText(rule.Minutes) + " " +
                   Amount(rule.Days, "day", "days");
        case RuleKind::Cap: {
            static constexpr std::array<const char*, 3> kOf{"track", "artist", "album"};
            return std::string("cap ") + kOf[static_cast<int>(rule.Of)] + " " +
                   std::to_string(rule.Count) + " per " +
                   (rule.PerDay ? "day" : DurationText(rule.Minutes));
        }
    }
    return {};
}

ParsedRule ParseRule(std::string_view text) {
    try {
        Reader reader(rule_words::Lex(text));
        if (reader.AtEnd()) {
            return {std::nullopt, tr("the rule is empty")};
        }
        const std::string keyword = reader.Keyword(tr("a rule"));
        const auto kind = Kinds().find(keyword);
        if (kind == Kinds().end()) {
            return {std::nullopt, Format(tr("unknown rule \"%0:s\""), keyword)};
        }
        RuleDef rule;
        rule.Kind = kind->second.Kind;
        kind->second.Read(reader, rule);
        reader.End();
        ReachWithinLimits(rule);
        return {rule, {}};
    } catch (const LineError& error) {
        return {std::nullopt, error.Problem};
    }
}

std::vector<RuleDef> EffectiveRules(const std::vector<RuleDef>& own,
                                    const std::vector<RuleDef>& station) {
    std::vector<RuleDef> rules = own.empty() ? station : own;
    for (const RuleKind kind : {RuleKind::Artist, RuleKind::Song}) {
        if (std::none_of(rules.begin(), rules.end(),
                         [&](const RuleDef& rule) { return rule.Kind == kind; })) {
            rules.emplace_back().Kind = kind;
        }
    }
    return rules;
}

std::vector<RuleDef> WebcastingCaps() {
    std::vector<RuleDef> caps(2);
    for (RuleDef& cap : caps) {
        cap.Kind = RuleKind::Cap;
        cap.Minutes = 3 * 60;
    }
    caps[0].Of = CapOf::Artist;
    caps[0].Count = 4;
    caps[1].Of = CapOf::Album;
    caps[1].Count = 3;
    return caps;
}

bool Removable(const RuleDef& rule) {
    return rule.Kind != RuleKind::Song && rule.Kind != RuleKind::Artist;
}

bool BeyondIntervals(const std::vector<RuleDef>& rules) {
    return std::any_of(rules.begin(), rules.end(), Removable);
}

bool UsesMatch(const RuleDef& rule) {
    return rule.Kind == RuleKind::Separation || rule.Kind == RuleKind::Run ||
           rule.Kind == RuleKind::Transition ||
           (rule.Kind == RuleKind::Window && rule.Track.empty());
}

}  // namespace spindle
