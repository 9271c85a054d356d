#include "support/rule_checker.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <set>

#include "base/csv_reader.h"
#include "base/format_datetime.h"
#include "base/text_case.h"
#include "base/text_file.h"
#include "fileinfo/name_conventions.h"
#include "generator/log_sink.h"
#include "rules/track_facts.h"
#include "stationdb/station_db.h"

// Each rule is read here from its documented meaning, apart from the scheduler's classes,
// so that the two disagree when either is wrong.

namespace spindle::test {
namespace {

constexpr double kSlotSlackDays = 2.0 / kSecondsPerDay;
constexpr std::int64_t kSecondsInDay = 86400;

// The plays up to the one being checked, as a rule looks back at them. Distances are
// taken in whole seconds, the log's own resolution, so a play exactly an interval earlier
// is exactly that far, whatever the floating point made of the sums of lengths; it is
// outside the interval, as it is for the repeat intervals.
struct Replay {
    const std::vector<LoggedPlay>& Plays;
    const RuleCheckInputs& Inputs;
    std::vector<std::int64_t> Seconds;  // of each play, from the calendar's day 0
    std::size_t Now = 0;

    const LoggedPlay& Play(std::size_t k) const { return Plays[k]; }
    const CheckedTrack& Track(std::size_t k) const {
        static const CheckedTrack unknown;
        const auto found = Inputs.Tracks.find(Plays[k].Path);
        return found == Inputs.Tracks.end() ? unknown : found->second;
    }
    std::int64_t Day(std::size_t k) const { return Seconds[k] / kSecondsInDay; }
    std::int64_t SecondOfDay(std::size_t k) const { return Seconds[k] % kSecondsInDay; }
    bool Within(std::size_t k, int minutes) const {
        return Seconds[Now] - Seconds[k] < std::int64_t{minutes} * 60;
    }
};

bool Has(const CheckedTrack& track, const AttributeMatch& match) {
    const auto found = track.Attributes.find(match.Attribute);
    return found != track.Attributes.end() && found->second == match.Value;
}

// Whether an earlier play within the rule's minutes satisfies `same`.
template <typename Same>
bool AnyWithinMinutes(const Replay& r, int minutes, Same&& same) {
    for (std::size_t k = r.Now; k-- > 0 && r.Within(k, minutes);) {
        if (same(k)) {
            return true;
        }
    }
    return false;
}

// Another track of the album or title; the track's own replay is the song interval's.
bool SameAlbumOrTitle(const Replay& r, const RuleDef& rule) {
    const auto key = [&](std::size_t k) {
        return rule.Kind == RuleKind::Album ? r.Track(k).Album : r.Track(k).Title;
    };
    const std::string own = key(r.Now);
    return !own.empty() && AnyWithinMinutes(r, rule.Minutes, [&](std::size_t k) {
        return key(k) == own && r.Play(k).Path != r.Play(r.Now).Path;
    });
}

// Whether the first or the last word (a run of letters and digits) of a title's tail names
// a version.
bool VersionAtEdge(const std::string& tail) {
    static const std::set<std::string> kVersion{
        "live",      "remaster",     "remastered", "remix",     "edit",      "version", "feat",
        "featuring", "ft",           "acoustic",   "unplugged", "demo",      "mono",    "stereo",
        "extended",  "instrumental", "radio",      "explicit",  "orchestral"};
    std::vector<std::string> words(1);
    for (const char c : tail) {
        if (std::isalnum(static_cast<unsigned char>(c)) != 0) {
            words.back() += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        } else if (!words.back().empty()) {
            words.emplace_back();
        }
    }
    if (words.back().empty()) {
        words.pop_back();
    }
    return !words.empty() &&
           (kVersion.count(words.front()) > 0 || kVersion.count(words.back()) > 0);
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string()
                                      : text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A title less the bracketed or dashed tails that begin or end with a word naming a
// version ("(Live)", "- Remastered 2011", "[Radio Edit]", "(feat. X)"), case-folded.
std::string BareTitle(const std::string& title) {
    std::string bare = Trim(title);
    for (;;) {
        std::size_t cut = std::string::npos;
        std::string tail;
        if (!bare.empty() && (bare.back() == ')' || bare.back() == ']')) {
            cut = bare.rfind(bare.back() == ')' ? '(' : '[');
            tail = cut == std::string::npos ? "" : bare.substr(cut + 1, bare.size() - cut - 2);
        } else {
            // A hyphen, an en dash or an em dash, with a blank either side.
            for (const std::string mark : {" - ", " \u2013 ", " \u2014 "}) {
                const std::size_t at = bare.rfind(mark);
                if (at != std::string::npos && (cut == std::string::npos || at > cut)) {
                    cut = at;
                    tail = bare.substr(at + mark.size());
                }
            }
        }
        if (cut == std::string::npos || cut == 0 || !VersionAtEdge(tail) ||
            Trim(bare.substr(0, cut)).empty()) {
            break;
        }
        bare = Trim(bare.substr(0, cut));
    }
    return FoldCase(bare);
}

bool Separated(const Replay& r, const RuleDef& rule) {
    if (!Has(r.Track(r.Now), rule.Match)) {
        return true;
    }
    const auto matches = [&](std::size_t k) { return Has(r.Track(k), rule.Match); };
    if (rule.Count == 0) {
        return !AnyWithinMinutes(r, rule.Minutes, matches);
    }
    for (std::size_t back = 1; back <= static_cast<std::size_t>(rule.Count) && back <= r.Now;
         ++back) {
        if (matches(r.Now - back)) {
            return false;
        }
    }
    return true;
}

bool RunTooLong(const Replay& r, const RuleDef& rule) {
    const auto count = static_cast<std::size_t>(rule.Count);
    if (!Has(r.Track(r.Now), rule.Match) || r.Now < count) {
        return false;
    }
    for (std::size_t k = r.Now - count; k < r.Now; ++k) {
        if (!Has(r.Track(k), rule.Match)) {
            return false;
        }
    }
    return true;
}

bool InsideWindow(const TimeWindow& w, TDateTime at) {
    const DayAndTime split = SplitDateTime(at);
    const auto minute = static_cast<int>(split.MSec / 60000);
    // After midnight, a window of hours that crosses it is still the night of the day before.
    const bool night = w.FromMinute > w.ToMinute && minute < w.ToMinute;
    const auto day = static_cast<TDateTime>(split.Day - (night ? 1 : 0));
    const CalendarDate date = DecodeDate(day);
    const int monthDay = date.Month * 100 + date.Day;
    const bool onDate = w.FromDate == 0 ||
                        (w.FromDate <= w.ToDate ? monthDay >= w.FromDate && monthDay <= w.ToDate
                                                : monthDay >= w.FromDate || monthDay <= w.ToDate);
    const int sundayFirst = (DayOfWeekMondayFirst(day) + 1) % 7;
    const bool onWeekday = ((w.Weekdays >> sundayFirst) & 1) != 0;
    const bool inHours =
        w.FromMinute == w.ToMinute ||
        (w.FromMinute < w.ToMinute ? minute >= w.FromMinute && minute < w.ToMinute
                                   : minute >= w.FromMinute || minute < w.ToMinute);
    return onDate && onWeekday && inHours;
}

bool OutsideWindow(const Replay& r, const RuleDef& rule) {
    const LoggedPlay& play = r.Play(r.Now);
    const bool applies =
        rule.Track.empty() ? Has(r.Track(r.Now), rule.Match) : play.Path == rule.Track;
    return applies && !InsideWindow(rule.Allowed, play.At);
}

// The same track on one of the previous days, at a time of day too near this one's.
bool SameHourBefore(const Replay& r, const RuleDef& rule) {
    for (std::size_t k = r.Now; k-- > 0 && r.Day(k) >= r.Day(r.Now) - rule.Days;) {
        if (r.Day(k) == r.Day(r.Now) || r.Play(k).Path != r.Play(r.Now).Path) {
            continue;
        }
        const std::int64_t apart = std::llabs(r.SecondOfDay(k) - r.SecondOfDay(r.Now));
        if (std::min(apart, kSecondsInDay - apart) < std::int64_t{rule.Minutes} * 60) {
            return true;
        }
    }
    return false;
}

bool SharesArtist(const CheckedTrack& a, const CheckedTrack& b) {
    return std::any_of(a.Artists.begin(), a.Artists.end(), [&](const std::string& key) {
        return std::find(b.Artists.begin(), b.Artists.end(), key) != b.Artists.end();
    });
}

// Counts the earlier plays of the same track, artist or album in the slot's calendar day,
// or in the rule's minutes up to the slot; the slot's own play makes one more.
bool OverCap(const Replay& r, const RuleDef& rule) {
    const CheckedTrack& own = r.Track(r.Now);
    const auto counts = [&](std::size_t k) {
        return rule.Of == CapOf::Track    ? r.Play(k).Path == r.Play(r.Now).Path
               : rule.Of == CapOf::Artist ? SharesArtist(own, r.Track(k))
                                          : !own.Album.empty() && own.Album == r.Track(k).Album;
    };
    int count = 0;
    for (std::size_t k = r.Now;
         k-- > 0 && (rule.PerDay ? r.Day(k) == r.Day(r.Now) : r.Within(k, rule.Minutes));) {
        count += counts(k) ? 1 : 0;
    }
    return count >= rule.Count;
}

bool Breaks(const Replay& r, const RuleDef& rule) {
    switch (rule.Kind) {
        case RuleKind::Album:
        case RuleKind::Title:
            return SameAlbumOrTitle(r, rule);
        case RuleKind::Separation:
            return !Separated(r, rule);
        case RuleKind::Run:
            return RunTooLong(r, rule);
        case RuleKind::Transition:
            return r.Now > 0 && Has(r.Track(r.Now - 1), rule.Match) &&
                   Has(r.Track(r.Now), rule.Next);
        case RuleKind::Window:
            return OutsideWindow(r, rule);
        case RuleKind::HourRotation:
            return SameHourBefore(r, rule);
        case RuleKind::Cap:
            return OverCap(r, rule);
        case RuleKind::Song:
        case RuleKind::Artist:
        case RuleKind::Quota:
            break;  // the repeat intervals have their own tests; quotas are weighed by hour
    }
    return false;
}

void ReadRules(const Station& station, StationDb& db, RuleCheckInputs& inputs) {
    DbRead<RuleTexts> texts = db.Rules();
    if (!texts) {
        inputs.Problems.push_back(texts.Problem);
    }
    const auto listOf = [&](const std::string& scope) {
        std::vector<RuleDef> rules;
        for (const std::string& text : texts.Value[scope]) {
            const ParsedRule parsed = ParseRule(text);
            if (parsed.Rule) {
                rules.push_back(*parsed.Rule);
            } else {
                inputs.Problems.push_back(text + ": " + parsed.Problem);
            }
        }
        return rules;
    };
    const std::vector<RuleDef> stationRules = listOf("");
    for (const auto& category : station.Categories) {
        std::vector<RuleDef> rules = EffectiveRules(listOf(category->Name), stationRules);
        std::erase_if(rules, [](const RuleDef& rule) {
            return rule.Kind == RuleKind::Song || rule.Kind == RuleKind::Artist;
        });
        inputs.Rules[category->Name] = std::move(rules);
    }
}

// "2026-12-07 13:05:09" as the report writes a slot; 0 when it is not one.
TDateTime ParseSlot(const std::string& text) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    TDateTime date = 0.0;
    if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d", &year, &month, &day, &hour, &minute,
                    &second) != 6 ||
        !TryEncodeDate(year, month, day, date)) {
        return 0.0;
    }
    return date + EncodeTime(hour, minute, second);
}

}  // namespace

