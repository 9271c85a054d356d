#include <system_error>

#include "base/float_text.h"
#include "base/list_text.h"
#include "base/paths.h"
#include "base/text_file.h"
#include "station/options.h"
#include "station/track_list.h"

// Options.dat: the options line read item by item, brought forward from older versions,
// and written back.

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

// Appends the items of the options line, as ItemReader reads them.
class ItemWriter {
public:
    explicit ItemWriter(std::vector<std::string>& items) : items_(items) {}
    void num(long long v) { items_.push_back(std::to_string(v)); }
    void text(const std::string& s) { items_.push_back(s); }
    void flag(bool b) { items_.push_back(Flag(b)); }

private:
    std::vector<std::string>& items_;
};

// Items 0 to 27: the run, the playlists, time checking, the listeners' pages, the path
// substitutions and the file's version.
void ReadRunItems(ItemReader& r, Options& o) {
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
}

// Items 28 to 60: the formats, the logs, the window, the extensions and voice tracking.
void ReadPresentationItems(ItemReader& r, Options& o) {
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

void WriteRunItems(std::vector<std::string>& items, const Options& o) {
    ItemWriter w(items);
    w.num(o.StartDay);
    w.num(o.StartHour);
    w.num(o.TotalDays);
    w.num(o.PlaylistPeriod);
    w.text(o.SystemArtistInterval);
    w.text(o.SystemSongInterval);
    w.text(o.ArtistDelim);
    w.text(o.FilenameFormat);
    w.text(o.PlaylistFolder);
    w.text("");  // 9
    w.num(0);    // 10
    w.flag(o.TimeCheck);
    w.num(o.TimeCheckMinutes);
    w.text(o.CrossfadeAllowance);
    w.num(o.NewerTracks);
    w.flag(o.HTMLEnabled);
    w.flag(o.HTMLSpots);
    w.text(o.HTMLSpotsOver);
    w.text(o.HTMLFolder);
    w.text(o.Kept19);
    w.text(o.Kept20);
    w.text("");  // 21
    w.text("");  // 22
    w.text(o.PathSubFrom1);
    w.text(o.PathSubTo1);
    w.text(o.PathSubFrom2);
    w.text(o.PathSubTo2);
    w.num(kOptionsFileVersion);
}

void WritePresentationItems(std::vector<std::string>& items, const Options& o) {
    ItemWriter w(items);
    w.text(o.PlaylistFormat);
    w.text(o.HTMLTitle);
    w.text(EncodeListText(o.HTMLUserHeader));
    w.text(EncodeListText(o.HTMLUserFooter));
    w.flag(o.StayOnTop);
    w.num(o.ArtistFirst);
    w.text(o.LogFolder);
    w.flag(o.TrackLog);
    w.flag(o.SpotLog);
    w.flag(o.PlayEnabled);
    w.flag(o.KorvelCrossfade);
    w.flag(o.IncludeHM);
    w.text(o.MarkerString);
    w.text(o.BreakNoteString);
    w.num(o.TimeResetPeriod);
    w.flag(o.UseColour);
    w.text(EncodeListText(o.Extensions.SelectedNames()));
    w.num(o.TotalHours);
    w.flag(o.IncrementHour);
    w.text(o.VoiceTrackFolder);
    w.flag(o.ToolTips);
    w.num(o.DeleteOldPlaylists);
    w.text(o.LogBaseName);
    w.text(o.RecordingApp);
    w.flag(o.AutoNext);
    w.flag(o.AutoRecord);
    w.num(o.VoiceTrackTop);
    w.num(o.VoiceTrackLeft);
    w.flag(o.HTMLStartTime);
    w.text("");  // 57
    w.flag(o.VTFilenames);
    w.flag(o.HTMLVT);
    w.flag(o.HTMLCategoryNames);
}

// What follows a load, read or not: the start no earlier than today, empty folders as
// the defaults, the extensions, an older file brought forward, and the settings the
// options line does not hold.
void Settle(Options& o, const Options& defaults, TDateTime today, bool migrate, bool lineRead,
            const std::filesystem::path& dataFolder) {
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
    if (lineRead) {
        // Stored before these settings were: they stay off until the operator turns them on.
        o.CreditedArtists = false;
        o.FitHours = false;
        o.RelaxedRuleReport = false;
    }
}

}  // namespace

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
        ReadRunItems(r, o);
        ReadPresentationItems(r, o);
    }

    Settle(o, defaults, today, migrate, result.LineRead, dataFolder);
    ReadSettingsFile(dataFolder, o);
    return result;
}

std::string OptionsLine(const Options& o) {
    std::vector<std::string> items;
    items.reserve(kOptionsItemCount);
    WriteRunItems(items, o);
    WritePresentationItems(items, o);
    return EncodeListText(items);
}

}  // namespace spindle
