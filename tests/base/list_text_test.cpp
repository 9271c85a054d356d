#include "base/list_text.h"

#include "base/command_words.h"

#include <gtest/gtest.h>

namespace spindle {
namespace {

using Items = std::vector<std::string>;

TEST(ListText, QuotesOnlyItemsThatNeedIt) {
    EXPECT_EQ(EncodeListText({"Jazz", "Late night", "a,b", "say \"hi\"", "tab\there", ""}),
              "Jazz,\"Late night\",\"a,b\",\"say \"\"hi\"\"\",\"tab\there\",");
    EXPECT_EQ(EncodeListText({""}), "\"\"");
    EXPECT_EQ(EncodeListText({}), "");
    EXPECT_EQ(EncodeListText({"", "x"}), ",x");
}

// Any items come back, a nested list of folders with commas and quotes and a path with
// backslashes among them.
TEST(ListText, RoundTripsAnyItems) {
    const std::vector<Items> lists = {
        {"Jazz", "", "/music/a, b", "\"quoted\"", " lead", "trail ", "multi\r\nline"},
        {"Rock", EncodeListText({"/music/Rock, Classic", "/music/\"Best\" of", "/plain"}), "215"},
        {"0", "C:\\Music\\Band - Song.mp3", "Say \"cheese\""},
        {""},
        {"a", ""},
        {"", "", ""},
        {"Ünïcödé – ♪", "日本語"},
    };
    for (const Items& items : lists) {
        EXPECT_EQ(DecodeListText(EncodeListText(items)), items) << EncodeListText(items);
    }
}

TEST(ListText, ReadsLooseTextTolerantly) {
    EXPECT_EQ(DecodeListText("  a , b  "), (Items{"a", "b"}));
    EXPECT_EQ(DecodeListText("a,,b"), (Items{"a", "", "b"}));
    EXPECT_EQ(DecodeListText("a b"), (Items{"a", "b"}));  // blanks separate too
    EXPECT_EQ(DecodeListText("\"unclosed, to end"), (Items{"unclosed, to end"}));
    EXPECT_EQ(DecodeListText("\"ab\"cd,e"), (Items{"ab", "cd", "e"}));
    EXPECT_EQ(DecodeListText(""), Items{});
    EXPECT_EQ(DecodeListText("   "), Items{});
    EXPECT_EQ(DecodeListText(","), (Items{"", ""}));
    EXPECT_EQ(DecodeListText(std::string_view("a\0b", 3)), (Items{"a", "b"}));
}

// A command the operator typed splits into the words a shell would see, and nothing more.
TEST(CommandWords, SplitsAsAShellWouldWithoutOne) {
    const std::pair<const char*, Items> cases[] = {
        {"", {}},
        {"  arecord  -f cd ", {"arecord", "-f", "cd"}},
        {"\"/opt/My Recorder/rec\" --title 'Voice track'",
         {"/opt/My Recorder/rec", "--title", "Voice track"}},
        {"say\\ it \"a \\\"b\\\"\" $HOME;rm", {"say it", "a \"b\"", "$HOME;rm"}},
        {"'unclosed quote", {"unclosed quote"}},
        {"''", {""}},
    };
    for (const auto& [text, words] : cases) {
        EXPECT_EQ(CommandWords(text), words) << text;
    }
    for (const char* word : {"/usr/bin/rec", "/opt/My Rec's/rec", "", "a\\b\"c"}) {
        EXPECT_EQ(CommandWords(QuotedWord(word) + " x"), (Items{word, "x"})) << word;
    }
}

}  // namespace
}  // namespace spindle
