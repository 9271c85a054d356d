#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>

#include "stationdb/station_db.h"

namespace spindle {

// What the scheduler knows of a track beyond its file name.
struct TrackFacts {
    std::string Album;
    std::string Title;  // the tag's title; empty when the tag has none
    // Attribute name -> value, for the attributes the track has a value of.
    std::map<std::string, std::string> Attributes;
    std::string AlbumArtist;  // the tag's album artist (ALBUMARTIST); empty when none
    std::string Artist;       // the tag's artist; empty when none
    bool operator==(const TrackFacts&) const = default;
};

// What album and title rules compare, case-folded. An album is its text with whose album
// it is ("Greatest Hits" by one artist is not another's); empty when the track names no
// album.
std::string AlbumKey(std::string_view album, std::string_view albumArtist);
// A title without the words that name a version of it, in brackets at its end or after
// " - ", when they begin or end with a version word: "Hallelujah (Live)", "Song -
// Remastered 2011", "Song [Radio Edit]" and "Song (feat. Somebody)" are all "hallelujah" or
// "song"; "Song (Part 2)" stays itself.
std::string TitleKey(std::string_view title);

// By path, as the database (and the Category) holds it.
using TrackFactsByPath = std::unordered_map<std::string, TrackFacts>;

// The facts of every track the database knows, each attribute's value taken from its
// source (stationdb/attribute_source.h) unless one was set by hand, which wins.
DbRead<TrackFactsByPath> LoadTrackFacts(StationDb& db);
// The same for a data folder; one without a database gives no facts and no problem.
DbRead<TrackFactsByPath> LoadTrackFacts(const std::filesystem::path& dataFolder);

}  // namespace spindle
