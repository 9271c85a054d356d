#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "base/datetime.h"
#include "base/operator.h"
#include "station/artists.h"
#include "station/details.h"
#include "station/options.h"
#include "station/schedule.h"

namespace spindle {

// The options a run reads when it starts.
struct RunSettings {
    TDateTime Start = 0.0;  // first hour of the run
    long Hours = 0;         // TotalDays x 24 + TotalHours
    int PlaylistPeriod = kPeriodDay;
    int TimeResetPeriod = kPeriodHour;
    double Crossfade = 0.0;  // seconds
    bool KorvelCrossfade = true;
    std::uint32_t SongInterval = 0;    // minutes
    std::uint32_t ArtistInterval = 0;  // minutes
    int NewerTracks = 0;
    bool TimeCheck = true;
    double Tolerance = 0.0;  // hours
    bool IncludeHM = true;
    bool VTFilenames = false;
    bool FitHours = false;
    NameRules Names;

    static RunSettings FromOptions(const Options& options, const FormatSettings& settings);
};

enum class WarningAnswer { None, Yes, YesToAll, Cancel };

// A selection that broke a repeat rule because every candidate did.
struct RelaxedRule {
    TDateTime Slot = 0.0;
    std::string Category;
    std::string Rule;  // as the rule names itself: "song", "artist", a station rule's text
    std::string Track;
    TDateTime PreviousPlay = 0.0;  // 0 when no one play broke it
    double Amount = 0.0;           // by how much it was broken, in Unit
    std::string Unit;
};

// What a run keeps between hours.
struct RunState {
    float RunningTime = 0.0f;  // hours since the run's time base
    float Elapsed = 0.0f;      // hours placed in the current hour
    float Carry = 0.0f;
    long ItemCounter = 0;
    long TracksUsed = 0;
    long ArtistsUsed = 0;
    long TracksDropped = 0;
    long TracksAdded = 0;
    long SlotsLeftOut = 0;  // by the hour fit
    // Hours that ended further past their end than time checking lets an item start,
    // and the furthest, in seconds.
    long HoursOver = 0;
    long HoursTimed = 0;
    double LongestOver = 0.0;
    WarningAnswer Warning = WarningAnswer::None;
    // The artist records of the track looked at: its credited artists (one, unless the
    // station keeps credited artists apart).
    std::vector<ArtistRec*> CurrentArtists;
    std::vector<RelaxedRule> Relaxed;
    // Rotation items already reported as naming a missing group, so each is told once.
    std::set<const void*> ReportedMissing;
    // Rotations the operator was already asked about for an hour with nothing to play.
    std::set<const void*> SilentRotations;
    // Files without a playing time already reported.
    std::set<std::string> ReportedUnmeasured;
};

}  // namespace spindle

namespace spindle {

// What the run works out when it starts and the output pass needs.
struct RunFacts {
    TDateTime Start = 0.0;     // the first hour
    TDateTime LastHour = 0.0;  // the last hour
    long Hours = 0;
    std::string PlaylistLogName;  // log folder + stamp, without extension
    std::string TrackSummaryName;
    std::string SpotSummaryName;
};

}  // namespace spindle
