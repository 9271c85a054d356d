#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/datetime.h"
#include "base/format_settings.h"
#include "editor/playlist_document.h"
#include "fileinfo/name_conventions.h"
#include "reports/page_layout.h"

namespace spindle {

struct Options;
class TCategoryDetails;
class TSpotDetails;

// What of a log is printed: days and hours (both ends included), and whether spots and
// notes are printed beside the tracks.
struct PrintSelection {
    int DayFrom = 0;
    int DayTo = 0;
    int HourFrom = 0;
    int HourTo = 23;
    bool IncludeSpots = true;
};

// The message for a selection that would print nothing, or nullopt.
std::optional<std::string> SelectionProblem(const PrintSelection& selection);

// The title of playlist prints: the listeners' page title, or "Station Playlist".
std::string PlaylistPrintTitle(const Options& options);
// "(created <when>, printed <now>)".
std::string PlaylistPrintSubtitle(TDateTime created, TDateTime now, const FormatSettings& settings);

// The hours of the document the selection takes, one block each (three on the first
// page, four on each later one), from what the editor holds now: unsaved edits print.
// Times follow the on-air clock, each item less its crossfade (`crossfade` seconds, or
// its name's mark when `crossfadeFromName`), as the run timed them. Items print by file
// name; a track whose tags name it, where `names` take artist and title from the tags,
// prints as its artist and title put the way the station's file names put them.
void LayOutPlaylist(PageLayout& layout, const PlaylistDocument& document,
                    const PrintSelection& selection, const FormatSettings& settings,
                    double crossfade = 0.0, bool crossfadeFromName = false,
                    const NameRules& names = {});

// A summary file (track or spot) as the run wrote it: its title line and its rows.
struct SummaryFile {
    std::string Title;     // the title line's first field: the print job's name
    std::string Subtitle;  // its second field
    std::vector<std::vector<std::string>> Rows;
};
std::optional<SummaryFile> ReadSummaryFile(const std::string& path);
// "(<second field>.  Printed <now>)".
std::string SummaryPrintSubtitle(const SummaryFile& file, TDateTime now,
                                 const FormatSettings& settings);

void LayOutTrackSummary(PageLayout& layout, const SummaryFile& file);

// The three spot reports, as an advertiser's statement reads: the Spot Groups with their
// airings and air time; each group's spots; each spot's every airing. Each ends in the
// grand total of the whole summary.
enum class SpotReport { Groups = 0, Files = 1, Detailed = 2 };
void LayOutSpotSummary(PageLayout& layout, const SummaryFile& file, SpotReport report);

// The songs of a Category whose intro (or outro) the Spot Group lacks, matched by song
// title, by artist, or either. `progress` is told of each song looked at.
enum class IntroMatch { SongsOrArtists = 0, SongsOnly = 1, ArtistsOnly = 2 };
std::vector<std::string> MissingIntros(const TCategoryDetails& category, const TSpotDetails& group,
                                       IntroMatch match, const NameRules& rules,
                                       const std::function<void(std::size_t)>& progress = {});
// The text file of the list: the Category and the Spot Group, then the songs.
std::string MissingIntrosText(const std::string& category, const std::string& group,
                              const std::vector<std::string>& lines);
// Lays out a text file's lines, one a row.
void LayOutTextLines(PageLayout& layout, const std::vector<std::string>& lines);

}  // namespace spindle
