#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/operator.h"
#include "fileinfo/byte_source.h"

namespace spindle {

// The playing time each format's header gives, in whole seconds; nullopt when the
// bytes hold no header the reader knows (nothing is shown then). None reads past the
// end of its input.
std::optional<std::uint32_t> WavDuration(const ByteSource& file);
std::optional<std::uint32_t> ApeDuration(const ByteSource& file);
std::optional<std::uint32_t> OggDuration(const ByteSource& file);
// Besides a duration, an MP4 may be a kind the reader does not know.
struct Mp4Result {
    std::optional<std::uint32_t> Duration;
    bool Unsupported = false;  // "ftyp" found, but no version-0 movie header where expected
};
Mp4Result Mp4Duration(const ByteSource& file);
std::optional<std::uint32_t> MpegVideoDuration(const ByteSource& file);
std::optional<std::uint32_t> AiffDuration(const ByteSource& file);
std::optional<std::uint32_t> AsfDuration(const ByteSource& file);
std::optional<std::uint32_t> AviDuration(const ByteSource& file);
std::optional<std::uint32_t> OtsDuration(const ByteSource& file);

// A reader of one format over an open file: the playing time in seconds (before it is
// cut to 16 bits), 0 when unknown. An MP4 of a kind the reader does not know is reported
// through the operator, naming `path`.
using FormatReader = std::uint32_t (*)(const ByteSource& file, const std::string& path,
                                       Operator& op);

// The reader for a lower-case extension with its dot (".wav", ".aiff"), or nullptr when
// no reader of this kind handles it (MPEG audio and M3U lists have their own route).
FormatReader FindFormatReader(std::string_view extension);

}  // namespace spindle
