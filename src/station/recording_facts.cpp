#include "station/recording_facts.h"

#include "fileinfo/tags.h"
#include "station/station.h"

namespace spindle {

RecordingFacts DescribeAsNamed(const std::string& path, const RecordingFacts* kept,
                               const NameRules& names) {
    RecordingFacts facts = kept != nullptr ? *kept : RecordingFacts{};
    // What a report needs and the history lacks is looked for in the file, so a station
    // that tagged its files after the missing-data list finds them on the next airing.
    if (kept == nullptr || facts.Album.empty() || facts.Isrc.empty() || facts.Label.empty()) {
        if (const std::optional<TrackTags> tags = ReadTags(path)) {
            for (const auto& [field, value] : {std::pair{&facts.Album, &tags->Album},
                                               {&facts.Isrc, &tags->Isrc},
                                               {&facts.Label, &tags->Publisher},
                                               {&facts.Composer, &tags->Composer}}) {
                if (field->empty()) {
                    *field = *value;
                }
            }
        }
    }
    NameRules whole = names;
    whole.SplitCredits = false;
    const ArtistTitle named = ArtistTitleOfPath(path, whole);
    facts.Artist = named.Artist;
    facts.Title = named.Title;
    return facts;
}

DbRead<int> RecordHistory(const Station& station, RunHistory history) {
    StationDb db(station.DataFolder(), StationDb::Mode::OrCreate);
    if (!db.IsOpen()) {
        DbRead<int> refused;
        refused.Problem = db.Problem();
        return refused;
    }
    if (history.Run.SavedAt == 0) {
        history.Run.SavedAt = ClockSeconds(station.Clock());
    }
    const NameRules names = station.Names();
    return db.RecordRun(history.Run, history.Airings,
                        [&](const std::string& path, const RecordingFacts* kept) {
                            return DescribeAsNamed(path, kept, names);
                        });
}

}  // namespace spindle
