// The ID3v2 tag at the head of an MP3 file, read from the bytes the duration reader
// already holds. TagLib reads the same tag for ReadTags; this reader follows TagLib's
// reading (its quirks included) wherever it answers, and leaves everything else to it.
#include "fileinfo/id3v2_fields.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace spindle {
namespace {

using Bytes = std::basic_string_view<unsigned char>;

// Why a reading gives up: the caller reads the file with TagLib instead.
struct Unsure {};

// How TagLib names the text frames it maps, by their ID3v2.4 IDs.
constexpr std::pair<const char*, const char*> kTextKeys[] = {
    {"TALB", "ALBUM"},
    {"TBPM", "BPM"},
    {"TCOM", "COMPOSER"},
    {"TCON", "GENRE"},
    {"TCOP", "COPYRIGHT"},
    {"TDEN", "ENCODINGTIME"},
    {"TDLY", "PLAYLISTDELAY"},
    {"TDOR", "ORIGINALDATE"},
    {"TDRC", "DATE"},
    {"TDRL", "RELEASEDATE"},
    {"TDTG", "TAGGINGDATE"},
    {"TENC", "ENCODEDBY"},
    {"TEXT", "LYRICIST"},
    {"TFLT", "FILETYPE"},
    {"TIT1", "WORK"},
    {"TIT2", "TITLE"},
    {"TIT3", "SUBTITLE"},
    {"TKEY", "INITIALKEY"},
    {"TLAN", "LANGUAGE"},
    {"TLEN", "LENGTH"},
    {"TMED", "MEDIA"},
    {"TMOO", "MOOD"},
    {"TOAL", "ORIGINALALBUM"},
    {"TOFN", "ORIGINALFILENAME"},
    {"TOLY", "ORIGINALLYRICIST"},
    {"TOPE", "ORIGINALARTIST"},
    {"TOWN", "OWNER"},
    {"TPE1", "ARTIST"},
    {"TPE2", "ALBUMARTIST"},
    {"TPE3", "CONDUCTOR"},
    {"TPE4", "REMIXER"},
    {"TPOS", "DISCNUMBER"},
    {"TPRO", "PRODUCEDNOTICE"},
    {"TPUB", "LABEL"},
    {"TRCK", "TRACKNUMBER"},
    {"TRSN", "RADIOSTATION"},
    {"TRSO", "RADIOSTATIONOWNER"},
    {"TSOA", "ALBUMSORT"},
    {"TSOC", "COMPOSERSORT"},
    {"TSOP", "ARTISTSORT"},
    {"TSOT", "TITLESORT"},
    {"TSO2", "ALBUMARTISTSORT"},
    {"TSRC", "ISRC"},
    {"TSSE", "ENCODING"},
    {"TCAT", "PODCASTCATEGORY"},
    {"TDES", "PODCASTDESC"},
    {"TGID", "PODCASTID"},
    {"WFED", "PODCASTURL"},
    {"MVNM", "MOVEMENTNAME"},
    {"MVIN", "MOVEMENTNUMBER"},
    {"GRP1", "GROUPING"},
    {"TCMP", "COMPILATION"},
};

// ID3v2.2's three-letter IDs as TagLib renames them.
constexpr std::pair<const char*, const char*> kV22Ids[] = {
    {"BUF", "RBUF"}, {"CNT", "PCNT"}, {"COM", "COMM"}, {"CRA", "AENC"}, {"ETC", "ETCO"},
    {"GEO", "GEOB"}, {"IPL", "TIPL"}, {"MCI", "MCDI"}, {"MLL", "MLLT"}, {"POP", "POPM"},
    {"REV", "RVRB"}, {"SLT", "SYLT"}, {"STC", "SYTC"}, {"TAL", "TALB"}, {"TBP", "TBPM"},
    {"TCM", "TCOM"}, {"TCO", "TCON"}, {"TCP", "TCMP"}, {"TCR", "TCOP"}, {"TDY", "TDLY"},
    {"TEN", "TENC"}, {"TFT", "TFLT"}, {"TKE", "TKEY"}, {"TLA", "TLAN"}, {"TLE", "TLEN"},
    {"TMT", "TMED"}, {"TOA", "TOAL"}, {"TOF", "TOFN"}, {"TOL", "TOLY"}, {"TOR", "TDOR"},
    {"TOT", "TOAL"}, {"TP1", "TPE1"}, {"TP2", "TPE2"}, {"TP3", "TPE3"}, {"TP4", "TPE4"},
    {"TPA", "TPOS"}, {"TPB", "TPUB"}, {"TRC", "TSRC"}, {"TRD", "TDRC"}, {"TRK", "TRCK"},
    {"TS2", "TSO2"}, {"TSA", "TSOA"}, {"TSC", "TSOC"}, {"TSP", "TSOP"}, {"TSS", "TSSE"},
    {"TST", "TSOT"}, {"TT1", "TIT1"}, {"TT2", "TIT2"}, {"TT3", "TIT3"}, {"TXT", "TOLY"},
    {"TXX", "TXXX"}, {"TYE", "TDRC"}, {"UFI", "UFID"}, {"ULT", "USLT"}, {"WAF", "WOAF"},
    {"WAR", "WOAR"}, {"WAS", "WOAS"}, {"WCM", "WCOM"}, {"WCP", "WCOP"}, {"WPB", "WPUB"},
    {"WXX", "WXXX"}, {"PCS", "PCST"}, {"TCT", "TCAT"}, {"TDR", "TDRL"}, {"TDS", "TDES"},
    {"TID", "TGID"}, {"WFD", "WFED"}, {"MVN", "MVNM"}, {"MVI", "MVIN"}, {"GP1", "GRP1"},
};

// User text descriptions TagLib renames.
constexpr std::pair<const char*, const char*> kUserKeys[] = {
    {"MUSICBRAINZ ALBUM ID", "MUSICBRAINZ_ALBUMID"},
    {"MUSICBRAINZ ARTIST ID", "MUSICBRAINZ_ARTISTID"},
    {"MUSICBRAINZ ALBUM ARTIST ID", "MUSICBRAINZ_ALBUMARTISTID"},
    {"MUSICBRAINZ ALBUM RELEASE COUNTRY", "RELEASECOUNTRY"},
    {"MUSICBRAINZ ALBUM STATUS", "RELEASESTATUS"},
    {"MUSICBRAINZ ALBUM TYPE", "RELEASETYPE"},
    {"MUSICBRAINZ RELEASE GROUP ID", "MUSICBRAINZ_RELEASEGROUPID"},
    {"MUSICBRAINZ RELEASE TRACK ID", "MUSICBRAINZ_RELEASETRACKID"},
    {"MUSICBRAINZ WORK ID", "MUSICBRAINZ_WORKID"},
    {"ACOUSTID ID", "ACOUSTID_ID"},
    {"ACOUSTID FINGERPRINT", "ACOUSTID_FINGERPRINT"},
    {"MUSICIP PUID", "MUSICIP_PUID"},
};

template <std::size_t N>
const char* Lookup(const std::pair<const char*, const char*> (&table)[N], std::string_view key) {
    for (const auto& [from, to] : table) {
        if (key == from) {
            return to;
        }
    }
    return nullptr;
}

std::string_view Text(Bytes b) {
    return {reinterpret_cast<const char*>(b.data()), b.size()};
}

// A 28-bit size, or a plain 32-bit one when a byte has its top bit set (as some writers
// put there, and TagLib then reads).
std::uint32_t Size28(Bytes b) {
    if (((b[0] | b[1] | b[2] | b[3]) & 0x80) != 0) {
        return std::uint32_t{b[0]} << 24 | std::uint32_t{b[1]} << 16 | std::uint32_t{b[2]} << 8 |
               b[3];
    }
    return std::uint32_t{b[0]} << 21 | std::uint32_t{b[1]} << 14 | std::uint32_t{b[2]} << 7 | b[3];
}

// Every 0xFF 0x00 made 0xFF again.
std::basic_string<unsigned char> Resynchronised(Bytes b) {
    std::basic_string<unsigned char> out;
    out.reserve(b.size());
    std::size_t i = 0;
    while (i + 1 < b.size()) {
        const unsigned char c = b[i++];
        out.push_back(c);
        if (c == 0xFF && b[i] == 0) {
            ++i;
        }
    }
    if (i < b.size()) {
        out.push_back(b[i]);
    }
    return out;
}

bool IsIdChar(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Whether the four bytes at `at` name a frame (fewer than four: no).
bool IsFrameIdAt(Bytes b, std::uint64_t at) {
    if (at + 4 > b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < 4; ++i) {
        if (!IsIdChar(b[at + i])) {
            return false;
        }
    }
    return true;
}

void AppendUtf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Well-formed UTF-8: no overlong form, surrogate or code point past U+10FFFF.
bool IsUtf8(Bytes b) {
    for (std::size_t i = 0; i < b.size();) {
        const unsigned char c = b[i];
        std::size_t n = 0;
        std::uint32_t cp = 0, least = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            n = 1, cp = c & 0x1F, least = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            n = 2, cp = c & 0x0F, least = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            n = 3, cp = c & 0x07, least = 0x10000;
        } else {
            return false;
        }
        if (i + n >= b.size()) {
            return false;
        }
        for (std::size_t k = 1; k <= n; ++k) {
            if ((b[i + k] & 0xC0) != 0x80) {
                return false;
            }
            cp = cp << 6 | (b[i + k] & 0x3F);
        }
        if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            return false;
        }
        i += n + 1;
    }
    return true;
}

