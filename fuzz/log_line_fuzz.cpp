// Playlist Log lines: the comma-text split of any line, and the whole reader over any file.
#include "base/list_text.h"
#include "fuzz_support.h"
#include "outputs/playlist_log.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace spindle;
    (void)DecodeListText(fuzz::Text(data, size));
    fuzz::Reset();
    const std::string path = fuzz::Put("Dec0714.plg", fuzz::Text(data, size));
    LogContents contents;
    static const FormatSettings kEn = FormatSettings::English();
    if (ReadPlaylistLog(path, kEn, contents) == LogReadError::None) {
        ClockOfItems clock;
        for (const LogLine& line : contents.Lines) {
            if (line.LineKind == LogLine::Kind::Hour) {
                clock.StartHour(line.HourStart);
            } else {
                (void)clock.Of(line.Time);
            }
        }
    }
    return 0;
}
