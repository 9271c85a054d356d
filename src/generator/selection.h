#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "generator/repeat_rules.h"
#include "generator/run_report.h"
#include "generator/run_state.h"
#include "generator/station_rules.h"
#include "station/station.h"

namespace spindle {

struct Pick {
    std::string Path;  // empty when nothing was given
    std::uint16_t Duration = 0;
    // The file has no playing time on record; Duration is a stand-in.
    bool Unmeasured = false;
    // Nothing was given because leaving the slot out ends the hour nearer its end.
    bool LeftOut = false;
    explicit operator bool() const { return !Path.empty(); }
};

// What a slot near the hour's end should fill: the seconds left for the tracks (played
// lengths, after the crossfade), this slot's included, how many rotation slots still
// follow it, and whether leaving it out may be best.
struct Fit {
    double LeftSeconds = 0.0;
    int SlotsAfter = 0;
    bool MayLeaveOut = false;
    double ToleranceSeconds = 0.0;
    double Shortest = 0.0;  // the Category's shortest and longest played lengths
    double Longest = 0.0;
    double Crossfade = 0.0;
    bool CrossfadeFromName = true;
};

// A Category's song and artist repeat intervals in days: its own when it specifies them,
// else the run's.
double SongDays(const TCategoryDetails& category, const RunSettings& settings);
double ArtistDays(const TCategoryDetails& category, const RunSettings& settings);

// Where a selection reads the tracks' last uses, when not from the track lists: a log being
// edited stands its own plays in for them. It hears of each pick's use too.
class LastUses {
public:
    virtual ~LastUses() = default;
    virtual TDateTime Of(const FileRec& entry) const = 0;
    // `entry` (the track list's own record) was used; its last use was `previous`.
    virtual void Picked(FileRec& entry, TDateTime previous) = 0;
    // The records of a file's artists, as looked up before.
    virtual const std::vector<ArtistRec*>& ArtistsOf(const std::string& path) = 0;
};

// Chooses tracks from Categories: candidates drawn in play order, each checked against the
// rules (the song and artist repeat intervals); the first that keeps them all, or the
// new-track bias's or the hour fit's choice among those; when none does, the operator's
// say and the one that breaks the least.
class TrackSelector {
public:
    TrackSelector(Station& station, const RunSettings& settings, RunState& state, RunReport& report)
        : station_(station), settings_(settings), state_(state), report_(report) {}

    // The next track of a Category for play time `playTime`, with its bookkeeping.
    // Empty when the Category has no tracks, or when the operator cancelled the run
    // (state.Warning is then Cancel).
    // With `fit`, the tracks that break no rule are weighed by how near their length
    // brings the slot to its target; the rules are never relaxed for fit.
    Pick SelectTrack(TCategoryDetails& category, TDateTime playTime, const Fit* fit = nullptr);

    // Makes the artist records of a track's artists (through Related Artists) current;
    // false when none is known.
    bool LookupArtist(const std::string& path);

    // Counts the track and its artist as used in this run and stamps the new last use.
    void NoteUse(FileRec& entry, TDateTime newLastUsed);

    // Puts a track played in a Category slot (its artists current) in the plays the rules
    // look back at, and in the run's airings, at the time SetOnAir gave.
    void NotePlayed(const TCategoryDetails& category, const FileRec& entry);

    // The station's rules for this run; without them only the repeat intervals hold.
    void UseRules(StationRules& rules) { rules_ = &rules; }
    // The last uses to judge by instead of the track lists'.
    void UseLastUses(LastUses& uses) { uses_ = &uses; }

    // When the next pick goes on the air by the running clock: the time the rules beyond
    // the repeat intervals judge it at, and keep it under.
    void SetOnAir(TDateTime onAir) { onAir_ = onAir; }
    // The last pick starts later than SetOnAir said (an intro went before it).
    void MovePlayed(TDateTime onAir);
    // The log's hour being filled (its start), and the Categories of the slots its Rotation
    // still plans after the next one, each with the songs it gives: a quota looks ahead at
    // those that weigh it too.
    void SetHour(TDateTime hour,
                 std::span<const std::pair<const TCategoryDetails*, int>> songsAfter);
    // The rules of the hour's Categories that the hour, now complete, does not keep, each as
    // a line for the operator.
    std::vector<std::string> HourEndBreaks();

    // What each rule of the Category, most important first, says of `entry` played at
    // `playTime` (and on the air at SetOnAir's time), as a draw would judge it.
    struct Judged {
        const RepeatRule* Rule = nullptr;
        RuleVerdict Verdict;
    };
    std::vector<Judged> JudgeCandidate(TCategoryDetails& category, const FileRec& entry,
                                       TDateTime playTime);

private:
    using Rules = std::span<const RepeatRule* const>;
    // What a selection's draw found; kept between selections for its buffers.
    struct Draw {
        std::vector<Candidate> Clean;     // those that keep every rule, in play order
        std::vector<Candidate> Rejected;  // the others, in the order drawn
        std::vector<std::vector<ArtistRec*>> RejectedArtists;  // theirs, as looked up
        // The one to take when none keeps every rule: the one whose broken rules are least
        // important, compared from the most important down, played longest ago; its
        // verdicts.
        std::optional<Candidate> Relaxed;
        std::uint64_t RelaxedBroken = 0;  // the first rule's bit highest
        std::vector<RuleVerdict> RelaxedVerdicts;
        std::vector<RuleVerdict> Verdicts;  // the candidate's being checked
        std::vector<long> Blocked;          // per rule, the draws it blocked with a play
        std::size_t Attempts = 0;           // as many draws as the selection may make
        // Where a fitted slot's draw began in the play order: what it draws and does not
        // play goes back there.
        std::size_t Start = 0;
        bool Stopped = false;
    };

    Draw& DrawCandidates(TCategoryDetails& category, TDateTime playTime, Rules rules,
                         std::size_t wanted, bool fitting);
    void JudgeRejected(TDateTime playTime, Rules rules);
    std::optional<Candidate> ChooseFit(TCategoryDetails& category, const Fit& fit,
                                       const Draw& draw);
    std::optional<Candidate> Relax(const TCategoryDetails& category, TDateTime playTime,
                                   const Draw& draw, Rules rules);
    bool WarnBlocked(const TCategoryDetails& category, TDateTime playTime, const Draw& draw,
                     Rules rules);
    Pick Take(TCategoryDetails& category, const Candidate& chosen, TDateTime playTime);
    Rules RulesOf(const TCategoryDetails& category);

    Station& station_;
    // Each path's artist record once found: artists and related lines do not change
    // during a run, and selection asks for the same tracks' artists over and over.
    std::unordered_map<std::string, std::vector<ArtistRec*>> artistsOfPath_;
    const RunSettings& settings_;
    RunState& state_;
    RunReport& report_;
    Draw draw_;
    StationRules* rules_ = nullptr;
    LastUses* uses_ = nullptr;
    TDateTime onAir_ = 0.0;
    TDateTime hour_ = -1.0;
    // The numbers of the values each Category's quotas weigh.
    std::unordered_map<const TCategoryDetails*, std::vector<std::uint32_t>> quotaValues_;
    std::vector<const TCategoryDetails*> hourCategories_;  // those that chose a track in it
    // Each Category's rules, made at its first selection: neither they nor its intervals
    // change during a run.
    struct CategoryRules {
        RuleList Owned;
        std::vector<const RepeatRule*> InOrder;
    };
    std::unordered_map<const TCategoryDetails*, CategoryRules> rulesOf_;
};

}  // namespace spindle
