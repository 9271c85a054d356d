#include "station/options.h"

#include <system_error>

#include "base/float_text.h"
#include "base/list_text.h"
#include "base/paths.h"
#include "base/text_file.h"
#include "station/track_list.h"

namespace spindle {

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

}  // namespace spindle
