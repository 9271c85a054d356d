#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/format_settings.h"
#include "base/safe_file.h"
#include "generator/generation_run.h"

namespace spindle {

// Writes the Playlist Log: "A" header, "B" hour lines and item lines, text fields in
// double quotes (a quote inside doubled), floats with 15 significant digits.
class PlaylistLogFile final : public PlaylistLogTarget {
public:
    explicit PlaylistLogFile(const FormatSettings& settings) : settings_(settings) {}

    bool Open(const std::string& baseName, RunReport& report) override;
    bool Close(RunReport& report) override;
    void Abandon() override;
    void Header(TDateTime created, TDateTime start, int timeResetPeriod) override;
    // A header whose start and last field are kept as they were read.
    void Header(TDateTime created, std::string_view start, std::string_view flag);
    void Hour(long itemCounter, TDateTime hourStart) override;
    void Item(int type, long itemNumber, double time, std::string_view text, std::uint16_t duration,
              std::string_view owner) override;
    // Lines whose times are written as given: the text of a time as it was read.
    void Hour(long itemCounter, std::string_view hourStart);
    void Item(int type, long itemNumber, std::string_view time, std::string_view text,
              std::uint16_t duration, std::string_view owner);

private:
    void Line(const std::string& line);

    const FormatSettings& settings_;
    std::unique_ptr<SafeFileWriter> writer_;
};

// A text field as the log writes it: between quotes, with inner quotes doubled.
std::string QuotedField(std::string_view text);

// One line of a Playlist Log as read back.
struct LogLine {
    enum class Kind { Hour, Item };
    Kind LineKind = Kind::Item;
    std::string Counter;        // hour lines: the item counter as written
    TDateTime HourStart = 0.0;  // hour lines
    int Type = 0;               // item lines
    std::string Number;         // item lines: the item number as written
    double Time = 0.0;          // item lines: hours since the time base
    std::string TimeText;       // the hour's start or the item's time as written
    std::string Text;
    std::uint16_t Duration = 0;
    std::string Owner;
};

struct LogContents {
    TDateTime Created = 0.0;
    TDateTime Start = 0.0;
    std::string StartText;         // field 2 as written
    std::string HeaderFlag = " ";  // field 3, kept as text
    std::vector<LogLine> Lines;
    std::vector<std::size_t> BadLines;  // 1-based numbers of lines that could not be read
    std::size_t BadHourLines = 0;       // how many of them are hour lines
};

enum class LogReadError { None, CannotOpen, InvalidFormat };

// Reads a whole Playlist Log. Lines whose numbers do not convert are listed in
// BadLines and left out; extra fields are ignored.
LogReadError ReadPlaylistLog(const std::string& path, const FormatSettings& settings,
                             LogContents& contents);

// The clock times of items: the first item of each hour falls on the hour, the others
// follow by their item times.
class ClockOfItems {
public:
    void StartHour(TDateTime hourStart) {
        hourStart_ = hourStart;
        firstTime_.reset();
    }
    TDateTime Of(double itemTime) {
        if (!firstTime_) {
            firstTime_ = itemTime;
        }
        return hourStart_ + (itemTime - *firstTime_) / 24.0;
    }

private:
    TDateTime hourStart_ = 0.0;
    std::optional<double> firstTime_;
};

}  // namespace spindle
