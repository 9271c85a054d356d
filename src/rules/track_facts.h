#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <unordered_map>

#include "stationdb/station_db.h"

namespace spindle {

// What the scheduler knows of a track beyond its file name.
struct TrackFacts {
    std::string Album;
    std::string Title;  // the tag's title; empty when the tag has none
    // Attribute name -> value, for the attributes the track has a value of.
    std::map<std::string, std::string> Attributes;
    bool operator==(const TrackFacts&) const = default;
};

// By path, as the database (and the Category) holds it.
using TrackFactsByPath = std::unordered_map<std::string, TrackFacts>;

// The facts of every track the database knows, each attribute's value taken from its
// source (stationdb/attribute_source.h) unless one was set by hand, which wins.
DbRead<TrackFactsByPath> LoadTrackFacts(StationDb& db);
// The same for a data folder; one without a database gives no facts and no problem.
DbRead<TrackFactsByPath> LoadTrackFacts(const std::filesystem::path& dataFolder);

}  // namespace spindle
