#include "history/use_reports.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <set>
#include <tuple>

#include "base/datetime.h"
#include "base/format.h"
#include "base/format_datetime.h"
#include "base/list_text.h"
#include "base/translate.h"

namespace spindle {
namespace {

constexpr struct {
    UseReport Report;
    const char* Name;
} kNames[] = {{UseReport::Webcasting, "webcasting"},
              {UseReport::WebcastingCensus, "webcasting-census"},
              {UseReport::Recordings, "recordings"},
              {UseReport::Missing, "missing"},
              {UseReport::Differences, "differences"}};

// The item type of tracks in a Playlist Log; the others are spots and voice items.
constexpr int kTrackType = 0;

std::string Day(std::int64_t at) {
    return FormatDateTime("yyyy-mm-dd", FromClockSeconds(at), FormatSettings::English());
}

std::string Time(std::int64_t at) {
    return FormatDateTime("hh:nn:ss", FromClockSeconds(at), FormatSettings::English());
}

std::string MinutesSeconds(std::int64_t seconds) {
    return Format("%0:d:%1:.2d", static_cast<long long>(seconds / 60),
                  static_cast<long long>(seconds % 60));
}

std::string Whole(double value) {
    return std::to_string(std::llround(value));
}

const std::vector<std::string> kWebcastingColumns = {"NAME_OF_SERVICE",
                                                     "TRANSMISSION_CATEGORY",
                                                     "FEATURED_ARTIST",
                                                     "SOUND_RECORDING_TITLE",
                                                     "ISRC",
                                                     "ALBUM_TITLE",
                                                     "MARKETING_LABEL",
                                                     "ACTUAL_TOTAL_PERFORMANCES",
                                                     "AGGREGATE_TUNING_HOURS",
                                                     "CHANNEL_OR_PROGRAM_NAME",
                                                     "PLAY_FREQUENCY"};

// A recording as a report names it: what it aired as, so a recording retagged within
// the range is reported under each of its names.
using ReportedAs = std::tuple<std::string, std::string, std::string, std::string, std::string>;

ReportedAs KeyOf(const HistoryAiring& a) {
    return {a.Facts.Artist, a.Facts.Title, a.Facts.Isrc, a.Facts.Album, a.Facts.Label};
}

struct Tally {
    const HistoryAiring* First = nullptr;
    const HistoryAiring* Last = nullptr;
    long long Plays = 0;
    double Performances = 0;
};

class ReportMaker {
public:
    ReportMaker(const std::vector<HistoryAiring>& airings, const UseReportRequest& request)
        : request_(request) {
        for (const HistoryAiring& a : airings) {
            if (a.State == AiringState::NotAired && request.Report != UseReport::Differences) {
                continue;
            }
            if (a.Type != kTrackType && !request.WithSpots) {
                continue;
            }
            airings_.push_back(&a);
        }
        double hours = 0;
        for (const auto& [hour, average] : request.Listeners) {
            if (hour >= request.From - 3599 && hour < request.To) {
                hours += average;
            }
        }
        tuningHours_ = request.Listeners.empty() ? "" : Whole(hours);
    }

    UseReportTable Make() {
        UseReportTable table;
        const AsRunCoverage& told = request_.AsRun;
        if (told.Days == 0) {
            table.Basis = tr("No airings are recorded for these days.");
        } else if (told.Told == told.Days) {
            table.Basis = tr("Counted from the as-run log: what aired.");
        } else if (told.Told == 0) {
            table.Basis = tr("Counted from the schedule: no as-run log was read for these days.");
        } else {
            table.Basis =
                Format(tr("Counted from the as-run log on %0:d of the %1:d days (what "
                          "aired), the other days from the schedule."),
                       static_cast<long long>(told.Told), static_cast<long long>(told.Days));
        }
        std::set<std::int64_t> unknown;
        for (const HistoryAiring* a : airings_) {
            if (!request_.Listeners.empty() && !Listening(*a)) {
                unknown.insert(a->At - a->At % 3600);
            }
        }
        if (!unknown.empty()) {
            table.Warnings.push_back(Format(tr("Listener figures are missing for %0:d hours with "
                                               "plays; their plays count no performances."),
                                            static_cast<long long>(unknown.size())));
        }
        switch (request_.Report) {
            case UseReport::Webcasting:
                Webcasting(table);
                break;
            case UseReport::WebcastingCensus:
                Census(table);
                break;
            case UseReport::Recordings:
                Recordings(table);
                break;
            case UseReport::Missing:
                Missing(table);
                break;
            case UseReport::Differences:
                Differences(table);
                break;
        }
        return table;
    }

private:
    // Listeners at the hour of an airing, when the station gave its figures.
    std::optional<double> Listening(const HistoryAiring& a) const {
        if (request_.Listeners.empty()) {
            return std::nullopt;
        }
        const auto found = request_.Listeners.find(a.At - a.At % 3600);
        if (found == request_.Listeners.end()) {
            return std::nullopt;
        }
        return found->second;
    }

