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

TEST(PlaylistLine, ThePlainFormatWritesThePathUnchanged) {
    EXPECT_EQ(FormatPlaylistLine("%p/%f%e", Song(), Rules()), "/music/Band - Song#0012.mp3");
    EXPECT_EQ(FormatPlaylistLine("", Song(), Rules()), "/music/Band - Song#0012.mp3");
    EXPECT_EQ(FormatPlaylistLine("%p\\%f%e", Song(), Rules()), "/music/Band - Song#0012.mp3");
}

TEST(PlaylistLine, ExpandsEveryCode) {
    const PlaylistLineRules rules = Rules();
    const PlaylistItem item = Song();
    EXPECT_EQ(FormatPlaylistLine("%u|%p|%f|%e", item, rules),
              "/music/Band - Song#0012.mp3|/music|Band - Song#0012|.mp3");
    EXPECT_EQ(FormatPlaylistLine("%a|%t|%i", item, rules), "Band|Song#0012|12");
    EXPECT_EQ(FormatPlaylistLine("%S|%s|%d|%h", item, rules), "215|03:35|01:30:00|14:00:12");
    EXPECT_EQ(FormatPlaylistLine("%c|%C|%N|%b|%n", item, rules), "Current Hits|0|7|\t|\r\n");
    EXPECT_EQ(FormatPlaylistLine("#EXTINF:%S,%a - %t|%C%h|%c%n%p/%f%e", item, rules),
              "#EXTINF:215,Band - Song#0012|014:00:12|Current Hits\r\n/music/Band - Song#0012.mp3");
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

TEST(PlaylistLine, WidthsPadOrCut) {
    EXPECT_EQ(FormatPlaylistLine("[%30t]", Song(), Rules()), "[Song#0012                     ]");
    EXPECT_EQ(FormatPlaylistLine("[%3t]", Song(), Rules()), "[Son]");
    EXPECT_EQ(FormatPlaylistLine("[%9999999t]", Song(), Rules()), "[Song#0012]");
    // Characters, not bytes: never half a character, never a blank short.
    const PlaylistItem accented =
        Song("/music/Zo\xC3\xAB \xC3\x85ngstr\xC3\xB6m - Caf\xC3\xA9 Noir.mp3");
    EXPECT_EQ(FormatPlaylistLine("[%3a]", accented, Rules()), "[Zo\xC3\xAB]");
    EXPECT_EQ(FormatPlaylistLine("[%10t]", accented, Rules()), "[Caf\xC3\xA9 Noir ]");
}

TEST(PlaylistLine, DatesWithAndWithoutAPattern) {
    EXPECT_EQ(FormatPlaylistLine("x%D(yyyy-mm-dd)y", Song(), Rules()), "x2026-12-07y");
    EXPECT_EQ(FormatPlaylistLine("%D", Song(), Rules()), "12/7/2026");
    // A ")" too far away leaves the rest of the text as it is.
    EXPECT_EQ(FormatPlaylistLine("%D(a long text without its end here)", Song(), Rules()),
              "12/7/2026(a long text without its end here)");
}

TEST(PlaylistLine, LongDurationsCountWholeMinutes) {
    PlaylistItem item = Song();
    item.Duration = 3725;
    EXPECT_EQ(FormatPlaylistLine("%s", item, Rules()), "62:05");
    EXPECT_EQ(MinutesAndSeconds(0), "00:00");
}

TEST(PlaylistLine, UnknownCodesAndATrailingPercentVanish) {
    EXPECT_EQ(FormatPlaylistLine("a%%b%qc%", Song(), Rules()), "abc");
    EXPECT_EQ(FormatPlaylistLine("a%12", Song(), Rules()), "a");
}

TEST(PlaylistLine, PerCentSignsInValuesAreNeverExpanded) {
    const PlaylistItem item = Song("/music/100% Band - %t%f %n.mp3");
    EXPECT_EQ(FormatPlaylistLine("%t|%a", item, Rules()), "%t%f %n|100% Band");
}

TEST(PlaylistLine, PathSubstitutions) {
    PlaylistLineRules rules = Rules();
    rules.First = {"/MUSIC", "M:"};
    EXPECT_EQ(FormatPlaylistLine("%p/%f%e", Song("/music/Band - Song.mp3"), rules),
              "M:/Band - Song.mp3");
    EXPECT_EQ(FormatPlaylistLine("%u", Song("/music/Band - Song.mp3"), rules),
              "/music/Band - Song.mp3");
    rules.First = {"", "."};
    EXPECT_EQ(FormatPlaylistLine("%p/%f%e", Song("/music/Band - Song.mp3"), rules),
              "Band - Song.mp3");
    rules.First = {"", "/srv/audio"};
    rules.Second = {"audio", "AUDIO"};
    EXPECT_EQ(FormatPlaylistLine("%p/%f%e", Song("/music/Band - Song.mp3"), rules),
              "/srv/AUDIO/Band - Song.mp3");
}

TEST(PlaylistLine, TitleFirstNamesAndAMissingDelimiter) {
    PlaylistLineRules rules = Rules();
    rules.Names.ArtistFirst = 1;
    EXPECT_EQ(FormatPlaylistLine("%a|%t", Song("/m/Song - Band.mp3"), rules), "Band|Song");
    EXPECT_EQ(FormatPlaylistLine("%a|%t", Song("/m/Jingle.mp3"), Rules()), "|Jingle");
}

TEST(PlaylistLine, ShortNamesOnlyForFilesThatExist) {
    test::TempDir dir;
    const std::string path = test::WriteMp3(dir, "ID1.mp3", 5);
    EXPECT_EQ(FormatPlaylistLine("%~", Song(path), Rules()), "ID1");
    EXPECT_EQ(FormatPlaylistLine("%~", Song("/nowhere/ID1.mp3"), Rules()), "");
}

}  // namespace
}  // namespace spindle
