#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "editor/find_replace.h"
#include "editor/playlist_document.h"

namespace spindle {

struct Options;

// The kinds the Select dialog offers, in its order.
enum class SelectKind { Category = 0, SpotGroup, TimedSpot, BreakNote, VoiceIntro, Other };

// What the Select dialog chose.
struct Selection {
    SelectKind Kind = SelectKind::Category;
    std::string Path{};          // the file, or the Break Note's text
    std::uint32_t Duration = 0;  // seconds; 0 for a file of unknown length
    std::string Group{};         // the Category or Spot Group chosen from
    std::string Shown{};         // the entry as the dialog listed it
};

// A Break Note's seconds are the number before its first ":" ("30:Weather news" is 30 s);
// a text without one lasts 0 s.
std::uint32_t BreakNoteSeconds(std::string_view text);

// The item a selection is inserted as; at other positions a Break Note is a timed one.
PlaylistDocument::NewItem InsertedItem(const Selection& selection, bool otherPositions);

// The item a selection replaces found items with: Category tracks and spots, timed spots
// and Break Notes keep their kinds; voice intros and other files become voice items.
Replacement ReplacementFor(const Selection& selection);

// How long each entry plays for the "Other position(s)" walk: its duration less the
// crossfade allowance of the Options (or of its file name).
std::function<double(const EditorItem&)> PlaySeconds(const Options& options, double allowance);

// The type a dropped file takes from the keys held at the drop: Alt a voice item (9),
// else Shift a song outro (8), else Ctrl a spot (1), else a Category track (0).
int DropType(bool alt, bool shift, bool ctrl);

struct DroppedItem {
    std::string Path;
    int Type = kItemTrack;
};

// The items a drop of `paths` inserts: an M3U list is opened (its entries that exist, as
// spots with Ctrl, else as tracks) unless Alt is held, when it goes in as a file itself;
// other files go in when their extension is enabled; folders and the rest are passed over.
std::vector<DroppedItem> DroppedItems(const std::vector<std::string>& paths, int type, bool alt,
                                      bool ctrl, const Options& options);

}  // namespace spindle
