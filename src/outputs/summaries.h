#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "base/list_text.h"
#include "base/text_case.h"
#include "outputs/output_pass.h"

namespace spindle {

// The first line of a summary: station, kind, period and start.
std::string SummaryTitle(const Options& options, const std::string& kind, TDateTime start,
                         const FormatSettings& settings);

// How often each track file (by name, whatever its folder) was scheduled, with the artist
// and title the station names it by.
class TrackSummary final : public LogConsumer {
public:
    explicit TrackSummary(const Station& station) : station_(station) {}

    bool Begin(const RunFacts& facts, RunReport&) override;
    bool Hour(TDateTime, RunReport&) override { return true; }
    void Item(const LogLine& item, TDateTime clock, RunReport& report) override;
    bool Finish(RunReport& report, bool completed) override;

    std::string Text() const;

private:
    struct Plays {
        std::string Path;  // the first one scheduled: whose tags name the row
        std::uint64_t Count = 0;
    };
    const Station& station_;
    RunFacts facts_;
    std::map<std::string, Plays, TextLess> tally_;
};

// Every airing of every spot, by file name and Spot Group, with subtotals, a total per
// spot file and the grand total.
class SpotSummary final : public LogConsumer {
public:
    explicit SpotSummary(const Station& station) : station_(station) {}

    bool Begin(const RunFacts& facts, RunReport&) override;
    bool Hour(TDateTime, RunReport&) override { return true; }
    void Item(const LogLine& item, TDateTime clock, RunReport& report) override;
    bool Finish(RunReport& report, bool completed) override;

    std::string Text() const;

private:
    struct Airings {
        std::uint16_t Duration = 0;
        std::vector<TDateTime> Times;
    };
    const Station& station_;
    RunFacts facts_;
    std::map<std::string, Airings, TextLess> tally_;
};

}  // namespace spindle
