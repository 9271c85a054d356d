#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/datetime.h"
#include "fileinfo/name_conventions.h"
#include "station/related.h"

namespace spindle {

struct ArtistRec {
    std::string Name;  // as first seen
    TDateTime LastPlayed = 0.0;
    TDateTime SavedLastPlayed = 0.0;
};

// Every artist of the loaded Categories, found without regard to case.
class ArtistList {
public:
    ArtistRec* Find(std::string_view artist);
    const ArtistRec* Find(std::string_view artist) const;
    ArtistRec& FindOrAdd(std::string_view artist);
    std::size_t Count() const { return artists_.size(); }
    void Clear() {
        artists_.clear();
        ++revision_;
    }
    // Changes whenever records may have gone: a record kept elsewhere is one of this
    // revision's.
    std::uint64_t Revision() const { return revision_; }
    // Artist names in case-insensitive order.
    std::vector<std::string> SortedNames() const;

    // Called whenever a Category track is entered: the artist is added if new, takes
    // the track's last use if later, and that becomes its saved value too.
    void NoteTrack(std::string_view fileName, TDateTime lastUsed, const NameRules& rules);
    // After all track lists are saved.
    void MarkAllSaved();
    // A run's revert.
    void RevertAll();

    template <typename F>
    void ForEach(F&& f) {
        for (auto& [key, rec] : artists_) {
            f(rec);
        }
    }

private:
    std::unordered_map<std::string, ArtistRec> artists_;  // key: case-folded name
    std::uint64_t revision_ = 0;
};

// One of a file's artists (each credited one when the rules keep them apart) and the play
// record the artist rule keeps it under: its Related Artists group's first name when that
// name has a record, else the artist itself.
struct ArtistKey {
    std::string Artist;   // as the file's name (or its tags) give it
    std::string Group;    // its Related Artists group's first name; the artist when none
    bool Direct = false;  // Group has a record
    const std::string& Key() const { return Direct ? Group : Artist; }
};
std::vector<ArtistKey> ResolveArtists(std::string_view path, const NameRules& rules,
                                      const RelatedArtists& related, const ArtistList& artists);

// The keys, case-folded, of a file's artists. Two files whose keys meet count as one artist.
std::vector<std::string> ArtistKeysOfFile(std::string_view path, const NameRules& rules,
                                          const RelatedArtists& related, const ArtistList& artists);

}  // namespace spindle
