#include "editor/instant_replace.h"

#include <algorithm>
#include <unordered_map>

#include "base/datetime.h"
#include "base/format.h"
#include "base/paths.h"
#include "base/text_case.h"
#include "base/translate.h"
#include "fileinfo/name_conventions.h"
#include "station/group_ops.h"
#include "station/station.h"

namespace spindle {
namespace {

enum class Blocked { None, Song, Artist };

// Whether a candidate repeats a song or an artist too close to a place in the log, by
// the run's rules: artists meet through their keys (Related Artists, credited artists),
// and the look back goes on past the log's start into the track lists' last uses.
class RepeatCheck {
public:
    RepeatCheck(const Station& station, const PlaylistDocument& document, std::uint32_t song,
                std::uint32_t artist)
        : station_(station),
          items_(document.Items()),
          rules_(station.Names()),
          song_(song),
          artist_(artist) {
        const TDateTime start = document.StartDate() + document.StartHour() / 24.0;
        const double window = std::max(song, artist);
        for (const auto& category : station.Categories) {
            for (const FileRec& f : category->Files) {
                // The saved use as well: a run of this very period, not yet saved, has
                // moved LastUsed past the start and hides the play before it.
                TDateTime latest = 0.0;
                for (const TDateTime used : {f.LastUsed, f.SavedLastUsed}) {
                    if (used > latest && used < start) {
                        latest = used;
                    }
                }
                const double before = (start - latest) * kSecondsPerDay;
                if (latest > 0.0 && before < window) {
                    earlier_.push_back({f.FileName, before});
                }
            }
        }
    }

    Blocked Of(std::size_t position, const std::string& candidate) {
        const std::string path = LowerCase(candidate);
        const std::vector<std::string>& keys = KeysOf(candidate);
        auto blocks = [&](double apart, const std::string& other) {
            if (apart < song_ && LowerCase(other) == path) {
                return Blocked::Song;
            }
            if (apart < artist_) {
                for (const std::string& k : KeysOf(other)) {
                    if (std::find(keys.begin(), keys.end(), k) != keys.end()) {
                        return Blocked::Artist;
                    }
                }
            }
            return Blocked::None;
        };
        // Removed items do not count.
        auto look = [&](long from, long step, bool intoTrackLists) {
            std::uint64_t sum = 0;
            for (long i = from; i >= 0 && i < static_cast<long>(items_.size()); i += step) {
                const EditorItem& item = items_[static_cast<std::size_t>(i)];
                if (item.State == EditState::Removed) {
                    continue;
                }
                sum += item.Duration;
                if (const Blocked b = blocks(static_cast<double>(sum), item.Path);
                    b != Blocked::None) {
                    return b;
                }
                if (sum >= song_ && sum >= artist_) {
                    return Blocked::None;
                }
            }
            if (intoTrackLists) {
                for (const Play& play : earlier_) {
                    const Blocked b = blocks(static_cast<double>(sum) + play.Before, play.Path);
                    if (b != Blocked::None) {
                        return b;
                    }
                }
            }
            return Blocked::None;
        };
        const Blocked back = look(static_cast<long>(position) - 1, -1, true);
        return back != Blocked::None ? back : look(static_cast<long>(position) + 1, 1, false);
    }

private:
    // A Category track's last use before the log's start.
    struct Play {
        std::string Path;
        double Before = 0.0;  // seconds from its start to the log's start
    };

    const std::vector<std::string>& KeysOf(const std::string& path) {
        auto it = keys_.find(path);
        if (it == keys_.end()) {
            it = keys_
                     .emplace(path,
                              ArtistKeysOfFile(path, rules_, station_.Related, station_.Artists))
                     .first;
        }
        return it->second;
    }

    const Station& station_;
    const std::vector<EditorItem>& items_;
    const NameRules rules_;
    const std::uint32_t song_;
    const std::uint32_t artist_;
    std::vector<Play> earlier_;
    std::unordered_map<std::string, std::vector<std::string>> keys_;
};

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
    const NameRules rules = station.Names();
    // The artist as the station names it (the title when there is none), in lower case.
    auto artistOf = [&](const std::string& path) {
        ArtistTitle named = ArtistTitleOfPath(path, rules);
        return LowerCase(named.Artist.empty() ? named.Title : named.Artist);
    };
    const std::string current = ExtractFileName(item->Path);
    const std::string currentArtist = artistOf(item->Path);
    auto sameArtistOk = [&](const std::string& candidate) {
        return artistOf(candidate) == currentArtist && ExtractFileName(candidate) != current;
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
    RepeatCheck check(station, document, song, artist);
    for (std::size_t tries = 0; tries < 2 * category->Files.size(); ++tries) {
        const auto candidate = TakeNextTrack(*category, station.Random);
        if (!candidate) {
            break;
        }
        if (candidate->FileName == row.Path || (sameArtist && !sameArtistOk(candidate->FileName))) {
            continue;  // never the track it replaces
        }
        if (song > 0 || artist > 0) {
            last = check.Of(*position, candidate->FileName);
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
