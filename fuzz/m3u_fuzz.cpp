// M3U lists that name each other, themselves, and files of any kind.
#include "base/unattended_operator.h"
#include "fileinfo/file_duration.h"
#include "fileinfo/silent_mp3.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace spindle;
    const std::string_view text = fuzz::Text(data, size);
    // The lists may name any file; kernel files of enormous size are kept out of reach
    // so that a run of the fuzzer stays short.
    if (text.find("/proc") != std::string_view::npos ||
        text.find("/sys") != std::string_view::npos ||
        text.find("/dev") != std::string_view::npos) {
        return 0;
    }
    fuzz::Reset();
    fuzz::Put("a.mp3", SilentMp3Bytes(200));
    fuzz::Put("b.m3u", "a.mp3\r\nlist.m3u\r\n");
    const std::string list = fuzz::Put("list.m3u", text);
    UnattendedOperator op;
    (void)PlaylistFileDuration(list, op);
    (void)FileDuration(list, true, op);
    return 0;
}
