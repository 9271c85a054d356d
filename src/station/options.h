#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/datetime.h"
#include "base/format_settings.h"
#include "fileinfo/name_conventions.h"
#include "scan/extensions.h"

namespace spindle {

enum Period : std::uint8_t { kPeriodHour = 0, kPeriodDay = 1, kPeriodWeek = 2 };

// The station-wide settings, in the order of their items in "Options.dat".
struct Options {
    std::int64_t StartDay = 0;                // 0: day number of the first day to generate
    int StartHour = 0;                        // 1: 0 to 23
    int TotalDays = 1;                        // 2: 0 to 90
    int PlaylistPeriod = kPeriodDay;          // 3
    std::string SystemArtistInterval = "0";   // 4: minutes, as typed (up to 5 digits)
    std::string SystemSongInterval = "0";     // 5: minutes, as typed (up to 5 digits)
    std::string ArtistDelim = " - ";          // 6
    std::string FilenameFormat;               // 7
    std::string PlaylistFolder;               // 8
    bool TimeCheck = true;                    // 11
    int TimeCheckMinutes = 0;                 // 12: 0 to 59
    std::string CrossfadeAllowance;           // 13: seconds as decimal text
    int NewerTracks = 0;                      // 14: 0 None, 1 Light, 2 Medium, 3 Heavy
    bool HTMLEnabled = false;                 // 15
    bool HTMLSpots = false;                   // 16
    std::string HTMLSpotsOver = "60";         // 17: seconds, as typed (up to 4 digits)
    std::string HTMLFolder;                   // 18
    std::string Kept19;                       // 19: kept as read
    std::string Kept20;                       // 20: kept as read
    std::string PathSubFrom1;                 // 23
    std::string PathSubTo1;                   // 24
    std::string PathSubFrom2;                 // 25
    std::string PathSubTo2;                   // 26
    int FileVersion = 0;                      // 27: as read; always written as 251
    std::string PlaylistFormat;               // 28
    std::string HTMLTitle;                    // 29
    std::vector<std::string> HTMLUserHeader;  // 30
    std::vector<std::string> HTMLUserFooter;  // 31
    bool StayOnTop = false;                   // 32
    int ArtistFirst = 0;                      // 33: 0 artist first, 1 title first
    std::string LogFolder;                    // 34
    bool TrackLog = false;                    // 35
    bool SpotLog = false;                     // 36
    bool PlayEnabled = false;                 // 37
    bool KorvelCrossfade = true;              // 38: always on after loading
    bool IncludeHM = true;                    // 39
    std::string MarkerString;                 // 40
    std::string BreakNoteString;              // 41
    int TimeResetPeriod = kPeriodHour;        // 42
    bool UseColour = true;                    // 43
    ExtensionSet Extensions;                  // 44
    int TotalHours = 0;                       // 45: 0 to 23
    bool IncrementHour = false;               // 46
    std::string VoiceTrackFolder;             // 47
    bool ToolTips = true;                     // 48
    int DeleteOldPlaylists = 7;               // 49: days
    std::string LogBaseName;                  // 50: the last run's log name, without folder
    std::string RecordingApp;                 // 51
    bool AutoNext = false;                    // 52
    bool AutoRecord = false;                  // 53
    int VoiceTrackTop = 0;                    // 54
    int VoiceTrackLeft = 0;                   // 55
    bool HTMLStartTime = false;               // 56
    bool VTFilenames = false;                 // 58
    bool HTMLVT = false;                      // 59
    bool HTMLCategoryNames = false;           // 60

    // Kept in "Settings.ini" beside Options.dat, whose items stay as they are stored.
    // The program that plays the editor's preview list, as words (the list's path is
    // added); empty: the desktop's own handler for playlists.
    std::string PlayerCommand;
    // The scheduling settings beyond the file's items, on for a station Spindle makes
    // (DefaultOptions) and off for one stored before they were: each credited artist kept
    // apart by the artist rule; hours fitted to end on the hour; a report of every repeat
    // rule relaxed.
    bool CreditedArtists = false;
    bool FitHours = false;
    bool RelaxedRuleReport = false;
    // Artist names that hold a separator on purpose, one a line of "ArtistNames.txt".
    std::vector<std::string> ArtistNamesKeptWhole;
    // Lines of "Settings.ini" this version does not know, kept as they are.
    std::vector<std::string> OtherSettings;

    NameRules Names() const {
        return {ArtistDelim, ArtistFirst, CreditedArtists, &ArtistNamesKeptWhole};
    }
    // The values of the typed number fields; empty or not a whole number counts as 0.
    std::uint32_t ArtistIntervalMinutes() const;
    std::uint32_t SongIntervalMinutes() const;
    std::uint32_t HTMLSpotsOverSeconds() const;
    // The crossfade allowance in seconds; 0 when the field is empty or no number.
    double CrossfadeSeconds(const FormatSettings& settings) const;
    // LogFolder with its trailing separator.
    std::string LogFolderPath() const;
};

inline constexpr int kOptionsFileVersion = 251;
inline constexpr std::size_t kOptionsItemCount = 61;
inline constexpr const char* kPresetM3UStandard = "M3U Standard";
inline constexpr const char* kPresetKorvel = "Korvel";
inline constexpr const char* kPresetExtendedM3U = "Extended M3U";
inline constexpr const char* kPresetLiquidsoap = "Liquidsoap";

// The names the Playlist Format list offers, in order.
const std::vector<std::string>& FormatPresetNames();

// The defaults of a new station whose data folder is `dataFolder` (with its separator):
// today as the start day, the Korvel preset, the repeat intervals a station starts from,
// the recorder installed with Spindle, and no programs or batch files as tracks.
Options DefaultOptions(const std::string& dataFolder, TDateTime today,
                       const FormatSettings& settings);

// Replaces the format fields by a preset's values; false for a name that is no preset
// (the operator's own format stays).
bool ApplyFormatPreset(Options& options, const std::string& presetName);

struct OptionsLoad {
    Options Values;
    bool LineRead = false;  // whether "Options.dat" held a line
    // The items that could not be used, each as "Name "value" -> what is used instead".
    std::vector<std::string> Replaced;
};

// The value of a typed number field: empty counts as 0; nullopt when the text is not
// a whole number of at most `maxDigits` digits.
std::optional<std::uint32_t> TypedNumber(std::string_view text, std::size_t maxDigits);

// Defaults, then "Options.dat" item by item: a missing item keeps its default, an item
// that does not convert or lies out of range takes its default alone and is listed in
// `Replaced`. Then the post-load rules and the migration of older files (a file without
// its version item is from before versions were written).
OptionsLoad LoadOptions(const std::filesystem::path& dataFolder, TDateTime today,
                        const FormatSettings& settings);

// "Settings.ini": one "Name=value" a line, in UTF-8; "#" starts a comment.
inline constexpr const char* kSettingsFileName = "Settings.ini";
void ReadSettingsFile(const std::filesystem::path& dataFolder, Options& options);
std::string SettingsFileText(const Options& options);

// "ArtistNames.txt": the names kept whole, one a line; a sensible list when the station
// has none yet.
inline constexpr const char* kArtistNamesFileName = "ArtistNames.txt";
std::vector<std::string> DefaultArtistNamesKeptWhole();
std::string ArtistNamesFileText(const Options& options);

// The line "Options.dat" holds for these options.
std::string OptionsLine(const Options& options);

}  // namespace spindle
