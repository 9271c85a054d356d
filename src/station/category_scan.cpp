// Filling a Category's tracks: its saved track list merged with a scan of its folders,
// with its files' tags when the station needs them.
#include <filesystem>
#include <memory>
#include <unordered_set>

#include "base/format.h"
#include "base/paths.h"
#include "base/translate.h"
#include "fileinfo/file_duration.h"
#include "scan/folder_walk.h"
#include "scan/group_scan_parts.h"
#include "scan/read_ahead.h"
#include "scan/track_tags_cache.h"
#include "station/group_ops.h"
#include "station/station.h"

namespace spindle {

// One Category's load: its folders listed, its saved tracks entered, its new files read
// (on the read-ahead threads, with every file's tags when the station needs them) and
// taken in.
class Station::CategoryScan {
public:
    CategoryScan(Station& station, TCategoryDetails& category, bool ignoreSaved)
        : s_(station), category_(category), ignoreSaved_(ignoreSaved) {}
    void Run();

private:
    // An offered file as it resolves.
    struct Resolved {
        std::size_t Offer;
        std::string Path;
        bool Direct;  // the file offered itself, not a shortcut's target
        bool New;     // neither saved nor offered before: a track to take in
    };

    void ListFolders(bool readSaved);
    void BeginTags();
    void EnterSaved();
    void ReportFolders() const;
    std::vector<FileRec> ReadNewFiles(Progress* progress);
    std::vector<Resolved> Resolve(ReadAhead& ahead);
    void TakeSavedTags(ReadAhead& ahead);
    FileRec TakeIn(Resolved& r, Reading* read, std::size_t index);
    void TakeTags(const std::string& path, Reading* read);
    void Place(std::vector<FileRec> added);
    void FinishTags();

