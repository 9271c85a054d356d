#pragma once

#include <memory>
#include <string>

#include "base/safe_file.h"
#include "generator/run_report.h"
#include "station/options.h"

namespace spindle {

// The playlist files of a run, one per playlist period, each written safely: a file
// appears under its name only when it is complete.
class PlaylistFileWriter {
public:
    explicit PlaylistFileWriter(const Options& options, const FormatSettings& settings)
        : options_(options), settings_(settings) {}
    ~PlaylistFileWriter();

    // Finishes the open file and starts the one of the period beginning at `start`.
    bool Open(TDateTime start, RunReport& report);
    bool IsOpen() const { return writer_ != nullptr; }
    void WriteLine(const std::string& line);
    // Finishes the open file.
    bool Close(RunReport& report);

    // The file name of the period starting at `start`, without folder: the date-time
    // pattern's result with path separators made harmless.
    static std::string FileNameFor(const std::string& pattern, TDateTime start,
                                   const FormatSettings& settings);

private:
    const Options& options_;
    const FormatSettings& settings_;
    std::unique_ptr<SafeFileWriter> writer_;
    std::string path_;
};

}  // namespace spindle
