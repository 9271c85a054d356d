// Filling a group's tracks: its saved track list merged with a scan of its folders (a
// Category's scan is category_scan.cpp); reloads.
#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "base/format.h"
#include "base/paths.h"
#include "base/text_case.h"
#include "base/translate.h"
#include "fileinfo/file_duration.h"
#include "scan/folder_walk.h"
#include "scan/group_scan_parts.h"
#include "station/group_ops.h"
#include "station/station.h"
#include "station/track_list.h"

namespace spindle {

std::vector<SavedTrack> Station::ReadSavedTracks(
    const TCustomDetails& group, const std::function<bool(const std::string&)>& keep) const {
    // A name that would lead out of the data folder, or onto one of the station's own
    // files, has no track list of its own.
    if (!IsTrackListName(group.ListName(), group.Kind())) {
        return {};
    }
    const std::string shownName = BaseNameNoExt(TrackListFileName(group.Name, group.Kind()));
    const std::function<bool(const std::string&)> none;
    return ReadTrackList(
        TrackListPath(group), Isolated ? none : keep, settings_, [&](const std::string& path) {
            ReportLoadProblem(
                Format(tr("Error loading file \"%0:s\" from Category \"%1:s\"."), path, shownName));
        });
}

void Station::EnterSavedTracks(std::vector<SavedTrack>& saved, bool artists,
                               std::vector<FileRec>& into) {
    const NameRules names = Names();
    into.reserve(into.size() + saved.size());
    for (SavedTrack& t : saved) {
        FileRec f;
        f.FileName = std::move(t.FileName);
        f.Duration = t.Duration;
        f.LastUsed = t.LastUsed;
        f.SavedLastUsed = t.LastUsed;
        f.FileDate = t.FileDate;
        f.Index = static_cast<std::int32_t>(into.size());
        if (artists) {
            Artists.NoteTrack(f.FileName, f.LastUsed, names);
        }
        into.push_back(std::move(f));
    }
}

void Station::ReportUnmeasured(const std::string& path, std::uint16_t duration,
                               const std::string& groupName) const {
    // Nobody was there to type the playing time in; without one the file throws its
    // hour's timing off, so the operator must hear of it.
    if (duration == 0 && op_->Unattended()) {
        ReportLoadProblem(Format(tr("The playing time of \"%0:s\" in \"%1:s\" cannot be told "
                                    "(the file is unreadable, empty or of an unknown layout)."),
                                 path, groupName));
    }
}

// One Spot Group's load: its folders walked, the files found sorted by name within the
// group or each folder, and taken in with their saved last use and duration.
class Station::SpotScan {
public:
    SpotScan(Station& station, TSpotDetails& group, Progress* progress)
        : s_(station), group_(group), counter_(progress, *station.op_) {}
    void Run();

private:
    struct Collected {
        std::string Key;  // name and folder, folded, for the order
        std::string Folder;
        std::string Name;
        std::string OfferedPath;
        bool Kept = false;  // a saved track of an unreachable folder, taken as saved
    };

    void Walk();
    void TakeIn();
    FileRec Entered(const Collected& c) const;
    // The saved tracks below an unreachable entry join the collection as they were.
    void KeepSaved(const std::string& entry);

