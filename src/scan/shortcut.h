#pragma once

#include <string>
#include <string_view>

namespace spindle {

// The target of a Windows shell-link (".lnk") file, read from its bytes: the local base
// path of its link information, else its relative path. "\" separates folders and a
// drive ("C:") stands for the root. Empty when the bytes hold no such path.
std::string ShortcutTargetFromBytes(std::string_view bytes);

// The existing file a shortcut file leads to: its base path, or its relative path taken
// from the shortcut's folder. Empty when neither leads to an existing file or the
// shortcut cannot be read.
std::string ResolveShortcutFile(const std::string& shortcutPath);

}  // namespace spindle
