// MP4 and M4A: the movie header's duration over its time scale.
#include "fileinfo/format_readers.h"

namespace spindle {
namespace {

// More top-level atoms than this is no movie file.
constexpr int kMaxAtoms = 1000;

struct Atom {
    std::uint64_t Start = 0;
    std::uint64_t Size = 0;
    std::uint64_t Header = 8;  // 16 with a 64-bit size
    std::string Type;
};

std::optional<Atom> ReadAtom(const ByteSource& file, std::uint64_t at) {
    unsigned char h[16];
    if (!ReadExact(file, at, h, 8)) {
        return std::nullopt;
    }
    Atom atom;
    atom.Start = at;
    atom.Size = ReadBE32(h);
    atom.Type.assign(reinterpret_cast<char*>(h + 4), 4);
    if (atom.Size == 1) {
        if (!ReadExact(file, at + 8, h + 8, 8)) {
            return std::nullopt;
        }
        atom.Size = (std::uint64_t{ReadBE32(h + 8)} << 32) | ReadBE32(h + 12);
        atom.Header = 16;
    } else if (atom.Size == 0) {
        atom.Size = file.Size() - at;  // runs to the end of the file
    }
    if (atom.Size < atom.Header) {
        return std::nullopt;
    }
    return atom;
}

}  // namespace

Mp4Result Mp4Duration(const ByteSource& file) {
    Mp4Result result;
    const auto first = ReadAtom(file, 0);
    if (!first || first->Type != "ftyp") {
        return result;
    }
    // The movie atom is found by walking the top-level atoms, so media data, free space
    // or anything else may come before it.
    std::optional<Atom> movie;
    std::uint64_t at = first->Size;
    for (int n = 0; n < kMaxAtoms && at < file.Size(); ++n) {
        const auto atom = ReadAtom(file, at);
        if (!atom) {
            break;
        }
        if (atom->Type == "moov") {
            movie = atom;
            break;
        }
        at += atom->Size;
    }
    unsigned char mvhd[24];
    if (!movie || !ReadExact(file, movie->Start + movie->Header, mvhd, sizeof mvhd) ||
        std::string_view(reinterpret_cast<char*>(mvhd + 4), 4) != "mvhd" || mvhd[8] != 0) {
        result.Unsupported = true;
        return result;
    }
    const std::uint32_t scale = ReadBE32(mvhd + 20);
    unsigned char units[4];
    if (scale == 0 || !ReadExact(file, movie->Start + movie->Header + 24, units, 4)) {
        return result;
    }
    result.Duration =
        static_cast<std::uint32_t>(RoundHalfEven(static_cast<double>(ReadBE32(units)) / scale));
    return result;
}

}  // namespace spindle
