#include "rules/track_facts.h"

#include <SQLiteCpp/Database.h>
#include <gtest/gtest.h>

#include "base/text_case.h"
#include "support/temp_dir.h"

namespace spindle {

void PrintTo(const TrackFacts& facts, std::ostream* out) {
    *out << "{" << facts.Album << ", " << facts.Title << ",";
    for (const auto& [name, value] : facts.Attributes) {
        *out << " " << name << "=" << value;
    }
    *out << "}";
}

namespace {

using Values = std::map<std::string, std::string>;

// Each attribute from its source, a value set by hand winning over the tags; tracks set
// by hand before any scan are known too; a folder without a database has no facts.
TEST(TrackFacts, TakeTagsThroughTheirSourcesAndHandValuesWin) {
    test::TempDir dir;
    EXPECT_TRUE(LoadTrackFacts(dir.Path()));
    EXPECT_TRUE(LoadTrackFacts(dir.Path()).Value.empty());
    StationDb db(dir.Path(), StationDb::Mode::OrCreate);
    TrackRecord fast{"/m/Fast.mp3", {1, 1}, {}}, slow{"/m/Slow.flac", {1, 1}, {}};
    fast.Tags.Title = "Fast Song";
    fast.Tags.Album = "Loud";
    fast.Tags.Bpm = 130;
    fast.Tags.Genre = "rock";
    fast.Tags.Extra = {{"MOOD", "Dark"}, {"UNUSED", "x"}, {"ALBUMARTIST", "Various"}};
    fast.Tags.Artist = "Fast Band";
    slow.Tags.Artist = "Slow Band";
    slow.Tags.Bpm = 70;
    ASSERT_TRUE(db.StoreTracks({fast, slow}));
    for (const AttributeDef& def : {AttributeDef{"Tempo", "bpm", "90 120", {"Slow", "Mid", "Fast"}},
                                    AttributeDef{"Style", "genre", "", {"Rock", "Pop"}},
                                    AttributeDef{"Mood", "Mood", "", {"Calm", "Dark"}},
                                    AttributeDef{"Vocal", "hand", "", {"Female", "Male"}}}) {
        ASSERT_TRUE(db.DefineAttribute(def));
    }
    ASSERT_TRUE(
        db.SetAttributes({{"Tempo", {{"/m/Slow.flac", "Mid"}}},
                          {"Mood", {{"/m/Slow.flac", "Calm"}}},
                          {"Vocal", {{"/m/Fast.mp3", "Male"}, {"/m/Unscanned.mp3", "Female"}}}}));

    const auto facts = LoadTrackFacts(dir.Path());
    ASSERT_TRUE(facts) << facts.Problem;
    EXPECT_EQ(
        facts.Value,
        (TrackFactsByPath{
            {"/m/Fast.mp3",
             {"Loud", "Fast Song",
              Values{{"Tempo", "Fast"}, {"Style", "Rock"}, {"Mood", "Dark"}, {"Vocal", "Male"}},
              "Various", "Fast Band"}},
            {"/m/Slow.flac", {"", "", Values{{"Tempo", "Mid"}, {"Mood", "Calm"}}, "", "Slow Band"}},
            {"/m/Unscanned.mp3", {"", "", Values{{"Vocal", "Female"}}, "", ""}},
        }));

    // Clearing the hand value gives the track its tags' value again.
    ASSERT_TRUE(db.SetAttribute("Tempo", {{"/m/Slow.flac", ""}}));
    EXPECT_EQ(LoadTrackFacts(db).Value.at("/m/Slow.flac").Attributes.at("Tempo"), "Slow");

    // A definition damaged by other means than the program gives only the hand values.
    ASSERT_TRUE(db.SetAttribute("Tempo", {{"/m/Slow.flac", "Mid"}}));
    SQLite::Database(StationDb::FileIn(dir.Path()), SQLite::OPEN_READWRITE)
        .exec("DELETE FROM attribute_values WHERE value = 'Fast'");
    const auto damaged = LoadTrackFacts(db);
    EXPECT_NE(damaged.Problem.find("attribute \"Tempo\" gives tracks only"), std::string::npos);
    EXPECT_EQ(damaged.Value.at("/m/Fast.mp3").Attributes,
              (Values{{"Style", "Rock"}, {"Mood", "Dark"}, {"Vocal", "Male"}}));
    EXPECT_EQ(damaged.Value.at("/m/Slow.flac").Attributes.at("Tempo"), "Mid");
}

// Albums are told apart by whose they are; a title's version words in brackets or after a
// dash are not part of it, and words elsewhere are.
TEST(TrackFacts, AlbumAndTitleKeys) {
    EXPECT_EQ(AlbumKey(" Greatest Hits", "ABBA"), AlbumKey("greatest hits ", "abba"));
    EXPECT_NE(AlbumKey("Greatest Hits", "ABBA"), AlbumKey("Greatest Hits", "Queen"));
    EXPECT_EQ(AlbumKey("", "ABBA"), "");
    for (const char* title :
         {"Hallelujah (Live)", "hallelujah [Remastered 2011]", "Hallelujah - 2011 Remaster",
          "Hallelujah (feat. Somebody) (Live)", "Hallelujah (Radio-Edit)", "HALLELUJAH",
          "Hallelujah \xe2\x80\x93 Live at the Hall", "Hallelujah \xe2\x80\x94 Remastered"}) {
        EXPECT_EQ(TitleKey(title), "hallelujah") << title;
    }
    for (const char* title :
         {"Hallelujah (Part 2)", "Live and Let Die", "(Live)", "Edit - Me",
          "Against All Odds (Take a Look at Me Now)", "Reprise - Reprise / Remastered 2009"}) {
        EXPECT_EQ(TitleKey(title), FoldCase(title)) << title;
    }
}

}  // namespace
}  // namespace spindle
