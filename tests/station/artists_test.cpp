#include <gtest/gtest.h>

#include "station/artists.h"

namespace spindle {
namespace {

TEST(ArtistList, OneRecordPerArtistWhateverTheCase) {
    ArtistList artists;
    const NameRules rules;
    artists.NoteTrack("/m/Band - One.mp3", 100.0, rules);
    artists.NoteTrack("/m/BAND - Two.mp3", 50.0, rules);
    artists.NoteTrack("/m/Jingle.mp3", 0.0, rules);
    EXPECT_EQ(artists.Count(), 2u);
    ASSERT_NE(artists.Find("band"), nullptr);
    EXPECT_EQ(artists.Find("band")->LastPlayed, 100.0);
    EXPECT_EQ(artists.Find("band")->SavedLastPlayed, 100.0);
    EXPECT_NE(artists.Find("Jingle.mp3"), nullptr);
    EXPECT_EQ(artists.SortedNames(), (std::vector<std::string>{"Band", "Jingle.mp3"}));
}

TEST(ArtistList, RevertsToAndMarksTheSavedState) {
    ArtistList artists;
    artists.NoteTrack("/m/Émile - Song.mp3", 10.0, NameRules{});
    ArtistRec* rec = artists.Find("ÉMILE");
    ASSERT_NE(rec, nullptr);
    rec->LastPlayed = 20.0;
    artists.RevertAll();
    EXPECT_EQ(rec->LastPlayed, 10.0);
    rec->LastPlayed = 30.0;
    artists.MarkAllSaved();
    EXPECT_EQ(rec->SavedLastPlayed, 30.0);
}

// All are selected at first; a name matches on its first four letters.
}  // namespace
}  // namespace spindle
