// Playlist line formats are the operator's input: any format over any path must end.
#include "fuzz_support.h"
#include "outputs/playlist_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace spindle;
    const std::string_view text = fuzz::Text(data, size);
    const std::size_t split = text.find('\n');
    const std::string_view format = text.substr(0, split);
    const std::string_view path =
        split == std::string_view::npos ? "/m/Band - Song#0012.mp3" : text.substr(split + 1);
    static PlaylistLineRules rules = [] {
        PlaylistLineRules r;
        r.Settings = FormatSettings::English();
        r.First = {"/M", "X:"};
        return r;
    }();
    PlaylistItem item;
    item.Path = path;
    item.Duration = 3725;
    item.Number = "12";
    item.Owner = "Hits";
    item.Clock = 46363.5;
    item.ItemTime = 1.25;
    const std::string line = FormatPlaylistLine(format, item, rules);
    (void)line;
    return 0;
}
