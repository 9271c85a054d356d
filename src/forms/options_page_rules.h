#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "forms/library_edits.h"
#include "scan/extensions.h"

namespace spindle {

// The rules of the main window's option pages and usage lists, kept here so the window
// only shows their results.

// The unit label of the default repeat intervals: "minutes" below 120 minutes, then
// hours up to 2160 minutes, then days, to the nearest half.
std::string OptionsIntervalUnitLabel(std::uint32_t minutes);

// The file chooser's filters for the enabled extensions, ";;" between them:
// "All supported files (*.mp3 *.wav);;All files (*)".
std::string FileDialogFilter(const ExtensionSet& extensions);

// Whether changing the playlist period asks to bring the time reset period along.
inline bool AsksPeriodSync(int playlistPeriod, int timeResetPeriod) {
    return playlistPeriod != timeResetPeriod;
}

// The usage list window of entry `index`: its title, the object's name, then headings
// each followed by the names that use it, or the line saying none does. Empty for a
// Schedule, which nothing uses.
struct UsageList {
    std::string Title;
    std::string Name;
    std::vector<std::string> Lines;
};
UsageList UsageListOf(const Station& station, ListKind kind, std::size_t index);

}  // namespace spindle
