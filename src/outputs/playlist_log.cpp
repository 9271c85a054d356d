#include "outputs/playlist_log.h"

#include <system_error>

#include "base/float_text.h"
#include "base/list_text.h"
#include "base/paths.h"
#include "base/text_file.h"
#include "base/translate.h"
#include "station/track_list.h"

namespace spindle {

std::string QuotedField(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    out += '"';
    return out;
}

bool PlaylistLogFile::Open(const std::string& baseName, RunReport& report) {
    const std::filesystem::path target = baseName + ".plg";
    std::error_code ec;
    std::filesystem::create_directories(target.parent_path(), ec);
    writer_ = std::make_unique<SafeFileWriter>(target, baseName + ".bak");
    if (!writer_->IsOpen()) {
        writer_.reset();
        report.Fail(tr("Unable to create Playlist Log file."));
        return false;
    }
    return true;
}

bool PlaylistLogFile::Close(RunReport& report) {
    if (!writer_) {
        return false;
    }
    const SaveResult result = writer_->Commit();
    writer_.reset();
    if (result.Failure == SaveFailure::Backup) {
        report.Fail(tr("Unable to rename Playlist Log file."));
        return false;
    }
    if (!result) {
        report.Fail(tr("Unable to create Playlist Log file."));
        return false;
    }
    return true;
}

void PlaylistLogFile::Abandon() {
    if (writer_) {
        writer_->Abandon();
        writer_.reset();
    }
}

void PlaylistLogFile::Line(const std::string& line) {
    if (writer_) {
        writer_->Write(line);
        writer_->Write("\r\n");
    }
}

void PlaylistLogFile::Header(TDateTime created, TDateTime start, int timeResetPeriod) {
    Line("A," + QuotedField(FloatToText(created, settings_)) + "," +
         QuotedField(FloatToText(start, settings_)) + "," + std::to_string(timeResetPeriod));
}

void PlaylistLogFile::Header(TDateTime created, std::string_view start, std::string_view flag) {
    Line("A," + QuotedField(FloatToText(created, settings_)) + "," + QuotedField(start) + "," +
         std::string(flag));
}

void PlaylistLogFile::Hour(long itemCounter, TDateTime hourStart) {
    Hour(itemCounter, FloatToText(hourStart, settings_));
}

void PlaylistLogFile::Hour(long itemCounter, std::string_view hourStart) {
    Line("B," + std::to_string(itemCounter) + "," + QuotedField(hourStart));
}

void PlaylistLogFile::Item(int type, long itemNumber, double time, std::string_view text,
                           std::uint16_t duration, std::string_view owner) {
    Item(type, itemNumber, FloatToText(time, settings_), text, duration, owner);
}

void PlaylistLogFile::Item(int type, long itemNumber, std::string_view time, std::string_view text,
                           std::uint16_t duration, std::string_view owner) {
    Line(std::to_string(type) + "," + std::to_string(itemNumber) + "," + QuotedField(time) + "," +
         QuotedField(text) + "," + std::to_string(duration) + "," + QuotedField(owner));
}

LogReadError ReadPlaylistLog(const std::string& path, const FormatSettings& settings,
                             LogContents& contents) {
    const auto lines = ReadTextLines(path);
    if (!lines) {
        return LogReadError::CannotOpen;
    }
    if (lines->empty()) {
        return LogReadError::InvalidFormat;
    }
    const std::vector<std::string> header = DecodeListText((*lines)[0]);
    if (header.empty() || header[0] != "A") {
        return LogReadError::InvalidFormat;
    }
    if (header.size() > 1) {
        contents.Created = ReadDataFloat(header[1], settings).value_or(0.0);
    }
    if (header.size() > 2) {
        contents.Start = ReadDataFloat(header[2], settings).value_or(0.0);
        contents.StartText = header[2];
    }
    if (header.size() > 3) {
        contents.HeaderFlag = header[3];
    }
    for (std::size_t n = 1; n < lines->size(); ++n) {
        const std::vector<std::string> f = DecodeListText((*lines)[n]);
        if (f.empty()) {
            continue;
        }
        LogLine line;
        bool ok = false;
        if (f[0] == "B") {
            line.LineKind = LogLine::Kind::Hour;
            if (f.size() >= 3) {
                line.Counter = f[1];
                line.TimeText = f[2];
                const auto start = ReadDataFloat(f[2], settings);
                ok = start.has_value();
                line.HourStart = start.value_or(0.0);
            }
        } else if (f.size() >= 6) {
            const auto type = TextToInt(f[0]);
            const auto time = ReadDataFloat(f[2], settings);
            const auto duration = TextToInt(f[4]);
            // 99 is an "Other" item of older editors: a file of its own, as a voice item.
            const bool other = type && *type == 99;
            ok =
                type && ((*type >= 0 && *type <= 9) || other) && time && duration && *duration >= 0;
            if (ok) {
                line.Type = other ? kItemVoice : static_cast<int>(*type);
                line.Number = f[1];
                line.Time = *time;
                line.TimeText = f[2];
                line.Text = f[3];
                line.Duration = static_cast<std::uint16_t>(*duration & 0xFFFF);
                line.Owner = f[5];
            }
        }
        if (ok) {
            contents.Lines.push_back(std::move(line));
        } else {
            contents.BadLines.push_back(n + 1);
            contents.BadHourLines += line.LineKind == LogLine::Kind::Hour ? 1 : 0;
        }
    }
    return LogReadError::None;
}

}  // namespace spindle
