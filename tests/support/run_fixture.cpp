#include "support/run_fixture.h"

#include <algorithm>

#include "base/format_datetime.h"
#include "base/text_file.h"
#include "outputs/generation.h"

namespace spindle::test {

bool RunResult::HasLine(const std::string& text) const {
    return std::find(Lines.begin(), Lines.end(), text) != Lines.end();
}

bool RunResult::HasLineStartingWith(const std::string& text) const {
    return std::any_of(Lines.begin(), Lines.end(),
                       [&](const std::string& l) { return l.rfind(text, 0) == 0; });
}

std::vector<LogLine> RunResult::ItemsOfType(int type) const {
    std::vector<LogLine> items;
    for (const LogLine& l : Log.Lines) {
        if (l.LineKind == LogLine::Kind::Item && l.Type == type) {
            items.push_back(l);
        }
    }
    return items;
}

std::vector<std::string> RunResult::ItemTexts(int type) const {
    std::vector<std::string> texts;
    for (const LogLine& l : ItemsOfType(type)) {
        texts.push_back(l.Text);
    }
    return texts;
}

std::vector<std::uint64_t> RowIds(const PlaylistDocument& doc, LogHour hour) {
    std::vector<std::uint64_t> ids;
    for (const HourRow& row : doc.ViewOf(hour).Rows) {
        ids.push_back(row.Id);
    }
    return ids;
}

RunResult Generate(Station& station, Operator& op) {
    RunResult result;
    RunReport report(op, nullptr);
    result.Ok = RunGeneration(station, report);
    result.Lines = report.Lines();
    result.Problems = report.Problems();
    const std::string stamp = FormatDateTime(
        "mmmddhh", static_cast<double>(station.Opt.StartDay) + station.Opt.StartHour / 24.0,
        station.Settings());
    const std::string path = station.Opt.LogFolderPath() + stamp + ".plg";
    ReadPlaylistLog(path, station.Settings(), result.Log);
    if (auto raw = ReadTextLines(path)) {
        result.RawLog = *raw;
    }
    return result;
}

std::size_t OnAirItems(const LogContents& log) {
    std::size_t n = 0;
    for (const LogLine& line : log.Lines) {
        const bool onAir = line.Type == 0 || line.Type == 1 || line.Type == 2 ||
                           (line.Type >= 6 && line.Type <= 9);
        n += line.LineKind == LogLine::Kind::Item && onAir && !line.Text.empty() ? 1 : 0;
    }
    return n;
}

}  // namespace spindle::test
