#include "library/options.h"

#include <functional>
#include <system_error>

#include "base/float_text.h"
#include "base/list_text.h"
#include "base/paths.h"
#include "base/text_file.h"

namespace spindle {
namespace {

// Reads the items of the options line in order; the first one that is missing or does
// not convert ends the reading, and the rest keep their defaults.
class ItemReader {
public:
    explicit ItemReader(std::vector<std::string> items) : items_(std::move(items)) {}

    bool Done() const { return stopped_; }

    void Text(std::string& out) {
        if (const std::string* s = Next()) {
            out = *s;
        }
    }
    void Flag(bool& out) {
        if (const std::string* s = Next()) {
            out = *s == "1";
        }
    }
    template <typename T>
    void Number(T& out, long long low, long long high) {
        const std::string* s = Next();
        if (s == nullptr) {
            return;
        }
        const auto value = TextToInt(*s);
        if (!value || *value < low || *value > high) {
            stopped_ = true;
            return;
        }
        out = static_cast<T>(*value);
    }
    void Lines(std::vector<std::string>& out) {
        if (const std::string* s = Next()) {
            out = DecodeListText(*s);
        }
    }
    void Skip() { Next(); }
    // An item whose value is taken as it comes, a number or 0; false when missing.
    bool Version(int& out) {
        if (const std::string* s = Next()) {
            const auto value = TextToInt(*s);
            out = value && *value >= 0 && *value < 100000 ? static_cast<int>(*value) : 0;
            return true;
        }
        return false;
    }

private:
    const std::string* Next() {
        if (stopped_ || index_ >= items_.size()) {
            stopped_ = true;
            return nullptr;
        }
        return &items_[index_++];
    }

