#include "station/options.h"

#include <system_error>

#include "base/float_text.h"
#include "base/list_text.h"
#include "base/paths.h"
#include "base/text_file.h"
#include "station/track_list.h"

namespace spindle {
namespace {

// Reads the items of the options line in order, each on its own: a missing item keeps
// its default, a malformed one takes its default and is listed, and the items after it
// are read as usual.
class ItemReader {
public:
    ItemReader(std::vector<std::string> items, std::vector<std::string>& replaced)
        : items_(std::move(items)), replaced_(replaced) {}

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
    void Number(T& out, long long low, long long high, const char* name) {
        const std::string* s = Next();
        if (s == nullptr) {
            return;
        }
        const auto value = TextToInt(*s);
        if (!value || *value < low || *value > high) {
            replaced_.push_back(std::string(name) + " \"" + *s + "\" -> " + std::to_string(out));
            return;
        }
        out = static_cast<T>(*value);
    }
    // A number field the operator types: kept as typed, and listed when it is no number.
    void TypedNumberText(std::string& out, std::size_t maxDigits, const char* name) {
        const std::string* s = Next();
        if (s == nullptr) {
            return;
        }
        out = *s;
        if (!TypedNumber(out, maxDigits)) {
            replaced_.push_back(std::string(name) + " \"" + *s + "\" -> 0");
        }
    }
    bool Lines(std::vector<std::string>& out) {
        if (const std::string* s = Next()) {
            out = DecodeListText(*s);
            return true;
        }
        return false;
    }
    void Skip() { Next(); }
    // The file version; a missing item means a file from before versions were written
    // (0). One that does not convert is 0 too, unless the line has every item of
    // today's layout: migrating such a file as an old one would mangle it.
    void Version(int& out) {
        const std::string* s = Next();
        if (s == nullptr) {
            out = 0;
            return;
        }
        const auto value = TextToInt(*s);
        if (value && *value >= 0 && *value < 100000) {
            out = static_cast<int>(*value);
            return;
        }
        out = items_.size() >= kOptionsItemCount ? kOptionsFileVersion : 0;
        replaced_.push_back("FileVersion \"" + *s + "\" -> " + std::to_string(out));
    }

private:
    const std::string* Next() {
        if (index_ >= items_.size()) {
            return nullptr;
        }
        return &items_[index_++];
    }