    Station& s_;
    TCategoryDetails& category_;
    const bool ignoreSaved_;
    std::vector<std::string> folders_;
    std::vector<std::pair<std::size_t, std::string>> offered_;  // folder index, name
    std::vector<std::string> missing_;
    std::vector<std::pair<std::string, std::string>> unreadable_;  // folder, reason
    std::vector<std::string> empty_;  // existing folders that offered nothing
    std::vector<std::pair<std::string, std::size_t>> emptyKept_;  // and the tracks kept there
    Unreachable unreachable_;
    std::unordered_set<std::string> listed_;
    std::unique_ptr<TagScan> tags_;
    NameRules names_;
    // The artists are noted once the tags named them, not as the tracks are entered.
    bool artistsFromTags_ = false;
};

void Station::LoadCategoryFiles(TCategoryDetails& category, bool ignoreSaved) {
    CategoryScan(*this, category, ignoreSaved).Run();
}

void Station::CategoryScan::Run() {
    Progress* progress = s_.Startup ? nullptr : s_.ProgressSink;
    if (progress != nullptr) {
        progress->SetText(Format(tr("Loading files for Category \"%0:s\"."), category_.Name) +
                          "\n" + tr("Please Wait..."));
        progress->SetCount(0);
    }
    category_.Files.clear();
    category_.Absent.clear();
    category_.Unreached.clear();
    std::error_code ec;
    const bool readSaved = !ignoreSaved_ &&
                           IsTrackListName(category_.ListName(), category_.Kind()) &&
                           std::filesystem::exists(s_.TrackListPath(category_), ec);
    if (!s_.Isolated) {
        ListFolders(readSaved);
        BeginTags();
    }
    names_ = s_.Names();
    artistsFromTags_ = tags_ != nullptr && names_.Tagged != nullptr;
    EnterSaved();
    ReportFolders();
    Place(ReadNewFiles(progress));
    FinishTags();
}

// The folders are listed first: the listing tells whether a saved track's file is still
// there without asking the file system once for every track.
void Station::CategoryScan::ListFolders(bool readSaved) {
    FolderWalkCallbacks walk;
    walk.Missing = [&](const std::string& entry) {
        missing_.push_back(entry);
        unreachable_.Add(entry);
        category_.Unreached.push_back(entry);
    };
    walk.Unreadable = [&](const std::string& folder, const std::string& reason) {
        unreadable_.emplace_back(folder, reason);
        unreachable_.Add(folder);
        category_.Unreached.push_back(folder);
    };
    walk.Offer = [&](const std::string& folder, const std::string& name) {
        if (folders_.empty() || folders_.back() != folder) {
            folders_.push_back(folder);
        }
        offered_.emplace_back(folders_.size() - 1, name);
        if (readSaved) {
            listed_.insert(folder + name);
        }
    };
    WalkFolders(category_.Folders, category_.Subfolders, walk);
    // Held like an unreachable folder until the saved list shows whether tracks lay there.
    for (const std::string& entry : EmptyEntries(category_.Folders, folders_)) {
        if (!unreachable_.Holds(entry)) {
            empty_.push_back(entry);
            unreachable_.Add(entry);
        }
    }
}

void Station::CategoryScan::BeginTags() {
    std::vector<std::string> roots;
    for (const std::string& entry : category_.Folders) {
        if (!entry.empty()) {
            roots.push_back(entry);
        }
    }
    TrackTagsCache::Start start = s_.tagCache_.Begin(s_.dataFolder_, roots);
    s_.TellTagProblem(start.Problem);
    tags_ = std::move(start.Scan);
}

void Station::CategoryScan::EnterSaved() {
    if (ignoreSaved_) {
        category_.NextItem = 0;
        return;
    }
    std::vector<SavedTrack> saved = s_.ReadSavedTracks(category_, [&](const std::string& path) {
        return listed_.count(path) != 0 || unreachable_.Holds(path) || IsExistingFile(path);
    });
    // A track of a folder the scan could not reach keeps its place in the saved list,
    // but it is not offered to the run while its file is not there to play.
    std::vector<SavedTrack> absent;
    if (!unreachable_.Empty()) {
        std::erase_if(saved, [&](SavedTrack& t) {
            if (listed_.count(t.FileName) != 0 || !unreachable_.Holds(t.FileName) ||
                IsExistingFile(t.FileName)) {
                return false;
            }
            absent.push_back(std::move(t));
            return true;
        });
    }
    s_.EnterSavedTracks(category_, saved, !artistsFromTags_);
    s_.EnterSavedTracks(absent, !artistsFromTags_, category_.Absent);
    for (const std::string& entry : empty_) {
        const auto kept = static_cast<std::size_t>(
            std::count_if(category_.Absent.begin(), category_.Absent.end(),
                          [&](const FileRec& f) { return IsBelow(f.FileName, entry); }));
        if (kept > 0) {
            emptyKept_.emplace_back(entry, kept);
            category_.Unreached.push_back(entry);
        }
    }
}

void Station::CategoryScan::ReportFolders() const {
    for (const std::string& entry : missing_) {
        if (!s_.ReportWindowsPath(entry)) {
            s_.ReportLoadProblem(
                Format(tr("File or Folder \"%0:s\" does not exist in Category \"%1:s\"."), entry,
                       category_.Name));
        }
    }
    for (const auto& [folder, reason] : unreadable_) {
        s_.ReportLoadProblem(Format(tr("Folder \"%0:s\" of \"%1:s\" cannot be read (%2:s); its "
                                       "saved tracks are kept as they were."),
                                    folder, category_.Name, reason));
    }
    for (const auto& [folder, kept] : emptyKept_) {
        s_.ReportEmptyFolder(folder, category_.Name, kept);
    }
}

// The saved tracks are offered first, for their tags alone, then the new files as they
// resolve; the readings are taken in the same order.
std::vector<FileRec> Station::CategoryScan::ReadNewFiles(Progress* progress) {
    const std::size_t savedOffers = tags_ != nullptr ? category_.Files.size() : 0;
    if (tags_ != nullptr) {
        tags_->Expect(offered_.size());  // the new files; few saved ones are read again
    }
    ReadAhead ahead(savedOffers + offered_.size(), tags_.get());
    for (std::size_t i = 0; i < savedOffers; ++i) {
        ahead.Offer(category_.Files[i].FileName, false);
    }
    std::vector<Resolved> resolved = Resolve(ahead);
    ahead.Close();
    if (tags_ != nullptr) {
        TakeSavedTags(ahead);
    }
    std::vector<FileRec> added;
    added.reserve(offered_.size());
    FileCounter counter(progress, *s_.op_);
    std::size_t reading = savedOffers;
    for (Resolved& r : resolved) {
        Reading* read = r.New && ahead.Active() ? &ahead.Taken(reading++) : nullptr;
        counter.Count();
        if (r.New) {
            added.push_back(TakeIn(r, read, added.size()));
        }
    }
    return added;
}

std::vector<Station::CategoryScan::Resolved> Station::CategoryScan::Resolve(ReadAhead& ahead) {
    // The same path is one track, however often the folders offer it. The saved tracks
    // stay where they are meanwhile, so their names are not copied.
    std::unordered_set<std::string_view> saved;
    saved.reserve(category_.Files.size() * 2);
    for (const FileRec& f : category_.Files) {
        saved.insert(f.FileName);
    }
    std::vector<Resolved> resolved;
    resolved.reserve(offered_.size());
    // The new files are offered for reading as they are found.
    std::unordered_set<std::string_view> seen;
    seen.reserve(offered_.size() * 2);
    std::string folder;
    std::string name;
    for (std::size_t i = 0; i < offered_.size(); ++i) {
        const auto& [folderIndex, offeredName] = offered_[i];
        if (!ResolveOffered(folders_[folderIndex], offeredName, folder, name, s_.Opt.Extensions,
                            s_.Op())) {
            continue;
        }
        Resolved& r = resolved.emplace_back(Resolved{
            i, folder + name, folder == folders_[folderIndex] && name == offeredName, false});
        r.New = saved.count(r.Path) == 0 && seen.count(r.Path) == 0;
        if (r.New) {
            seen.insert(ahead.Offer(r.Path));
        }
    }
    return resolved;
}

void Station::CategoryScan::TakeSavedTags(ReadAhead& ahead) {
    for (std::size_t i = 0; i < category_.Files.size(); ++i) {
        const FileRec& f = category_.Files[i];
        TakeTags(f.FileName, ahead.Active() ? &ahead.Taken(i) : nullptr);
        if (artistsFromTags_) {
            s_.Artists.NoteTrack(f.FileName, f.LastUsed, names_);
        }
    }
}

void Station::CategoryScan::TakeTags(const std::string& path, Reading* read) {
    tags_->Take(path, read != nullptr && read->Tags ? std::move(*read->Tags) : tags_->Read(path));
}

FileRec Station::CategoryScan::TakeIn(Resolved& r, Reading* read, std::size_t index) {
    const auto& [folderIndex, offeredName] = offered_[r.Offer];
    FileRec f;
    std::uint32_t dosDate = 0;
    if (read != nullptr && read->Clean) {
        f.Duration = read->Duration;
        dosDate = read->DosDate;
    } else {
        f.Duration = FileDuration(r.Path, true, *s_.op_, &dosDate);
    }
    s_.ReportUnmeasured(r.Path, f.Duration, category_.Name);
    // A shortcut's date is the shortcut's own; a file's came with its reading.
    f.FileDate = DateOfDos(
        r.Direct && dosDate != 0 ? dosDate : FileDosDate(folders_[folderIndex] + offeredName));
    f.Index = static_cast<std::int32_t>(index);
    if (f.Duration != 0) {
        s_.Changed.FileLists = true;
    }
    if (tags_ != nullptr) {
        TakeTags(r.Path, read);
    }
    s_.Artists.NoteTrack(r.Path, 0.0, names_);
    f.FileName = std::move(r.Path);
    return f;
}

void Station::CategoryScan::Place(std::vector<FileRec> added) {
    if (!added.empty()) {
        if (category_.GroupType == kCategoryNormal) {
            TCategoryDetails scratch;
            scratch.Files = std::move(added);
            ShuffleFiles(scratch, s_.Random);
            added = std::move(scratch.Files);
        }
        for (FileRec& f : added) {
            f.Index = static_cast<std::int32_t>(category_.Files.size());
            category_.Files.push_back(std::move(f));
        }
    }
    if (!category_.Files.empty()) {
        if (category_.GroupType == kCategoryBlock) {
            SortFilesByName(category_);
        } else if (category_.NextItem == 0) {
            ShuffleFiles(category_, s_.Random);
        }
        // Kept while a folder is away: a share back tomorrow is no edit to save.
        const auto average = AverageOfFiles(category_.Files, category_.IsBlock());
        if (average && *average != category_.AverageTime && category_.Unreached.empty()) {
            category_.AverageTime = *average;
            s_.Changed.Categories = true;
        }
    }
}

void Station::CategoryScan::FinishTags() {
    if (tags_ == nullptr) {
        return;
    }
    std::unordered_set<std::string_view> present;
    present.reserve(category_.Files.size() * 2);
    for (const FileRec& f : category_.Files) {
        present.insert(f.FileName);
    }
    s_.TellTagProblem(s_.tagCache_.Finish(
        *tags_, present, [&](std::string_view path) { return unreachable_.Holds(path); }));
    tags_.reset();
}

}  // namespace spindle
