#include "station/station.h"

#include <cstdlib>

#include "base/format.h"
#include "base/paths.h"
#include "base/safe_file.h"
#include "base/text_case.h"
#include "base/text_file.h"
#include "base/translate.h"
#include "station/migrate.h"
#include "station/recording_facts.h"
#include "station/track_list.h"

namespace spindle {

Station::Station(std::filesystem::path dataFolder, Operator& op, FormatSettings settings)
    : Clock(NowLocal),
      dataFolder_(std::move(dataFolder)),
      op_(&op),
      settings_(std::move(settings)) {
    Opt = DefaultOptions(DataFolderText(), Today(), settings_);
}

std::string Station::DataFolderText() const {
    return IncludeTrailingDelimiter(dataFolder_.string());
}

TDateTime Station::Today() const {
    return static_cast<double>(DateOf(Clock()));
}

void Station::LoadAll() {
    windowsPathReported_ = false;
    tagCache_.NewScan(true);
    LoadOptions();
    LoadRelated();
    LoadCategories();
    LoadSpotGroups();
    tagCache_.EndScan();
    LoadRotations();
    LoadSchedules();
}

void Station::LoadOptions() {
    OptionsLoad loaded = spindle::LoadOptions(dataFolder_, Today(), settings_);
    Opt = std::move(loaded.Values);
    Changed.Options = false;
    for (const std::string* folder :
         {&Opt.PlaylistFolder, &Opt.HTMLFolder, &Opt.LogFolder, &Opt.VoiceTrackFolder}) {
        ReportWindowsPath(*folder);
    }
    if (!loaded.Replaced.empty()) {
        std::string list;
        for (const std::string& item : loaded.Replaced) {
            list += "\n" + item;
        }
        ReportLoadProblem(Format(tr("Some settings in \"%0:s\" could not be used and were "
                                    "replaced; the others are kept:%1:s"),
                                 (dataFolder_ / "Options.dat").string(), list));
    }
}

void Station::LoadRelated() {
    if (auto lines = ReadTextLines(dataFolder_ / "Related.dat")) {
        Related.SetLines(std::move(*lines));
    } else {
        Related.SetLines({});
    }
    Changed.Related = false;
}

bool Station::SaveDefinitions(const char* fileName, const std::string& text,
                              const char* backupMessage) {
    const std::filesystem::path file = dataFolder_ / fileName;
    const SaveResult result = ReplaceFile(file, text, BackupPathFor(file));
    if (result.Failure == SaveFailure::Backup) {
        op_->Show(MessageKind::Error, tr(backupMessage), Buttons::Ok);
        return false;
    }
    if (!result) {
        op_->Show(MessageKind::Error, Format(tr("Unable to create \"%0:s\""), file.string()),
                  Buttons::Ok);
        return false;
    }
    return true;
}

bool Station::SaveOptions() {
    if (!SaveDefinitions("Options.dat", OptionsLine(Opt) + "\r\n",
                         N_("Unable to save Options backup file.  Save aborted."))) {
        return false;
    }
    for (const auto& [name, text] : {std::pair{kSettingsFileName, SettingsFileText(Opt)},
                                     std::pair{kArtistNamesFileName, ArtistNamesFileText(Opt)}}) {
        const std::filesystem::path file = dataFolder_ / name;
        if (!ReplaceFile(file, text)) {
            op_->Show(MessageKind::Error, Format(tr("Unable to create \"%0:s\""), file.string()),
                      Buttons::Ok);
            return false;
        }
    }
    Changed.Options = false;
    return true;
}

bool Station::SaveRelated() {
    Related.Tidy();
    const std::filesystem::path file = dataFolder_ / "Related.dat";
    if (!ReplaceFile(file, JoinLines(Related.Lines()))) {
        op_->Show(MessageKind::Error, Format(tr("Unable to create \"%0:s\""), file.string()),
                  Buttons::Ok);
        return false;
    }
    Changed.Related = false;
    return true;
}

// The rules that look back at earlier runs read these; like the track lists, they are on
// disk before the start moves past their period.
bool Station::SaveAirings() {
    const DbRead<int> saved = RecordHistory(*this, LastRunAirings);
    if (!saved) {
        op_->Show(MessageKind::Error, saved.Problem, Buttons::Ok);
        return false;
    }
    LastRunAirings = {};
    return true;
}

bool Station::ForgetTrackHistory() {
    std::vector<std::string> paths;
    for (const auto& c : Categories) {
        for (const auto* files : {&c->Files, &c->Absent}) {
            for (const FileRec& f : *files) {
                paths.push_back(f.FileName);
            }
        }
    }
    for (const auto& s : SpotGroups) {
        for (const auto* files : {&s->Files, &s->Absent}) {
            for (const FileRec& f : *files) {
                paths.push_back(f.FileName);
            }
        }
    }
    StationDb db(dataFolder_, StationDb::Mode::IfExists);
    const DbRead<int> forgotten = db.IsOpen() ? db.ForgetHistory(paths) : DbRead<int>{};
    if (!forgotten) {
        op_->Show(MessageKind::Error, forgotten.Problem, Buttons::Ok);
        return false;
    }
    ForgetHistoryOnSave = false;
    return true;
}

bool Station::SaveAll(bool unattendedStartup) {
    bool ok = true;
    // The run's plays go first, its last uses next and the start last: the start moves on
    // only once the history of the period just made is on disk, so neither a kill between
    // the files nor a full disk leaves the next run blind to that period; a database that
    // refuses the plays (damaged, locked) leaves the run unsaved, its last uses with it.
    if (LastRunStart > 0.0 && !LastRunAirings.Airings.empty()) {
        ok = SaveAirings();
    }
    if (Changed.FileLists && ok)
        ok = SaveAllTrackLists() && ok;
    if (ForgetHistoryOnSave && ok) {
        ok = ForgetTrackHistory();
    }
    if (LastRunStart > 0.0 && ok) {
        Opt.StartDay += Opt.TotalDays;
        if (Opt.IncrementHour || unattendedStartup) {
            Opt.StartHour += Opt.TotalHours;
            if (Opt.StartHour > 23) {
                Opt.StartHour -= 24;
                Opt.StartDay += 1;
            }
        }
        Changed.Options = true;
        LastRunStart = 0.0;
    }
    if (Changed.Spots)
        ok = SaveSpotGroups() && ok;
    if (Changed.Categories)
        ok = SaveCategories() && ok;
    if (Changed.Rotations)
        ok = SaveRotations() && ok;
    if (Changed.Schedules)
        ok = SaveSchedules() && ok;
    if (Changed.Related)
        ok = SaveRelated() && ok;
    if (Changed.Options)
        ok = SaveOptions() && ok;
    return ok;
}

namespace {
template <typename List>
auto FindByName(const List& list, std::string_view name) -> decltype(list.front().get()) {
    for (const auto& item : list) {
        if (SameText(item->Name, name)) {
            return item.get();
        }
    }
    return nullptr;
}
}  // namespace

TCategoryDetails* Station::FindCategory(std::string_view name) const {
    return FindByName(Categories, name);
}
TSpotDetails* Station::FindSpotGroup(std::string_view name) const {
    return FindByName(SpotGroups, name);
}
TRotationDetails* Station::FindRotation(std::string_view name) const {
    return FindByName(Rotations, name);
}
TScheduleDetails* Station::FindSchedule(std::string_view name) const {
    return FindByName(Schedules, name);
}

std::size_t Station::TotalCategoryTracks() const {
    std::size_t total = 0;
    for (const auto& c : Categories) {
        total += c->Files.size();
    }
    return total;
}

void Station::ReportLoadProblem(const std::string& message) const {
    op_->Show(MessageKind::Error, message, Buttons::Ok);
}

bool Station::ReportWindowsPath(const std::string& path) const {
    if (!IsWindowsPath(path)) {
        return false;
    }
    if (!windowsPathReported_) {
        windowsPathReported_ = true;
        // The drive or the server and share, as the --map to give.
        std::string root = path.substr(0, 3);
        if (path.starts_with("\\\\")) {
            const std::size_t share = path.find('\\', 2);
            const std::size_t end = share == std::string::npos ? share : path.find('\\', share + 1);
            root = path.substr(0, end);
        }
        ReportLoadProblem(Format(
            tr("\"%0:s\" is a path of a Windows station: its files cannot be found here, and "
               "the tracks of such folders keep their saved history until the station is "
               "brought over with\n  spindle-cli migrate --data \"%1:s\" --map \"%2:s=FOLDER\"\n"
               "where FOLDER holds those files on this machine."),
            path, dataFolder_.string(), root));
    }
    return true;
}

void Station::RevertLastUsed(bool reset) {
    auto revert = [reset](std::vector<FileRec>& files) {
        for (FileRec& f : files) {
            if (reset) {
                f.SavedLastUsed = kResetLastUsed;
            }
            f.LastUsed = f.SavedLastUsed;
        }
    };
    for (auto& c : Categories) {
        revert(c->Files);
        revert(c->Absent);
    }
    for (auto& s : SpotGroups) {
        if (reset) {
            s->SavedNextItem = 0;
        }
        s->NextItem = s->SavedNextItem;
        revert(s->Files);
        revert(s->Absent);
    }
    Artists.ForEach([reset](ArtistRec& a) {
        if (reset) {
            a.SavedLastPlayed = kResetLastUsed;
        }
        a.LastPlayed = a.SavedLastPlayed;
    });
    // Whatever else was unsaved stays so; a reset is an edit of its own.
    if (reset) {
        Changed.FileLists = true;
        Changed.Spots = Changed.Spots || !SpotGroups.empty();  // where NextItem is saved
    }
}

std::filesystem::path Station::TrackListPath(const TCustomDetails& group) const {
    // A list brought from a Windows station may carry its name in Windows-1252; it is
    // read from there, and saved under the name in UTF-8.
    return FindTrackListFile(dataFolder_, TrackListFileName(group));
}

bool HoldsStation(const std::filesystem::path& folder) {
    std::error_code ec;
    return std::filesystem::exists(folder / "Options.dat", ec) ||
           std::filesystem::exists(folder / "Categories.dat", ec);
}

std::filesystem::path ResolveDataFolder(const std::optional<std::string>& given,
                                        const char* environment,
                                        const std::filesystem::path& programPath) {
    return ResolveDataFolder(given, environment, programPath, std::getenv("XDG_DATA_HOME"),
                             std::getenv("HOME"));
}

std::filesystem::path ResolveDataFolder(const std::optional<std::string>& given,
                                        const char* environment,
                                        const std::filesystem::path& programPath,
                                        const char* xdgDataHome, const char* home) {
    std::filesystem::path folder;
    if (given && !given->empty()) {
        folder = *given;
    } else if (environment != nullptr && *environment != '\0') {
        folder = environment;
    } else if (HoldsStation(programPath.parent_path())) {
        folder = programPath.parent_path();
    } else if (xdgDataHome != nullptr && *xdgDataHome == '/') {
        folder = std::filesystem::path(xdgDataHome) / "spindle";
    } else if (home != nullptr && *home != '\0') {
        folder = std::filesystem::path(home) / ".local/share/spindle";
    } else {
        folder = programPath.parent_path();  // nowhere else to go
    }
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(folder, ec);
    return ec ? folder : absolute.lexically_normal();
}

}  // namespace spindle
