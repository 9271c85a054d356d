#include "scan/extensions.h"

#include "base/text_case.h"

namespace spindle {

const std::array<std::string_view, ExtensionSet::kCount>& ExtensionSet::Names() {
    static constexpr std::array<std::string_view, kCount> kNames = {
        "MP2", "MP3",  "MP4",  "M4A", "OGG", "WAV", "CDA", "M3U", "PLS",  "APE", "MAC", "OTS",
        "AIF", "AIFF", "AIFC", "SND", "WMA", "AVI", "ASF", "WMV", "MPEG", "MPG", "EXE", "BAT"};
    return kNames;
}

bool ExtensionSet::Select(std::string_view name, bool on) {
    for (std::size_t i = 0; i < kCount; ++i) {
        if (SameText(Names()[i], name)) {
            selected_[i] = on;
            return true;
        }
    }
    return false;
}

bool ExtensionSet::AnySelected() const {
    for (bool s : selected_) {
        if (s) {
            return true;
        }
    }
    return false;
}

std::vector<std::string> ExtensionSet::SelectedNames() const {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < kCount; ++i) {
        if (selected_[i]) {
            names.emplace_back(Names()[i]);
        }
    }
    return names;
}

bool ExtensionSet::IsExtensionEnabled(std::string_view extension) const {
    const std::string_view name = extension.substr(extension.empty() ? 0 : 1, 4);
    // The names are ASCII, so an ASCII comparison ignoring case decides.
    auto same = [name](std::string_view known) {
        if (known.size() != name.size()) {
            return false;
        }
        for (std::size_t i = 0; i < name.size(); ++i) {
            char c = name[i];
            if (c >= 'a' && c <= 'z') {
                c = static_cast<char>(c - 'a' + 'A');
            }
            if (c != known[i]) {
                return false;
            }
        }
        return true;
    };
    for (std::size_t i = 0; i < kCount; ++i) {
        if (selected_[i] && same(Names()[i])) {
            return true;
        }
    }
    return false;
}

}  // namespace spindle
