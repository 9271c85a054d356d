#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "editor/playlist_document.h"
#include "generator/later_plays.h"
#include "generator/run_report.h"
#include "generator/run_state.h"
#include "generator/selection.h"
#include "generator/station_rules.h"
#include "stationdb/station_db.h"

namespace spindle {

class Station;

// A track of the log on the air, or one about to be.
struct LogPlay {
    TDateTime At = 0.0;
    std::string Path;
    std::string Category;
};

// The station's rules, the tracks' facts and the plays before a log, read once for the
// edits of the log: reading every track's facts is what takes the time. Read again when
// the station database changed, or for another log.
class RulesCache {
public:
    // The rules for a log starting at `settings.Start`; none, with the reason in `problem`,
    // when the database is there but cannot be read.
    StationRules* For(Station& station, const RunSettings& settings, RunReport& report,
                      std::string& problem);
    // How many plays the rules' history holds before the log's own are added.
    std::size_t BeforeLog() const { return beforeLog_; }
    // The latest airing of each track the play history holds in the month before the log:
    // a track the log plays too has its last use in the log, not there.
    const std::unordered_map<std::string, TDateTime>& AiredBefore() const { return airedBefore_; }
    // The airings the play history holds in the month after the log (a later run's), in
    // time order.
    const std::vector<Airing>& AiredAfter() const { return airedAfter_; }

private:
    struct Key {
        const Station* Of = nullptr;
        std::uint64_t Artists = 0;  // the artist list's revision the plays' records are of
        TDateTime Start = 0.0;
        TDateTime End = 0.0;
        std::vector<std::pair<std::uintmax_t, std::filesystem::file_time_type>> Files;
        bool operator==(const Key&) const = default;
    };
    static Key KeyOf(const Station& station, const RunSettings& settings);

    std::unique_ptr<StationRules> rules_;
    Key key_;
    std::size_t beforeLog_ = 0;
    std::unordered_map<std::string, TDateTime> airedBefore_;
    std::vector<Airing> airedAfter_;
};

// The rules of a run, judged inside a Playlist Log: a stretch of it (hours made again, an
// item replaced or inserted) is scheduled as a run would, with the log's tracks before it
// as the plays the rules look back at and those after it as plays the picks keep their
// distance from. A track's last use is its last play before the stretch, from the log or
// from before the log; the track lists' own last uses are as they were when the context
// ends.
class LogContext final : public LastUses {
public:
    // Without a cache of its own, the context reads the rules itself.
    LogContext(Station& station, const PlaylistDocument& document, RunReport& report,
               RulesCache* cache = nullptr);
    ~LogContext() override;
    LogContext(const LogContext&) = delete;
    LogContext& operator=(const LogContext&) = delete;

    // The station-wide repeat intervals in place of the Options' (a Category's own still
    // hold); before Load.
    void UseIntervals(std::uint32_t songMinutes, std::uint32_t artistMinutes) {
        settings_.SongInterval = songMinutes;
        settings_.ArtistInterval = artistMinutes;
    }
    // Reads (or takes from the cache) the station's rules, the tracks' facts and the plays
    // before the log; the reason when the station database is there but cannot be read.
    std::string Load();

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
    // when the time resets, else where the hour before ended.
    float ClockAt(LogHour hour) const;
    // Whether the run's clock is set back to the hour when `hour` starts.
    bool ClockResets(LogHour hour) const;

    const RunSettings& Settings() const { return settings_; }
    RunState& State() { return state_; }
    StationRules& Rules() { return *rules_; }
    // A selector judging by the context's rules and last uses.
    TrackSelector& Selector() { return *selector_; }

    // What the stretch's new tracks make the tracks after it break that its old ones did
    // not, each as a line for the operator: the later plays judged again by their
    // Categories' rules, as far on as a rule reaches.
    std::vector<std::string> LaterBreaks(const std::vector<LogPlay>& before,
                                         const std::vector<LogPlay>& after);

    // The tracks among items [first, last) on the air.
    std::vector<LogPlay> PlaysOf(std::size_t first, std::size_t last) const;

    // LastUses: a track's last play before the stretch (or in it, once picked there).
    TDateTime Of(const FileRec& entry) const override;
    void Picked(FileRec& entry, TDateTime previous) override;
    const std::vector<ArtistRec*>& ArtistsOf(const std::string& path) override {
        return rules_->ArtistsOf(station_, path);
    }

private:
    void Restore();
    // How far a rule of any Category reaches, in days: the station's rules and the repeat
    // intervals.
    double ReachDays(bool artistOnly) const;
    // A track's last play before the stretch as far as the log and the plays before it
    // tell, 0 when none is known.
    TDateTime BeforeCut(const std::string& path) const;

    Station& station_;
    const PlaylistDocument& document_;
    RunReport& report_;
    RulesCache ownCache_;
    RulesCache& cache_;
    RunSettings settings_;
    RunState state_;
    StationRules* rules_ = nullptr;  // from Load
    LaterPlays later_;
    std::unique_ptr<TrackSelector> selector_;
    std::vector<TDateTime> moments_;
    TDateTime logStart_ = 0.0;
    TDateTime logEnd_ = 0.0;
    std::size_t last_ = 0;        // where the stretch of the last Around ends
    std::size_t aroundSize_ = 0;  // the plays the rules' history held after Around
    // The last plays before the stretch: in the log, and just before it (the track lists'
    // uses within the rules' reach of the log's start).
    std::unordered_map<std::string, TDateTime> logBefore_;
    std::unordered_map<std::string, TDateTime> preLog_;
    // The stretch's picks, and the track lists' records they changed, to put back.
    std::unordered_map<std::string, TDateTime> picks_;
    struct Changed {
        TCategoryDetails* Group;
        std::string Path;
        TDateTime Previous;
    };
    std::vector<Changed> changed_;
    // What the context changes besides: the spots' last uses and the artists'.
    std::vector<std::pair<TSpotDetails*, std::unordered_map<std::string, TDateTime>>> spotUses_;
    std::vector<std::pair<ArtistRec*, TDateTime>> savedArtists_;
    std::unordered_map<const ArtistRec*, TDateTime> cutArtists_;
};

// The latest airing of each track the play history holds in the month before `start`.
std::unordered_map<std::string, TDateTime> LatestAiringsBefore(StationDb& db, TDateTime start);

// What a rule's verdict on a track at `slot` says, in words an operator reads: "artist
// played 22 min ago; 60 min apart". `sentence` is the rule's, when known.
std::string VerdictWords(const RepeatRule& rule, const RuleVerdict& verdict, TDateTime slot,
                         const FormatSettings& settings, const std::string* sentence = nullptr);

}  // namespace spindle
