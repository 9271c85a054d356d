#pragma once

#include <string>

namespace spindle {

// The program's texts in the operator's language. Catalogues are "spindle.mo" files
// under `localeDir` (<lang>/LC_MESSAGES/); without one the English text is used.
void InitTranslation(const std::string& localeDir);
const char* tr(const char* text);

}  // namespace spindle

// Marks a text for the catalogue where it is translated later, at display.
#define N_(text) text
