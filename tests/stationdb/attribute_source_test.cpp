#include "stationdb/attribute_source.h"

#include <gtest/gtest.h>

#include "stationdb/station_db.h"
#include "support/temp_dir.h"

namespace spindle {
namespace {

TrackTags Tags(double bpm, int year, std::string genre, std::map<std::string, std::string> extra) {
    TrackTags tags;
    tags.Bpm = bpm;
    tags.Year = year;
    tags.Genre = std::move(genre);
    tags.Extra = std::move(extra);
    return tags;
}

// A number on a cut point takes the band above; no number, no text match: no value.
TEST(AttributeSource, BandsNumbersAndMatchesTextInAnyCase) {
    const AttributeDef tempo{"Tempo", "BPM", "90 120", {"Slow", "Medium", "Fast"}};
    const AttributeDef era{"Era", "year", "1980;1990", {"70s", "80s", "90s"}};
    const AttributeDef style{"Style", "genre", "", {"Rock", "Caf\xC3\xA9"}};
    const AttributeDef mood{"Mood", "mood", "", {"Calm", "Dark"}};
    const AttributeDef energy{"Energy", "Energy", "0.5", {"Low", "High"}};
    const AttributeDef vocal{"Vocal", "hand", "", {"Female"}};
    const struct {
        const AttributeDef& Def;
        TrackTags Tags;
        const char* Expected;
    } cases[] = {
        {tempo, Tags(89.99, 0, "", {}), "Slow"},
        {tempo, Tags(90, 0, "", {}), "Medium"},
        {tempo, Tags(119.5, 0, "", {}), "Medium"},
        {tempo, Tags(120, 0, "", {}), "Fast"},
        {tempo, Tags(0, 1985, "Rock", {}), ""},
        {era, Tags(0, 1979, "", {}), "70s"},
        {era, Tags(0, 1980, "", {}), "80s"},
        {era, Tags(0, 2001, "", {}), "90s"},
        {style, Tags(0, 0, " rOCK ", {}), "Rock"},
        {style, Tags(0, 0, "CAF\xC3\x89", {}), "Caf\xC3\xA9"},
        {style, Tags(0, 0, "Jazz; rock; Caf\xC3\xA9", {}), "Rock"},
        {style, Tags(0, 0, "Rockabilly", {}), ""},
        {mood, Tags(0, 0, "Calm", {{"MOOD", "dark"}}), "Dark"},
        {energy, Tags(0, 0, "", {{"ENERGY", "0.5"}}), "High"},
        {energy, Tags(0, 0, "", {{"ENERGY", " 0.49 "}}), "Low"},
        {energy, Tags(0, 0, "", {{"ENERGY", "high"}}), ""},
        {vocal, Tags(120, 2000, "Female", {{"VOCAL", "Female"}}), ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AttributeSource(c.Def).ValueOf(c.Tags), c.Expected)
            << c.Def.Name << " " << c.Tags.Bpm << " " << c.Tags.Year << " " << c.Tags.Genre;
    }
    // A damaged database's definition, short of values, reads no further than its list.
    const AttributeSource damaged({"Tempo", "bpm", "90 120", {"Slow", "Medium"}});
    EXPECT_EQ(damaged.ValueOf(Tags(130, 0, "", {})), "Medium");
}

// Every fault is refused by the database with a message naming it, and leaves nothing.
TEST(AttributeSource, DefinitionsAreCheckedBeforeTheyAreStored) {
    const struct {
        AttributeDef Def;
        const char* Expected;  // nullptr: accepted
    } cases[] = {
        {{"Tempo", "bpm", " 90 ; 120.5 ", {"Slow", "Medium", "Fast"}}, nullptr},
        {{"Local", "LOCAL", "", {"Yes", "No"}}, nullptr},
        {{" ", "hand", "", {"Yes"}}, "needs a name"},
        {{"Tempo ", "hand", "", {"Yes"}}, "starts or ends with a blank"},
        {{"Vocal", "", "", {"Male"}}, "needs a source"},
        {{"Vocal", "hand", "", {}}, "at least one value"},
        {{"Vocal", "hand", "", {"Male", ""}}, "empty value"},
        {{"Vocal", "hand", "", {"Male", "male"}}, "\"male\" twice"},
        {{"Vocal", "hand", "", {"Male "}}, "\"Male \" of the attribute"},
        {{"Vocal", "hand", "1", {"Male", "Female"}}, "takes no banding"},
        {{"Style", "Genre", "1", {"Rock", "Pop"}}, "has no banding"},
        {{"Tempo", "bpm", "", {"Slow", "Fast"}}, "needs a banding: 1 cut points"},
        {{"Tempo", "bpm", "90,120", {"Slow", "Medium", "Fast"}}, "not a list of numbers"},
        {{"Tempo", "bpm", "90 nan", {"Slow", "Medium", "Fast"}}, "not a list of numbers"},
        {{"Tempo", "bpm", "120 90", {"Slow", "Medium", "Fast"}}, "from the lowest up"},
        {{"Tempo", "bpm", "90 90", {"Slow", "Medium", "Fast"}}, "from the lowest up"},
        {{"Tempo", "bpm", "90", {"Slow", "Medium", "Fast"}}, "has 1 cut points; its 3 values"},
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        StationDb db(dir.Path(), StationDb::Mode::OrCreate);
        const DbStatus defined = db.DefineAttribute(c.Def);
        if (c.Expected == nullptr) {
            EXPECT_TRUE(defined) << defined.Problem;
            continue;
        }
        EXPECT_NE(defined.Problem.find(c.Expected), std::string::npos) << defined.Problem;
        EXPECT_TRUE(db.Attributes().Value.empty()) << c.Expected;
        EXPECT_FALSE(db.ReplaceRuleBook({c.Def}, {{"", {"kept"}}})) << c.Expected;
        EXPECT_TRUE(db.Rules().Value.empty()) << c.Expected;
    }
}

}  // namespace
}  // namespace spindle
