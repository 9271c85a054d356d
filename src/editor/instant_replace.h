#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "editor/playlist_document.h"

namespace spindle {

class Station;
class RulesCache;

// What an instant replacement did: the id now in the row's place, or the message for
// the operator when no candidate would do (the row stays as it was).
struct ReplaceOutcome {
    std::uint64_t Id = 0;
    std::string Message;
    bool Replaced() const { return Id != 0; }
};

// Replaces a row's track from its Category under the song and artist intervals, by the
// run's rules (artist keys through Related Artists and credited artists), looking at its
// neighbours across hour and day boundaries and, before the log's start, at the track
// lists' last uses; or its spot from its Spot Group. `sameArtist` takes only another file by the
// same artist. A Category's own intervals hold when it specifies them; else `songSeconds` and
// `artistSeconds`.
ReplaceOutcome InstantReplace(PlaylistDocument& document, Station& station, std::uint64_t id,
                              bool sameArtist, std::uint32_t songSeconds,
                              std::uint32_t artistSeconds,
                              const std::function<std::uint32_t(const std::string&)>& measure,
                              RulesCache* cache = nullptr);

}  // namespace spindle
