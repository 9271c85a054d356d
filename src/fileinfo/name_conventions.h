#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace spindle {

// A file's artist and title as its tags give them; either may be empty.
struct TaggedName {
    std::string Artist;
    std::string Title;
};
struct PathHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view path) const {
        return std::hash<std::string_view>{}(path);
    }
};
// By the file's full path.
using TaggedNames = std::unordered_map<std::string, TaggedName, PathHash, std::equal_to<>>;

// How the station names its files: "Artist - Title.mp3" or "Title - Artist.mp3".
struct NameRules {
    std::string ArtistDelim = " - ";
    int ArtistFirst = 0;  // 0 artist first, 1 title first
    // Whether the artist rule keeps each credited artist apart ("A feat. B" is A and B),
    // and the names that hold a separator on purpose ("Earth, Wind & Fire").
    bool SplitCredits = false;
    const std::vector<std::string>* KeptWhole = nullptr;
    // For a station that takes artist and title from the tags: what they say, each taking
    // the file name's place where it is given.
    const TaggedNames* Tagged = nullptr;
};

struct ArtistTitle {
    std::string Artist;
    std::string Title;
    std::uint16_t IntroTime = 0;  // seconds, from a "#0012" suffix; 0 = none
};

// Artist, title and intro time from a file name (without folder, with or without its
// extension). "~5" (crossfade) and "#0012" (intro seconds) suffixes are cut from the
// title. Without the delimiter the whole name is the title and the artist is empty.
ArtistTitle SplitArtistTitle(std::string_view name, const NameRules& rules);
// The same for a name whose extension is already gone: a dot in the title stays, so
// "Band - Mr. Brightside" keeps its whole title.
ArtistTitle SplitBaseName(std::string_view baseName, const NameRules& rules);

// The artist for repeat protection: the artist, or the title when there is none.
std::string ArtistOfFile(std::string_view name, const NameRules& rules);

// The credited artists of an artist text, split at "feat.", "ft.", "featuring", "&", ",",
// " x ", " vs. " and "/" (whole words, any case), each once; a name of `keptWhole` found
// in the text stays one artist.
std::vector<std::string> SplitCreditedArtists(std::string_view artist,
                                              const std::vector<std::string>& keptWhole);
// The artists the repeat rule keeps apart for a file: its credited artists when the
// rules say so, else its one artist.
std::vector<std::string> ArtistsOfFile(std::string_view name, const NameRules& rules);

// Artist and title of the file at `path` (with its folder): from the file name, with the
// tags' artist and title in their place where the rules take them from the tags.
ArtistTitle ArtistTitleOfPath(std::string_view path, const NameRules& rules);
// `split`, the artist and title a file name of the file at `path` gives, with the tags'
// in their place where the rules take them from the tags and the file's tags have them.
ArtistTitle WithTaggedName(ArtistTitle split, std::string_view path, const NameRules& rules);
// ArtistsOfFile for the file at `path`, its artist as ArtistTitleOfPath gives it.
std::vector<std::string> ArtistsOfPath(std::string_view path, const NameRules& rules);

// The title shown for a path: the name without folder and extension, with the "~" and
// "#" suffixes cut; no artist split.
std::string CleanTitle(std::string_view path);

// The crossfade an item of `seconds` gets: the allowance (none when it would take half
// the item or more), or, with the file-name crossfade on, the seconds after a "~" in the
// file name ("Song~3.5.mp3"). A "~" followed by no number leaves the allowance and is
// flagged, so the caller can report it.
struct Crossfade {
    double Seconds = 0.0;
    bool BadMark = false;
};
Crossfade ItemCrossfade(std::string_view path, unsigned seconds, double allowance,
                        bool fromFileName);

// True when the whole text is a whole number.
bool IsNumber(std::string_view text);

}  // namespace spindle
