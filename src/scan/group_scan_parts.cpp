#include "scan/group_scan_parts.h"

#include <algorithm>
#include <filesystem>

#include "base/format.h"
#include "base/paths.h"
#include "base/text_case.h"
#include "base/translate.h"
#include "scan/shortcut.h"

namespace spindle {
namespace {

bool IsShortcut(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    return dot != std::string_view::npos && name.size() - dot == 4 &&
           SameText(name.substr(dot), ".lnk");
}

}  // namespace

bool ResolveOffered(const std::string& offeredFolder, const std::string& offeredName,
                    std::string& folder, std::string& name, const ExtensionSet& extensions,
                    Operator& op) {
    if (!IsShortcut(offeredName)) {
        if (!extensions.IsExtensionEnabled(ExtractFileExt(offeredName))) {
            return false;
        }
        folder.assign(offeredFolder);
        name.assign(offeredName);
        return true;
    }
    const std::string shortcut = offeredFolder + offeredName;
    const std::string target = ResolveShortcutFile(shortcut);
    if (target.empty()) {
        op.Show(MessageKind::Error, Format(tr("Cannot resolve shortcut \"%0:s\""), shortcut),
                Buttons::Ok);
        return false;
    }
    folder = ExtractFilePath(target);
    name = ExtractFileName(target);
    return extensions.IsExtensionEnabled(ExtractFileExt(name));
}

TDateTime DateOfDos(std::uint32_t dos) {
    return dos == 0 ? 0.0 : DosDateTimeToDateTime(dos);
}

bool IsBelow(std::string_view path, std::string_view root) {
    // A Windows station's paths use "\" between folders.
    return !root.empty() && path.starts_with(root) &&
           (path.size() == root.size() || root.back() == kPathDelim ||
            path[root.size()] == kPathDelim || path[root.size()] == '\\');
}

std::vector<std::string> EmptyEntries(const std::vector<std::string>& entries,
                                      const std::vector<std::string>& offeredFolders) {
    std::vector<std::string> empty;
    for (const std::string& entry : entries) {
        std::error_code ec;
        if (!entry.empty() && std::filesystem::is_directory(entry, ec) &&
            std::none_of(offeredFolders.begin(), offeredFolders.end(),
                         [&](const std::string& folder) { return IsBelow(folder, entry); })) {
            empty.push_back(entry);
        }
    }
    return empty;
}

bool Unreachable::Holds(std::string_view path) const {
    for (const std::string& root : roots_) {
        if (IsBelow(path, root)) {
            return true;
        }
    }
    return false;
}

}  // namespace spindle
