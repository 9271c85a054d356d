#include "library/track_list.h"

#include <sys/stat.h>

#include "base/float_text.h"
#include "base/text_file.h"

namespace spindle {
namespace {

bool IsFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

std::string TrackListFileName(const std::string& name, GroupKind kind) {
    return kind == GroupKind::SpotGroup ? "{" + name + "}.dat" : name + ".dat";
}

std::string TrackListFileName(const TCustomDetails& group) {
    return TrackListFileName(group.Name, group.Kind());
}

std::optional<double> ReadDataFloat(std::string_view text, const FormatSettings& settings) {
    if (auto v = TextToFloat(text, settings)) {
        return v;
    }
    if (settings.DecimalSeparator != ".") {
        static const FormatSettings kEnglish = FormatSettings::English();
        return TextToFloat(text, kEnglish);
    }
    return std::nullopt;
}

std::vector<SavedTrack> ReadTrackList(const std::filesystem::path& file, bool keepMissing,
                                      const FormatSettings& settings,
                                      const std::function<void(const std::string&)>& badLine) {
    std::vector<SavedTrack> tracks;
    const auto lines = ReadTextLines(file);
    if (!lines) {
        return tracks;
    }
    tracks.reserve(lines->size());
    for (const std::string& line : *lines) {
        // The markers are looked for from the end: the values never hold them, while a
        // file name on this system may.
        const std::size_t bar = line.rfind('|');
        const std::size_t question = bar == std::string::npos ? bar : line.rfind('?', bar);
        const std::size_t star = (question == std::string::npos || question == 0)
                                     ? std::string::npos
                                     : line.rfind('*', question - 1);
        if (star == std::string::npos) {
            break;
        }
        SavedTrack t;
        t.FileName = line.substr(0, star);
        if (!keepMissing && !IsFile(t.FileName)) {
            continue;
        }
        const std::string_view view(line);
        const auto lastUsed = ReadDataFloat(view.substr(star + 1, question - star - 1), settings);
        const auto duration = TextToInt(view.substr(question + 1, bar - question - 1));
        const auto fileDate = ReadDataFloat(view.substr(bar + 1, 20), settings);
        bool ok = lastUsed.has_value();
        if (ok) {
            t.LastUsed = *lastUsed;
            ok = duration && *duration >= 0 && *duration <= 0xFFFF;
        }
        if (ok) {
            t.Duration = static_cast<std::uint16_t>(*duration);
            ok = fileDate.has_value();
        }
        if (ok) {
            t.FileDate = *fileDate;
        } else if (badLine) {
            badLine(t.FileName);
        }
        tracks.push_back(std::move(t));
    }
    return tracks;
}

std::string TrackListText(const std::vector<FileRec>& files, const FormatSettings& settings) {
    std::string text;
    text.reserve(files.size() * 80);
    for (const FileRec& f : files) {
        if (f.Duration == 0 && f.LastUsed == 0.0) {
            continue;
        }
        text += f.FileName;
        text += '*';
        text += FloatToText(f.LastUsed, settings);
        text += '?';
        text += std::to_string(f.Duration);
        text += '|';
        text += FloatToText(f.FileDate, settings);
        text += "\r\n";
    }
    return text;
}

}  // namespace spindle
