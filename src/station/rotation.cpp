#include "station/rotation.h"

#include <cstdio>

#include "base/float_text.h"

namespace spindle {
namespace {

std::string TwoDigits(int value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", value);
    return buf;
}

}  // namespace

int TimedMinute(std::string_view text) {
    const std::size_t open = text.find('(');
    if (open == std::string_view::npos || open + 3 >= text.size() || text[open + 3] != ')') {
        return -1;
    }
    std::string_view digits = text.substr(open + 1, 2);
    if (digits[0] == ' ') {
        digits.remove_prefix(1);
    }
    const auto value = TextToInt(digits);
    if (!value || *value < 0 || *value > 60) {
        return -1;
    }
    return static_cast<int>(*value);
}

RotationItemKind ClassifyRotationItem(std::string_view text) {
    if (text.find("** ") != std::string_view::npos) {
        return TimedMinute(text) >= 0 ? RotationItemKind::TimedBreakNote
                                      : RotationItemKind::BreakNote;
    }
    if (text.find("## ") != std::string_view::npos) {
        return RotationItemKind::VoiceTrack;
    }
    if (text.find('{') != std::string_view::npos) {
        return TimedMinute(text) >= 0 ? RotationItemKind::TimedSpotGroup
                                      : RotationItemKind::SpotGroup;
    }
    return RotationItemKind::Category;
}

std::string RotationItemGroupName(std::string_view text) {
    auto slice = [&](std::size_t from, std::size_t dropAtEnd) -> std::string {
        if (text.size() < from + dropAtEnd) {
            return {};
        }
        return std::string(text.substr(from, text.size() - from - dropAtEnd));
    };
    switch (ClassifyRotationItem(text)) {
        case RotationItemKind::SpotGroup:
            return slice(10, 1);
        case RotationItemKind::TimedSpotGroup:
            return slice(14, 1);
        case RotationItemKind::Category:
            return slice(9, 0);
        default:
            return {};
    }
}

std::string MakeCategoryItem(std::string_view name) {
    return "00:00:00\t" + std::string(name);
}

std::string MakeSpotGroupItem(std::string_view name, int minute) {
    std::string item = "00:00:00\t{";
    if (minute >= 0) {
        item += "(" + TwoDigits(minute) + ")";
    }
    return item + std::string(name) + "}";
}

std::string MakeBreakNoteItem(std::string_view note, int minute) {
    std::string item = "00:00:00 ** ";
    if (minute >= 0) {
        item += "(" + TwoDigits(minute) + ")";
    }
    return item + std::string(note);
}

std::string MakeVoiceTrackItem(unsigned seconds) {
    return "00:00:00 ## " + std::to_string(seconds) + ":VoiceTrack";
}

}  // namespace spindle