RuleCheckInputs LoadRuleCheckInputs(const Station& station) {
    RuleCheckInputs inputs;
    StationDb db(station.DataFolder(), StationDb::Mode::IfExists);
    if (!db.IsOpen()) {
        if (!db.Problem().empty()) {
            inputs.Problems.push_back(db.Problem());
        }
        return inputs;
    }
    ReadRules(station, db, inputs);
    DbRead<TrackFactsByPath> facts = LoadTrackFacts(db);
    if (!facts) {
        inputs.Problems.push_back(facts.Problem);
    }
    const NameRules names = station.Names();
    for (const auto& category : station.Categories) {
        for (const FileRec& file : category->Files) {
            CheckedTrack track;
            const std::string name = file.FileName.substr(file.FileName.rfind('/') + 1);
            const ArtistTitle named = SplitArtistTitle(name, names);
            if (const auto found = facts.Value.find(file.FileName); found != facts.Value.end()) {
                const TrackFacts& known = found->second;
                // An album is whose album it is: the album artist, else the artist.
                const std::string& whose = !known.AlbumArtist.empty() ? known.AlbumArtist
                                           : !known.Artist.empty()    ? known.Artist
                                                                      : named.Artist;
                track.Album = Trim(known.Album).empty()
                                  ? ""
                                  : FoldCase(Trim(known.Album) + "|" + Trim(whose));
                track.Title = BareTitle(known.Title);
                track.Attributes = known.Attributes;
            }
            if (track.Title.empty()) {
                track.Title = BareTitle(named.Title);
            }
            track.Artists =
                ArtistKeysOfFile(file.FileName, names, station.Related, station.Artists);
            inputs.Tracks.emplace(file.FileName, std::move(track));
        }
    }
    return inputs;
}

