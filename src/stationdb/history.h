#pragma once

// What the station's play history keeps: recordings that are never deleted, the runs and
// saves that scheduled them, and every airing with what would be reported of it.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/datetime.h"

namespace spindle {

// Times in the history are whole seconds on the station's clock, counted from the day
// TDateTime counts from.
std::int64_t ClockSeconds(TDateTime t);
TDateTime FromClockSeconds(std::int64_t seconds);

// Where an airing came from.
enum class AiringSource : int { Run = 0, Editor = 1, Import = 2, AsRun = 3 };

// What the playout system's as-run log says of an airing: nothing yet (Scheduled), that it
// started (Aired, at its real time), that it did not (NotAired), or that it played
// without being scheduled (Unscheduled).
enum class AiringState : int { Scheduled = 0, Aired = 1, NotAired = 2, Unscheduled = 3 };

// What a report of use says of a recording, as the station has it when it airs.
struct RecordingFacts {
    std::string Artist, Title, Album, Isrc, Label, Composer;
    bool operator==(const RecordingFacts&) const = default;
};

// An item of a Playlist Log that goes on the air.
struct LogAiring {
    std::int64_t At = 0;    // when it is scheduled to start
    std::int64_t Hour = 0;  // the start of the log's hour that holds it
    int Type = 0;           // its item type in the log
    std::string Path;       // UTF-8, as the log names it
    std::string Group;      // its Category or Spot Group
    int Duration = 0;       // seconds, as scheduled
    bool operator==(const LogAiring&) const = default;
};

// A run, an editor save or an import: the hours it made, [From, To).
struct RunRecord {
    std::int64_t From = 0;
    std::int64_t To = 0;
    AiringSource Source = AiringSource::Run;
    std::string Log;           // the Playlist Log's name
    std::int64_t SavedAt = 0;  // when it was recorded
};

// What a run, an editor save or an import records: its hours and their airings.
struct RunHistory {
    RunRecord Run;
    std::vector<LogAiring> Airings;
};

// Names a recording the history is to record: `kept` is what the station database holds
// of the file already (its tags as the last scan read them, or the recording's last
// facts), or null.
using DescribeRecording =
    std::function<RecordingFacts(const std::string& path, const RecordingFacts* kept)>;

// An airing as the reports read it.
struct HistoryAiring {
    std::int64_t At = 0;       // when it aired: as the as-run log says, else as scheduled
    std::int64_t Planned = 0;  // as scheduled; 0 for an airing nobody scheduled
    int Type = 0;
    std::string Group;
    int Duration = 0;
    std::int64_t Recording = 0;
    std::string Path;
    RecordingFacts Facts;  // as they were when it aired
    AiringSource Source = AiringSource::Run;
    AiringState State = AiringState::Scheduled;
};

// A line of the playout system's as-run log: when it started a file.
struct AsRunLine {
    std::int64_t At = 0;
    std::string Path;
    bool operator==(const AsRunLine&) const = default;
};

// Of the days of a range that hold airings, those an as-run log told of.
struct AsRunCoverage {
    int Days = 0;
    int Told = 0;
};

// What an as-run log did to the history.
struct AsRunResult {
    int Matched = 0;      // scheduled airings it confirmed
    int Unscheduled = 0;  // lines with no scheduled airing near
    int NotAired = 0;     // scheduled airings within its span with no line
    int Known = 0;        // lines read before and left as they were
};

}  // namespace spindle
