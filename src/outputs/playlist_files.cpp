#include "outputs/playlist_files.h"

#include <system_error>

#include "base/format.h"
#include "base/format_datetime.h"
#include "base/paths.h"
#include "base/translate.h"

namespace spindle {

PlaylistFileWriter::~PlaylistFileWriter() = default;

std::string PlaylistFileWriter::FileNameFor(const std::string& pattern, TDateTime start,
                                            const FormatSettings& settings) {
    std::string name = FormatDateTime(pattern, start, settings);
    for (char& c : name) {
        if (c == kPathDelim || c == '\0') {
            c = '-';
        }
    }
    if (name.empty() || name == "." || name == "..") {
        name = FormatDateTime("mmmdd-hh\".m3u\"", start, settings);
    }
    return name;
}

bool PlaylistFileWriter::Close(RunReport& report) {
    if (!writer_) {
        return true;
    }
    const SaveResult result = writer_->Commit();
    writer_.reset();
    if (!result) {
        report.Fail(Format(tr("Unable to delete Playlist file \"%0:s\"."), path_));
        return false;
    }
    return true;
}

bool PlaylistFileWriter::Open(TDateTime start, RunReport& report) {
    if (!Close(report)) {
        return false;
    }
    const std::string folder = IncludeTrailingDelimiter(options_.PlaylistFolder);
    path_ = folder + FileNameFor(options_.FilenameFormat, start, settings_);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    writer_ = std::make_unique<SafeFileWriter>(path_);
    if (!writer_->IsOpen()) {
        writer_.reset();
        report.Fail(Format(tr("Unable to create \"%0:s\""), path_));
        return false;
    }
    if (options_.PlaylistFormat.compare(0, 8, "#EXTINF:") == 0) {
        WriteLine("#EXTM3U");
    }
    return true;
}

void PlaylistFileWriter::WriteLine(const std::string& line) {
    if (writer_) {
        writer_->Write(line);
        writer_->Write("\r\n");
    }
}

}  // namespace spindle