    Station& s_;
    TSpotDetails& group_;
    FileCounter counter_;
    std::vector<SavedTrack> saved_;
    std::unordered_map<std::string, const SavedTrack*> cache_;
    std::vector<Collected> collected_;
    std::unordered_set<std::string> known_;
    std::vector<std::string> offeredFolders_;
};

void Station::LoadSpotFiles(TSpotDetails& group) {
    Progress* progress = Startup ? nullptr : ProgressSink;
    if (progress != nullptr) {
        progress->SetText(Format(tr("Loading files for Spot \"%0:s\"."), group.Name) + "\n" +
                          tr("Please Wait..."));
        progress->SetCount(0);
    }
    SpotScan(*this, group, progress).Run();
    if (!group.Files.empty() && group.Unreached.empty()) {
        const auto average = AverageOfFiles(group.Files, group.IsBlock());
        if (average && *average != group.AverageTime) {
            group.AverageTime = *average;
            Changed.Spots = true;
        }
    }
    if (group.SortType == kSortRandomly) {
        ShuffleFiles(group, Random);
    }
}

void Station::SpotScan::Run() {
    group_.Files.clear();
    group_.Absent.clear();
    group_.Unreached.clear();
    // Only files the scan finds are taken in, so every saved line is read: the saved
    // values of an unreachable folder's files are kept from here.
    saved_ = s_.ReadSavedTracks(group_, {});
    if (s_.Isolated) {
        s_.EnterSavedTracks(group_, saved_, false);
        return;
    }
    cache_.reserve(saved_.size() * 2);
    for (const SavedTrack& t : saved_) {
        cache_.emplace(t.FileName, &t);
    }
    Walk();
    TakeIn();
}

void Station::SpotScan::Walk() {
    FolderWalkCallbacks walk;
    walk.Missing = [&](const std::string& entry) {
        if (!s_.ReportWindowsPath(entry)) {
            s_.ReportLoadProblem(
                Format(tr("File or Folder \"%0:s\" does not exist in Spot Group \"%1:s\"."), entry,
                       group_.Name));
        }
        group_.Unreached.push_back(entry);
        KeepSaved(entry);
    };
    walk.Unreadable = [&](const std::string& folder, const std::string& reason) {
        s_.ReportLoadProblem(Format(tr("Folder \"%0:s\" of \"%1:s\" cannot be read (%2:s); its "
                                       "saved tracks are kept as they were."),
                                    folder, group_.Name, reason));
        group_.Unreached.push_back(folder);
        KeepSaved(folder);
    };
    walk.Offer = [&](const std::string& offeredFolder, const std::string& offeredName) {
        std::string folder;
        std::string name;
        if (!ResolveOffered(offeredFolder, offeredName, folder, name, s_.Opt.Extensions, s_.Op())) {
            return;
        }
        if (offeredFolders_.empty() || offeredFolders_.back() != offeredFolder) {
            offeredFolders_.push_back(offeredFolder);
        }
        std::string key = FoldCase(name + "?" + folder);
        collected_.push_back({std::move(key), folder, name, offeredFolder + offeredName, false});
    };
    if (group_.SortType == kSortPerFolder) {
        walk.AfterEntry = [&] { TakeIn(); };
    }
    WalkFolders(group_.Folders, group_.Subfolders, walk);
    // An empty folder where saved spots lay: a share not mounted, kept as a missing one.
    for (const std::string& entry : EmptyEntries(group_.Folders, offeredFolders_)) {
        const auto kept = static_cast<std::size_t>(
            std::count_if(saved_.begin(), saved_.end(), [&](const SavedTrack& t) {
                return IsBelow(t.FileName, entry) && !IsExistingFile(t.FileName);
            }));
        if (kept > 0) {
            s_.ReportEmptyFolder(entry, group_.Name, kept);
            group_.Unreached.push_back(entry);
            KeepSaved(entry);
        }
    }
}

void Station::SpotScan::TakeIn() {
    std::stable_sort(collected_.begin(), collected_.end(),
                     [](const Collected& a, const Collected& b) { return a.Key < b.Key; });
    for (const Collected& c : collected_) {
        if (!known_.insert(c.Folder + c.Name).second) {
            continue;
        }
        FileRec f = Entered(c);
        // Kept for its history, but not offered to the run while its file is away.
        std::vector<FileRec>& into =
            c.Kept && !IsExistingFile(f.FileName) ? group_.Absent : group_.Files;
        f.Index = static_cast<std::int32_t>(into.size());
        into.push_back(std::move(f));
        counter_.Count();
    }
    collected_.clear();
}

FileRec Station::SpotScan::Entered(const Collected& c) const {
    FileRec f;
    f.FileName = c.Folder + c.Name;
    const auto hit = cache_.find(f.FileName);
    const SavedTrack* cached = hit == cache_.end() ? nullptr : hit->second;
    f.LastUsed = cached != nullptr ? cached->LastUsed : 0.0;
    f.SavedLastUsed = f.LastUsed;
    f.Duration = cached != nullptr ? cached->Duration : 0;
    std::uint32_t dosDate = 0;
    const std::uint16_t measured =
        c.Kept ? 0 : FileDuration(f.FileName, f.Duration == 0, s_.Op(), &dosDate);
    // A shortcut's date is the shortcut's own; a file's came with its reading.
    if (!c.Kept) {
        f.FileDate = DateOfDos(
            c.OfferedPath == f.FileName && dosDate != 0 ? dosDate : FileDosDate(c.OfferedPath));
    }
    if (f.FileDate == 0.0 && cached != nullptr) {
        f.FileDate = cached->FileDate;
    }
    if (measured != 0 && measured != f.Duration) {
        f.Duration = measured;
        s_.Changed.FileLists = true;
    }
    if (!c.Kept) {
        s_.ReportUnmeasured(f.FileName, f.Duration, group_.Name);
    }
    return f;
}

void Station::SpotScan::KeepSaved(const std::string& entry) {
    Unreachable root;
    root.Add(entry);
    for (const SavedTrack& t : saved_) {
        if (root.Holds(t.FileName)) {
            const std::string folder = ExtractFilePath(t.FileName);
            const std::string name = ExtractFileName(t.FileName);
            collected_.push_back({FoldCase(name + "?" + folder), folder, name, t.FileName, true});
        }
    }
    if (group_.SortType == kSortPerFolder) {
        TakeIn();
    }
}

void Station::ReloadFiles(TCustomDetails& group) {
    tagCache_.NewScan(false);
    // What is known of the tracks now may be newer than their saved list (a run or a
    // correction not saved yet): it stays with every file the scan still finds.
    std::unordered_map<std::string, FileRec> known;
    known.reserve(group.Files.size() + group.Absent.size());
    for (auto* files : {&group.Files, &group.Absent}) {
        for (FileRec& f : *files) {
            known.emplace(f.FileName, std::move(f));
        }
    }
    if (group.Kind() == GroupKind::Category) {
        LoadCategoryFiles(static_cast<TCategoryDetails&>(group), false);
    } else {
        LoadSpotFiles(static_cast<TSpotDetails&>(group));
    }
    tagCache_.EndScan();
    for (auto* files : {&group.Files, &group.Absent}) {
        for (FileRec& f : *files) {
            const auto before = known.find(f.FileName);
            if (before == known.end()) {
                continue;
            }
            f.LastUsed = before->second.LastUsed;
            f.SavedLastUsed = before->second.SavedLastUsed;
            if (before->second.Duration != 0) {
                f.Duration = before->second.Duration;
            }
        }
    }
}

void Station::ReportEmptyFolder(const std::string& folder, const std::string& groupName,
                                std::size_t kept) const {
    ReportLoadProblem(Format(tr("Folder \"%0:s\" of \"%1:s\" is empty, yet %2:d of its saved "
                                "tracks lay there (a share not mounted?); they are kept and "
                                "left out of runs until the folder holds them again."),
                             folder, groupName, static_cast<long long>(kept)));
}

NameRules Station::Names() const {
    NameRules rules = Opt.Names();
    rules.Tagged = tagCache_.Names();
    return rules;
}

void Station::TellTagProblem(const std::string& problem) const {
    if (!problem.empty()) {
        ReportLoadProblem(Format(tr("%0:s\nThe tracks are loaded without their tags."), problem));
    }
}

void Station::RebuildArtists() {
    Artists.Clear();
    const NameRules names = Names();
    for (const auto& c : Categories) {
        for (const auto* files : {&c->Files, &c->Absent}) {  // as their load noted them
            for (const FileRec& f : *files) {
                Artists.NoteTrack(f.FileName, f.LastUsed, names);
            }
        }
    }
}

void Station::ReloadAllFiles() {
    Artists.Clear();
    tagCache_.NewScan(true);
    for (auto& c : Categories) {
        LoadCategoryFiles(*c, false);
    }
    for (auto& s : SpotGroups) {
        LoadSpotFiles(*s);
    }
    tagCache_.EndScan();
}

}  // namespace spindle
