#include "editor/insertion.h"

#include <filesystem>

#include "base/paths.h"
#include "base/text_case.h"
#include "base/text_file.h"
#include "base/unattended_operator.h"
#include "fileinfo/file_duration.h"
#include "fileinfo/name_conventions.h"
#include "station/options.h"

namespace spindle {

std::uint32_t BreakNoteSeconds(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon > 5) {
        return 0;
    }
    std::uint32_t seconds = 0;
    for (const char c : text.substr(0, colon)) {
        if (c < '0' || c > '9') {
            return 0;
        }
        seconds = seconds * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return seconds;
}

PlaylistDocument::NewItem InsertedItem(const Selection& selection, bool otherPositions) {
    PlaylistDocument::NewItem item;
    item.Path = selection.Path;
    item.Duration = selection.Duration;
    item.Minute = 0;
    switch (selection.Kind) {
        case SelectKind::Category:
            item.Type = kItemTrack;
            item.GroupName = selection.Group;
            break;
        case SelectKind::SpotGroup:
            item.Type = kItemSpot;
            item.GroupName = selection.Group;
            break;
        case SelectKind::TimedSpot:
            item.Type = kItemTimedSpot;
            item.GroupName = selection.Group;
            break;
        case SelectKind::BreakNote:
            item.Type = kItemBreakNote;
            item.GroupName = otherPositions ? "Timed Break Note" : "Break Note";
            break;
        case SelectKind::VoiceIntro:
        case SelectKind::Other:
            // The log holds voice items made here as type 9, which the playlists carry.
            item.Type = kItemVoice;
            item.GroupName = selection.Kind == SelectKind::Other ? "<other>" : "";
            break;
    }
    return item;
}

Replacement ReplacementFor(const Selection& selection) {
    const PlaylistDocument::NewItem item = InsertedItem(selection, false);
    return {item.Path, item.Duration, item.Type,
            item.Type == kItemVoice ? std::string("<other>") : item.GroupName};
}

std::function<double(const EditorItem&)> PlaySeconds(const Options& options, double allowance) {
    const bool fromName = options.KorvelCrossfade;
    return [allowance, fromName](const EditorItem& item) {
        return item.Duration - ItemCrossfade(item.Path, item.Duration, allowance, fromName).Seconds;
    };
}

int DropType(bool alt, bool shift, bool ctrl) {
    return alt ? kItemVoice : shift ? kItemOutro : ctrl ? kItemSpot : kItemTrack;
}

std::vector<DroppedItem> DroppedItems(const std::vector<std::string>& paths, int type, bool alt,
                                      bool ctrl, const Options& options) {
    std::vector<DroppedItem> items;
    auto enabled = [&](const std::string& path) {
        std::error_code ec;
        return std::filesystem::is_regular_file(path, ec) &&
               options.Extensions.IsExtensionEnabled(UpperCase(ExtractFileExt(path)));
    };
    UnattendedOperator quiet;
    for (const std::string& path : paths) {
        if (UpperCase(ExtractFileExt(path)) != ".M3U") {
            if (enabled(path)) {
                items.push_back({path, type});
            }
            continue;
        }
        const int listType = ctrl ? kItemSpot : kItemTrack;
        if (alt) {
            if (enabled(path)) {
                items.push_back({path, listType});
            }
            continue;
        }
        if (PlaylistFileDuration(path, quiet) == 0) {
            continue;
        }
        for (const std::string& line : ReadTextLines(path).value_or(std::vector<std::string>{})) {
            if (line.empty() || line[0] == '#' || line.find("://") != std::string::npos) {
                continue;
            }
            const std::string entry = ResolvePlaylistEntry(path, line);
            std::error_code ec;
            if (std::filesystem::is_regular_file(entry, ec)) {
                items.push_back({entry, listType});
            }
        }
    }
    return items;
}

}  // namespace spindle
