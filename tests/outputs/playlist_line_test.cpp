#include "outputs/playlist_line.h"

#include <gtest/gtest.h>

#include "support/audio_files.h"
#include "support/temp_dir.h"

namespace spindle {
namespace {

PlaylistLineRules Rules() {
    PlaylistLineRules r;
    r.Settings = FormatSettings::English();
    return r;
}

PlaylistItem Song(std::string_view path = "/music/Band - Song#0012.mp3") {
    PlaylistItem item;
    item.Path = path;
    item.Duration = 215;
    item.Number = "7";
    item.Owner = "Current Hits";
    item.TypeDigit = '0';
    item.Clock = EncodeDate(2026, 12, 7) + EncodeTime(14, 0, 12);
    item.ItemTime = 1.5;
    return item;
}

// Each code of a line format on a song (its path when another is given) with the
// default rules.
TEST(PlaylistLine, ExpandsEveryCode) {
    const char* const accented = "/music/Zo\xC3\xAB \xC3\x85ngstr\xC3\xB6m - Caf\xC3\xA9 Noir.mp3";
    const struct {
        const char* Format;
        const char* Path;  // null: the song's
        const char* Expected;
    } cases[] = {
        // The plain formats write the path unchanged, whichever separator they name.
        {"%p/%f%e", nullptr, "/music/Band - Song#0012.mp3"},
        {"", nullptr, "/music/Band - Song#0012.mp3"},
        {"%p\\%f%e", nullptr, "/music/Band - Song#0012.mp3"},
        {"%u|%p|%f|%e", nullptr, "/music/Band - Song#0012.mp3|/music|Band - Song#0012|.mp3"},
        {"%a|%t|%i", nullptr, "Band|Song#0012|12"},
        {"%S|%s|%d|%h", nullptr, "215|03:35|01:30:00|14:00:12"},
        {"%c|%C|%N|%b|%n", nullptr, "Current Hits|0|7|\t|\r\n"},
        {"#EXTINF:%S,%a - %t|%C%h|%c%n%p/%f%e", nullptr,
         "#EXTINF:215,Band - Song#0012|014:00:12|Current Hits\r\n/music/Band - Song#0012.mp3"},
        // Widths pad or cut by characters, not bytes: never half a character, never a
        // blank short.
        {"[%30t]", nullptr, "[Song#0012                     ]"},
        {"[%3t]", nullptr, "[Son]"},
        {"[%9999999t]", nullptr, "[Song#0012]"},
        {"[%3a]", accented, "[Zo\xC3\xAB]"},
        {"[%10t]", accented, "[Caf\xC3\xA9 Noir ]"},
        // Dates with and without a pattern; a ")" too far away leaves the text as it is.
        {"x%D(yyyy-mm-dd)y", nullptr, "x2026-12-07y"},
        {"%D", nullptr, "12/7/2026"},
        {"%D(a long text without its end here)", nullptr,
         "12/7/2026(a long text without its end here)"},
        // Unknown codes and a trailing per cent vanish; per cents in values stay.
        {"a%%b%qc%", nullptr, "abc"},
        {"a%12", nullptr, "a"},
        {"%t|%a", "/music/100% Band - %t%f %n.mp3", "%t%f %n|100% Band"},
        {"%a|%t", "/m/Jingle.mp3", "|Jingle"},  // no delimiter: no artist
    };
    for (const auto& c : cases) {
        const PlaylistItem item = c.Path != nullptr ? Song(c.Path) : Song();
        EXPECT_EQ(FormatPlaylistLine(c.Format, item, Rules()), c.Expected) << c.Format;
    }
    PlaylistItem item = Song();
    item.Duration = 3725;  // long durations count whole minutes
    EXPECT_EQ(FormatPlaylistLine("%s", item, Rules()), "62:05");
    EXPECT_EQ(MinutesAndSeconds(0), "00:00");
}

TEST(PlaylistLine, PlayoutCodesQuoteForLiquidsoap) {
    PlaylistLineRules rules = Rules();
    rules.Crossfade = 0.9;
    PlaylistItem item = Song("/m/A \"Q\" \\ B - T, 1: x#0012~2.5.mp3");
    item.Owner = "Hits";
    EXPECT_EQ(FormatPlaylistLine("annotate:%A:%p/%f%e", item, rules),
              "annotate:title=\"T, 1: x\",artist=\"A \\\"Q\\\" \\\\ B\",duration=\"215\","
              "category=\"Hits\",liq_cross_duration=\"2.5\",intro=\"12\","
              "scheduled=\"2026-12-07 14:00:12\":/m/A \"Q\" \\ B - T, 1: x#0012~2.5.mp3");
    EXPECT_EQ(FormatPlaylistLine("%x", Song(), rules), "0.9");
    rules.KorvelCrossfade = false;  // the file name's mark is not read: the allowance
    EXPECT_EQ(FormatPlaylistLine("%x", item, rules), "0.9");
    item.Duration = 1;  // an item shorter than two allowances gets none
    EXPECT_EQ(FormatPlaylistLine("%x", item, rules), "0");
}

// The folder substitutions (the second on the first's result; "%u" keeps the path), names
// with the title first, and short names.
TEST(PlaylistLine, PathSubstitutionsTitleFirstAndShortNames) {
    const PlaylistItem song = Song("/music/Band - Song.mp3");
    PlaylistLineRules rules = Rules();
    rules.First = {"/MUSIC", "M:"};
    EXPECT_EQ(FormatPlaylistLine("%p/%f%e", song, rules), "M:/Band - Song.mp3");
    EXPECT_EQ(FormatPlaylistLine("%u", song, rules), "/music/Band - Song.mp3");
    rules.First = {"", "."};
    EXPECT_EQ(FormatPlaylistLine("%p/%f%e", song, rules), "Band - Song.mp3");
    rules.First = {"", "/srv/audio"};
    rules.Second = {"audio", "AUDIO"};
    EXPECT_EQ(FormatPlaylistLine("%p/%f%e", song, rules), "/srv/AUDIO/Band - Song.mp3");
    rules = Rules();
    rules.Names.ArtistFirst = 1;
    EXPECT_EQ(FormatPlaylistLine("%a|%t", Song("/m/Song - Band.mp3"), rules), "Band|Song");
    // Short names only for files that exist.
    test::TempDir dir;
    const std::string path = test::WriteMp3(dir, "ID1.mp3", 5);
    EXPECT_EQ(FormatPlaylistLine("%~", Song(path), Rules()), "ID1");
    EXPECT_EQ(FormatPlaylistLine("%~", Song("/nowhere/ID1.mp3"), Rules()), "");
}

}  // namespace
}  // namespace spindle
