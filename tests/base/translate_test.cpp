#include "base/translate.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

namespace spindle {
namespace {

TEST(Translation, TextsComeFromTheOperatorsCatalogue) {
    InitTranslation(SPINDLE_TEST_LOCALE_DIR);
    std::setlocale(LC_MESSAGES, "C.UTF-8");
    setenv("LANGUAGE", "de", 1);
    EXPECT_EQ(std::string(tr("Manual File Duration Entry (seconds)")),
              "Manuelle Eingabe der Dateidauer (Sekunden)");
    // A text the catalogue lacks stays English.
    EXPECT_EQ(std::string(tr("Unable to create Playlist Log file.")),
              "Unable to create Playlist Log file.");
    unsetenv("LANGUAGE");
    std::setlocale(LC_MESSAGES, "C");
}

}  // namespace
}  // namespace spindle
