#include "rules/rule_sentence.h"

#include <gtest/gtest.h>

#include "support/rule_lines.h"

namespace spindle {
namespace {

using test::RuleLine;

// Every kind read as a sentence, with singular counts, weekday runs and the station's
// own date and time forms.
TEST(RuleSentence, EveryKindReadsAsOneSentence) {
    const struct {
        const char* Text;
        const char* Sentence;
    } cases[] = {
        {"song", "Song repeat interval (set on the Category page)"},
        {"artist", "Artist repeat interval (set on the Category page)"},
        {"album 90 minutes", "No two tracks of one album within 90 minutes"},
        {"title 1 hour", "No two tracks of the same title within 1 hour"},
        {"separate Vocal=Female 3 items", "No two tracks with Vocal Female within 3 items"},
        {"separate Vocal=Female 1 item", "No two tracks with Vocal Female within 1 item"},
        {"separate Vocal=Female 1 minute", "No two tracks with Vocal Female within 1 minute"},
        {"run Tempo=Fast 2", "At most 2 tracks with Tempo Fast in a row"},
        {"transition Tempo=Fast -> Tempo=Slow", "Not Tempo Slow right after Tempo Fast"},
        {"window Season=Christmas dates 12-01..12-26",
         "Tracks with Season Christmas play only 1 Dec to 26 Dec"},
        {"window track \"/m/Band - Hit.mp3\" dates 02-29 days Sat,Sun,Tue-Thu hours 21:00-24:00",
         "Band - Hit.mp3 plays only 29 Feb, Tue\u2013Thu, Sat, Sun, 9:00 PM to 12:00 AM"},
        {"window Explicit=Yes days Mon,Tue", "Tracks with Explicit Yes play only Mon, Tue"},
        {"hour-rotation 45 minutes 1 day",
         "Not within 45 minutes either side of the time of day it played the day before"},
        {"hour-rotation 2 hours 3 days",
         "Not within 2 hours either side of the times of day it played on the previous 3 days"},
        {"cap track 1 per day", "At most 1 play of one track per day"},
        {"cap artist 4 per 3 hours", "At most 4 tracks of one artist in any 3 hours"},
        {"cap album 1 per 61 minutes", "At most 1 track of one album in any 61 minutes"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RuleSentence(RuleLine(c.Text), FormatSettings::English()), c.Sentence);
    }
    FormatSettings german;
    german.ShortTimeFormat = "hh:nn";
    german.ShortMonthNames[11] = "Dez";
    EXPECT_EQ(RuleSentence(RuleLine("window X=Y dates 12-24 hours 06:00-09:30"), german),
              "Tracks with X Y play only 24 Dez, 06:00 to 09:30");
}

// A form's rule is refused on the field it concerns, in the form's order; every kind's
// new rule is sound once it names what it matches.
}  // namespace
}  // namespace spindle