// UTF-16 code units to UTF-8; a lone surrogate is beyond TagLib's conversion.
void Utf16ToUtf8(Bytes b, bool bigEndian, std::string& out) {
    for (std::size_t i = 0; i + 1 < b.size(); i += 2) {
        const auto unit = [&](std::size_t at) -> std::uint32_t {
            return bigEndian ? (b[at] << 8 | b[at + 1]) : (b[at + 1] << 8 | b[at]);
        };
        std::uint32_t c = unit(i);
        if (c >= 0xDC00 && c <= 0xDFFF) {
            throw Unsure{};
        }
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 3 >= b.size()) {
                throw Unsure{};
            }
            const std::uint32_t trail = unit(i + 2);
            if (trail < 0xDC00 || trail > 0xDFFF) {
                throw Unsure{};
            }
            c = 0x10000 + ((c - 0xD800) << 10) + (trail - 0xDC00);
            i += 2;
        }
        AppendUtf8(out, c);
    }
}

// The values of a text frame's body (its encoding byte, then strings apart by a null),
// split, trimmed and decoded as TagLib does; empty pieces dropped.
std::vector<std::string> TextValues(Bytes field) {
    std::vector<std::string> values;
    if (field.size() < 2) {
        return values;
    }
    const unsigned char encoding = field[0];
    if (encoding > 3) {
        throw Unsure{};
    }
    const std::size_t align = encoding == 0 || encoding == 3 ? 1 : 2;
    // The nulls at the end go, then the length is made whole units again.
    std::size_t length = field.size() - 1;
    while (length > 0 && field[length] == 0) {
        --length;
    }
    while (length % align != 0) {
        ++length;
    }
    const Bytes text = field.substr(1, length);
    int firstBom = 0;  // 1: big-endian, -1: little-endian, of the first string with a mark
    bool first = true;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = start;
        while (end + align <= text.size() &&
               !(text[end] == 0 && (align == 1 || text[end + 1] == 0))) {
            end += align;
        }
        if (end + align > text.size()) {
            end = text.size();
        }
        const Bytes piece = text.substr(start, end - start);
        const bool atFirst = first;
        first = false;
        start = end + align;
        if (piece.empty()) {
            continue;
        }
        std::string value;
        if (encoding == 0) {
            for (const unsigned char c : piece) {
                AppendUtf8(value, c);
            }
        } else if (encoding == 3) {
            if (!IsUtf8(piece)) {
                throw Unsure{};
            }
            value.assign(Text(piece));
        } else if (piece.size() % 2 != 0) {
            throw Unsure{};
        } else if (encoding == 2) {
            Utf16ToUtf8(piece, true, value);
        } else {
            const int bom = piece[0] == 0xFE && piece[1] == 0xFF   ? 1
                            : piece[0] == 0xFF && piece[1] == 0xFE ? -1
                                                                   : 0;
            if (atFirst) {
                firstBom = bom;
            }
            if (bom != 0) {
                Utf16ToUtf8(piece.substr(2), bom > 0, value);
            } else if (!atFirst && firstBom != 0) {
                // A later string without its own mark is read in the first one's order.
                Utf16ToUtf8(piece, firstBom > 0, value);
            } else {
                throw Unsure{};
            }
        }
        if (value.empty()) {
            throw Unsure{};
        }
        values.push_back(std::move(value));
    }
    return values;
}

