#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/datetime.h"
#include "base/format_settings.h"
#include "fileinfo/name_conventions.h"

namespace spindle {

struct PathSubstitution {
    std::string From;
    std::string To;
};

// What every playlist line of a run shares.
struct PlaylistLineRules {
    PathSubstitution First;
    PathSubstitution Second;
    NameRules Names;
    FormatSettings Settings;
    double Crossfade = 0.0;       // the Options' crossfade allowance, in seconds
    bool KorvelCrossfade = true;  // a "~" in a file name gives that file's crossfade
};

// One item as the line formats see it.
struct PlaylistItem {
    std::string_view Path;  // path of audio items, text of notes and markers
    std::uint16_t Duration = 0;
    std::string_view Number;  // the item number as written in the log
    std::string_view Owner;
    char TypeDigit = '0';
    TDateTime Clock = 0.0;  // when it plays
    double ItemTime = 0.0;  // hours since the run's time base
};

// The path after the two substitutions.
std::string SubstitutePath(std::string path, const PlaylistLineRules& rules);

// Expands a line format's "%" codes for one item (see the Options' line format help:
// %u %p %f %e %a %t %S %s %d %D %D(pattern) %h %~ %c %C %i %N %n %b, with an optional
// width). Inserted values are never expanded again. %a and %t are the artist and title
// as the station names its tracks (the tags' where it takes them from there, looked up by
// the item's path before the substitutions). Two codes serve playout systems:
// %x, the item's crossfade in seconds, and %A, the item as Liquidsoap annotations:
// title, artist, duration, category, liq_cross_duration, intro and scheduled, each
// quoted as Liquidsoap reads it (so a preset can write "annotate:%A:%p/%f%e").
std::string FormatPlaylistLine(std::string_view format, const PlaylistItem& item,
                               const PlaylistLineRules& rules);

// "nn:ss" below an hour, else whole minutes and ":ss" (3725 s -> "62:05").
std::string MinutesAndSeconds(unsigned seconds);

}  // namespace spindle