    std::map<ReportedAs, Tally> Tallies() const {
        std::map<ReportedAs, Tally> tallies;
        for (const HistoryAiring* a : airings_) {
            Tally& t = tallies[KeyOf(*a)];
            t.First = t.First != nullptr ? t.First : a;
            t.Last = a;
            ++t.Plays;
            t.Performances += Listening(*a).value_or(0.0);
        }
        return tallies;
    }

    std::vector<std::string> WebcastingRow(const HistoryAiring& a, const std::string& performances,
                                           long long plays) const {
        const ReportSettings& s = request_.Settings;
        return {s.Service,    s.Transmission, a.Facts.Artist,       a.Facts.Title,
                a.Facts.Isrc, a.Facts.Album,  a.Facts.Label,        performances,
                tuningHours_, s.Channel,      std::to_string(plays)};
    }

    void Webcasting(UseReportTable& table) const {
        table.Rows.push_back(kWebcastingColumns);
        for (const auto& [key, t] : Tallies()) {
            table.Rows.push_back(WebcastingRow(
                *t.First, request_.Listeners.empty() ? "" : Whole(t.Performances), t.Plays));
        }
    }

    void Census(UseReportTable& table) const {
        std::vector<std::string> columns = kWebcastingColumns;
        columns.insert(columns.end(),
                       {"DATE_OF_PERFORMANCE", "TIME_OF_PERFORMANCE", "DURATION_OF_PERFORMANCE"});
        table.Rows.push_back(columns);
        for (const HistoryAiring* a : airings_) {
            const std::optional<double> listening = Listening(*a);
            std::vector<std::string> row = WebcastingRow(*a, listening ? Whole(*listening) : "", 1);
            row.insert(row.end(), {Day(a->At), Time(a->At), std::to_string(a->Duration)});
            table.Rows.push_back(std::move(row));
        }
    }

    void Recordings(UseReportTable& table) const {
        table.Rows.push_back({"Title", "Artist", "Composer", "Publisher", "ISRC", "Duration",
                              "Plays", "First Play", "Last Play"});
        for (const auto& [key, t] : Tallies()) {
            const RecordingFacts& f = t.First->Facts;
            table.Rows.push_back({f.Title, f.Artist, f.Composer, f.Label, f.Isrc,
                                  MinutesSeconds(t.First->Duration), std::to_string(t.Plays),
                                  Day(t.First->At) + " " + Time(t.First->At),
                                  Day(t.Last->At) + " " + Time(t.Last->At)});
        }
    }

    void Missing(UseReportTable& table) const {
        table.Rows.push_back({"Artist", "Title", "File", "Missing", "Plays"});
        for (const auto& [key, t] : Tallies()) {
            const RecordingFacts& f = t.First->Facts;
            std::vector<std::string> lacking;
            for (const auto& [field, name] :
                 {std::pair{&f.Isrc, "ISRC"}, {&f.Album, "album"}, {&f.Label, "label"}}) {
                if (field->empty()) {
                    lacking.emplace_back(name);
                }
            }
            if (!lacking.empty()) {
                std::string missing;
                for (const std::string& l : lacking) {
                    missing += (missing.empty() ? "" : ", ") + l;
                }
                table.Rows.push_back(
                    {f.Artist, f.Title, t.Last->Path, missing, std::to_string(t.Plays)});
            }
        }
    }

    void Differences(UseReportTable& table) const {
        table.Rows.push_back({"Scheduled", "Aired", "What", "Artist", "Title", "File"});
        for (const HistoryAiring* a : airings_) {
            const auto stamp = [](std::int64_t at) { return Day(at) + " " + Time(at); };
            std::string what;
            std::string scheduled = a->Planned != 0 ? stamp(a->Planned) : "";
            std::string aired = stamp(a->At);
            switch (a->State) {
                case AiringState::NotAired:
                    what = "not aired";
                    aired.clear();
                    break;
                case AiringState::Unscheduled:
                    what = "not scheduled";
                    break;
                case AiringState::Aired:
                    if (std::llabs(a->At - a->Planned) >= 60) {
                        what = Format("%0:s %1:s", a->At > a->Planned ? "late" : "early",
                                      MinutesSeconds(std::llabs(a->At - a->Planned)));
                    }
                    break;
                case AiringState::Scheduled:
                    break;
            }
            if (!what.empty()) {
                table.Rows.push_back(
                    {scheduled, aired, what, a->Facts.Artist, a->Facts.Title, a->Path});
            }
        }
    }

