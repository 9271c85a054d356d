#include "outputs/output_pass.h"

#include <sys/stat.h>

#include <system_error>

#include "base/format.h"
#include "base/format_datetime.h"
#include "base/paths.h"
#include "base/text_case.h"
#include "base/translate.h"
#include "outputs/playlist_files.h"
#include "outputs/playlist_line.h"

namespace spindle {
namespace {

namespace fs = std::filesystem;

bool Holds(const fs::path& folder, const fs::path& inside) {
    std::error_code ec;
    const fs::path a = fs::weakly_canonical(folder, ec);
    const fs::path b = fs::weakly_canonical(inside, ec);
    auto ai = a.begin();
    auto bi = b.begin();
    for (; ai != a.end() && !ai->empty(); ++ai, ++bi) {
        if (bi == b.end() || *ai != *bi) {
            return false;
        }
    }
    return true;
}

}  // namespace

void PurgeOldOutputs(const Station& station) {
    const Options& o = station.Opt;
    const std::int64_t today = DateOf(station.Clock());
    for (const std::string& folderText :
         {o.PlaylistFolder, o.HTMLFolder, o.LogFolder, o.VoiceTrackFolder}) {
        if (folderText.empty()) {
            continue;
        }
        const fs::path folder = IncludeTrailingDelimiter(folderText);
        if (Holds(folder, station.DataFolder())) {
            continue;
        }
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(folder, ec)) {
            std::error_code fileError;
            if (!entry.is_regular_file(fileError)) {
                continue;
            }
            const std::string lower = LowerCase(entry.path().filename().string());
            if (lower == "playlist.html" || lower == "index.html") {
                continue;
            }
            struct stat st {};
            if (::stat(entry.path().c_str(), &st) != 0) {
                continue;
            }
            if (DateOf(LocalDateTimeFromUnix(st.st_mtime)) < today - o.DeleteOldPlaylists) {
                fs::remove(entry.path(), fileError);
            }
        }
    }
}

void PlaylistOutputs::PurgeOldOutputs(RunReport&) {
    spindle::PurgeOldOutputs(station_);
}

bool PlaylistOutputs::CreatePlaylistFiles(const RunFacts& facts, RunReport& report) {
    const Options& o = station_.Opt;
    const FormatSettings& fs = station_.Settings();
    report.SetStatus(RunStatus::Running);
    report.AddLine(tr("Creating Playlist files..."));

    LogContents log;
    switch (ReadPlaylistLog(facts.PlaylistLogName + ".plg", fs, log)) {
        case LogReadError::CannotOpen:
            report.Fail(tr("Unable to open Playlist Log file."));
            return false;
        case LogReadError::InvalidFormat:
            report.Fail(tr("Invalid Playlist Log file format."));
            return false;
        case LogReadError::None:
            break;
    }
    for (std::size_t bad : log.BadLines) {
        report.Message(Format(tr("Line %0:d of the Playlist Log cannot be read and is left out."),
                              static_cast<long long>(bad)),
                       false);
    }
    for (LogConsumer* c : consumers_) {
        if (!c->Begin(facts, report)) {
            return false;
        }
    }

    const PlaylistLineRules rules{{o.PathSubFrom1, o.PathSubTo1},
                                  {o.PathSubFrom2, o.PathSubTo2},
                                  station_.Names(),
                                  fs,
                                  RunSettings::FromOptions(o, fs).Crossfade,
                                  o.KorvelCrossfade};
    PlaylistFileWriter playlist(o, fs);
    ClockOfItems clock;
    std::int64_t previousDay = -1;
    long progress = facts.Hours;
    bool ok = true;
    for (const LogLine& line : log.Lines) {
        if (line.LineKind == LogLine::Kind::Hour) {
            // A log that starts without "0" still gets a file for its first hours.
            if (line.Counter == "0" || !playlist.IsOpen()) {
                if (!playlist.Open(line.HourStart, report)) {
                    ok = false;
                    break;
                }
            }
            for (LogConsumer* c : consumers_) {
                ok = c->Hour(line.HourStart, report) && ok;
            }
            const std::int64_t day = DateOf(line.HourStart);
            if (day != previousDay) {
                report.AddLine(Format(tr("Creating Playlist for %0:s"),
                                      FormatDateTime("dddddd", line.HourStart, fs)));
                previousDay = day;
            }
            report.SetBar(++progress, 2 * facts.Hours);
            report.ProcessEvents();
            if (report.Stopped() || !ok) {
                break;
            }
            clock.StartHour(line.HourStart);
            continue;
        }
        const TDateTime when = clock.Of(line.Time);
        const std::string* format = nullptr;
        switch (line.Type) {
            case kItemHourMarker:
                format = &o.MarkerString;
                break;
            case kItemBreakNote:
                format = &o.BreakNoteString;
                break;
            case kItemContinuation:
                break;
            case kItemVoiceTrack:
                format = o.VTFilenames ? &o.PlaylistFormat : nullptr;
                break;
            default:
                format = &o.PlaylistFormat;
                break;
        }
        // Markers and notes whose format is empty have no line of their own.
        const bool marker = line.Type == kItemHourMarker || line.Type == kItemBreakNote;
        if (format != nullptr && !(marker && format->empty())) {
            PlaylistItem item;
            item.Path = line.Text;
            item.Duration = line.Duration;
            item.Number = line.Number;
            item.Owner = line.Owner;
            item.TypeDigit = static_cast<char>('0' + line.Type);
            item.Clock = when;
            item.ItemTime = line.Time;
            playlist.WriteLine(FormatPlaylistLine(*format, item, rules));
        }
        for (LogConsumer* c : consumers_) {
            c->Item(line, when, report);
        }
    }
    if (!playlist.Close(report)) {
        ok = false;
    }
    const bool completed = ok && !report.Stopped();
    if (completed) {
        report.AddLine(tr("Playlist files created successfully."));
    }
    for (LogConsumer* c : consumers_) {
        ok = c->Finish(report, completed) && ok;
    }
    return ok && !report.Stopped();
}

}  // namespace spindle
