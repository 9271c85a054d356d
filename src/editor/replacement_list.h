#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "editor/instant_replace.h"
#include "editor/playlist_document.h"
#include "generator/run_report.h"

namespace spindle {

class Station;
class RulesCache;

// A track that could take an item's place, and the rules it would break there.
struct ReplacementCandidate {
    std::string Path;
    std::uint32_t Duration = 0;
    std::string Artist;  // as the station names them from the file
    std::string Title;
    // Each rule it breaks, most important first, in the operator's words.
    std::vector<std::string> Breaks;
    bool Clean() const { return Breaks.empty(); }
};

struct ReplacementList {
    std::string Problem;  // why there is no list
    std::string Category;
    TDateTime Slot = 0.0;
    // Best first: those that break no rule in the order the Category would play them, then
    // the others, those breaking the least important rules by the least first, and among
    // equals the one played longest ago.
    std::vector<ReplacementCandidate> Candidates;
};

// The tracks of a track item's Category that could replace it, each judged by the
// Category's rules where the item plays, with the log around it.
ReplacementList ListReplacements(const PlaylistDocument& document, Station& station,
                                 std::uint64_t id, RunReport& report, RulesCache* cache = nullptr);

// The places in the list of the candidates shown: only those that break nothing when
// `cleanOnly`, and those whose artist or title holds `search` (in any case).
std::vector<std::size_t> ShownCandidates(const ReplacementList& list, bool cleanOnly,
                                         std::string_view search);

// The rules a track item breaks where it stands, in the operator's words, most important
// first: none for an item that is no Category track. A station database that cannot be read
// is told as one line.
std::vector<std::string> RuleBreaksOf(const PlaylistDocument& document, Station& station,
                                      std::uint64_t id, RulesCache* cache = nullptr);

}  // namespace spindle
