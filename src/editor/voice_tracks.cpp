#include "editor/voice_tracks.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "base/format_datetime.h"
#include "base/paths.h"

namespace spindle {
namespace {

constexpr const char* kPlaceholderText = "VoiceTrack";
constexpr const char* kVoiceTrackGroup = "Voice Track";

bool EndsWith(const std::string& text, std::string_view tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The number a recording's name carries ("Dec0714-03#2.wav" -> 3), or nullopt.
std::optional<int> NumberOf(const std::string& fileName) {
    std::string stem = fileName.substr(0, fileName.size() - ExtractFileExt(fileName).size());
    stem = stem.substr(0, stem.find('#'));
    const std::size_t dash = stem.find('-');
    if (dash == std::string::npos || stem.size() != dash + 3) {
        return std::nullopt;
    }
    const char a = stem[dash + 1];
    const char b = stem[dash + 2];
    if (a < '0' || a > '9' || b < '0' || b > '9') {
        return std::nullopt;
    }
    return (a - '0') * 10 + (b - '0');
}

}  // namespace

std::string NextVoiceTrackName(const std::string& folder, TDateTime hourStart, const HourView& view,
                               std::optional<int> introSeconds, const FormatSettings& settings) {
    int highest = 0;
    for (const HourRow& row : view.Rows) {
        if (row.Owner == "<Voice Track>") {
            highest = std::max(highest, NumberOf(row.Filename).value_or(0));
        }
    }
    const std::string prefix =
        IncludeTrailingDelimiter(folder) + FormatDateTime("mmmddhh-", hourStart, settings);
    const std::string suffix =
        (introSeconds ? "#" + std::to_string(*introSeconds) : std::string()) + ".wav";
    for (int n = highest + 1;; ++n) {
        char number[16];
        std::snprintf(number, sizeof number, "%02d", n);
        const std::string path = prefix + number + suffix;
        std::error_code ec;
        if (!std::filesystem::exists(path, ec)) {
            return path;
        }
    }
}

bool WriteVoiceTrackPlaceholder(const std::string& path) {
    static const unsigned char kHeader[44] = {
        'R',  'I', 'F', 'F', 36, 0, 0,   0,   'W', 'A',  'V',  'E', 'f', 'm',  't',
        ' ',  16,  0,   0,   0,  1, 0,   2,   0,   0x44, 0xAC, 0,   0,   0x10, 0xB1,
        0x02, 0,   4,   0,   16, 0, 'd', 'a', 't', 'a',  0,    0,   0,   0};
    std::error_code made;
    // The Voice Track folder itself is made, not a missing share's whole path.
    std::filesystem::create_directory(std::filesystem::path(path).parent_path(), made);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    const bool written =
        ::write(fd, kHeader, sizeof kHeader) == static_cast<ssize_t>(sizeof kHeader);
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        std::error_code ec;
        std::filesystem::remove(path, ec);
        return false;
    }
    return true;
}

bool RecordingMade(const std::string& path) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    return !ec && size >= 45;
}

std::optional<std::uint64_t> FindNextMarker(const PlaylistDocument& document,
                                            std::optional<std::uint64_t> after) {
    const auto& items = document.Items();
    std::size_t i = 0;
    if (after) {
        if (const auto at = document.IndexOf(*after)) {
            i = *at + 1;
        }
    }
    for (; i < items.size(); ++i) {
        if (items[i].State != EditState::Removed && EndsWith(items[i].Path, kPlaceholderText)) {
            return items[i].Id;
        }
    }
    return std::nullopt;
}

RecordTarget ChooseRecordTarget(const PlaylistDocument& document,
                                std::optional<std::uint64_t> selected, const std::string& folder,
                                LogHour shown, std::optional<int> introSeconds,
                                const FormatSettings& settings) {
    if (const EditorItem* item = selected ? document.Find(*selected) : nullptr) {
        if (item->Type == kItemVoice && item->GroupName == kVoiceTrackGroup) {
            return {item->Path, item->Id};
        }
    }
    const TDateTime hourStart = document.StartDate() + shown.Day + shown.Hour / 24.0;
    return {NextVoiceTrackName(folder, hourStart, document.ViewOf(shown), introSeconds, settings),
            std::nullopt};
}

std::uint64_t PutRecording(PlaylistDocument& document, LogHour shown,
                           std::optional<std::uint64_t> selected, const std::string& path,
                           std::uint32_t duration) {
    const EditorItem* item = selected ? document.Find(*selected) : nullptr;
    if (item != nullptr && item->Type == kItemVoiceTrack &&
        EndsWith(item->Path, kPlaceholderText)) {
        document.BeginEdit();
        return document.Replace(*selected, path, duration, kVoiceTrackGroup, kItemVoice, {});
    }
    const auto ids = document.Insert(
        shown, selected ? std::vector<std::uint64_t>{*selected} : std::vector<std::uint64_t>{},
        {{path, kItemVoice, kVoiceTrackGroup, duration, std::nullopt}});
    return ids.empty() ? 0 : ids.front();
}

}  // namespace spindle
