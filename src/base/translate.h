#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace spindle {

// The program's texts in the operator's language. Catalogues are "spindle.mo" files
// under `localeDir` (<lang>/LC_MESSAGES/); without one the English text is used.
void InitTranslation(const std::string& localeDir);
const char* tr(const char* text);

// A folder of the program's shared files ("locale", "spindle/help"): the "share" folder
// beside the program's own "bin" folder, wherever it was installed, or the build tree's;
// empty when neither holds it.
std::filesystem::path SharedFolder(const std::filesystem::path& program, std::string_view name);

// Where the catalogues are: the shared "locale" folder, else `fallback`.
std::string LocaleFolder(const std::filesystem::path& program, const std::string& fallback);

}  // namespace spindle

// Marks a text for the catalogue where it is translated later, at display.
#define N_(text) text
