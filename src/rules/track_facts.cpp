#include "rules/track_facts.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "base/format.h"
#include "base/text_case.h"
#include "base/translate.h"
#include "stationdb/attribute_source.h"

namespace spindle {
namespace {

// Words that name a version of a recording rather than another song.
bool VersionWord(std::string_view word) {
    static constexpr std::string_view kWords[] = {
        "live",      "remaster",     "remastered", "remix",     "edit",      "version", "feat",
        "featuring", "ft",           "acoustic",   "unplugged", "demo",      "mono",    "stereo",
        "extended",  "instrumental", "radio",      "explicit",  "orchestral"};
    return std::find(std::begin(kWords), std::end(kWords), word) != std::end(kWords);
}

// Whether the words begin or end with a version word ("Live at Wembley", "2011 Remaster").
bool NamesVersion(std::string_view words) {
    const std::string folded = FoldCase(words);
    std::vector<std::string_view> each;
    for (std::size_t from = 0; from < folded.size();) {
        const std::size_t end = std::min(folded.find_first_of(" ,;/-.:!?", from), folded.size());
        if (end > from) {
            each.push_back(std::string_view(folded).substr(from, end - from));
        }
        from = end + 1;
    }
    return !each.empty() && (VersionWord(each.front()) || VersionWord(each.back()));
}

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The title less one trailing version part, or as it is when it ends in none.
std::string_view WithoutLastVersion(std::string_view title) {
    const char last = title.empty() ? '\0' : title.back();
    if (last == ')' || last == ']') {
        const std::size_t open = title.rfind(last == ')' ? '(' : '[');
        if (open != std::string_view::npos &&
            NamesVersion(title.substr(open + 1, title.size() - open - 2))) {
            return Trimmed(title.substr(0, open));
        }
        return title;
    }
    // After a hyphen, an en dash or an em dash between blanks: the last of them.
    std::size_t dash = std::string_view::npos;
    std::size_t length = 0;
    for (const std::string_view mark : {" - ", " \xe2\x80\x93 ", " \xe2\x80\x94 "}) {
        const std::size_t at = title.rfind(mark);
        if (at != std::string_view::npos && (dash == std::string_view::npos || at > dash)) {
            dash = at;
            length = mark.size();
        }
    }
    if (dash != std::string_view::npos && NamesVersion(title.substr(dash + length))) {
        return Trimmed(title.substr(0, dash));
    }
    return title;
}

}  // namespace

std::string AlbumKey(std::string_view album, std::string_view albumArtist) {
    if (Trimmed(album).empty()) {
        return {};
    }
    return FoldCase(Trimmed(album)) + '\x1f' + FoldCase(Trimmed(albumArtist));
}

std::string TitleKey(std::string_view title) {
    std::string_view rest = Trimmed(title);
    for (std::string_view shorter = WithoutLastVersion(rest);
         !shorter.empty() && shorter.size() < rest.size(); shorter = WithoutLastVersion(rest)) {
        rest = shorter;
    }
    return FoldCase(rest);
}

DbRead<TrackFactsByPath> LoadTrackFacts(StationDb& db) {
    DbRead<TrackFactsByPath> facts;
    const auto attributes = db.Attributes();
    if (!attributes) {
        facts.Problem = attributes.Problem;
        return facts;
    }
    std::vector<AttributeSource> sources;
    std::vector<std::string> extraKeys{"ALBUMARTIST"};
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
    // Attributes set by hand or from a free text field need none of the tags' other fields.
    const bool everyField = std::any_of(sources.begin(), sources.end(), [](const auto& source) {
        return !source.ByHand() && source.ExtraKey().empty();
    });
    std::erase_if(sources, [](const AttributeSource& source) { return source.ByHand(); });
    auto tracks = db.StoredTracks(extraKeys, everyField);
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
        if (const auto albumArtist = track.Tags.Extra.find("ALBUMARTIST");
            albumArtist != track.Tags.Extra.end()) {
            fact.AlbumArtist = std::move(albumArtist->second);
        }
        fact.Artist = std::move(track.Tags.Artist);
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