void Add(TagFields& fields, const std::string& key, const std::string& value) {
    std::string& joined = fields[key];
    if (!joined.empty()) {
        joined += "; ";
    }
    joined += value;
}

// One text frame's values into `fields` under TagLib's name for it.
void AddText(TagFields& fields, std::string_view id, Bytes body) {
    if (id == "TXXX") {
        std::vector<std::string> values = TextValues(body);
        if (values.size() < 2) {
            throw Unsure{};  // TagLib makes up a value or a name for these
        }
        std::string key = values.front();
        for (char& c : key) {
            if (c >= 'a' && c <= 'z') {
                c = static_cast<char>(c - 'a' + 'A');
            }
        }
        if (const char* renamed = Lookup(kUserKeys, key)) {
            key = renamed;
        }
        for (std::size_t i = 1; i < values.size(); ++i) {
            Add(fields, key, values[i]);
        }
        return;
    }
    if (id == "TIPL" || id == "TMCL") {
        throw Unsure{};  // lists of roles and people
    }
    // The dates ID3v2.4 replaced still name the date where they stand.
    const std::string_view current =
        id == "TRDA" || id == "TDAT" || id == "TYER" || id == "TIME" ? "TDRC" : id;
    const char* key = Lookup(kTextKeys, current);
    if (key == nullptr) {
        return;  // a frame TagLib has no name for, and leaves out
    }
    std::vector<std::string> values = TextValues(body);
    for (std::string& value : values) {
        if (current == "TCON") {
            // Genre numbers, "(17)" or "17", TagLib turns into names.
            bool letter = false;
            for (const char c : value) {
                letter = letter || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
            }
            if (!letter || value[0] == '(') {
                throw Unsure{};
            }
        } else if (current == "TDRC") {
            if (const std::size_t t = value.find('T'); t != std::string::npos) {
                value[t] = ' ';
            }
        }
        Add(fields, key, value);
    }
}

