#pragma once

#include <string>
#include <unordered_map>
#include <utility>

#include "generator/log_sink.h"
#include "generator/run_report.h"
#include "generator/run_state.h"
#include "generator/selection.h"
#include "station/station.h"

namespace spindle {

// Turns one hour of a rotation into Playlist Log lines: tracks, spots, intros and
// outros, notes, voice-track placeholders and the schedule's timed items, keeping the
// running time, and with time checking dropping or adding tracks so the hour fits.
class HourAssembler {
public:
    HourAssembler(Station& station, const RunSettings& settings, RunState& state, RunReport& report,
                  PlaylistLogSink& log)
        : station_(station),
          settings_(settings),
          state_(state),
          report_(report),
          log_(log),
          selector_(station, settings, state, report) {}

    // Assembles hour `index` (hour of day `hourOfDay`, starting at `hourStart`). False
    // when the run is to stop.
    bool AssembleHour(long index, int hourOfDay, TDateTime hourStart,
                      const TRotationDetails& rotation, TScheduleDetails& schedule);

    // The item's effective length (less the crossfade) joins the running time.
    void AdvanceTime(const std::string& path, std::uint16_t seconds);
    // The intro or outro of `group` that belongs to `trackPath`, or nothing.
    Pick MatchIntroOutro(TSpotDetails& group, const std::string& trackPath);
    Pick PickByIndex(TCustomDetails& group, std::size_t index);
    Pick PickNextSpot(TSpotDetails& group);

    TrackSelector& Selector() { return selector_; }

private:
    void PlaceTimedItems(bool final);
    // Writes one or, for a Block group, all of a Spot Group's spots.
    void WriteSpots(TSpotDetails& group, int timedType, double timedTime, int untimedType);
    // Plays a Category slot; `added` tells whether a track went in.
    bool CategoryItem(TCategoryDetails& category, bool topUp, const Fit* fit, bool& added);
    // Whether slot `k` is near enough the hour's end to be fitted, and its target: the
    // time left less what the rest of the pass and the hour's timed items will take,
    // shared among the Category slots still to come.
    // The songs the Rotation plans after item `k`, by Category: a slot of each Category,
    // every track of a Block.
    static std::vector<std::pair<const TCategoryDetails*, int>> SongsAfter(
        const TRotationDetails& rotation, std::size_t k);
    bool FitFor(const TRotationDetails& rotation, std::size_t k, bool topUp,
                const TCategoryDetails& category, double hourEnd, Fit& fit) const;
    bool RunStopped() const { return report_.Stopped() || state_.Warning == WarningAnswer::Cancel; }
    // When the next item plays by the hour's own clock (from the hour's start), which the
    // last uses keep.
    TDateTime PlayTime() const { return hourStart_ + static_cast<double>(state_.Elapsed) / 24.0; }
    // When it plays by the running clock, as the log times it: an hour that ran over
    // pushes the next one on. Never earlier than the item before (a period's clock set
    // back while the last one still plays).
    TDateTime OnAirTime();
    void WriteItem(int type, double time, const std::string& text, std::uint16_t duration,
                   const std::string& owner);
    void WritePick(int type, double time, const Pick& pick, const std::string& owner);
    bool ReportMissingGroup(const RotationItem& item, const TRotationDetails& rotation);

    Station& station_;
    const RunSettings& settings_;
    RunState& state_;
    RunReport& report_;
    PlaylistLogSink& log_;
    TrackSelector selector_;

    long index_ = 0;
    int hourOfDay_ = 0;
    TDateTime hourStart_ = 0.0;
    TScheduleDetails* schedule_ = nullptr;
    TSpotDetails* pendingIntro_ = nullptr;
    std::string previousTrack_;
    long fitLeftOut_ = 0;
    long playedInHour_ = 0;      // items written this hour that go on the air
    TDateTime lastOnAir_ = 0.0;  // slots the fit left out, top-up passes included
    // Each Category's shortest and longest played length, for fitting.
    mutable std::unordered_map<const TCategoryDetails*, std::pair<double, double>> lengths_;
};

// The seconds a voice track or note names at the start of its text ("30:News"): the
// number before a ":" among the text's second to sixth characters; 0 otherwise.
std::uint16_t LeadingSeconds(const std::string& text);

}  // namespace spindle
