#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "base/format_settings.h"
#include "base/operator.h"
#include "base/progress.h"
#include "base/random_source.h"
#include "scan/track_tags_cache.h"
#include "station/artists.h"
#include "station/details.h"
#include "station/options.h"
#include "station/related.h"
#include "station/rotation.h"
#include "station/schedule.h"
#include "station/track_list.h"
#include "stationdb/station_db.h"

namespace spindle {

struct ChangedFlags {
    bool Options = false;
    bool Categories = false;
    bool Spots = false;
    bool Rotations = false;
    bool Schedules = false;
    bool FileLists = false;
    bool Related = false;
    bool Any() const {
        return Options || Categories || Spots || Rotations || Schedules || FileLists || Related;
    }
};

// One station's library and settings: the data folder, the Options, the four ordered
// lists, the artists, the Related Artists lines and what is unsaved. Loading, saving,
// renaming, deleting and generating are operations on it; it reaches a person only
// through its Operator and Progress.
class Station {
public:
    Station(std::filesystem::path dataFolder, Operator& op,
            FormatSettings settings = FormatSettings::FromLocale());

    const std::filesystem::path& DataFolder() const { return dataFolder_; }
    // The data folder as the program writes paths: with its trailing separator.
    std::string DataFolderText() const;
    Operator& Op() const { return *op_; }
    // Routes the Station's messages and questions through `op` from now on; work moved
    // to another thread hands them to one that reaches the person safely.
    void SetOperator(Operator& op) { op_ = &op; }
    const FormatSettings& Settings() const { return settings_; }

    // Isolated mode: groups load from their saved track lists only; no folder is scanned.
    bool Isolated = false;
    // Set while the program starts: loading shows no progress window.
    bool Startup = false;
    // Where reloads show their progress; none when nobody watches.
    Progress* ProgressSink = nullptr;
    // The clock, a seam for tests.
    std::function<TDateTime()> Clock;
    RandomSource Random;
    // A seed that makes every run choose alike; runs are seeded from the clock without it.
    std::optional<std::uint64_t> FixedSeed;

    Options Opt;
    std::vector<std::unique_ptr<TCategoryDetails>> Categories;
    std::vector<std::unique_ptr<TSpotDetails>> SpotGroups;
    std::vector<std::unique_ptr<TRotationDetails>> Rotations;
    std::vector<std::unique_ptr<TScheduleDetails>> Schedules;
    TRotationDetails* DefaultRotation = nullptr;
    ArtistList Artists;
    RelatedArtists Related;
    ChangedFlags Changed;
    // The names the rules of the Categories deleted since the last save of the Categories
    // are kept under; they leave the station database with that save, as the Categories
    // leave the file.
    std::vector<std::string> DeletedCategories;
    // The start of the last successful run since the last Save All; 0 when none.
    TDateTime LastRunStart = 0.0;
    // What that run put on the air, for the play history; recorded as its start moves on.
    RunHistory LastRunAirings;
    // Whether the next save of the track lists forgets the play history of every track, as
    // a reset of the last uses asked.
    bool ForgetHistoryOnSave = false;

    // Start-up: Options, Related Artists, Categories, Spot Groups, Rotations, Schedules.
    void LoadAll();
    void LoadOptions();
    void LoadRelated();
    void LoadCategories();
    void LoadSpotGroups();
    void LoadRotations();
    void LoadSchedules();

    // (Re)builds a group's tracks from its saved track list and a scan of its folders.
    void LoadCategoryFiles(TCategoryDetails& category, bool ignoreSaved);
    void LoadSpotFiles(TSpotDetails& group);
    // Scans a group again; the tracks still found keep their last use and duration as
    // they are now, saved or not.
    void ReloadFiles(TCustomDetails& group);
    void ReloadAllFiles();
    // The artist list made again from the loaded tracks, after the way artists are named
    // changed (credited artists, the names kept whole); no folder is scanned.
    void RebuildArtists();
    // How the station names its tracks' artists and titles: the Options' file-name rules,
    // with the tags' artist and title when the station takes them from there (as its
    // last load or reload of the files found them).
    NameRules Names() const;