    std::vector<std::string> items_;
    std::size_t index_ = 0;
    bool stopped_ = false;
};

std::string Flag(bool value) {
    return value ? "1" : "0";
}

void Migrate(Options& o, const std::filesystem::path& dataFolder) {
    if (o.FileVersion < 201) {
        // Older files held only the extension of the playlist file names.
        const std::string ext = o.FilenameFormat;
        o.FilenameFormat =
            "mmmdd-hh\"" + std::string(ext.rfind('.', 0) == 0 ? "" : ".") + ext + "\"";
        o.TimeResetPeriod = o.PlaylistPeriod;
    }
    if (o.FileVersion < 220) {
        o.TotalDays += 1;
    }
    // Older logs and summaries move to the names the program uses now; a file already
    // there is never overwritten.
    auto move = [](const std::filesystem::path& from, const std::filesystem::path& to) {
        std::error_code ec;
        if (std::filesystem::exists(from, ec) && !std::filesystem::exists(to, ec)) {
            std::filesystem::rename(from, to, ec);
        }
    };
    const std::string logFolder = o.LogFolderPath();
    if (o.FileVersion < 222) {
        o.LogBaseName = "ZedCreator";
        move(dataFolder / "ZedCreator.log", logFolder + o.LogBaseName + ".plg");
    }
    if (o.FileVersion < 240) {
        move(logFolder + "Track-" + o.LogBaseName + ".csv", logFolder + "SongList.csv");
        move(logFolder + "Spot-" + o.LogBaseName + ".csv", logFolder + "SpotList.csv");
    }
}

}  // namespace

std::string Options::LogFolderPath() const {
    return IncludeTrailingDelimiter(LogFolder);
}

Options DefaultOptions(const std::string& dataFolder, TDateTime today,
                       const FormatSettings& settings) {
    Options o;
    const std::string folder = IncludeTrailingDelimiter(dataFolder);
    o.StartDay = DateOf(today);
    o.PlaylistFolder = folder + "Playlist";
    o.HTMLFolder = folder + "HTMLPlaylist";
    o.LogFolder = folder + "Logs";
    o.VoiceTrackFolder = folder + "VoiceTracks";
    o.CrossfadeAllowance = "0" + settings.DecimalSeparator + "9";
    ApplyFormatPreset(o, kPresetKorvel);
    return o;
}

bool ApplyFormatPreset(Options& o, const std::string& presetName) {
    const std::string plainPath = std::string("%p") + kPathDelim + "%f%e";
    if (presetName == kPresetM3UStandard) {
        o.PlaylistFormat = plainPath;
        o.BreakNoteString.clear();
        o.IncludeHM = false;
        o.MarkerString.clear();
        if (o.FilenameFormat.find('h') == std::string::npos) {
            o.FilenameFormat = "mmmdd-hh\".M3U\"";
        }
        return true;
    }
    if (presetName == kPresetKorvel) {
        o.PlaylistFormat = plainPath;
        o.BreakNoteString = "%u";
        o.IncludeHM = true;
        o.MarkerString = "START OF HOUR %h";
        o.FilenameFormat = "mmmdd\".ALB\"";
        o.PlaylistPeriod = kPeriodDay;
        o.TimeResetPeriod = kPeriodHour;
        return true;
    }
    return false;
}

OptionsLoad LoadOptions(const std::filesystem::path& dataFolder, TDateTime today,
                        const FormatSettings& settings) {
    const Options defaults = DefaultOptions(dataFolder.string(), today, settings);
    OptionsLoad result{defaults, false};
    Options& o = result.Values;

    const auto lines = ReadTextLines(dataFolder / "Options.dat");
    // Older files are brought forward by their version; a file damaged before the
    // version item cannot tell its age, and is left as it loaded.
    bool versionRead = false;
    if (lines && !lines->empty()) {
        result.LineRead = true;
        ItemReader r(DecodeListText((*lines)[0]));
        r.Number(o.StartDay, -693593, 2958465);
        r.Number(o.StartHour, 0, 23);
        r.Number(o.TotalDays, 0, 90);
        r.Number(o.PlaylistPeriod, 0, 2);
        r.Number(o.SystemArtistInterval, 0, 99999);
        r.Number(o.SystemSongInterval, 0, 99999);
        r.Text(o.ArtistDelim);
        r.Text(o.FilenameFormat);
        r.Text(o.PlaylistFolder);
        r.Skip();  // 9
        r.Skip();  // 10
        r.Flag(o.TimeCheck);
        r.Number(o.TimeCheckMinutes, 0, 59);
        r.Text(o.CrossfadeAllowance);
        r.Number(o.NewerTracks, 0, 3);
        r.Flag(o.HTMLEnabled);
        r.Flag(o.HTMLSpots);
        r.Number(o.HTMLSpotsOver, 0, 9999);
        r.Text(o.HTMLFolder);
        r.Text(o.Kept19);
        r.Text(o.Kept20);
        r.Skip();  // 21
        r.Skip();  // 22
        r.Text(o.PathSubFrom1);
        r.Text(o.PathSubTo1);
        r.Text(o.PathSubFrom2);
        r.Text(o.PathSubTo2);
        versionRead = r.Version(o.FileVersion);
        r.Text(o.PlaylistFormat);
        r.Text(o.HTMLTitle);
        r.Lines(o.HTMLUserHeader);
        r.Lines(o.HTMLUserFooter);
        r.Flag(o.StayOnTop);
        r.Number(o.ArtistFirst, 0, 1);
        r.Text(o.LogFolder);
        r.Flag(o.TrackLog);
        r.Flag(o.SpotLog);
        r.Flag(o.PlayEnabled);
        r.Skip();  // 38: the crossfade is always on
        r.Flag(o.IncludeHM);
        r.Text(o.MarkerString);
        r.Text(o.BreakNoteString);
        r.Number(o.TimeResetPeriod, 0, 2);
        r.Flag(o.UseColour);
        std::vector<std::string> extensions;
        r.Lines(extensions);
        if (!r.Done()) {
            o.Extensions.SelectNone();
            for (const std::string& name : extensions) {
                o.Extensions.Select(name);
            }
        }
        r.Number(o.TotalHours, 0, 23);
        r.Flag(o.IncrementHour);
        r.Text(o.VoiceTrackFolder);
        r.Flag(o.ToolTips);
        r.Number(o.DeleteOldPlaylists, 0, 99);
        r.Text(o.LogBaseName);
        r.Text(o.RecordingApp);
        r.Flag(o.AutoNext);
        r.Flag(o.AutoRecord);
        r.Number(o.VoiceTrackTop, -100000, 100000);
        r.Number(o.VoiceTrackLeft, -100000, 100000);
        r.Flag(o.HTMLStartTime);
        r.Skip();  // 57
        r.Flag(o.VTFilenames);
        r.Flag(o.HTMLVT);
        r.Flag(o.HTMLCategoryNames);
    }

    // After loading.
    if (o.StartDay < DateOf(today)) {
        o.StartDay = DateOf(today);
    }
    for (auto [field, fallback] : {std::pair{&o.PlaylistFolder, &defaults.PlaylistFolder},
                                   std::pair{&o.HTMLFolder, &defaults.HTMLFolder},
                                   std::pair{&o.LogFolder, &defaults.LogFolder},
                                   std::pair{&o.VoiceTrackFolder, &defaults.VoiceTrackFolder}}) {
        if (field->empty()) {
            *field = *fallback;
        }
    }
    if (!o.Extensions.AnySelected()) {
        o.Extensions.SelectAll();
    }
    if (versionRead) {
        Migrate(o, dataFolder);
    }
    o.KorvelCrossfade = true;
    return result;
}

std::string OptionsLine(const Options& o) {
    std::vector<std::string> items;
    items.reserve(61);
    auto num = [&](long long v) { items.push_back(std::to_string(v)); };
    auto text = [&](const std::string& s) { items.push_back(s); };
    auto flag = [&](bool b) { items.push_back(Flag(b)); };
    num(o.StartDay);
    num(o.StartHour);
    num(o.TotalDays);
    num(o.PlaylistPeriod);
    num(o.SystemArtistInterval);
    num(o.SystemSongInterval);
    text(o.ArtistDelim);
    text(o.FilenameFormat);
    text(o.PlaylistFolder);
    text("");  // 9
    num(0);    // 10
    flag(o.TimeCheck);
    num(o.TimeCheckMinutes);
    text(o.CrossfadeAllowance);
    num(o.NewerTracks);
    flag(o.HTMLEnabled);
    flag(o.HTMLSpots);
    num(o.HTMLSpotsOver);
    text(o.HTMLFolder);
    text(o.Kept19);
    text(o.Kept20);
    text("");  // 21
    text("");  // 22
    text(o.PathSubFrom1);
    text(o.PathSubTo1);
    text(o.PathSubFrom2);
    text(o.PathSubTo2);
    num(kOptionsFileVersion);
    text(o.PlaylistFormat);
    text(o.HTMLTitle);
    text(EncodeListText(o.HTMLUserHeader));
    text(EncodeListText(o.HTMLUserFooter));
    flag(o.StayOnTop);
    num(o.ArtistFirst);
    text(o.LogFolder);
    flag(o.TrackLog);
    flag(o.SpotLog);
    flag(o.PlayEnabled);
    flag(o.KorvelCrossfade);
    flag(o.IncludeHM);
    text(o.MarkerString);
    text(o.BreakNoteString);
    num(o.TimeResetPeriod);
    flag(o.UseColour);
    text(EncodeListText(o.Extensions.SelectedNames()));
    num(o.TotalHours);
    flag(o.IncrementHour);
    text(o.VoiceTrackFolder);
    flag(o.ToolTips);
    num(o.DeleteOldPlaylists);
    text(o.LogBaseName);
    text(o.RecordingApp);
    flag(o.AutoNext);
    flag(o.AutoRecord);
    num(o.VoiceTrackTop);
    num(o.VoiceTrackLeft);
    flag(o.HTMLStartTime);
    text("");  // 57
    flag(o.VTFilenames);
    flag(o.HTMLVT);
    flag(o.HTMLCategoryNames);
    return EncodeListText(items);
}

}  // namespace spindle