    const UseReportRequest& request_;
    std::vector<const HistoryAiring*> airings_;
    std::string tuningHours_;
};

// A field as a report writes it: tabs and line breaks would break its row.
std::string Clean(std::string field) {
    std::replace_if(
        field.begin(), field.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; },
        ' ');
    return field;
}

constexpr struct {
    const char* Key;
    std::string ReportSettings::*Field;
} kSettingKeys[] = {{"report.service", &ReportSettings::Service},
                    {"report.transmission", &ReportSettings::Transmission},
                    {"report.channel", &ReportSettings::Channel}};

}  // namespace

DbRead<ReportSettings> LoadReportSettings(StationDb& db) {
    DbRead<ReportSettings> settings;
    for (const auto& [key, field] : kSettingKeys) {
        const DbRead<std::string> value = db.Setting(key);
        if (!value) {
            settings.Problem = value.Problem;
            break;
        }
        settings.Value.*field = value.Value;
    }
    return settings;
}

DbStatus SaveReportSettings(StationDb& db, const ReportSettings& settings) {
    for (const auto& [key, field] : kSettingKeys) {
        if (const DbStatus saved = db.SetSetting(key, settings.*field); !saved) {
            return saved;
        }
    }
    return {};
}

std::string UseReportTitle(UseReport report) {
    switch (report) {
        case UseReport::Webcasting:
            return tr("Webcasting report of use (per recording)");
        case UseReport::WebcastingCensus:
            return tr("Webcasting census (one row per performance)");
        case UseReport::Recordings:
            return tr("Plays per recording");
        case UseReport::Missing:
            return tr("Missing data (ISRC, album, label)");
        case UseReport::Differences:
            return tr("Scheduled against aired");
    }
    return {};
}

ReportDays LastWeekOf(std::int64_t today) {
    // Day 0 (1899-12-30) was a Saturday: Monday is 2 days on.
    const std::int64_t monday = today - ((today - 2) % 7 + 7) % 7;
    return {monday - 7, monday - 1};
}

ReportDays LastMonthOf(std::int64_t today) {
    const CalendarDate date = DecodeDate(static_cast<TDateTime>(today));
    const std::int64_t first = static_cast<std::int64_t>(EncodeDate(date.Year, date.Month, 1));
    const CalendarDate before = DecodeDate(static_cast<TDateTime>(first - 1));
    return {static_cast<std::int64_t>(EncodeDate(before.Year, before.Month, 1)), first - 1};
}

const char* UseReportName(UseReport report) {
    for (const auto& entry : kNames) {
        if (entry.Report == report) {
            return entry.Name;
        }
    }
    return "";
}

bool UseReportOfName(const std::string& name, UseReport& report) {
    for (const auto& entry : kNames) {
        if (name == entry.Name) {
            report = entry.Report;
            return true;
        }
    }
    return false;
}

std::vector<UseReport> AllUseReports() {
    std::vector<UseReport> all;
    for (const auto& entry : kNames) {
        all.push_back(entry.Report);
    }
    return all;
}

DbRead<UseReportTable> ReportFromDatabase(StationDb& db, UseReportRequest& request) {
    DbRead<UseReportTable> made;
    const DbRead<std::vector<HistoryAiring>> airings = db.History(request.From, request.To);
    const DbRead<std::map<std::int64_t, double>> listeners = db.Listeners(request.From, request.To);
    const DbRead<AsRunCoverage> asRun = db.AsRunDays(request.From, request.To);
    for (const DbStatus* read :
         std::initializer_list<const DbStatus*>{&airings, &listeners, &asRun}) {
        if (!*read) {
            made.Problem = read->Problem;
            return made;
        }
    }
    request.Listeners = listeners.Value;
    request.AsRun = asRun.Value;
    made.Value = MakeUseReport(airings.Value, request);
    return made;
}

UseReportTable MakeUseReport(const std::vector<HistoryAiring>& airings,
                             const UseReportRequest& request) {
    return ReportMaker(airings, request).Make();
}

std::string UseReportText(const UseReportTable& table, const UseReportRequest& request) {
    std::string text;
    const bool webcasting =
        request.Report == UseReport::Webcasting || request.Report == UseReport::WebcastingCensus;
    if (!webcasting) {
        text += "# " + Clean(table.Basis) + "\r\n";
    }
    for (const std::vector<std::string>& row : table.Rows) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i > 0) {
                text += request.Csv ? ',' : '\t';
            }
            text += request.Csv ? CsvText(Clean(row[i])) : Clean(row[i]);
        }
        text += "\r\n";
    }
    return text;
}

}  // namespace spindle
