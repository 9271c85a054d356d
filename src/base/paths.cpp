#include "base/paths.h"

namespace spindle {
namespace {

std::size_t NameStart(std::string_view path) {
    const std::size_t slash = path.rfind(kPathDelim);
    return slash == std::string_view::npos ? 0 : slash + 1;
}

std::size_t ExtStart(std::string_view path) {
    const std::size_t start = NameStart(path);
    const std::size_t dot = path.rfind('.');
    return (dot == std::string_view::npos || dot < start) ? path.size() : dot;
}

}  // namespace

std::string ExtractFileName(std::string_view path) {
    return std::string(path.substr(NameStart(path)));
}

std::string ExtractFilePath(std::string_view path) {
    return std::string(path.substr(0, NameStart(path)));
}

std::string ExtractFileExt(std::string_view path) {
    return std::string(path.substr(ExtStart(path)));
}

std::string BaseNameNoExt(std::string_view path) {
    const std::size_t start = NameStart(path);
    return std::string(path.substr(start, ExtStart(path) - start));
}

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
    return std::string(path.substr(0, ExtStart(path))) + std::string(ext);
}

std::string IncludeTrailingDelimiter(std::string_view path) {
    std::string out(path);
    if (out.empty() || out.back() != kPathDelim) {
        out += kPathDelim;
    }
    return out;
}

std::string ExcludeTrailingDelimiter(std::string_view path) {
    std::string out(path);
    while (out.size() > 1 && out.back() == kPathDelim) {
        out.pop_back();
    }
    return out;
}

bool IsPlainFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find(kPathDelim) == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

}  // namespace spindle
