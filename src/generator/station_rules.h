#pragma once

#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "generator/repeat_rules.h"
#include "generator/run_report.h"
#include "generator/run_state.h"
#include "rules/play_history.h"
#include "rules/rule_def.h"
#include "rules/track_facts.h"
#include "station/station.h"

namespace spindle {

// What a run's selections check: each Category's ordered rules, what the station knows of
// its tracks, and the plays to look back at. A station without a database or without
// rules has only the repeat intervals, artist first, and selects as it always has.
struct LaterPlays;  // generator/later_plays.h

class StationRules {
public:
    // Reads the rules, the tracks' facts and the airings before `start` that the rules
    // look back at. A rule line that cannot be read, and a rule that can do nothing (its
    // Category, track or attribute value is not the station's), are told and left out.
    // A database that is there but cannot be read (locked past the wait, of a newer
    // version, damaged, not readable) gives the reason: the run must not go on without
    // the station's rules.
    std::string Load(Station& station, const RunSettings& settings, RunReport& report);

    // Whether any Category has a rule beyond the repeat intervals.
    bool Any() const { return any_; }

    // The Category's rules, most important first, with its repeat intervals in days.
    RuleList For(const TCategoryDetails& category, double songDays, double artistDays) const;
    // What the rules compare of a track, numbered: its album and title as the rules compare
    // them (AlbumKey, TitleKey; the title the file name's when no tag gives one), and its
    // attribute values.
    const TrackKeys* FactsOf(const std::string& path);

    PlayHistory& History() { return history_; }
    // Puts a track on the air at `at` in the plays the rules look back at, or in `into`.
    void AddPlay(Station& station, TDateTime at, const std::string& path,
                 const std::string& category, PlayHistory* into = nullptr);
    // The records of a file's artists (through Related Artists), as the plays keep them.
    const std::vector<ArtistRec*>& ArtistsOf(Station& station, const std::string& path);
    // The plays that follow what is being scheduled, which the rules made from now on keep
    // their distance from too; none for a run.
    void SetLater(const LaterPlays* later) { later_ = later; }
    // As far back as a rule looks, in days; 0 without rules beyond the repeat intervals.
    double LookBackDays() const;
    // The numbers of the values the Category's rules weigh by the hour (its quotas').
    std::vector<std::uint32_t> HourValues(const TCategoryDetails& category);
    // The rules of these Categories that the hour being filled, now complete, does not keep
    // (a quota it ended short of), each once, as lines for the operator.
    std::vector<std::string> HourEndBreaks(const std::vector<const TCategoryDetails*>& categories);

private:
    std::vector<RuleDef> Parsed(const std::vector<std::string>& texts, const std::string& scope,
                                RunReport& report) const;
    std::vector<RuleDef> ListOf(const TCategoryDetails& category) const;
    // The tracks' facts and the airings before the run, once the rules need them.
    std::string LoadPast(StationDb& db, Station& station, const RunSettings& settings);

    std::map<std::string, std::vector<RuleDef>> defs_;     // "" for the station's
    FormatSettings settings_ = FormatSettings::English();  // the station's, for sentences
    std::unordered_map<std::string, TrackFacts> facts_;    // as the database gives them
    mutable RunKeys keys_;
    NameRules names_;
    PlayHistory history_;
    std::unordered_map<std::string, std::vector<ArtistRec*>> artists_;
    const LaterPlays* later_ = nullptr;
    bool any_ = false;
};

// The rules of a list as the selection checks them; with `later`, each also keeps its
// distance from the plays that follow.
RuleList MakeRules(const std::vector<RuleDef>& defs, double songDays, double artistDays,
                   const PlayHistory& history, RunKeys& keys, const LaterPlays* later = nullptr);

}  // namespace spindle
