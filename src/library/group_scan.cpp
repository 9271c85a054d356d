// Filling a group's tracks: its saved track list merged with a scan of its folders.
#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>
#include <unordered_map>
#include <unordered_set>

#include "base/format.h"
#include "base/paths.h"
#include "base/text_case.h"
#include "base/translate.h"
#include "fileinfo/file_duration.h"
#include "library/folder_walk.h"
#include "library/group_ops.h"
#include "library/shortcut.h"
#include "library/station.h"
#include "library/track_list.h"

namespace spindle {
namespace {

// Counts offered files for the progress window, repainting every tenth.
class FileCounter {
public:
    FileCounter(Progress* progress, Operator& op) : progress_(progress), op_(op) {}
    void Count() {
        ++count_;
        if (progress_ != nullptr && count_ % 10 == 0) {
            progress_->SetCount(count_);
            op_.ProcessEvents();
        }
    }

private:
    Progress* progress_;
    Operator& op_;
    long count_ = 0;
};

// An operator for readings done ahead: it answers nothing and notes that something
// would have been said, so the file is read again with the person there.
class QuietOperator final : public Operator {
public:
    Answer Show(MessageKind, std::string_view, Buttons) override {
        spoke = true;
        return Answer::Cancel;
    }
    std::optional<std::string> Query(std::string_view, std::string_view,
                                     std::string_view) override {
        spoke = true;
        return std::nullopt;
    }
    bool spoke = false;
};

struct Reading {
    std::uint16_t Duration = 0;
    std::uint32_t DosDate = 0;
    bool Clean = false;  // read without a word and with a duration: usable as it is
    std::atomic<bool> Done{false};
};

// The durations of many new files, read on a few threads while this thread finds the
// files and then takes their readings in, in order: opening a file and reading its head
// is mostly waiting on the file system, which the threads overlap, and the work between
// the readings is done meanwhile instead of before and after them. A reading that had
// something to say, or found no duration, is not clean; the caller reads that file again
// in order with the real operator, so what the person sees and answers is as before. Few
// files are left to the caller altogether (no threads, nothing read ahead).
class ReadAhead {
public:
    // Room for `most` files; the threads start once enough files to be worth them are
    // offered.
    explicit ReadAhead(std::size_t most) : most_(most) {
        paths_.reserve(most);  // never moved while the threads read them
    }
    ~ReadAhead() {
        Close();
        for (std::thread& t : helpers_) {
            t.join();
        }
    }
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // Whether the offered files are read ahead (else the caller reads them itself).
    bool Active() const { return !helpers_.empty(); }

    // The next file to read, in the order its reading will be asked for; the path as
    // kept here, for as long as this lives.
    std::string_view Offer(std::string path) {
        paths_.push_back(std::move(path));
        const std::size_t count = paths_.size();
        if (!Active() && count == kWorthThreads) {
            Start();
        }
        if (Active()) {
            published_.store(count, std::memory_order_release);
            if (count % 16 == 0) {
                published_.notify_all();
            }
        }
        return paths_.back();
    }

    // No more files: the threads stop once every offered file is read.
    void Close() {
        if (Active() && (published_.load() & kClosed) == 0) {
            published_.store(paths_.size() | kClosed, std::memory_order_release);
            published_.notify_all();
        }
    }

    // The reading of the `i`th file offered. Until it is there this thread reads files
    // nobody has taken yet.
    const Reading& Taken(std::size_t i) {
        Reading& r = readings_[i];
        while (!r.Done.load(std::memory_order_acquire)) {
            if (const std::size_t j = next_++; j < paths_.size()) {
                Read(j);
            } else {
                r.Done.wait(false, std::memory_order_acquire);
            }
        }
        return r;
    }

private:
    static constexpr std::size_t kWorthThreads = 256;
    static constexpr std::size_t kClosed = std::size_t{1} << (sizeof(std::size_t) * 8 - 1);

    void Start() {
        readings_ = std::make_unique<Reading[]>(most_);
        const unsigned threads = std::clamp(std::thread::hardware_concurrency(), 2u, 4u);
        for (unsigned t = 0; t < threads; ++t) {
            helpers_.emplace_back([this] {
                for (std::size_t i = next_++; Offered(i); i = next_++) {
                    Read(i);
                }
            });
        }
    }