    // Each save writes its file behind a backup and clears its flag; on failure the
    // operator is told, the previous file stays and the flag stays set.
    bool SaveOptions();
    bool SaveRelated();
    bool SaveCategories();
    bool SaveSpotGroups();
    bool SaveTrackList(TCustomDetails& group);
    bool SaveAllTrackLists();
    // Records the last run's airings in the play history.
    bool SaveAirings();
    // Forgets the play history of every track (ForgetHistoryOnSave).
    bool ForgetTrackHistory();
    bool SaveRotations();
    bool SaveSchedules();
    // Advances the start past the last run (when there was one), then saves whatever
    // is changed. `unattendedStartup` also advances the start hour. True when all saved.
    bool SaveAll(bool unattendedStartup = false);

    TCategoryDetails* FindCategory(std::string_view name) const;
    TSpotDetails* FindSpotGroup(std::string_view name) const;
    TRotationDetails* FindRotation(std::string_view name) const;
    TScheduleDetails* FindSchedule(std::string_view name) const;
    std::size_t TotalCategoryTracks() const;

    // An error box, or a line of the run's messages when unattended.
    void ReportLoadProblem(const std::string& message) const;
    // Whether `path` is a Windows station's path; the first one a load meets is
    // reported with the command that brings the station over.
    bool ReportWindowsPath(const std::string& path) const;

    // Sets the working last-used state back to the saved one (as of the last load or
    // save, with the operator's edits since); with `reset` the saved state first becomes
    // "long ago", to be saved. The changed flags are otherwise left as they are.
    void RevertLastUsed(bool reset);

    std::filesystem::path TrackListPath(const TCustomDetails& group) const;
    // Whether the group's track list may be written or removed under its list name: the
    // name can name one, and is not still the saved name of another group (one renamed
    // away from it, with the definitions not saved since).
    bool OwnsTrackList(const TCustomDetails& group) const;

private:
    TDateTime Today() const;
    // Tells an unattended run of a file whose playing time nobody could give.
    void ReportUnmeasured(const std::string& path, std::uint16_t duration,
                          const std::string& groupName) const;
    // Tells the operator when a group's name cannot have a track list of its own.
    void ReportTrackListName(const TCustomDetails& group) const;
    bool SaveDefinitions(const char* fileName, const std::string& text, const char* backupMessage);
    // Saves Categories.dat or Spots.dat (`groups` being their groups) and carries the
    // track lists of the groups renamed since to their new names.
    bool SaveGroupDefinitions(const std::vector<TCustomDetails*>& groups, const char* fileName,
                              const std::string& text, const char* backupMessage);
    // The group's saved track list; in isolated mode every line is kept, otherwise those
    // for which `keep` says yes (all of them without a `keep`).
    std::vector<SavedTrack> ReadSavedTracks(
        const TCustomDetails& group, const std::function<bool(const std::string&)>& keep) const;
    void EnterSavedTracks(TCustomDetails& group, std::vector<SavedTrack>& saved, bool artists) {
        EnterSavedTracks(saved, artists, group.Files);
    }
    void EnterSavedTracks(std::vector<SavedTrack>& saved, bool artists, std::vector<FileRec>& into);
    void ReportEmptyFolder(const std::string& folder, const std::string& groupName,
                           std::size_t kept) const;
    // One Category's load (category_scan.cpp).
    class CategoryScan;
    // One Spot Group's load (group_scan.cpp).
    class SpotScan;
    // Tells the operator that the tracks load without their tags, and why.
    void TellTagProblem(const std::string& problem) const;

    std::filesystem::path dataFolder_;
    mutable bool windowsPathReported_ = false;
    TrackTagsCache tagCache_;
    Operator* op_;
    FormatSettings settings_;
};

// Whether a folder holds a station (its Options or its Categories).
bool HoldsStation(const std::filesystem::path& folder);

// The data folder: the one given on the command line, else $SPINDLE_DATA, else the
// program's own folder when it holds a station (a portable install), else the user's
// data folder: $XDG_DATA_HOME/spindle, or ~/.local/share/spindle.
std::filesystem::path ResolveDataFolder(const std::optional<std::string>& given,
                                        const char* environment,
                                        const std::filesystem::path& programPath);
// As above, with the user's folders given (tests).
std::filesystem::path ResolveDataFolder(const std::optional<std::string>& given,
                                        const char* environment,
                                        const std::filesystem::path& programPath,
                                        const char* xdgDataHome, const char* home);

}  // namespace spindle