TagFields ReadTag(Bytes head) {
    if (head.size() < 10 || Text(head.substr(0, 3)) != "ID3") {
        throw Unsure{};
    }
    const unsigned version = head[3];
    const unsigned flags = head[5];
    if (version < 2 || version > 4 || ((head[6] | head[7] | head[8] | head[9]) & 0x80) != 0) {
        throw Unsure{};
    }
    const std::uint32_t size = Size28(head.substr(6, 4));
    if (size == 0 || head.size() - 10 < size) {
        throw Unsure{};
    }
    Bytes data = head.substr(10, size);
    std::basic_string<unsigned char> whole;
    if ((flags & 0x80) != 0 && version <= 3) {
        whole = Resynchronised(data);
        data = whole;
    }
    // Where the frames lie, reckoned as TagLib does: an extended header is skipped, and
    // its size and a footer's taken off the end as well.
    std::size_t position = 0;
    std::size_t length = data.size();
    if ((flags & 0x40) != 0) {
        if (version != 4 || data.size() < 4) {
            throw Unsure{};
        }
        const std::uint32_t extended = Size28(data);
        if (extended > data.size()) {
            throw Unsure{};
        }
        position += extended;
        length -= extended;
    }
    if ((flags & 0x10) != 0 && length >= 10) {
        length -= 10;
    }
    const std::size_t header = version == 2 ? 6 : 10;
    if (length < header) {
        throw Unsure{};
    }
    TagFields fields;
    int frames = 0;
    while (position < length - header) {
        if (data[position] == 0) {
            break;  // padding
        }
        const Bytes rest = data.substr(position);
        std::string id(Text(rest.substr(0, version == 2 ? 3 : 4)));
        std::uint32_t frameSize = 0;
        unsigned frameFlags = 0;
        if (version == 2) {
            frameSize = std::uint32_t{rest[3]} << 16 | std::uint32_t{rest[4]} << 8 | rest[5];
        } else if (version == 3) {
            frameSize = std::uint32_t{rest[4]} << 24 | std::uint32_t{rest[5]} << 16 |
                        std::uint32_t{rest[6]} << 8 | rest[7];
            if (id[3] == '\0') {
                throw Unsure{};  // an ID3v2.2 frame in an ID3v2.3 tag, as iTunes writes
            }
            if ((rest[9] & 0xE0) != 0) {
                throw Unsure{};  // compressed, encrypted or grouped
            }
        } else {
            frameSize = Size28(rest.substr(4, 4));
            // Some writers put plain sizes in ID3v2.4 frames; TagLib takes the plain size
            // when only it leads to another frame.
            if (frameSize > 127 && !IsFrameIdAt(rest, std::uint64_t{frameSize} + 10)) {
                const std::uint32_t plain = std::uint32_t{rest[4]} << 24 |
                                            std::uint32_t{rest[5]} << 16 |
                                            std::uint32_t{rest[6]} << 8 | rest[7];
                if (IsFrameIdAt(rest, std::uint64_t{plain} + 10)) {
                    frameSize = plain;
                }
            }
            frameFlags = rest[9];
            if ((frameFlags & 0x4C) != 0) {
                throw Unsure{};  // grouped, compressed or encrypted
            }
        }
        const bool lengthGiven = (frameFlags & 0x01) != 0;
        if (frameSize <= (lengthGiven ? 4u : 0u) || frameSize > rest.size() ||
            !std::all_of(id.begin(), id.end(),
                         [](char c) { return IsIdChar(static_cast<unsigned char>(c)); })) {
            break;  // TagLib stops at a frame that cannot be one
        }
        position += header + frameSize;
        ++frames;
        // TagLib's ID3v2.4 names; frames it drops stay in the tag, unread.
        if (version == 2) {
            if (id == "CRM" || id == "EQU" || id == "LNK" || id == "RVA" || id == "TIM" ||
                id == "TSI" || id == "TDA") {
                continue;
            }
            if (const char* renamed = Lookup(kV22Ids, id)) {
                id = renamed;
            }
        } else if (version == 3) {
            if (id == "TDAT") {
                throw Unsure{};  // TagLib adds day and time to the year
            }
            if (id == "EQUA" || id == "RVAD" || id == "TIME" || id == "TRDA" || id == "TSIZ") {
                continue;
            }
            if (id == "TORY") {
                id = "TDOR";
            } else if (id == "TYER") {
                id = "TDRC";
            } else if (id == "IPLS") {
                id = "TIPL";
            }
        } else if (id == "TRDC") {
            id = "TDRC";
        }
        const bool text =
            id[0] == 'T' || id == "WFED" || id == "MVNM" || id == "MVIN" || id == "GRP1";
        if (!text) {
            if (id[0] == 'W' || id == "COMM" || id == "USLT" || id == "UFID" || id == "PCST") {
                throw Unsure{};  // fields of frames this reader leaves to TagLib
            }
            continue;  // pictures, private data and the like: no field
        }
        Bytes body = rest.substr(header, frameSize);
        std::basic_string<unsigned char> resynchronised;
        if (version == 4 && ((flags & 0x80) != 0 || (frameFlags & 0x02) != 0)) {
            resynchronised = Resynchronised(body);
            body = resynchronised;
        }
        if (lengthGiven) {
            if (body.size() < 4) {
                throw Unsure{};
            }
            const std::uint32_t given = Size28(body.substr(0, 4));
            if (given > body.size() - 4) {
                throw Unsure{};  // TagLib would read on into the next frame
            }
            body = body.substr(4, given);
        }
        AddText(fields, id, body);
    }
    if (frames == 0) {
        throw Unsure{};
    }
    return fields;
}

}  // namespace

std::optional<TagFields> Id3v2Fields(std::string_view head) {
    try {
        return ReadTag(Bytes(reinterpret_cast<const unsigned char*>(head.data()), head.size()));
    } catch (const Unsure&) {
        return std::nullopt;
    }
}

}  // namespace spindle
