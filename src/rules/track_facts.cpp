#include "rules/track_facts.h"

#include <vector>

#include "base/format.h"
#include "base/translate.h"
#include "stationdb/attribute_source.h"

namespace spindle {

DbRead<TrackFactsByPath> LoadTrackFacts(StationDb& db) {
    DbRead<TrackFactsByPath> facts;
    const auto attributes = db.Attributes();
    if (!attributes) {
        facts.Problem = attributes.Problem;
        return facts;
    }
    std::vector<AttributeSource> sources;
    std::vector<std::string> extraKeys;
    for (const AttributeDef& attribute : attributes.Value) {
        // Only a database changed behind the program's back holds such a definition: its
        // tags cannot be read by it, but the values set by hand still hold. The Problem
        // names it; the facts are complete otherwise, so a run goes on with them.
        if (const std::string problem = AttributeProblem(attribute); !problem.empty()) {
            facts.Problem += (facts.Problem.empty() ? "" : "\n") +
                             Format(tr("The attribute \"%0:s\" gives tracks only the values set "
                                       "by hand until it is defined again: %1:s"),
                                    attribute.Name, problem);
            continue;
        }
        const AttributeSource& source = sources.emplace_back(attribute);
        if (!source.ExtraKey().empty()) {
            extraKeys.push_back(source.ExtraKey());
        }
    }
    auto tracks = db.StoredTracks(extraKeys);
    if (!tracks) {
        facts.Problem = tracks.Problem;
        return facts;
    }
    facts.Value.reserve(tracks.Value.size());
    for (StoredTrack& track : tracks.Value) {
        TrackFacts& fact = facts.Value[std::move(track.Path)];
        fact.Attributes = std::move(track.HandValues);
        for (const AttributeSource& source : sources) {
            if (!fact.Attributes.contains(source.Definition().Name)) {
                if (std::string value = source.ValueOf(track.Tags); !value.empty()) {
                    fact.Attributes.emplace(source.Definition().Name, std::move(value));
                }
            }
        }
        fact.Album = std::move(track.Tags.Album);
        fact.Title = std::move(track.Tags.Title);
    }
    return facts;
}

DbRead<TrackFactsByPath> LoadTrackFacts(const std::filesystem::path& dataFolder) {
    StationDb db(dataFolder, StationDb::Mode::IfExists);
    if (!db.IsOpen()) {
        DbRead<TrackFactsByPath> none;
        none.Problem = db.Problem();
        return none;
    }
    return LoadTrackFacts(db);
}

}  // namespace spindle
