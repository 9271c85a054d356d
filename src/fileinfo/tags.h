#pragma once

#include <map>
#include <optional>
#include <string>

namespace spindle {

class FileByteSource;

// What a file's tag says about the recording. Texts are UTF-8; a field the tag lacks is
// empty or 0.
struct TrackTags {
    std::string Artist, Title, Album, Isrc, Composer, Publisher, Genre;
    int Year = 0;
    double Bpm = 0;
    // Every other text field (ID3v2 TXXX frames, Vorbis comments, MP4 freeform items, APE
    // items, ASF attributes, ...) by its upper-cased name; several values are joined by "; ".
    std::map<std::string, std::string> Extra;
    bool operator==(const TrackTags&) const = default;
};

// Reads the tag of the file at `path` (UTF-8), of any container TagLib knows, without
// ever writing to it. Nothing when the file cannot be read or holds no tag; a damaged
// file gives what could be read. Never throws.
std::optional<TrackTags> ReadTags(const std::string& path);
// The same, for the file at `path` opened as `file`: the ID3v2 tag an MP3 file begins
// with is read from the bytes `file` holds of its head when it lies whole within them
// (fileinfo/id3v2_fields.h); anything else is read with TagLib.
std::optional<TrackTags> ReadTags(const std::string& path, const FileByteSource& file);

}  // namespace spindle
