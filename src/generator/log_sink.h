#pragma once

#include <cstdint>
#include <string_view>

#include "base/datetime.h"

namespace spindle {

// Item types of the Playlist Log.
enum ItemType : int {
    kItemTrack = 0,
    kItemSpot = 1,
    kItemTimedSpot = 2,
    kItemHourMarker = 3,
    kItemBreakNote = 4,
    kItemContinuation = 5,
    kItemVoiceTrack = 6,
    kItemIntro = 7,
    kItemOutro = 8,
    kItemVoice = 9,
};

// Items other than tracks that reach a playlist through its line format: spots,
// intros, outros and voice items. Summaries count them and pages show them in red.
inline bool IsSpotItem(int type) {
    switch (type) {
        case kItemSpot:
        case kItemTimedSpot:
        case kItemVoiceTrack:
        case kItemIntro:
        case kItemOutro:
        case kItemVoice:
            return true;
        default:
            return false;
    }
}

// Where the assembly pass writes the Playlist Log, one line per call.
class PlaylistLogSink {
public:
    virtual ~PlaylistLogSink() = default;
    virtual void Header(TDateTime created, TDateTime start, int timeResetPeriod) = 0;
    virtual void Hour(long itemCounter, TDateTime hourStart) = 0;
    // `time` is the item time in hours as it is to be printed: running times come
    // from single precision, timed rotation items are exact.
    virtual void Item(int type, long itemNumber, double time, std::string_view text,
                      std::uint16_t duration, std::string_view owner) = 0;
};

}  // namespace spindle
