#pragma once

#include <string>

#include "fileinfo/name_conventions.h"
#include "stationdb/station_db.h"

namespace spindle {

class Station;

// A recording as the play history names it: artist and title as the station names its
// tracks (the file name, or the tags where the station takes them from there; the artist
// text whole, never split into its credited artists); album, ISRC, label and composer from
// what the database keeps of the file, else from the file's own tags.
RecordingFacts DescribeAsNamed(const std::string& path, const RecordingFacts* kept,
                               const NameRules& names);

// Records `history` in the station database, which is made when the station has none yet;
// the number of airings recorded, or why none were.
DbRead<int> RecordHistory(const Station& station, RunHistory history);

}  // namespace spindle
