// Every audio and video reader over any bytes; the first byte chooses the reader.
#include "fileinfo/format_readers.h"
#include "fileinfo/mpeg_audio.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace spindle;
    if (size == 0) {
        return 0;
    }
    const MemoryByteSource bytes(fuzz::Text(data + 1, size - 1));
    switch (data[0] % 10) {
        case 0:
            (void)ReadMpegAudio(bytes);
            break;
        case 1:
            (void)WavDuration(bytes);
            break;
        case 2:
            (void)ApeDuration(bytes);
            break;
        case 3:
            (void)OggDuration(bytes);
            break;
        case 4:
            (void)Mp4Duration(bytes);
            break;
        case 5:
            (void)MpegVideoDuration(bytes);
            break;
        case 6:
            (void)AiffDuration(bytes);
            break;
        case 7:
            (void)AsfDuration(bytes);
            break;
        case 8:
            (void)AviDuration(bytes);
            break;
        default:
            (void)OtsDuration(bytes);
            break;
    }
    return 0;
}
