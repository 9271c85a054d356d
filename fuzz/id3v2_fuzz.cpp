// The ID3v2 head reader over any bytes, against TagLib: wherever it answers for an MP3
// file, its answer must be the one TagLib gives.
#include <cstdlib>

#include "fileinfo/byte_source.h"
#include "fileinfo/id3v2_fields.h"
#include "fileinfo/tags.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace spindle;
    const std::string_view bytes = fuzz::Text(data, size);
    if (!Id3v2Fields(bytes)) {
        return 0;
    }
    fuzz::Reset();
    const std::string path = fuzz::Put("a.mp3", bytes);
    if (ReadTags(path, FileByteSource(path)) != ReadTags(path)) {
        std::abort();
    }
    return 0;
}
