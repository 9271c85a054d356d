#include "fileinfo/format_readers.h"

#include "base/format.h"
#include "base/translate.h"

namespace spindle {
namespace {

template <std::optional<std::uint32_t> (*Read)(const ByteSource&)>
std::uint32_t ReadFile(const ByteSource& file, const std::string&, Operator&) {
    return Read(file).value_or(0);
}

std::uint32_t ReadMp4File(const ByteSource& file, const std::string& path, Operator& op) {
    const Mp4Result result = Mp4Duration(file);
    if (result.Unsupported) {
        // No support address to name yet: the warning says only what it cannot read.
        op.Show(MessageKind::Warning,
                std::string(tr("Unsupported MP4 AAC file. ")) + "\"" + path + "\".", Buttons::Ok);
    }
    return result.Duration.value_or(0);
}

}  // namespace

FormatReader FindFormatReader(std::string_view ext) {
    if (ext == ".wav")
        return &ReadFile<WavDuration>;
    if (ext == ".ogg")
        return &ReadFile<OggDuration>;
    if (ext == ".ape" || ext == ".mac")
        return &ReadFile<ApeDuration>;
    if (ext == ".mp4" || ext == ".m4a")
        return &ReadMp4File;
    if (ext == ".ots")
        return &ReadFile<OtsDuration>;
    if (ext.substr(0, 4) == ".aif" || ext == ".snd")
        return &ReadFile<AiffDuration>;
    if (ext == ".asf" || ext == ".wma" || ext == ".wmv")
        return &ReadFile<AsfDuration>;
    if (ext == ".mpg" || ext == ".mpeg")
        return &ReadFile<MpegVideoDuration>;
    if (ext == ".avi")
        return &ReadFile<AviDuration>;
    return nullptr;
}

}  // namespace spindle
