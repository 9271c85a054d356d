#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/datetime.h"
#include "rules/rule_def.h"

namespace spindle {

struct ArtistRec;  // station/artists.h: a play keeps its artists' records, never reads them

// What the rules compare of a track, each numbered once a run so that a check compares
// integers: the track itself, its album and title as the rules compare them, and its
// attribute values. 0 is none.
struct TrackKeys {
    std::uint32_t Track = 0;
    std::uint32_t Album = 0;
    std::uint32_t Title = 0;
    std::vector<std::uint32_t> Values;  // one per attribute the track has a value of

    bool Has(std::uint32_t value) const;
};

// Numbers the tracks, albums, titles and attribute values a run meets.
class RunKeys {
public:
    // The keys of the track at `path`, from its album and title as the rules compare them
    // (AlbumKey, TitleKey) and its attribute values, unless it was numbered before; kept
    // for the run, so the reference stays valid.
    const TrackKeys& Number(const std::string& path, const std::string& album,
                            const std::string& title,
                            const std::map<std::string, std::string>& attributes);
    // The keys of a track numbered before, or none.
    const TrackKeys* Find(const std::string& path) const;
    // The number of an attribute's value, as a rule names it.
    std::uint32_t Value(const AttributeMatch& match);

private:
    static std::uint32_t Intern(std::unordered_map<std::string, std::uint32_t>& table,
                                const std::string& text);

    std::unordered_map<std::string, TrackKeys> tracks_;
    std::unordered_map<std::string, std::uint32_t> albums_, titles_, values_;
};

// A track on the air: what the rules beyond the repeat intervals look back at.
struct PlayedTrack {
    TDateTime At = 0.0;
    std::string Path;
    std::string Category;
    const TrackKeys* Keys = nullptr;  // none when the run has no rules to judge it by
    std::vector<ArtistRec*> Artists;
    // The start of the log's hour it was scheduled in; none (below 0) for a play of an
    // earlier run.
    TDateTime Hour = -1.0;
};

// The songs of the hour being filled, as a quota weighs them: those played so far, how many
// of them have a value, and how many more the hour's Rotation plans after the slot in
// Categories that weigh the value too.
struct HourSongs {
    int Played = 0;
    int WithValue = 0;
    int After = 0;
};

// One play under a key: when, which track, and its place in the order of plays.
struct KeyPlay {
    TDateTime At = 0.0;
    std::uint32_t Track = 0;
    std::size_t Seq = 0;
};

// The tracks played before the slot being filled, in the order they play: those a saved run
// put on the air before this run's start, then this run's picks, each at its time on the
// running clock. Spots are not in it, so a break between two songs does not part them for a
// rule on what follows what. Each play is filed under its track, album, title, attribute
// values and artists too, so a rule looks up the plays of its key instead of scanning.
class PlayHistory {
public:
    // A play of the hour being filled, unless it says otherwise.
    void Add(PlayedTrack play);
    // The last play added starts at `at` instead, no earlier than it did.
    void MoveLast(TDateTime at);
    void Clear();
    // Takes back the plays added after the first `size`, latest first, as if they never
    // came: for plays that came in time order.
    void DropFrom(std::size_t size);

    std::size_t Size() const { return plays_.size(); }
    // The last `count` plays at most, the latest last.
    std::span<const PlayedTrack> Last(std::size_t count) const;
    // The plays at or after `from`, the latest last.
    std::span<const PlayedTrack> Since(TDateTime from) const;

    enum class Key { Track, Album, Title, Value };
    // The plays under a key (a track, album, title or value number), in time order.
    const std::vector<KeyPlay>& PlaysOf(Key key, std::uint32_t id) const;
    // The plays of an artist, in time order.
    const std::vector<KeyPlay>& PlaysOf(const ArtistRec* artist) const;

    // The log's hour being filled (its start), and the songs its Rotation still plans after
    // the slot being filled, by the number of each value a quota of their Category weighs.
    void SetHour(TDateTime hour, std::vector<int> songsAfter);
    TDateTime Hour() const { return hour_; }
    // The hour's songs so far, with the value of that number among them; none played when
    // no hour is being filled.
    HourSongs SongsThisHour(std::uint32_t value) const;

private:
    void File(const PlayedTrack& play, std::size_t seq);
    void Refile();
    // Calls `visit` with each list a play is filed in.
    template <typename Visit>
    void ForEachList(const PlayedTrack& play, Visit&& visit);

    std::vector<PlayedTrack> plays_;
    std::vector<std::vector<KeyPlay>> byKey_[4];
    std::unordered_map<const ArtistRec*, std::vector<KeyPlay>> byArtist_;
    TDateTime hour_ = -1.0;
    std::vector<int> songsAfter_;
    // The hour's plays so far, and how many of them have each value (by its number), kept
    // as plays come in: a play of the hour may sort in before the last hour's when the clock
    // was set back to the hour's start.
    int hourPlayed_ = 0;
    std::vector<int> hourValues_;
};

}  // namespace spindle
