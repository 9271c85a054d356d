#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace spindle {

// A tag's text fields by upper-cased name, several values of one name joined by "; ", as
// ReadTags gathers them from TagLib's property map.
using TagFields = std::map<std::string, std::string>;

// The fields of the ID3v2 tag an MP3 file begins with, read from `head` (the file's first
// bytes, as many as were read) exactly as TagLib reads that file's fields: ID3v2.2, 2.3
// and 2.4, any text encoding, unsynchronisation, an ID3v2.4 extended header or footer.
// Nothing when this reader is not sure to agree: no tag, a tag longer than `head`, one
// without a frame (TagLib then takes the APE or ID3v1 tag at the file's end), or a frame
// it leaves to TagLib (comments, links, compressed or grouped frames, a TCON of genre
// numbers, text it cannot decode, ...). Never reads outside `head`.
std::optional<TagFields> Id3v2Fields(std::string_view head);

}  // namespace spindle
