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

}  // namespace spindle
