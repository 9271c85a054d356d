#include "fileinfo/tags.h"

#include "fileinfo/byte_source.h"
#include "fileinfo/id3v2_fields.h"

#include <taglib/asffile.h>
#include <taglib/fileref.h>
#include <taglib/mp4file.h>
#include <taglib/tdebuglistener.h>
#include <taglib/tfilestream.h>
#include <taglib/tpropertymap.h>

#include <charconv>
#include <initializer_list>

namespace spindle {
namespace {

// TagLib tells stderr about every damaged file it meets; a scan says itself what it could
// not read, so its messages go nowhere.
class SilentListener : public TagLib::DebugListener {
public:
    void printMessage(const TagLib::String&) override {}
};

void SilenceTagLib() {
    static SilentListener listener;
    static const bool installed = (TagLib::setDebugListener(&listener), true);
    (void)installed;
}

using Fields = TagFields;

void Add(Fields& fields, const TagLib::String& name, const TagLib::StringList& values) {
    if (!values.isEmpty()) {
        fields.emplace(name.upper().to8Bit(true), values.toString("; ").to8Bit(true));
    }
}

// What TagLib's property map leaves out: MP4 freeform items ("----:com.apple.iTunes:NAME")
// and ASF attributes without a standard meaning, named here as the other containers name
// them (NAME; "WM/" dropped).
void AddUnmapped(TagLib::File& file, const TagLib::StringList& keys, Fields& fields) {
    for (const TagLib::String& key : keys) {
        if (auto* mp4 = dynamic_cast<TagLib::MP4::File*>(&file);
            mp4 && mp4->tag() && key.startsWith("----:") && mp4->tag()->contains(key)) {
            Add(fields, key.substr(key.rfind(":") + 1), mp4->tag()->item(key).toStringList());
        } else if (auto* asf = dynamic_cast<TagLib::ASF::File*>(&file);
                   asf && asf->tag() && asf->tag()->contains(key)) {
            TagLib::StringList values;
            for (const TagLib::ASF::Attribute& a : asf->tag()->attribute(key)) {
                if (a.type() == TagLib::ASF::Attribute::UnicodeType) {
                    values.append(a.toString());
                }
            }
            Add(fields, key.startsWith("WM/") ? key.substr(3) : key, values);
        }
    }
}

// The first of `names` the tag holds; all of them leave `fields`.
std::string Take(Fields& fields, std::initializer_list<const char*> names) {
    std::string value;
    for (const char* name : names) {
        if (auto it = fields.find(name); it != fields.end()) {
            if (value.empty()) {
                value = it->second;
            }
            fields.erase(it);
        }
    }
    return value;
}

// The leading number of `text` ("1999-05-01", "127.5"), or 0.
template <typename Number>
Number Leading(const std::string& text) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end != text.data() ? value : Number{};
}

// The tags named among `fields`; the rest stay as they are named.
std::optional<TrackTags> FromFields(Fields fields) {
    if (fields.empty()) {
        return std::nullopt;
    }
    TrackTags tags;
    tags.Artist = Take(fields, {"ARTIST"});
    tags.Title = Take(fields, {"TITLE"});
    tags.Album = Take(fields, {"ALBUM"});
    tags.Isrc = Take(fields, {"ISRC"});
    tags.Composer = Take(fields, {"COMPOSER"});
    tags.Publisher = Take(fields, {"LABEL", "PUBLISHER", "ORGANIZATION"});
    tags.Genre = Take(fields, {"GENRE"});
    tags.Year = Leading<int>(Take(fields, {"DATE", "YEAR"}));
    tags.Bpm = Leading<double>(Take(fields, {"BPM"}));
    tags.Extra = std::move(fields);
    return tags;
}

// Whether TagLib reads the file at `path` as MPEG audio: by the extension, which it takes
// from the last dot of the whole path.
bool IsMp3Name(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.size() - dot != 4) {
        return false;
    }
    const auto lower = [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    return lower(path[dot + 1]) == 'm' && lower(path[dot + 2]) == 'p' && path[dot + 3] == '3';
}

}  // namespace

std::optional<TrackTags> ReadTags(const std::string& path) {
    SilenceTagLib();
    try {
        // Read-only: a file opened for writing wakes whatever watches the station's folders
        // when it is closed, and the station's files are never ours to change.
        TagLib::FileStream stream(path.c_str(), true);
        if (!stream.isOpen()) {
            return std::nullopt;
        }
        const TagLib::FileRef ref(&stream, false);
        if (ref.isNull()) {
            return std::nullopt;
        }
        const TagLib::PropertyMap properties = ref.file()->properties();
        Fields fields;
        for (const auto& [name, values] : properties) {
            Add(fields, name, values);
        }
        AddUnmapped(*ref.file(), properties.unsupportedData(), fields);
        return FromFields(std::move(fields));
    } catch (...) {
        // A reader that cannot cope gives no tags, as an unreadable file does.
        return std::nullopt;
    }
}

std::optional<TrackTags> ReadTags(const std::string& path, const FileByteSource& file) {
    if (IsMp3Name(path)) {
        if (std::optional<Fields> fields = Id3v2Fields(file.Head())) {
            return FromFields(std::move(*fields));
        }
    }
    return ReadTags(path);
}

}  // namespace spindle
