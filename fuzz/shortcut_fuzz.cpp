// Windows shortcut files from anywhere.
#include "fuzz_support.h"
#include "scan/shortcut.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace spindle;
    (void)ShortcutTargetFromBytes(fuzz::Text(data, size));
    fuzz::Reset();
    (void)ResolveShortcutFile(fuzz::Put("Song.lnk", fuzz::Text(data, size)));
    return 0;
}
