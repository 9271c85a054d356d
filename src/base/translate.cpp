#include "base/translate.h"

#include <libintl.h>

namespace spindle {
namespace {
constexpr const char* kDomain = "spindle";
}

void InitTranslation(const std::string& localeDir) {
    bindtextdomain(kDomain, localeDir.c_str());
    bind_textdomain_codeset(kDomain, "UTF-8");
}

const char* tr(const char* text) {
    return dgettext(kDomain, text);
}

std::filesystem::path SharedFolder(const std::filesystem::path& program, std::string_view name) {
    const std::filesystem::path folder = program.parent_path();
    // Installed: <prefix>/bin/program. Built: build/src/program or build/src/gui/program.
    for (const std::filesystem::path& share :
         {folder.parent_path() / "share", folder.parent_path().parent_path() / "share"}) {
        std::error_code ec;
        if (std::filesystem::is_directory(share / name, ec)) {
            return share / name;
        }
    }
    return {};
}

std::string LocaleFolder(const std::filesystem::path& program, const std::string& fallback) {
    const std::filesystem::path found = SharedFolder(program, "locale");
    return found.empty() ? fallback : found.string();
}

}  // namespace spindle
