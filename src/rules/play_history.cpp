#include "rules/play_history.h"

#include <algorithm>
#include <utility>

namespace spindle {

bool TrackKeys::Has(std::uint32_t value) const {
    return value != 0 && std::find(Values.begin(), Values.end(), value) != Values.end();
}

std::uint32_t RunKeys::Intern(std::unordered_map<std::string, std::uint32_t>& table,
                              const std::string& text) {
    if (text.empty()) {
        return 0;
    }
    return table.try_emplace(text, static_cast<std::uint32_t>(table.size() + 1)).first->second;
}

const TrackKeys& RunKeys::Number(const std::string& path, const std::string& album,
                                 const std::string& title,
                                 const std::map<std::string, std::string>& attributes) {
    auto [found, fresh] = tracks_.try_emplace(path);
    TrackKeys& keys = found->second;
    if (fresh) {
        keys.Track = static_cast<std::uint32_t>(tracks_.size());
        keys.Album = Intern(albums_, album);
        keys.Title = Intern(titles_, title);
        for (const auto& [attribute, value] : attributes) {
            keys.Values.push_back(Value({attribute, value}));
        }
    }
    return keys;
}

const TrackKeys* RunKeys::Find(const std::string& path) const {
    const auto found = tracks_.find(path);
    return found == tracks_.end() ? nullptr : &found->second;
}

std::uint32_t RunKeys::Value(const AttributeMatch& match) {
    // The unit separator keeps "A=B" with value "C" apart from "A" with value "B=C".
    return Intern(values_, match.Attribute + '\x1f' + match.Value);
}

template <typename Visit>
void PlayHistory::ForEachList(const PlayedTrack& play, Visit&& visit) {
    const auto keyed = [&](Key key, std::uint32_t id) {
        if (id == 0) {
            return;
        }
        auto& lists = byKey_[static_cast<int>(key)];
        if (lists.size() <= id) {
            lists.resize(id + 1);
        }
        visit(lists[id]);
    };
    keyed(Key::Track, play.Keys->Track);
    keyed(Key::Album, play.Keys->Album);
    keyed(Key::Title, play.Keys->Title);
    for (const std::uint32_t value : play.Keys->Values) {
        keyed(Key::Value, value);
    }
    for (const ArtistRec* artist : play.Artists) {
        visit(byArtist_[artist]);
    }
}

void PlayHistory::File(const PlayedTrack& play, std::size_t seq) {
    if (play.Keys == nullptr) {
        return;  // kept for the record only: the run has no rule to look it up
    }
    ForEachList(play, [&](std::vector<KeyPlay>& list) {
        list.push_back({play.At, play.Keys->Track, seq});
    });
}

// Files every play again: only after a play came in out of order, which moves the places
// of all after it.
void PlayHistory::Refile() {
    for (auto& lists : byKey_) {
        lists.clear();
    }
    byArtist_.clear();
    for (std::size_t seq = 0; seq < plays_.size(); ++seq) {
        File(plays_[seq], seq);
    }
}

void PlayHistory::Add(PlayedTrack play) {
    if (play.Hour < 0) {
        play.Hour = hour_;
    }
    if (hour_ >= 0 && play.Hour == hour_) {
        ++hourPlayed_;
        for (std::size_t k = 0; play.Keys != nullptr && k < play.Keys->Values.size(); ++k) {
            const std::uint32_t value = play.Keys->Values[k];
            if (hourValues_.size() <= value) {
                hourValues_.resize(value + 1);
            }
            ++hourValues_[value];
        }
    }
    // Plays come in time order; one out of order (a clock set back) still keeps the
    // list sorted, which every look-back relies on.
    if (!plays_.empty() && play.At < plays_.back().At) {
        const auto at =
            std::upper_bound(plays_.begin(), plays_.end(), play.At,
                             [](TDateTime t, const PlayedTrack& p) { return t < p.At; });
        plays_.insert(at, std::move(play));
        Refile();
        return;
    }
    plays_.push_back(std::move(play));
    File(plays_.back(), plays_.size() - 1);
}

void PlayHistory::DropFrom(std::size_t size) {
    while (plays_.size() > size) {
        const std::size_t seq = plays_.size() - 1;
        const PlayedTrack& last = plays_.back();
        if (last.Keys != nullptr) {
            ForEachList(last, [&](std::vector<KeyPlay>& list) {
                if (!list.empty() && list.back().Seq == seq) {
                    list.pop_back();
                }
            });
        }
        if (hour_ >= 0 && last.Hour == hour_) {
            --hourPlayed_;
            for (std::size_t k = 0; last.Keys != nullptr && k < last.Keys->Values.size(); ++k) {
                if (last.Keys->Values[k] < hourValues_.size()) {
                    --hourValues_[last.Keys->Values[k]];
                }
            }
        }
        plays_.pop_back();
    }
}

void PlayHistory::Clear() {
    *this = PlayHistory{};
}

std::span<const PlayedTrack> PlayHistory::Last(std::size_t count) const {
    const std::size_t n = std::min(count, plays_.size());
    return std::span<const PlayedTrack>(plays_).last(n);
}

std::span<const PlayedTrack> PlayHistory::Since(TDateTime from) const {
    const auto first = std::lower_bound(plays_.begin(), plays_.end(), from,
                                        [](const PlayedTrack& p, TDateTime t) { return p.At < t; });
    return {first, plays_.end()};
}

const std::vector<KeyPlay>& PlayHistory::PlaysOf(Key key, std::uint32_t id) const {
    static const std::vector<KeyPlay> none;
    const auto& lists = byKey_[static_cast<int>(key)];
    return id != 0 && id < lists.size() ? lists[id] : none;
}

const std::vector<KeyPlay>& PlayHistory::PlaysOf(const ArtistRec* artist) const {
    static const std::vector<KeyPlay> none;
    const auto found = byArtist_.find(artist);
    return found == byArtist_.end() ? none : found->second;
}

void PlayHistory::MoveLast(TDateTime at) {
    if (plays_.empty() || at <= plays_.back().At) {
        return;
    }
    // The last play is the last under each of its keys: no play is later.
    const std::size_t seq = plays_.size() - 1;
    PlayedTrack& last = plays_.back();
    if (last.Keys != nullptr) {
        ForEachList(last, [&](std::vector<KeyPlay>& list) {
            if (!list.empty() && list.back().Seq == seq) {
                list.back().At = at;
            }
        });
    }
    last.At = at;
}

void PlayHistory::SetHour(TDateTime hour, std::vector<int> songsAfter) {
    if (hour != hour_) {
        hour_ = hour;
        hourPlayed_ = 0;
        hourValues_.clear();
    }
    songsAfter_ = std::move(songsAfter);
}

HourSongs PlayHistory::SongsThisHour(std::uint32_t value) const {
    if (hour_ < 0) {
        return {};
    }
    const auto of = [value](const std::vector<int>& counts) {
        return value < counts.size() ? counts[value] : 0;
    };
    return {hourPlayed_, of(hourValues_), of(songsAfter_)};
}

}  // namespace spindle
