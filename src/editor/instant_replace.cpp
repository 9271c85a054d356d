#include "editor/instant_replace.h"

#include <algorithm>

#include "base/format.h"
#include "base/paths.h"
#include "base/text_case.h"
#include "base/translate.h"
#include "fileinfo/name_conventions.h"
#include "library/group_ops.h"
#include "library/station.h"

namespace spindle {
namespace {

enum class Blocked { None, Song, Artist };

// Whether a candidate repeats a song or an artist too close to `position`, looking
// back and then forward through the document (removed items do not count).
Blocked Neighbours(const std::vector<EditorItem>& items, std::size_t position,
                   const std::string& candidate, std::uint32_t songSeconds,
                   std::uint32_t artistSeconds, const NameRules& rules) {
    const std::string path = LowerCase(candidate);
    // The candidate's artists (each credited artist, when the station keeps them apart).
    std::vector<std::string> artists = ArtistsOfFile(ExtractFileName(candidate), rules);
    for (std::string& a : artists) {
        a = LowerCase(a);
    }
    auto sharesAnArtist = [&](const std::string& other) {
        for (const std::string& a : ArtistsOfFile(ExtractFileName(other), rules)) {
            if (std::find(artists.begin(), artists.end(), LowerCase(a)) != artists.end()) {
                return true;
            }
        }
        return false;
    };
    auto look = [&](long from, long step) {
        std::uint64_t sum = 0;
        for (long i = from; i >= 0 && i < static_cast<long>(items.size()); i += step) {
            const EditorItem& item = items[static_cast<std::size_t>(i)];
            if (item.State == EditState::Removed) {
                continue;
            }
            sum += item.Duration;
            if (sum < songSeconds && LowerCase(item.Path) == path) {
                return Blocked::Song;
            }
            if (sum < artistSeconds && sharesAnArtist(item.Path)) {
                return Blocked::Artist;
            }
            if (sum >= songSeconds && sum >= artistSeconds) {
                break;
            }
        }
        return Blocked::None;
    };
    const Blocked back = look(static_cast<long>(position) - 1, -1);
    return back != Blocked::None ? back : look(static_cast<long>(position) + 1, 1);
}

}  // namespace

ReplaceOutcome InstantReplace(PlaylistDocument& document, Station& station, std::uint64_t id,
                              bool sameArtist, std::uint32_t songSeconds,
                              std::uint32_t artistSeconds,
                              const std::function<std::uint32_t(const std::string&)>& measure) {
    ReplaceOutcome outcome;
    const EditorItem* item = document.Find(id);
    const auto position = document.IndexOf(id);
    if (item == nullptr || !position || PlaylistDocument::IsTimed(*item)) {
        return outcome;
    }
    const NameRules rules = station.Opt.Names();
    const std::string current = ExtractFileName(item->Path);
    const std::string currentArtist = LowerCase(ArtistOfFile(current, rules));
    auto sameArtistOk = [&](const std::string& candidate) {
        const std::string name = ExtractFileName(candidate);
        return LowerCase(ArtistOfFile(name, rules)) == currentArtist && name != current;
    };
    const EditorItem row = *item;  // the document changes below

    if (row.Type != kItemTrack) {
        TSpotDetails* group = station.FindSpotGroup(row.GroupName);
        if (group == nullptr) {
            outcome.Message = std::string(tr("Unable to find Spot Group ")) + row.GroupName;
            return outcome;
        }
        for (std::size_t tries = 0; tries < group->Files.size(); ++tries) {
            if (group->NextItem >= group->Files.size()) {
                group->NextItem = 0;
            }
            const FileRec candidate = group->Files[group->NextItem++];
            // Another spot of the group when it has one: a replacement that changes nothing
            // is none.
            if (candidate.FileName == row.Path && group->Files.size() > 1) {
                continue;
            }
            if (!sameArtist || sameArtistOk(candidate.FileName)) {
                outcome.Id = document.Replace(id, candidate.FileName, candidate.Duration,
                                              row.GroupName, row.Type, measure);
                return outcome;
            }
        }
        if (sameArtist) {
            outcome.Message = Format(
                tr("Unable to find a replacement with the same artist for\r\n\"%0:s\"."), current);
        }
        return outcome;
    }

    TCategoryDetails* category = station.FindCategory(row.GroupName);
    if (category == nullptr) {
        outcome.Message = Format(tr("Unable to find Category %0:s"), row.GroupName);
        return outcome;
    }
    const std::uint32_t song = category->SongRepeatOption == kRepeatSpecify
                                   ? category->SongRepeatInterval * 60
                                   : songSeconds;
    const std::uint32_t artist = category->ArtistRepeatOption == kRepeatSpecify
                                     ? category->ArtistRepeatInterval * 60
                                     : artistSeconds;
    Blocked last = Blocked::None;
    for (std::size_t tries = 0; tries < 2 * category->Files.size(); ++tries) {
        const auto candidate = TakeNextTrack(*category, station.Random);
        if (!candidate) {
            break;
        }
        if (candidate->FileName == row.Path || (sameArtist && !sameArtistOk(candidate->FileName))) {
            continue;  // never the track it replaces
        }
        if (song > 0 || artist > 0) {
            last =
                Neighbours(document.Items(), *position, candidate->FileName, song, artist, rules);
            if (last != Blocked::None) {
                continue;
            }
        }
        outcome.Id = document.Replace(id, candidate->FileName, candidate->Duration, row.GroupName,
                                      row.Type, measure);
        return outcome;
    }
    const bool songFault = sameArtist || last != Blocked::Artist;
    outcome.Message =
        Format(tr("Unable to replace \"%0:s\" due to %1:s Repeat Interval constraints."), current,
               songFault ? tr("Song") : tr("Artist"));
    return outcome;
}

}  // namespace spindle
