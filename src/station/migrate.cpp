#include "station/migrate.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

#include "base/float_text.h"
#include "base/format.h"
#include "base/list_text.h"
#include "base/safe_file.h"
#include "base/text_case.h"
#include "base/text_file.h"
#include "base/translate.h"
#include "station/track_list.h"

namespace spindle {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMissingShown = 5;

std::string Slashed(std::string_view path) {
    std::string out(path);
    std::replace(out.begin(), out.end(), '\\', '/');
    while (out.size() > 1 && out.back() == '/') {
        out.pop_back();
    }
    return out;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

// The entry of `folder` whose name is `name` but for case, or empty.
std::string FoldedEntry(const std::string& folder, const std::string& name) {
    DIR* dir = ::opendir(folder.empty() ? "/" : folder.c_str());
    if (dir == nullptr) {
        return {};
    }
    const std::string wanted = FoldCase(name);
    std::string found;
    while (const dirent* e = ::readdir(dir)) {
        if (FoldCase(e->d_name) == wanted) {
            found = e->d_name;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

class Migration {
public:
    Migration(fs::path data, const std::vector<PathMapping>& mappings, bool dryRun)
        : data_(std::move(data)), mapper_(mappings), dryRun_(dryRun) {}

    MigrationReport Run() {
        for (const auto& [file, kind] : {std::pair{"Categories.dat", GroupKind::Category},
                                         std::pair{"Spots.dat", GroupKind::SpotGroup}}) {
            Definitions(file, kind);
        }
        Options();
        return std::move(report_);
    }

private:
    // Maps one folder or track path of a group and counts it.
    std::string MapCounted(const std::string& path, MigratedGroup& group) {
        const PathMapper::Result r = mapper_.Map(path);
        if (r.Exists) {
            ++group.Found;
        } else {
            ++group.Missing;
            if (group.FirstMissing.size() < kMissingShown) {
                group.FirstMissing.push_back(r.Path);
            }
        }
        if (r.Folded) {
            report_.Notes.push_back(Format(tr("\"%0:s\" found as \"%1:s\""), path, r.Path));
        }
        return r.Path;
    }

    void Write(const fs::path& file, const std::string& text) {
        report_.Written.push_back(file.string());
        if (dryRun_) {
            return;
        }
        if (!ReplaceFile(file, text, BackupPathFor(file)) && report_.Failure.empty()) {
            report_.Failure = Format(tr("Unable to create \"%0:s\""), file.string());
        }
    }

    // Categories.dat or Spots.dat: each group's folder list, then its track list.
    void Definitions(const char* fileName, GroupKind kind) {
        const auto lines = ReadTextLines(data_ / fileName);
        if (!lines) {
            return;
        }
        std::string text;
        for (const std::string& line : *lines) {
            std::vector<std::string> items = DecodeListText(line);
            MigratedGroup group;
            group.Name = items.empty() ? std::string() : items[0];
            group.Spot = kind == GroupKind::SpotGroup;
            if (items.size() > 2) {
                std::vector<std::string> folders = DecodeListText(items[2]);
                for (std::string& folder : folders) {
                    folder = MapCounted(folder, group);
                }
                items[2] = EncodeListText(folders);
            }
            text += EncodeListText(items) + "\r\n";
            if (IsTrackListName(group.Name, kind)) {
                TrackList(TrackListFileName(group.Name, kind), group);
            }
            report_.Groups.push_back(std::move(group));
        }
        Write(data_ / fileName, text);
    }

    void TrackList(const std::string& fileName, MigratedGroup& group) {
        const fs::path source = FindTrackListFile(data_, fileName);
        const auto bytes = ReadFileBytes(source);
        if (!bytes) {
            return;
        }
        static const FormatSettings kDot = FormatSettings::English();
        std::string text;
        long lineNumber = 0;
        ForEachLine(*bytes, [&](std::string_view line) {
            ++lineNumber;
            // Written under a locale with a decimal comma, or a point.
            const auto fields = SplitTrackListLine(line);
            const auto lastUsed =
                fields ? ReadDataFloat(fields->LastUsed, kDot) : std::optional<double>();
            const auto duration = lastUsed ? TextToInt(fields->Duration) : std::nullopt;
            const auto fileDate =
                duration ? ReadDataFloat(fields->FileDate, kDot) : std::optional<double>();
            if (!fileDate || *duration < 0 || *duration > 0xFFFF) {
                // Kept as it was: the operator decides what it meant.
                report_.Notes.push_back(Format(tr("Line %0:d of \"%1:s\" cannot be read and is "
                                                  "kept as it was."),
                                               static_cast<long long>(lineNumber),
                                               source.string()));
                text.append(line).append("\r\n");
                return true;
            }
            std::string path(fields->Path);
            if (!IsValidUtf8(path)) {
                path = Windows1252ToUtf8(path);
            }
            text += MapCounted(path, group) + "*" + FloatToText(*lastUsed, kDot) + "?" +
                    std::to_string(*duration) + "|" + FloatToText(*fileDate, kDot) + "\r\n";
            return true;
        });
        Write(data_ / fileName, text);
        // A list found under its Windows-1252 name gives way to the one just written.
        if (!dryRun_ && source != data_ / fileName) {
            std::error_code ec;
            fs::rename(source, BackupPathFor(source), ec);
        }
    }

    // The folders, path substitutions and line formats of Options.dat.
    void Options() {
        const auto lines = ReadTextLines(data_ / "Options.dat");
        if (!lines || lines->empty()) {
            return;
        }
        std::vector<std::string> items = DecodeListText((*lines)[0]);
        static const std::pair<std::size_t, const char*> kFolders[] = {
            {8, "PlaylistFolder"},    {18, "HTMLFolder"},   {34, "LogFolder"},
            {47, "VoiceTrackFolder"}, {23, "PathSubFrom1"}, {25, "PathSubFrom2"}};
        for (const auto& [index, name] : kFolders) {
            if (index >= items.size() || !IsWindowsPath(items[index])) {
                continue;
            }
            const PathMapper::Result r = mapper_.Map(items[index]);
            if (r.Mapped) {
                items[index] = r.Path;
            } else {
                report_.Notes.push_back(
                    Format(tr("%0:s \"%1:s\" is a Windows path no --map covers; "
                              "it is left as it is."),
                           name, items[index]));
            }
        }
        // Formats written with "\" between the folder and the file name.
        for (const std::size_t index : {28u, 40u, 41u}) {
            if (index < items.size()) {
                for (std::size_t at = items[index].find("%p\\"); at != std::string::npos;
                     at = items[index].find("%p\\", at)) {
                    items[index].replace(at, 3, "%p/");
                }
            }
        }
        Write(data_ / "Options.dat", EncodeListText(items) + "\r\n");
    }

    fs::path data_;
    PathMapper mapper_;
    bool dryRun_;
    MigrationReport report_;
};

}  // namespace

std::optional<PathMapping> ParsePathMapping(std::string_view text) {
    const std::size_t eq = text.find('=');
    if (eq == std::string_view::npos || eq == 0 || eq + 1 == text.size()) {
        return std::nullopt;
    }
    return PathMapping{std::string(text.substr(0, eq)), std::string(text.substr(eq + 1))};
}

bool IsWindowsPath(std::string_view path) {
    const bool drive = path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/') &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    return drive || path.starts_with("\\\\");
}

PathMapper::PathMapper(std::vector<PathMapping> mappings) {
    for (PathMapping& m : mappings) {
        mappings_.push_back({Slashed(m.From), Slashed(m.To)});
    }
    // The longest From first, so "C:\Music\Jazz" wins over "C:\Music".
    std::stable_sort(mappings_.begin(), mappings_.end(),
                     [](const auto& a, const auto& b) { return a.From.size() > b.From.size(); });
}

PathMapper::Result PathMapper::Map(std::string_view path) const {
    Result r;
    r.Path = std::string(path);
    r.Windows = IsWindowsPath(path);
    if (!r.Windows) {
        r.Exists = Exists(r.Path);
        return r;
    }
    const std::string slashed = Slashed(path);
    for (const PathMapping& m : mappings_) {
        if (slashed.size() < m.From.size() ||
            FoldCase(std::string_view(slashed).substr(0, m.From.size())) != FoldCase(m.From) ||
            (slashed.size() > m.From.size() && slashed[m.From.size()] != '/')) {
            continue;
        }
        r.Mapped = true;
        r.Path = m.To + slashed.substr(m.From.size());
        break;
    }
    if (!r.Mapped) {
        return r;
    }
    if (Exists(r.Path)) {
        r.Exists = true;
        return r;
    }
    // Component by component, folding the case of any that is not there as written.
    std::string found;
    std::size_t start = r.Path[0] == '/' ? 1 : 0;
    while (start <= r.Path.size()) {
        const std::size_t end = std::min(r.Path.find('/', start), r.Path.size());
        const std::string part = r.Path.substr(start, end - start);
        std::string next = found + "/" + part;
        if (!part.empty() && !Exists(next)) {
            const std::string entry = FoldedEntry(found, part);
            if (entry.empty()) {
                return r;  // not there in any case
            }
            next = found + "/" + entry;
            r.Folded = true;
        }
        found = std::move(next);
        start = end + 1;
    }
    r.Path = found;
    r.Exists = true;
    return r;
}

bool MigrationReport::AllFound() const {
    return std::all_of(Groups.begin(), Groups.end(),
                       [](const MigratedGroup& g) { return g.Missing == 0; });
}

MigrationReport MigrateDataFolder(const std::filesystem::path& data,
                                  const std::vector<PathMapping>& mappings, bool dryRun) {
    return Migration(data, mappings, dryRun).Run();
}

}  // namespace spindle
