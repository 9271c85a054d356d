#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "editor/playlist_document.h"
#include "generator/later_plays.h"
#include "generator/run_report.h"
#include "generator/run_state.h"
#include "generator/selection.h"
#include "generator/station_rules.h"

namespace spindle {

class Station;

// A track of the log on the air, or one about to be.
struct LogPlay {
    TDateTime At = 0.0;
    std::string Path;
    std::string Category;
};

// The rules of a run, judged inside a Playlist Log: a stretch of it (hours made again, an
// item replaced or inserted) is scheduled as a run would, with the log's tracks before it
// as the plays the rules look back at and those after it as plays the picks keep their
// distance from. The station's last uses stand for the log while the context lives: each
// track's is its last play before the stretch, from the log, or from before the log. They
// are put back when the context ends.
class LogContext {
public:
    LogContext(Station& station, const PlaylistDocument& document, RunReport& report);
    ~LogContext();
    LogContext(const LogContext&) = delete;
    LogContext& operator=(const LogContext&) = delete;

    // Reads the station's rules, the tracks' facts and the plays before the log; the reason
    // when the station database is there but cannot be read.
    std::string Load();

    // The station-wide repeat intervals in place of the Options' (a Category's own still
    // hold); before the first Around.
    void UseIntervals(std::uint32_t songMinutes, std::uint32_t artistMinutes) {
        settings_.SongInterval = songMinutes;
        settings_.ArtistInterval = artistMinutes;
    }

    // The stretch is items [first, last) of the document: what plays before `first` is
    // looked back at, what plays from `last` on is kept apart from.
    void Around(std::size_t first, std::size_t last);

    // When each item of the document plays: its hour's start and the items before it in
    // the hour, less their crossfades, as the editor shows them.
    TDateTime MomentOf(std::size_t index) const { return moments_[index]; }
    TDateTime HourStart(LogHour hour) const;
    // Hours since the log's first hour.
    long IndexOf(LogHour hour) const;
    // The run's clock (hours since the log's first hour) when `hour` starts: the hour itself
    // when the time resets each hour, else where the hour before ended.
    float ClockAt(LogHour hour) const;

    const RunSettings& Settings() const { return settings_; }
    RunState& State() { return state_; }
    StationRules& Rules() { return rules_; }
    TrackSelector& Selector() { return *selector_; }
    Station& OfStation() { return station_; }

    // What the stretch's new tracks make the tracks after it break that its old ones did
    // not, each as a line for the operator: the later plays judged again by their
    // Categories' rules, as far on as a rule reaches.
    std::vector<std::string> LaterBreaks(const std::vector<LogPlay>& before,
                                         const std::vector<LogPlay>& after);

    // The tracks among items [first, last) on the air.
    std::vector<LogPlay> PlaysOf(std::size_t first, std::size_t last) const;

private:
    void Restore();
    // How far a rule of any Category reaches, in days: the station's rules and the repeat
    // intervals.
    double ReachDays() const;

    Station& station_;
    const PlaylistDocument& document_;
    RunReport& report_;
    RunSettings settings_;
    RunState state_;
    StationRules rules_;
    PlayHistory before_;         // the plays before the log, as Load read them
    PlayHistory aroundHistory_;  // and with the log's before the stretch, as Around left them
    LaterPlays later_;
    std::unique_ptr<TrackSelector> selector_;
    std::vector<TDateTime> moments_;
    TDateTime logStart_ = 0.0;
    TDateTime logEnd_ = 0.0;
    std::size_t last_ = 0;  // where the stretch of the last Around ends
    // The last uses as they were before the context set them.
    std::vector<std::pair<TCustomDetails*, std::unordered_map<std::string, TDateTime>>> savedUses_;
    std::unordered_map<ArtistRec*, TDateTime> savedArtists_;
    // The last uses before the stretch, as Around found them.
    std::unordered_map<std::string, TDateTime> cutUses_;
    std::unordered_map<const ArtistRec*, TDateTime> cutArtists_;
};

// What a rule's verdict on a track at `slot` says, in words an operator reads: "artist
// played 22 min ago; 60 min apart".
std::string VerdictWords(const RepeatRule& rule, const RuleVerdict& verdict, TDateTime slot,
                         const FormatSettings& settings);

}  // namespace spindle
