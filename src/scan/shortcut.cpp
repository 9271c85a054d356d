#include "scan/shortcut.h"

#include <sys/stat.h>

#include <cstring>
#include <vector>

#include "base/paths.h"
#include "base/text_file.h"
#include "fileinfo/byte_source.h"

namespace spindle {
namespace {

constexpr std::uint32_t kHasLinkTargetIdList = 0x01;
constexpr std::uint32_t kHasLinkInfo = 0x02;
constexpr std::uint32_t kHasName = 0x04;
constexpr std::uint32_t kHasRelativePath = 0x08;
constexpr std::uint32_t kIsUnicode = 0x80;
constexpr std::uint32_t kVolumeIdAndLocalBasePath = 0x01;
constexpr std::size_t kHeaderSize = 0x4C;
constexpr unsigned char kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                          0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
// Shortcut files are small; anything larger is not one.
constexpr std::size_t kMaxShortcutSize = 1 << 20;

class Bytes {
public:
    explicit Bytes(std::string_view b) : b_(b) {}
    bool Has(std::size_t at, std::size_t n) const { return at <= b_.size() && n <= b_.size() - at; }
    const unsigned char* At(std::size_t at) const {
        return reinterpret_cast<const unsigned char*>(b_.data()) + at;
    }
    std::uint32_t U32(std::size_t at) const { return Has(at, 4) ? ReadLE32(At(at)) : 0; }
    std::uint16_t U16(std::size_t at) const { return Has(at, 2) ? ReadLE16(At(at)) : 0; }
    // A NUL-ended 8-bit string inside [at, limit).
    std::string AnsiZ(std::size_t at, std::size_t limit) const {
        std::string out;
        limit = std::min(limit, b_.size());
        for (std::size_t i = at; i < limit && b_[i] != '\0'; ++i) {
            out += b_[i];
        }
        return IsValidUtf8(out) ? out : Windows1252ToUtf8(out);
    }
    std::size_t Size() const { return b_.size(); }

private:
    std::string_view b_;
};

void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string Utf16ToUtf8(const Bytes& b, std::size_t at, std::size_t chars) {
    std::string out;
    for (std::size_t i = 0; i < chars; ++i) {
        std::uint32_t unit = b.U16(at + 2 * i);
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < chars) {
            const std::uint32_t low = b.U16(at + 2 * (i + 1));
            if (low >= 0xDC00 && low < 0xE000) {
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        } else if (unit >= 0xD800 && unit < 0xE000) {
            unit = 0xFFFD;
        }
        AppendUtf8(out, unit);
    }
    return out;
}

// "C:\Music\a.mp3" -> "/Music/a.mp3"; "..\a.mp3" -> "../a.mp3".
std::string NativePath(std::string path) {
    if (path.size() >= 2 && path[1] == ':' &&
        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'))) {
        path.erase(0, 2);
    }
    for (char& c : path) {
        if (c == '\\') {
            c = kPathDelim;
        }
    }
    return path;
}

struct LinkPaths {
    std::string Base;      // absolute, from the link information
    std::string Relative;  // relative to the shortcut's folder
};

// The absolute path the link information at `info` gives, in `basePath` (left as it is
// when it gives none); false when the structure does not fit in the file.
bool ReadLinkInfoBase(const Bytes& b, std::size_t info, std::string& basePath) {
    const std::uint32_t infoSize = b.U32(info);
    if (!b.Has(info, 0x1C) || infoSize < 0x1C || !b.Has(info, infoSize)) {
        return false;
    }
    const std::size_t end = info + infoSize;
    const std::uint32_t headerSize = b.U32(info + 4);
    const std::uint32_t infoFlags = b.U32(info + 8);
    if (!(infoFlags & kVolumeIdAndLocalBasePath)) {
        return true;
    }
    std::string base;
    if (headerSize >= 0x24 && b.U32(info + 0x1C) != 0) {
        const std::size_t at = info + b.U32(info + 0x1C);
        std::size_t chars = 0;
        while (b.Has(at + 2 * chars, 2) && at + 2 * chars + 2 <= end &&
               b.U16(at + 2 * chars) != 0) {
            ++chars;
        }
        base = Utf16ToUtf8(b, at, chars);
    } else if (b.U32(info + 0x10) != 0) {
        base = b.AnsiZ(info + b.U32(info + 0x10), end);
    }
    const std::uint32_t suffixOffset = b.U32(info + 0x18);
    const std::string suffix = suffixOffset != 0 ? b.AnsiZ(info + suffixOffset, end) : "";
    if (!base.empty()) {
        basePath = NativePath(base + suffix);
    }
    return true;
}

LinkPaths ReadLinkPaths(std::string_view data) {
    LinkPaths paths;
    const Bytes b(data);
    if (!b.Has(0, kHeaderSize) || b.U32(0) != kHeaderSize ||
        std::memcmp(b.At(4), kLinkClsid, sizeof kLinkClsid) != 0) {
        return paths;
    }
    const std::uint32_t flags = b.U32(0x14);
    std::size_t pos = kHeaderSize;
    if (flags & kHasLinkTargetIdList) {
        pos += 2 + std::size_t{b.U16(pos)};
    }
    if (flags & kHasLinkInfo) {
        if (!ReadLinkInfoBase(b, pos, paths.Base)) {
            return paths;
        }
        pos += b.U32(pos);
    }
    // The string data: optional name, then the relative path.
    const bool unicode = (flags & kIsUnicode) != 0;
    auto readString = [&](std::string& out) {
        const std::size_t chars = b.U16(pos);
        const std::size_t bytes = chars * (unicode ? 2 : 1);
        if (!b.Has(pos + 2, bytes)) {
            pos = b.Size();
            return false;
        }
        out = unicode ? Utf16ToUtf8(b, pos + 2, chars) : b.AnsiZ(pos + 2, pos + 2 + bytes);
        pos += 2 + bytes;
        return true;
    };
    std::string name;
    if ((flags & kHasName) && !readString(name)) {
        return paths;
    }
    std::string relative;
    if ((flags & kHasRelativePath) && readString(relative)) {
        paths.Relative = NativePath(relative);
    }
    return paths;
}

bool IsExistingFile(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

std::string ShortcutTargetFromBytes(std::string_view bytes) {
    LinkPaths paths = ReadLinkPaths(bytes);
    return !paths.Base.empty() ? paths.Base : paths.Relative;
}

std::string ResolveShortcutFile(const std::string& shortcutPath) {
    FileByteSource file(shortcutPath);
    if (!file.IsOpen() || file.Size() > kMaxShortcutSize) {
        return {};
    }
    std::string data(static_cast<std::size_t>(file.Size()), '\0');
    if (file.ReadAt(0, data.data(), data.size()) != data.size()) {
        return {};
    }
    const LinkPaths paths = ReadLinkPaths(data);
    if (IsExistingFile(paths.Base)) {
        return paths.Base;
    }
    if (!paths.Relative.empty()) {
        const std::string relative = paths.Relative[0] == kPathDelim
                                         ? paths.Relative
                                         : ExtractFilePath(shortcutPath) + paths.Relative;
        if (IsExistingFile(relative)) {
            return relative;
        }
    }
    return {};
}

}  // namespace spindle