    // Whether file `i` is offered, waiting for it while more may come.
    bool Offered(std::size_t i) {
        for (std::size_t p = published_.load(std::memory_order_acquire);;
             p = published_.load(std::memory_order_acquire)) {
            if (i < (p & ~kClosed)) {
                return true;
            }
            if ((p & kClosed) != 0) {
                return false;
            }
            published_.wait(p, std::memory_order_acquire);
        }
    }

    void Read(std::size_t i) {
        const std::string& path = paths_[i];
        Reading& r = readings_[i];
        if (!SameText(ExtractFileExt(path), ".m3u")) {  // lists read other files
            // A reading that throws is left to the caller, whose thread may report it.
            try {
                QuietOperator quiet;
                r.Duration = FileDuration(path, false, quiet, &r.DosDate);
                r.Clean = !quiet.spoke && r.Duration != 0;
            } catch (...) {
                r.Clean = false;
            }
        }
        r.Done.store(true, std::memory_order_release);
        r.Done.notify_all();
    }

    const std::size_t most_;
    std::vector<std::string> paths_;  // offered; grown and sized by the offering thread only
    std::unique_ptr<Reading[]> readings_;
    std::atomic<std::size_t> published_{0};  // the count offered, and kClosed at the end
    std::atomic<std::size_t> next_{0};       // the next file for a thread to take
    std::vector<std::thread> helpers_;
};

bool IsShortcut(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    return dot != std::string_view::npos && name.size() - dot == 4 &&
           SameText(name.substr(dot), ".lnk");
}

// The file an offered name stands for, folder and name apart: a shortcut stands for
// its target. False when the file is to be skipped.
bool ResolveOffered(const std::string& offeredFolder, const std::string& offeredName,
                    std::string& folder, std::string& name, const Station& station) {
    if (!IsShortcut(offeredName)) {
        if (!station.Opt.Extensions.IsExtensionEnabled(ExtractFileExt(offeredName))) {
            return false;
        }
        folder.assign(offeredFolder);
        name.assign(offeredName);
        return true;
    }
    const std::string shortcut = offeredFolder + offeredName;
    const std::string target = ResolveShortcutFile(shortcut);
    if (target.empty()) {
        station.Op().Show(MessageKind::Error,
                          Format(tr("Cannot resolve shortcut \"%0:s\""), shortcut), Buttons::Ok);
        return false;
    }
    folder = ExtractFilePath(target);
    name = ExtractFileName(target);
    return station.Opt.Extensions.IsExtensionEnabled(ExtractFileExt(name));
}

TDateTime DateOfDos(std::uint32_t dos) {
    return dos == 0 ? 0.0 : DosDateTimeToDateTime(dos);
}

// The entries of a group's folder list that could not be scanned (a share not mounted,
// a folder without permission). The saved tracks below them are kept as they were, as
// an isolated load keeps them, so that an unreachable folder costs no history.
class Unreachable {
public:
    void Add(const std::string& entry) {
        if (!entry.empty()) {
            roots_.push_back(entry);
        }
    }
    bool Holds(std::string_view path) const {
        for (const std::string& root : roots_) {
            // A Windows station's paths use "\" between folders.
            if (path.starts_with(root) &&
                (path.size() == root.size() || root.back() == kPathDelim ||
                 path[root.size()] == kPathDelim || path[root.size()] == '\\')) {
                return true;
            }
        }
        return false;
    }

private:
    std::vector<std::string> roots_;
};

}  // namespace

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

void Station::EnterSavedTracks(TCustomDetails& group, std::vector<SavedTrack>& saved,
                               bool artists) {
    const NameRules names = Opt.Names();
    group.Files.reserve(saved.size());
    for (SavedTrack& t : saved) {
        FileRec f;
        f.FileName = std::move(t.FileName);
        f.Duration = t.Duration;
        f.LastUsed = t.LastUsed;
        f.SavedLastUsed = t.LastUsed;
        f.FileDate = t.FileDate;
        f.Index = static_cast<std::int32_t>(group.Files.size());
        if (artists) {
            Artists.NoteTrack(f.FileName, f.LastUsed, names);
        }
        group.Files.push_back(std::move(f));
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

void Station::LoadCategoryFiles(TCategoryDetails& category, bool ignoreSaved) {
    Progress* progress = Startup ? nullptr : ProgressSink;
    if (progress != nullptr) {
        progress->SetText(Format(tr("Loading files for Category \"%0:s\"."), category.Name) + "\n" +
                          tr("Please Wait..."));
        progress->SetCount(0);
    }
    category.Files.clear();

    // The folders are listed first: the listing tells whether a saved track's file is
    // still there without asking the file system once for every track.
    std::vector<std::string> folders;
    std::vector<std::pair<std::size_t, std::string>> offered;  // folder index, name
    std::vector<std::string> missing;
    std::vector<std::pair<std::string, std::string>> unreadable;  // folder, reason
    Unreachable unreachable;
    std::unordered_set<std::string> listed;
    std::error_code ec;
    const bool readSaved = !ignoreSaved && IsTrackListName(category.ListName(), category.Kind()) &&
                           std::filesystem::exists(TrackListPath(category), ec);
    if (!Isolated) {
        FolderWalkCallbacks walk;
        walk.Missing = [&](const std::string& entry) {
            missing.push_back(entry);
            unreachable.Add(entry);
        };
        walk.Unreadable = [&](const std::string& folder, const std::string& reason) {
            unreadable.emplace_back(folder, reason);
            unreachable.Add(folder);
        };
        walk.Offer = [&](const std::string& folder, const std::string& name) {
            if (folders.empty() || folders.back() != folder) {
                folders.push_back(folder);
            }
            offered.emplace_back(folders.size() - 1, name);
            if (readSaved) {
                listed.insert(folder + name);
            }
        };
        WalkFolders(category.Folders, category.Subfolders, walk);
    }

    if (!ignoreSaved) {
        std::vector<SavedTrack> saved = ReadSavedTracks(category, [&](const std::string& path) {
            return listed.count(path) != 0 || unreachable.Holds(path) || IsExistingFile(path);
        });
        EnterSavedTracks(category, saved, true);
    } else {
        category.NextItem = 0;
    }
    for (const std::string& entry : missing) {
        if (!ReportWindowsPath(entry)) {
            ReportLoadProblem(
                Format(tr("File or Folder \"%0:s\" does not exist in Category \"%1:s\"."), entry,
                       category.Name));
        }
    }
    for (const auto& [folder, reason] : unreadable) {
        ReportLoadProblem(Format(tr("Folder \"%0:s\" of \"%1:s\" cannot be read (%2:s); its saved "
                                    "tracks are kept as they were."),
                                 folder, category.Name, reason));
    }

    std::vector<FileRec> added;
    {
        // The same path is one track, however often the folders offer it. The saved
        // tracks stay where they are meanwhile, so their names are not copied.
        std::unordered_set<std::string_view> saved;
        saved.reserve(category.Files.size() * 2);
        for (const FileRec& f : category.Files) {
            saved.insert(f.FileName);
        }
        added.reserve(offered.size());
        FileCounter counter(progress, *op_);
        const NameRules names = Opt.Names();
        // The offered files as they resolve, and among them the new ones to be read.
        struct Resolved {
            std::size_t Offer;
            std::string Path;
            bool Direct;  // the file offered itself, not a shortcut's target
            bool New;     // neither saved nor offered before: a track to take in
        };
        std::vector<Resolved> resolved;
        resolved.reserve(offered.size());
        ReadAhead ahead(offered.size());
        {
            // The new files are offered for reading as they are found.
            std::unordered_set<std::string_view> seen;
            seen.reserve(offered.size() * 2);
            std::string folder;
            std::string name;
            for (std::size_t i = 0; i < offered.size(); ++i) {
                const auto& [folderIndex, offeredName] = offered[i];
                if (!ResolveOffered(folders[folderIndex], offeredName, folder, name, *this)) {
                    continue;
                }
                Resolved& r = resolved.emplace_back(
                    Resolved{i, folder + name,
                             folder == folders[folderIndex] && name == offeredName, false});
                r.New = saved.count(r.Path) == 0 && seen.count(r.Path) == 0;
                if (r.New) {
                    seen.insert(ahead.Offer(r.Path));
                }
            }
        }
        ahead.Close();
        std::size_t reading = 0;
        for (Resolved& r : resolved) {
            const auto& [folderIndex, offeredName] = offered[r.Offer];
            const std::string& path = r.Path;
            const Reading* read = r.New && ahead.Active() ? &ahead.Taken(reading++) : nullptr;
            counter.Count();
            if (!r.New) {
                continue;
            }
            FileRec f;
            std::uint32_t dosDate = 0;
            if (read != nullptr && read->Clean) {
                f.Duration = read->Duration;
                dosDate = read->DosDate;
            } else {
                f.Duration = FileDuration(path, true, *op_, &dosDate);
            }
            ReportUnmeasured(path, f.Duration, category.Name);
            // A shortcut's date is the shortcut's own; a file's came with its reading.
            f.FileDate = DateOfDos(r.Direct && dosDate != 0
                                       ? dosDate
                                       : FileDosDate(folders[folderIndex] + offeredName));
            f.Index = static_cast<std::int32_t>(added.size());
            if (f.Duration != 0) {
                Changed.FileLists = true;
            }
            Artists.NoteTrack(path, 0.0, names);
            f.FileName = std::move(r.Path);
            added.push_back(std::move(f));
        }
    }

    if (!added.empty()) {
        if (category.GroupType == kCategoryNormal) {
            TCategoryDetails scratch;
            scratch.Files = std::move(added);
            ShuffleFiles(scratch, Random);
            added = std::move(scratch.Files);
        }
        for (FileRec& f : added) {
            f.Index = static_cast<std::int32_t>(category.Files.size());
            category.Files.push_back(std::move(f));
        }
    }

    if (!category.Files.empty()) {
        if (category.GroupType == kCategoryBlock) {
            SortFilesByName(category);
        } else if (category.NextItem == 0) {
            ShuffleFiles(category, Random);
        }
        const auto average = AverageOfFiles(category.Files, category.IsBlock());
        if (average && *average != category.AverageTime) {
            category.AverageTime = *average;
            Changed.Categories = true;
        }
    }
}

void Station::LoadSpotFiles(TSpotDetails& group) {
    Progress* progress = Startup ? nullptr : ProgressSink;
    if (progress != nullptr) {
        progress->SetText(Format(tr("Loading files for Spot \"%0:s\"."), group.Name) + "\n" +
                          tr("Please Wait..."));
        progress->SetCount(0);
    }
    group.Files.clear();
    // Only files the scan finds are taken in, so every saved line is read: the saved
    // values of an unreachable folder's files are kept from here.
    std::vector<SavedTrack> saved = ReadSavedTracks(group, {});
    if (Isolated) {
        EnterSavedTracks(group, saved, false);
    } else {
        std::unordered_map<std::string, const SavedTrack*> cache;
        cache.reserve(saved.size() * 2);
        for (const SavedTrack& t : saved) {
            cache.emplace(t.FileName, &t);
        }
        struct Collected {
            std::string Key;  // name and folder, folded, for the order
            std::string Folder;
            std::string Name;
            std::string OfferedPath;
            bool Kept = false;  // a saved track of an unreachable folder, taken as saved
        };
        std::vector<Collected> collected;
        std::unordered_set<std::string> known;
        std::string path;
        FileCounter counter(progress, *op_);
        auto takeIn = [&] {
            std::stable_sort(collected.begin(), collected.end(),
                             [](const Collected& a, const Collected& b) { return a.Key < b.Key; });
            for (Collected& c : collected) {
                FileRec f;
                f.FileName = c.Folder + c.Name;
                if (!known.insert(f.FileName).second) {
                    continue;
                }
                const auto hit = cache.find(f.FileName);
                const SavedTrack* cached = hit == cache.end() ? nullptr : hit->second;
                f.LastUsed = cached != nullptr ? cached->LastUsed : 0.0;
                f.SavedLastUsed = f.LastUsed;
                f.Duration = cached != nullptr ? cached->Duration : 0;
                std::uint32_t dosDate = 0;
                const std::uint16_t measured =
                    c.Kept ? 0 : FileDuration(f.FileName, f.Duration == 0, *op_, &dosDate);
                // A shortcut's date is the shortcut's own; a file's came with its reading.
                if (!c.Kept) {
                    f.FileDate = DateOfDos(c.OfferedPath == f.FileName && dosDate != 0
                                               ? dosDate
                                               : FileDosDate(c.OfferedPath));
                }
                if (f.FileDate == 0.0 && cached != nullptr) {
                    f.FileDate = cached->FileDate;
                }
                if (measured != 0 && measured != f.Duration) {
                    f.Duration = measured;
                    Changed.FileLists = true;
                }
                if (!c.Kept) {
                    ReportUnmeasured(f.FileName, f.Duration, group.Name);
                }
                f.Index = static_cast<std::int32_t>(group.Files.size());
                group.Files.push_back(std::move(f));
                counter.Count();
            }
            collected.clear();
        };
        // The saved tracks below an unreachable entry join the collection as they were.
        auto keepSaved = [&](const std::string& entry) {
            Unreachable root;
            root.Add(entry);
            for (const SavedTrack& t : saved) {
                if (root.Holds(t.FileName)) {
                    const std::string folder = ExtractFilePath(t.FileName);
                    const std::string name = ExtractFileName(t.FileName);
                    collected.push_back(
                        {FoldCase(name + "?" + folder), folder, name, t.FileName, true});
                }
            }
            if (group.SortType == kSortPerFolder) {
                takeIn();
            }
        };
        FolderWalkCallbacks walk;
        walk.Missing = [&](const std::string& entry) {
            if (!ReportWindowsPath(entry)) {
                ReportLoadProblem(
                    Format(tr("File or Folder \"%0:s\" does not exist in Spot Group \"%1:s\"."),
                           entry, group.Name));
            }
            keepSaved(entry);
        };
        walk.Unreadable = [&](const std::string& folder, const std::string& reason) {
            ReportLoadProblem(Format(tr("Folder \"%0:s\" of \"%1:s\" cannot be read (%2:s); its "
                                        "saved tracks are kept as they were."),
                                     folder, group.Name, reason));
            keepSaved(folder);
        };
        walk.Offer = [&](const std::string& offeredFolder, const std::string& offeredName) {
            std::string folder;
            std::string name;
            if (!ResolveOffered(offeredFolder, offeredName, folder, name, *this)) {
                return;
            }
            std::string key = FoldCase(name + "?" + folder);
            collected.push_back({std::move(key), folder, name, offeredFolder + offeredName, false});
        };
        if (group.SortType == kSortPerFolder) {
            walk.AfterEntry = takeIn;
        }
        WalkFolders(group.Folders, group.Subfolders, walk);
        takeIn();
    }

    if (!group.Files.empty()) {
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

void Station::ReloadFiles(TCustomDetails& group) {
    // What is known of the tracks now may be newer than their saved list (a run or a
    // correction not saved yet): it stays with every file the scan still finds.
    std::unordered_map<std::string, FileRec> known;
    known.reserve(group.Files.size());
    for (FileRec& f : group.Files) {
        known.emplace(f.FileName, std::move(f));
    }
    if (group.Kind() == GroupKind::Category) {
        LoadCategoryFiles(static_cast<TCategoryDetails&>(group), false);
    } else {
        LoadSpotFiles(static_cast<TSpotDetails&>(group));
    }
    for (FileRec& f : group.Files) {
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

void Station::RebuildArtists() {
    Artists.Clear();
    const NameRules names = Opt.Names();
    for (const auto& c : Categories) {
        for (const FileRec& f : c->Files) {
            Artists.NoteTrack(f.FileName, f.LastUsed, names);
        }
    }
}

void Station::ReloadAllFiles() {
    Artists.Clear();
    for (auto& c : Categories) {
        LoadCategoryFiles(*c, false);
    }
    for (auto& s : SpotGroups) {
        LoadSpotFiles(*s);
    }
}

}  // namespace spindle
