#include "station/artists.h"

#include <algorithm>

#include "base/text_case.h"

namespace spindle {

ArtistRec* ArtistList::Find(std::string_view artist) {
    auto it = artists_.find(FoldCase(artist));
    return it == artists_.end() ? nullptr : &it->second;
}

const ArtistRec* ArtistList::Find(std::string_view artist) const {
    auto it = artists_.find(FoldCase(artist));
    return it == artists_.end() ? nullptr : &it->second;
}

ArtistRec& ArtistList::FindOrAdd(std::string_view artist) {
    auto [it, added] = artists_.try_emplace(FoldCase(artist));
    if (added) {
        it->second.Name = std::string(artist);
    }
    return it->second;
}

std::vector<std::string> ArtistList::SortedNames() const {
    std::vector<std::string> names;
    names.reserve(artists_.size());
    for (const auto& [key, rec] : artists_) {
        names.push_back(rec.Name);
    }
    std::sort(names.begin(), names.end(), TextLess{});
    return names;
}

void ArtistList::NoteTrack(std::string_view fileName, TDateTime lastUsed, const NameRules& rules) {
    for (const std::string& artist : ArtistsOfPath(fileName, rules)) {
        ArtistRec& rec = FindOrAdd(artist);
        if (lastUsed > rec.LastPlayed) {
            rec.LastPlayed = lastUsed;
        }
        rec.SavedLastPlayed = rec.LastPlayed;
    }
}

std::vector<ArtistKey> ResolveArtists(std::string_view path, const NameRules& rules,
                                      const RelatedArtists& related, const ArtistList& artists) {
    std::vector<ArtistKey> keys;
    for (std::string& artist : ArtistsOfPath(path, rules)) {
        ArtistKey key{std::move(artist), {}, false};
        key.Group = related.Key(key.Artist);
        key.Direct = artists.Find(key.Group) != nullptr;
        keys.push_back(std::move(key));
    }
    return keys;
}

std::vector<std::string> ArtistKeysOfFile(std::string_view path, const NameRules& rules,
                                          const RelatedArtists& related,
                                          const ArtistList& artists) {
    std::vector<std::string> keys;
    for (const ArtistKey& key : ResolveArtists(path, rules, related, artists)) {
        keys.push_back(FoldCase(key.Key()));
    }
    return keys;
}

void ArtistList::MarkAllSaved() {
    for (auto& [key, rec] : artists_) {
        rec.SavedLastPlayed = rec.LastPlayed;
    }
}

void ArtistList::RevertAll() {
    for (auto& [key, rec] : artists_) {
        rec.LastPlayed = rec.SavedLastPlayed;
    }
}

}  // namespace spindle
