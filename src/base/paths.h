#pragma once

#include <string>
#include <string_view>

namespace spindle {

inline constexpr char kPathDelim = '/';

// Path texts as the program stores them (full paths with "/").
std::string ExtractFileName(std::string_view path);  // after the last "/"
std::string ExtractFilePath(std::string_view path);  // up to and with the last "/"
std::string ExtractFileExt(std::string_view path);   // from the last "." of the name
std::string BaseNameNoExt(std::string_view path);    // name without folder and extension
std::string ChangeFileExt(std::string_view path, std::string_view ext);
std::string IncludeTrailingDelimiter(std::string_view path);
std::string ExcludeTrailingDelimiter(std::string_view path);

// True when `name` can be used as one file name inside a folder: not empty, not "."
// or "..", and without a path separator or a NUL byte, so it cannot lead elsewhere.
bool IsPlainFileName(std::string_view name);

}  // namespace spindle