std::vector<LoggedPlay> LoggedPlays(const LogContents& log, const Station& station) {
    std::vector<LoggedPlay> plays;
    ClockOfItems clock;
    TDateTime hour = 0.0;
    for (const LogLine& line : log.Lines) {
        if (line.LineKind == LogLine::Kind::Hour) {
            clock.StartHour(line.HourStart);
            hour = line.HourStart;
            continue;
        }
        const TDateTime slot = clock.Of(line.Time);
        const TCategoryDetails* category =
            line.Type == kItemTrack ? station.FindCategory(line.Owner) : nullptr;
        if (category != nullptr) {
            TDateTime at = log.Start + line.Time / 24.0;
            at = plays.empty() ? at : std::max(at, plays.back().At);
            plays.push_back({at, slot, line.Text, category->Name, !category->IsBlock(), hour});
        }
    }
    return plays;
}

std::vector<RuleBreak> CheckRules(const std::vector<LoggedPlay>& plays,
                                  const RuleCheckInputs& inputs) {
    std::vector<RuleBreak> breaks;
    Replay replay{plays, inputs, {}};
    for (const LoggedPlay& play : plays) {
        replay.Seconds.push_back(std::llround(play.At * kSecondsPerDay));
    }
    for (replay.Now = 0; replay.Now < plays.size(); ++replay.Now) {
        const LoggedPlay& play = plays[replay.Now];
        const auto rules = inputs.Rules.find(play.Category);
        if (!play.Selected || rules == inputs.Rules.end()) {
            continue;
        }
        for (const RuleDef& rule : rules->second) {
            if (Breaks(replay, rule)) {
                breaks.push_back({play.Slot, play.Category, RuleText(rule), play.Path});
            }
        }
    }
    return breaks;
}

