#include "station/recording_facts.h"

#include "fileinfo/tags.h"
#include "station/station.h"

namespace spindle {

RecordingFacts DescribeAsNamed(const std::string& path, const RecordingFacts* kept,
                               const NameRules& names) {
    RecordingFacts facts;
    if (kept != nullptr) {
        facts = *kept;
    } else if (const std::optional<TrackTags> tags = ReadTags(path)) {
        facts = {tags->Artist, tags->Title,     tags->Album,
                 tags->Isrc,   tags->Publisher, tags->Composer};
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
