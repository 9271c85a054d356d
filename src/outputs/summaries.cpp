#include "outputs/summaries.h"

#include "base/format.h"
#include "base/format_datetime.h"
#include "base/paths.h"
#include "base/safe_file.h"
#include "base/translate.h"
#include "fileinfo/name_conventions.h"

namespace spindle {
namespace {

// Writes a summary behind its backup; the progress line tells whether it was done. A
// summary that cannot be written is that step not done: the playlists stand, the run
// goes on, and the message says what is missing.
void WriteSummary(const std::string& base, const std::string& text, const char* progressLine,
                  const char* renameMessage, RunReport& report) {
    const SaveResult result = ReplaceFile(base + ".csv", text, base + ".bak");
    if (result.Failure == SaveFailure::Backup) {
        report.AddLine(tr(progressLine));
        report.Message(tr(renameMessage), false);
    } else if (!result) {
        report.AddLine(tr(progressLine));
        report.Message(Format(tr("Unable to create \"%0:s\""), base + ".csv"), false);
    } else {
        report.AddLine(std::string(tr(progressLine)) + " " + tr("Done"));
    }
}

}  // namespace

std::string SummaryTitle(const Options& o, const std::string& kind, TDateTime start,
                         const FormatSettings& settings) {
    std::string period;
    if (o.TotalDays == 7) {
        period = std::string(" ") + tr("the week");
    } else if (o.TotalDays % 7 == 0) {
        period = std::to_string(o.TotalDays / 7) + " " + tr("weeks");
    } else {
        period = std::to_string(o.TotalDays) + " " + tr("days");
    }
    const std::string station = o.HTMLTitle.empty() ? tr("Station") : o.HTMLTitle;
    return CsvText(Format(tr("%0:s %1:s Summary"), station, kind)) + "," +
           CsvText(Format(tr("for %2:s commencing %3:s"), "", "", period,
                          FormatDateTime("dddddd, ham/pm", start, settings)));
}

bool TrackSummary::Begin(const RunFacts& facts, RunReport&) {
    facts_ = facts;
    tally_.clear();
    return true;
}

void TrackSummary::Item(const LogLine& item, TDateTime, RunReport&) {
    if (item.Type == kItemTrack) {
        Plays& plays = tally_[BaseNameNoExt(item.Text)];
        if (plays.Count++ == 0) {
            plays.Path = item.Text;
        }
    }
}

std::string TrackSummary::Text() const {
    std::string text =
        SummaryTitle(station_.Opt, tr("Track"), facts_.Start, station_.Settings()) + "\r\n";
    const NameRules names = station_.Names();
    for (const auto& [key, plays] : tally_) {
        ArtistTitle split = WithTaggedName(SplitBaseName(key, names), plays.Path, names);
        if (split.Artist.empty()) {
            split.Artist = tr("(Unknown)");
        }
        text += CsvText(split.Artist) + "," + CsvText(split.Title) + "," +
                std::to_string(plays.Count) + "\r\n";
    }
    return text;
}

bool TrackSummary::Finish(RunReport& report, bool completed) {
    if (!completed) {
        return true;
    }
    WriteSummary(facts_.TrackSummaryName, Text(), N_("Creating Track Summary Log..."),
                 N_("Unable to rename Track Summary file."), report);
    return true;
}

bool SpotSummary::Begin(const RunFacts& facts, RunReport&) {
    facts_ = facts;
    tally_.clear();
    return true;
}

void SpotSummary::Item(const LogLine& item, TDateTime clock, RunReport&) {
    // Only what reached the playlist aired: a voice-track placeholder is written there
    // only when voice-track file names are made.
    const bool written = item.Type != kItemVoiceTrack || station_.Opt.VTFilenames;
    if (IsSpotItem(item.Type) && written) {
        Airings& a = tally_[BaseNameNoExt(item.Text) + "*" + item.Owner];
        a.Times.push_back(clock);
        a.Duration = item.Duration;
    }
}

std::string SpotSummary::Text() const {
    std::string text =
        SummaryTitle(station_.Opt, tr("Spot"), facts_.Start, station_.Settings()) + "\r\n";
    std::uint64_t totalSeconds = 0;
    std::uint64_t totalAirings = 0;
    std::uint64_t fileSeconds = 0;
    std::uint64_t fileAirings = 0;
    std::string currentName;
    auto fileTotal = [&] {
        // One total per spot file name, over all the groups it aired in.
        if (fileAirings > 0) {
            text += CsvText(currentName) + "," + CsvText(tr("Grand Total")) + "," +
                    std::to_string(fileSeconds) + "," + std::to_string(fileAirings) + "\r\n";
        }
        fileSeconds = 0;
        fileAirings = 0;
    };
    for (const auto& [key, airings] : tally_) {
        const std::size_t star = key.find('*');
        const std::string name = key.substr(0, star);
        const std::string group = key.substr(star + 1);
        if (!SameText(name, currentName)) {
            fileTotal();
            currentName = name;
        }
        for (TDateTime when : airings.Times) {
            text += CsvText(name) + "," + CsvText(group) + "," + std::to_string(airings.Duration) +
                    "," + CsvText(FormatDateTime("ddddd hh:nn", when, station_.Settings())) +
                    "\r\n";
        }
        const std::uint64_t n = airings.Times.size();
        const std::uint64_t seconds = airings.Duration * n;
        text += CsvText(name) + "," + CsvText(std::string(tr("Total for ")) + group) + "," +
                std::to_string(seconds) + "," + std::to_string(n) + "\r\n";
        fileSeconds += seconds;
        fileAirings += n;
        totalSeconds += seconds;
        totalAirings += n;
    }
    fileTotal();
    if (totalAirings > 0) {
        text += "\"\"," + CsvText(tr("Grand Total")) + "," + std::to_string(totalSeconds) + "," +
                std::to_string(totalAirings) + "\r\n";
    }
    return text;
}

bool SpotSummary::Finish(RunReport& report, bool completed) {
    if (!completed) {
        return true;
    }
    WriteSummary(facts_.SpotSummaryName, Text(), N_("Creating Spot Summary Log..."),
                 N_("Unable to rename Spot Summary file."), report);
    return true;
}

}  // namespace spindle
