#include "station/track_list.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>

#include "base/float_text.h"
#include "base/format.h"
#include "base/paths.h"
#include "base/text_case.h"
#include "base/text_file.h"
#include "base/translate.h"

namespace spindle {
bool IsExistingFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string TrackListFileName(const std::string& name, GroupKind kind) {
    return kind == GroupKind::SpotGroup ? "{" + name + "}.dat" : name + ".dat";
}

std::string TrackListFileName(const TCustomDetails& group) {
    return TrackListFileName(group.ListName(), group.Kind());
}

std::string TrackListNameProblem(const std::string& name, GroupKind kind) {
    const std::string fileName = TrackListFileName(name, kind);
    if (!IsPlainFileName(fileName)) {
        return tr("A name holding \"/\" cannot name a file in the data folder. Please rename it.");
    }
    // Compared without regard to case: the data folder may live on a file system that
    // does not tell case apart.
    static const char* const kDataFiles[] = {"Options.dat",   "Categories.dat", "Spots.dat",
                                             "Rotations.dat", "Schedules.dat",  "Related.dat"};
    const bool dataFile = std::any_of(std::begin(kDataFiles), std::end(kDataFiles),
                                      [&](const char* f) { return SameText(fileName, f); });
    const bool spotList = kind == GroupKind::Category && name.size() >= 2 && name.front() == '{' &&
                          name.back() == '}';
    if (dataFile || spotList) {
        return Format(tr("Its track list would be \"%0:s\", one of the station's own files. "
                         "Please rename it."),
                      fileName);
    }
    return {};
}

std::optional<double> ReadDataFloat(std::string_view text, const FormatSettings& settings) {
    if (auto v = TextToFloat(text, settings)) {
        return v;
    }
    // Files written under another locale: a point, or the comma of a German or French
    // station's machine.
    static const std::array<FormatSettings, 2> kOthers = [] {
        std::array<FormatSettings, 2> others{FormatSettings::English(), FormatSettings::English()};
        others[1].DecimalSeparator = ",";
        others[0].ThousandSeparator = others[1].ThousandSeparator = std::string();
        return others;
    }();
    for (const FormatSettings& other : kOthers) {
        if (settings.DecimalSeparator != other.DecimalSeparator) {
            if (auto v = TextToFloat(text, other)) {
                return v;
            }
        }
    }
    return std::nullopt;
}

std::optional<TrackListFields> SplitTrackListLine(std::string_view line) {
    const std::size_t bar = line.rfind('|');
    const std::size_t question = bar == std::string_view::npos ? bar : line.rfind('?', bar);
    const std::size_t star = (question == std::string_view::npos || question == 0)
                                 ? std::string_view::npos
                                 : line.rfind('*', question - 1);
    if (star == std::string_view::npos) {
        return std::nullopt;
    }
    return TrackListFields{line.substr(0, star), line.substr(star + 1, question - star - 1),
                           line.substr(question + 1, bar - question - 1), line.substr(bar + 1)};
}

std::filesystem::path FindTrackListFile(const std::filesystem::path& dataFolder,
                                        const std::string& fileName) {
    const std::filesystem::path path = dataFolder / fileName;
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) {
        return path;
    }
    for (const auto& entry : std::filesystem::directory_iterator(dataFolder, ec)) {
        const std::string name = entry.path().filename().string();
        if (!IsValidUtf8(name) && Windows1252ToUtf8(name) == fileName) {
            return entry.path();
        }
    }
    return path;
}

std::vector<SavedTrack> ReadTrackList(const std::filesystem::path& file,
                                      const std::function<bool(const std::string&)>& exists,
                                      const FormatSettings& settings,
                                      const std::function<void(const std::string&)>& badLine) {
    std::vector<SavedTrack> tracks;
    // File names are bytes on this system: each line is taken as it stands, whatever
    // its encoding, so every name saves back as it was read.
    auto text = ReadFileBytes(file);
    if (!text) {
        return tracks;
    }
    if (text->starts_with("\xEF\xBB\xBF")) {
        text->erase(0, 3);
    }
    tracks.reserve(static_cast<std::size_t>(std::count(text->begin(), text->end(), '\n')) + 1);
    ForEachLine(*text, [&](std::string_view line) {
        const auto fields = SplitTrackListLine(line);
        if (!fields) {
            return false;  // a line without its markers ends the list
        }
        SavedTrack t;
        t.FileName.assign(fields->Path);
        if (exists && !exists(t.FileName)) {
            // A list brought from a Windows station names its files in Windows-1252,
            // while the copied files have UTF-8 names.
            if (IsValidUtf8(t.FileName)) {
                return true;
            }
            std::string converted = Windows1252ToUtf8(t.FileName);
            if (!exists(converted)) {
                return true;
            }
            t.FileName = std::move(converted);
        }
        const auto lastUsed = ReadDataFloat(fields->LastUsed, settings);
        const auto duration = TextToInt(fields->Duration);
        const auto fileDate = ReadDataFloat(fields->FileDate.substr(0, 20), settings);
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
        return true;
    });
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
