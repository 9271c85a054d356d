#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "stationdb/history.h"
#include "stationdb/station_db.h"

namespace spindle {

// The reports of use a station files, made from its play history.
enum class UseReport {
    Webcasting,        // the US webcasting report of use, one row per recording
    WebcastingCensus,  // the same columns, one row per performance with its time
    Recordings,        // per recording, for societies that count plays
    Missing,           // recordings played that lack ISRC, album or label
    Differences,       // what was scheduled against what aired
};

// The name --format takes for each report, and the report of a name.
const char* UseReportName(UseReport report);
bool UseReportOfName(const std::string& name, UseReport& report);
std::vector<UseReport> AllUseReports();

// What an operator calls each report.
std::string UseReportTitle(UseReport report);

// The days a report covers, first and last (whole days, TDateTime's numbering).
struct ReportDays {
    std::int64_t First = 0, Last = 0;
};
// The week before the one `today` is in, Monday to Sunday; the month before `today`'s.
ReportDays LastWeekOf(std::int64_t today);
ReportDays LastMonthOf(std::int64_t today);

// What the station says of itself on its reports.
struct ReportSettings {
    std::string Service;       // NAME_OF_SERVICE
    std::string Transmission;  // TRANSMISSION_CATEGORY
    std::string Channel;       // CHANNEL_OR_PROGRAM_NAME
};

// As the station database keeps them.
DbRead<ReportSettings> LoadReportSettings(StationDb& db);
DbStatus SaveReportSettings(StationDb& db, const ReportSettings& settings);

struct UseReportRequest {
    UseReport Report = UseReport::Webcasting;
    std::int64_t From = 0, To = 0;  // seconds, [From, To)
    bool Csv = false;               // else tab-separated
    bool WithSpots = false;         // spots, IDs, intros, outros and voice items too
    ReportSettings Settings;
    std::map<std::int64_t, double> Listeners;  // average listeners by hour start
    AsRunCoverage AsRun;  // the days of the range with airings, and those an as-run log told of
};

// A report as rows of fields, its first row the column names.
struct UseReportTable {
    std::vector<std::vector<std::string>> Rows;
    // What the counts rest on, for the operator and the first line of our own formats:
    // what aired (an as-run log was read) or what was scheduled.
    std::string Basis;
    // What the operator should know before filing it (listener figures missing for hours
    // that have plays).
    std::vector<std::string> Warnings;
};

// Reads what `request` needs from the station database (the airings, the listener figures,
// whether an as-run log covers the range) and makes the report.
DbRead<UseReportTable> ReportFromDatabase(StationDb& db, UseReportRequest& request);

UseReportTable MakeUseReport(const std::vector<HistoryAiring>& airings,
                             const UseReportRequest& request);

// The table as the file is written: fields separated by tabs or commas (in CSV, every
// field quoted), tabs and line breaks in a field turned to spaces, lines ending in CR LF;
// our own formats begin with the basis as a "#" line.
std::string UseReportText(const UseReportTable& table, const UseReportRequest& request);

}  // namespace spindle