std::vector<HourBreak> QuotasBroken(const std::vector<LoggedPlay>& plays,
                                    const RuleCheckInputs& inputs) {
    std::set<HourBreak> broken;
    for (std::size_t first = 0; first < plays.size();) {
        std::size_t end = first;
        while (end < plays.size() && plays[end].Hour == plays[first].Hour) {
            ++end;
        }
        const auto songs = static_cast<long>(end - first);
        for (std::size_t k = first; k < end; ++k) {
            const auto rules = inputs.Rules.find(plays[k].Category);
            if (!plays[k].Selected || rules == inputs.Rules.end()) {
                continue;
            }
            for (const RuleDef& rule : rules->second) {
                if (rule.Kind != RuleKind::Quota) {
                    continue;
                }
                long with = 0;
                for (std::size_t j = first; j < end; ++j) {
                    const auto track = inputs.Tracks.find(plays[j].Path);
                    with += track != inputs.Tracks.end() && Has(track->second, rule.Match) ? 1 : 0;
                }
                // "at least 30%" of 11 songs is 4 of them (3.3 rounded up); "at most 30%" is 3.
                const long share = rule.Count * songs;
                const long bound = !rule.Percent ? rule.Count
                                   : rule.AtMost ? share / 100
                                                 : share / 100 + (share % 100 != 0 ? 1 : 0);
                const bool keeps = rule.AtMost ? with <= bound : with >= std::min(bound, songs);
                if (!keeps) {
                    broken.insert({std::llround(plays[first].Hour * 1440), RuleText(rule)});
                }
            }
        }
        first = end;
    }
    return {broken.begin(), broken.end()};
}

