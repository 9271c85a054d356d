#include "fileinfo/file_duration.h"

#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <optional>
#include <set>

#include "base/float_text.h"
#include "base/paths.h"
#include "base/text_case.h"
#include "base/text_file.h"
#include "base/translate.h"
#include "fileinfo/format_readers.h"
#include "fileinfo/mpeg_audio.h"

namespace spindle {
namespace {

// How deep lists inside lists are followed; deeper nesting is a loop or a mistake.
constexpr int kMaxPlaylistDepth = 16;

bool IsExistingFile(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Lists being summed (to cut cycles) and lists already summed (each is read once per
// question, however often others name it), by their canonical paths.
struct PlaylistSums {
    std::set<std::string> Open;
    std::map<std::string, std::uint32_t> Done;
};

std::uint16_t DurationOf(const std::string& path, bool ask, Operator& op, PlaylistSums& sums,
                         int depth, std::uint32_t* dosDate, const FileByteSource* opened = nullptr);

std::string CanonicalKey(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(path, ec);
    return ec ? std::filesystem::path(path).lexically_normal().string() : canonical.string();
}

std::uint32_t SumPlaylist(const std::string& path, Operator& op, PlaylistSums& sums, int depth) {
    const std::string key = CanonicalKey(path);
    if (const auto done = sums.Done.find(key); done != sums.Done.end()) {
        return done->second;
    }
    if (depth > kMaxPlaylistDepth || !sums.Open.insert(key).second) {
        return 0;
    }
    std::uint32_t total = 0;
    if (auto lines = ReadTextLines(path)) {
        for (const std::string& line : *lines) {
            if (line.find("://") != std::string::npos || (!line.empty() && line[0] == '#')) {
                continue;
            }
            const std::string entry = ResolvePlaylistEntry(path, line);
            if (IsExistingFile(entry)) {
                total += DurationOf(entry, true, op, sums, depth + 1, nullptr);
            }
        }
    }
    sums.Open.erase(key);
    sums.Done.emplace(key, total);
    return total;
}

// One look at the file: it is opened once, its date taken from that opening, and its
// reader works from the bytes read then (`opened`, when the caller opened it).
std::uint16_t ReadByExtension(const std::string& path, Operator& op, PlaylistSums& sums, int depth,
                              std::uint32_t* dosDate, const FileByteSource* opened) {
    const std::string ext = LowerCase(ExtractFileExt(path));
    if (ext == ".m3u") {
        return static_cast<std::uint16_t>(SumPlaylist(path, op, sums, depth) & 0xFFFF);
    }
    const bool mpeg = ext == ".mp3" || ext == ".mp2";
    const FormatReader reader = mpeg ? nullptr : FindFormatReader(ext);
    if (!mpeg && reader == nullptr) {
        return 0;
    }
    std::optional<FileByteSource> own;
    const FileByteSource& file = opened != nullptr ? *opened : own.emplace(path);
    if (!file.IsOpen()) {
        if (!mpeg) {
            op.Show(MessageKind::Warning, std::string(tr("File not found '")) + path + "'",
                    Buttons::Ok);
        }
        return 0;
    }
    if (dosDate != nullptr) {
        *dosDate = file.DosDate();
    }
    if (mpeg) {
        return ReadMpegAudio(file).Duration;
    }
    return static_cast<std::uint16_t>(reader(file, path, op) & 0xFFFF);
}

std::uint16_t DurationOf(const std::string& path, bool ask, Operator& op, PlaylistSums& sums,
                         int depth, std::uint32_t* dosDate, const FileByteSource* opened) {
    const std::uint16_t duration = ReadByExtension(path, op, sums, depth, dosDate, opened);
    if (ask && duration == 0) {
        return ManualDurationEntry(path, op);
    }
    return duration;
}

}  // namespace

std::uint16_t FileDuration(const std::string& path, bool ask, Operator& op,
                           std::uint32_t* dosDate) {
    PlaylistSums sums;
    return DurationOf(path, ask, op, sums, 0, dosDate);
}

std::uint16_t FileDuration(const std::string& path, const FileByteSource& file, bool ask,
                           Operator& op, std::uint32_t* dosDate) {
    PlaylistSums sums;
    return DurationOf(path, ask, op, sums, 0, dosDate, &file);
}

std::uint32_t PlaylistFileDuration(const std::string& path, Operator& op) {
    PlaylistSums sums;
    return SumPlaylist(path, op, sums, 0);
}

std::string ResolvePlaylistEntry(const std::string& playlistPath, const std::string& entry) {
    if (entry.empty() || entry[0] == kPathDelim) {
        return entry;
    }
    const std::string folder = ExtractFilePath(playlistPath);
    std::string candidate = folder;
    candidate += entry;
    if (IsExistingFile(candidate)) {
        return candidate;
    }
    // Lists written on Windows use "\" between folders.
    if (entry.find('\\') != std::string::npos) {
        std::string converted = entry;
        for (char& c : converted) {
            if (c == '\\') {
                c = kPathDelim;
            }
        }
        if (converted[0] == kPathDelim) {
            candidate = converted;
        } else {
            candidate = folder;
            candidate += converted;
        }
        if (IsExistingFile(candidate)) {
            return candidate;
        }
    }
    return entry;
}

std::uint16_t ManualDurationEntry(const std::string& path, Operator& op) {
    std::string value = "0";
    std::uint16_t result = 0;
    while (value == "0") {
        const auto answer =
            op.Query(tr("Manual File Duration Entry (seconds)"), ExtractFileName(path), value);
        if (!answer) {
            break;
        }
        const auto number = TextToInt(*answer);
        if (number && *number >= 0) {
            result = static_cast<std::uint16_t>(*number & 0xFFFF);
            value.clear();
        } else {
            value = "0";
        }
    }
    return result;
}

}  // namespace spindle