    std::vector<std::string> items_;
    std::vector<std::string>& replaced_;
    std::size_t index_ = 0;
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

std::optional<std::uint32_t> TypedNumber(std::string_view text, std::size_t maxDigits) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    if (text.size() > maxDigits) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return value;
}

std::uint32_t Options::ArtistIntervalMinutes() const {
    return TypedNumber(SystemArtistInterval, 5).value_or(0);
}
std::uint32_t Options::SongIntervalMinutes() const {
    return TypedNumber(SystemSongInterval, 5).value_or(0);
}
std::uint32_t Options::HTMLSpotsOverSeconds() const {
    return TypedNumber(HTMLSpotsOver, 4).value_or(0);
}

Options DefaultOptions(const std::string& dataFolder, TDateTime today,
                       const FormatSettings& settings) {
    Options o;
    o.CreditedArtists = true;
    o.FitHours = true;
    o.RelaxedRuleReport = true;
    o.ArtistNamesKeptWhole = DefaultArtistNamesKeptWhole();
    const std::string folder = IncludeTrailingDelimiter(dataFolder);
    o.StartDay = DateOf(today);
    o.PlaylistFolder = folder + "Playlist";
    o.HTMLFolder = folder + "HTMLPlaylist";
    o.LogFolder = folder + "Logs";
    o.VoiceTrackFolder = folder + "VoiceTracks";
    o.CrossfadeAllowance = "0" + settings.DecimalSeparator + "9";
    o.SystemSongInterval = "180";
    o.SystemArtistInterval = "60";
    o.Extensions.Select("EXE", false);
    o.Extensions.Select("BAT", false);
    o.RecordingApp = "spindle-record";
    ApplyFormatPreset(o, kPresetKorvel);
    return o;
}

const std::vector<std::string>& FormatPresetNames() {
    static const std::vector<std::string> kNames = {kPresetM3UStandard, kPresetKorvel,
                                                    kPresetExtendedM3U, kPresetLiquidsoap};
    return kNames;
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
    // One file an hour for a playout engine: notes and hour markers as comment lines,
    // the rest as the engine reads it.
    if (presetName == kPresetExtendedM3U || presetName == kPresetLiquidsoap) {
        const bool extended = presetName == kPresetExtendedM3U;
        o.PlaylistFormat = (extended ? "#EXTINF:%S,%a - %t%n" : "annotate:%A:") + plainPath;
        o.BreakNoteString = "# %u";
        o.IncludeHM = true;
        o.MarkerString = "# Hour %D(yyyy-mm-dd) %h";
        o.FilenameFormat = extended ? "yyyy-mm-dd-hh\".m3u8\"" : "yyyy-mm-dd-hh\".m3u\"";
        o.PlaylistPeriod = kPeriodHour;
        o.TimeResetPeriod = kPeriodHour;
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
    OptionsLoad result{defaults, false, {}};
    Options& o = result.Values;

    const auto lines = ReadTextLines(dataFolder / "Options.dat");
    // Older files are brought forward by their version; a file too short to hold the
    // version item was written before versions were, and counts as version 0.
    bool migrate = false;
    if (lines && !lines->empty() && !(*lines)[0].empty()) {
        result.LineRead = true;
        migrate = true;
        ItemReader r(DecodeListText((*lines)[0]), result.Replaced);
        r.Number(o.StartDay, -693593, 2958465, "StartDay");
        r.Number(o.StartHour, -1, 23, "StartHour");  // -1: no hour chosen
        r.Number(o.TotalDays, 0, 90, "TotalDays");
        r.Number(o.PlaylistPeriod, 0, 2, "PlaylistPeriod");
        r.TypedNumberText(o.SystemArtistInterval, 5, "SystemArtistInterval");
        r.TypedNumberText(o.SystemSongInterval, 5, "SystemSongInterval");
        r.Text(o.ArtistDelim);
        r.Text(o.FilenameFormat);
        r.Text(o.PlaylistFolder);
        r.Skip();  // 9
        r.Skip();  // 10
        r.Flag(o.TimeCheck);
        r.Number(o.TimeCheckMinutes, 0, 59, "TimeCheckMinutes");
        r.Text(o.CrossfadeAllowance);
        r.Number(o.NewerTracks, 0, 3, "NewerTracks");
        r.Flag(o.HTMLEnabled);
        r.Flag(o.HTMLSpots);
        r.TypedNumberText(o.HTMLSpotsOver, 4, "HTMLSpotsOver");
        r.Text(o.HTMLFolder);
        r.Text(o.Kept19);
        r.Text(o.Kept20);
        r.Skip();  // 21
        r.Skip();  // 22
        r.Text(o.PathSubFrom1);
        r.Text(o.PathSubTo1);
        r.Text(o.PathSubFrom2);
        r.Text(o.PathSubTo2);
        r.Version(o.FileVersion);
        r.Text(o.PlaylistFormat);
        r.Text(o.HTMLTitle);
        r.Lines(o.HTMLUserHeader);
        r.Lines(o.HTMLUserFooter);
        r.Flag(o.StayOnTop);
        r.Number(o.ArtistFirst, 0, 1, "ArtistFirst");
        r.Text(o.LogFolder);
        r.Flag(o.TrackLog);
        r.Flag(o.SpotLog);
        r.Flag(o.PlayEnabled);
        r.Skip();  // 38: the crossfade is always on
        r.Flag(o.IncludeHM);
        r.Text(o.MarkerString);
        r.Text(o.BreakNoteString);
        r.Number(o.TimeResetPeriod, 0, 2, "TimeResetPeriod");
        r.Flag(o.UseColour);
        std::vector<std::string> extensions;
        if (r.Lines(extensions)) {
            o.Extensions.SelectNone();
            for (const std::string& name : extensions) {
                o.Extensions.Select(name);
            }
        } else {
            o.Extensions.SelectAll();  // a file from before the list: all, as they were then
        }
        r.Number(o.TotalHours, 0, 23, "TotalHours");
        r.Flag(o.IncrementHour);
        r.Text(o.VoiceTrackFolder);
        r.Flag(o.ToolTips);
        r.Number(o.DeleteOldPlaylists, 0, 99, "DeleteOldPlaylists");
        r.Text(o.LogBaseName);
        r.Text(o.RecordingApp);
        r.Flag(o.AutoNext);
        r.Flag(o.AutoRecord);
        r.Number(o.VoiceTrackTop, -100000, 100000, "VoiceTrackTop");
        r.Number(o.VoiceTrackLeft, -100000, 100000, "VoiceTrackLeft");
        r.Flag(o.HTMLStartTime);
        r.Skip();  // 57
        r.Flag(o.VTFilenames);
        r.Flag(o.HTMLVT);
        r.Flag(o.HTMLCategoryNames);
    }

    // After loading.
    if (o.StartHour < 0) {
        o.StartHour = 0;
    }
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
    if (migrate) {
        Migrate(o, dataFolder);
    }
    o.KorvelCrossfade = true;
    if (result.LineRead) {
        // Stored before these settings were: they stay off until the operator turns them on.
        o.CreditedArtists = false;
        o.FitHours = false;
        o.RelaxedRuleReport = false;
    }
    ReadSettingsFile(dataFolder, o);
    return result;
}

namespace {
constexpr std::string_view kPlayerCommandKey = "PlayerCommand=";
}

void ReadSettingsFile(const std::filesystem::path& dataFolder, Options& options) {
    const std::pair<std::string_view, bool*> flags[] = {
        {"CreditedArtists=", &options.CreditedArtists},
        {"FitHours=", &options.FitHours},
        {"RelaxedRuleReport=", &options.RelaxedRuleReport}};
    options.OtherSettings.clear();
    for (const std::string& line :
         ReadTextLines(dataFolder / kSettingsFileName).value_or(std::vector<std::string>{})) {
        bool known = false;
        if (line.rfind(kPlayerCommandKey, 0) == 0) {
            options.PlayerCommand = line.substr(kPlayerCommandKey.size());
            known = true;
        }
        for (const auto& [key, flag] : flags) {
            if (line.rfind(key, 0) == 0) {
                *flag = line.substr(key.size()) == "1";
                known = true;
            }
        }
        if (!known && !line.empty() && line[0] != '#') {
            options.OtherSettings.push_back(line);
        }
    }
    if (const auto names = ReadTextLines(dataFolder / kArtistNamesFileName)) {
        options.ArtistNamesKeptWhole.clear();
        for (const std::string& name : *names) {
            if (!name.empty() && name[0] != '#') {
                options.ArtistNamesKeptWhole.push_back(name);
            }
        }
    } else {
        options.ArtistNamesKeptWhole = DefaultArtistNamesKeptWhole();
    }
}

std::string SettingsFileText(const Options& options) {
    std::string text = "# Spindle's settings beyond Options.dat, one \"Name=value\" a line.\n";
    text += std::string(kPlayerCommandKey) + options.PlayerCommand + "\n";
    text += std::string("CreditedArtists=") + (options.CreditedArtists ? "1" : "0") + "\n";
    text += std::string("FitHours=") + (options.FitHours ? "1" : "0") + "\n";
    text += std::string("RelaxedRuleReport=") + (options.RelaxedRuleReport ? "1" : "0") + "\n";
    for (const std::string& line : options.OtherSettings) {
        text += line + "\n";
    }
    return text;
}

std::vector<std::string> DefaultArtistNamesKeptWhole() {
    return {"AC/DC",
            "Angus & Julia Stone",
            "Ashford & Simpson",
            "Blood, Sweat & Tears",
            "Bob Marley & The Wailers",
            "Brooks & Dunn",
            "Captain & Tennille",
            "Chase & Status",
            "Crosby, Stills & Nash",
            "Crosby, Stills, Nash & Young",
            "Daryl Hall & John Oates",
            "Derek & The Dominos",
            "Earth, Wind & Fire",
            "Echo & The Bunnymen",
            "Emerson, Lake & Palmer",
            "Hall & Oates",
            "Hootie & The Blowfish",
            "Huey Lewis & The News",
            "Ike & Tina Turner",
            "Iron & Wine",
            "Katrina & The Waves",
            "Kool & The Gang",
            "Loggins & Messina",
            "Mumford & Sons",
            "Nick Cave & The Bad Seeds",
            "Peter, Paul & Mary",
            "Prince & The Revolution",
            "Sam & Dave",
            "Seals & Crofts",
            "Simon & Garfunkel",
            "Sly & The Family Stone",
            "Sonny & Cher",
            "Tom Petty & The Heartbreakers",
            "Tyler, The Creator",
            "Years & Years"};
}

std::string ArtistNamesFileText(const Options& options) {
    std::string text =
        "# Artist names that hold \"&\", \",\", \"/\", \"feat.\" and the like on purpose: the "
        "artist\n"
        "# rule keeps each of them whole. One name a line.\n";
    for (const std::string& name : options.ArtistNamesKeptWhole) {
        text += name + "\n";
    }
    return text;
}

double Options::CrossfadeSeconds(const FormatSettings& settings) const {
    return CrossfadeAllowance.empty() ? 0.0
                                      : ReadDataFloat(CrossfadeAllowance, settings).value_or(0.0);
}

std::string OptionsLine(const Options& o) {
    std::vector<std::string> items;
    items.reserve(kOptionsItemCount);
    auto num = [&](long long v) { items.push_back(std::to_string(v)); };
    auto text = [&](const std::string& s) { items.push_back(s); };
    auto flag = [&](bool b) { items.push_back(Flag(b)); };
    num(o.StartDay);
    num(o.StartHour);
    num(o.TotalDays);
    num(o.PlaylistPeriod);
    text(o.SystemArtistInterval);
    text(o.SystemSongInterval);
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
    text(o.HTMLSpotsOver);
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