std::vector<HourBreak> ReportedHourBreaks(const std::vector<std::string>& lines) {
    std::set<HourBreak> reported;
    static const std::string kHour = "The hour from ";
    static const std::string kRule = " does not keep the rule \"";
    for (const std::string& line : lines) {
        // "... the rule "<sentence>" (<line>): <why>."
        const std::size_t rule = line.find(kRule);
        const std::size_t open = line.find("\" (", rule);
        const std::size_t end = line.rfind("): ");
        if (line.rfind(kHour, 0) != 0 || rule == std::string::npos || open == std::string::npos ||
            end == std::string::npos || end < open) {
            continue;
        }
        const TDateTime hour = ParseSlot(line.substr(kHour.size(), rule - kHour.size()) + ":00");
        reported.insert({std::llround(hour * 1440), line.substr(open + 3, end - open - 3)});
    }
    return {reported.begin(), reported.end()};
}

std::vector<RuleBreak> ReadRelaxedReport(const std::string& path, std::string& problem) {
    const std::optional<std::string> text = ReadTextFile(path);
    if (!text) {
        problem = "cannot read " + path;
        return {};
    }
    std::vector<RuleBreak> rows;
    const std::vector<CsvRecord> records = ReadCsv(*text);
    for (std::size_t k = 1; k < records.size(); ++k) {
        const CsvRecord& record = records[k];
        const TDateTime slot = record.Fields.empty() ? 0.0 : ParseSlot(record.Fields[0]);
        if (!record.Problem.empty() || record.Fields.size() < 4 || slot == 0.0) {
            problem = path + ": line " + std::to_string(record.Line) + " is not a report row";
            return {};
        }
        rows.push_back({slot, record.Fields[1], record.Fields[2], record.Fields[3]});
    }
    return rows;
}

std::vector<RuleBreak> Unmatched(const std::vector<RuleBreak>& of,
                                 const std::vector<RuleBreak>& in) {
    std::vector<RuleBreak> missing;
    for (const RuleBreak& b : of) {
        const bool found = std::any_of(in.begin(), in.end(), [&](const RuleBreak& c) {
            return c.Category == b.Category && c.Rule == b.Rule && c.Track == b.Track &&
                   std::fabs(c.Slot - b.Slot) <= kSlotSlackDays;
        });
        if (!found) {
            missing.push_back(b);
        }
    }
    return missing;
}

std::vector<double> PlayedHourLengths(const LogContents& log, bool crossfadeFromName) {
    std::vector<double> lengths;
    for (const LogLine& line : log.Lines) {
        if (line.LineKind == LogLine::Kind::Hour) {
            lengths.push_back(0.0);
        } else if (!lengths.empty() && line.Type != kItemHourMarker &&
                   line.Type != kItemContinuation) {
            lengths.back() +=
                line.Duration -
                ItemCrossfade(line.Text, line.Duration, 0.9, crossfadeFromName).Seconds;
        }
    }
    return lengths;
}

std::string Describe(const HourBreak& b) {
    return FormatDateTime("yyyy-mm-dd hh:nn", static_cast<double>(b.Hour) / 1440,
                          FormatSettings::English()) +
           ": " + b.Rule;
}

std::string Describe(const RuleBreak& b) {
    return FormatDateTime("yyyy-mm-dd hh:nn:ss", b.Slot, FormatSettings::English()) + " " +
           b.Category + ": " + b.Rule + ": " + b.Track;
}

}  // namespace spindle::test
