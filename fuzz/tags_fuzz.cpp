// The tag readers over any bytes, behind each extension they are chosen by; the first byte
// chooses the extension.
#include "fileinfo/tags.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace spindle;
    static const char* const kNames[] = {"a.mp3", "a.flac", "a.ogg", "a.m4a",
                                         "a.wv",  "a.wma",  "a.ape", "a.wav"};
    if (size == 0) {
        return 0;
    }
    fuzz::Reset();
    (void)ReadTags(fuzz::Put(kNames[data[0] % 8], fuzz::Text(data + 1, size - 1)));
    return 0;
}
