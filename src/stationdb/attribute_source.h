#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "fileinfo/tags.h"
#include "stationdb/station_db.h"

namespace spindle {

// Where an attribute's value comes from, by its Source (compared without regard to case):
// - "hand": only from the values the operator sets on tracks;
// - "bpm", "year": a number of the tag, banded: the Banding lists N cut points from the
//   lowest up (separated by blanks or ";", with a decimal point) for N+1 values. A number
//   below the first cut point takes the first value, below the second the second, and so
//   on; one equal to a cut point takes the band above it. A tag without the number (0)
//   gives no value;
// - "artist", "title", "album", "isrc", "composer", "publisher", "genre": the tag's text,
//   taken when it is one of the values written in any case; a text of several values
//   ("Rock; Pop") gives the first of them that is one;
// - any other name: the free text field of that name (TXXX, Vorbis comment, ...), as text
//   like "genre", or as a number banded like "bpm" when a Banding is given.
// A value set by hand wins over the one the tags give, so the operator can correct a tag
// without editing the file.

// Why `attribute` cannot be defined, written for the operator; empty when it can.
std::string AttributeProblem(const AttributeDef& attribute);

// An attribute's definition made ready to read tracks' tags. The definition must be one
// AttributeProblem accepts.
class AttributeSource {
public:
    explicit AttributeSource(const AttributeDef& attribute);

    const AttributeDef& Definition() const { return definition_; }
    bool ByHand() const { return field_ == Field::Hand; }
    // The free text field read (upper case), empty when the source is not one.
    const std::string& ExtraKey() const { return extraKey_; }

    // The value `tags` give, empty when they give none.
    std::string ValueOf(const TrackTags& tags) const;
    // The value written as `text` in any case, in the definition's spelling; empty when
    // `text` is none of the values.
    std::string ValueNamed(std::string_view text) const;

private:
    enum class Field { Hand, Bpm, Year, Text, Extra };

    std::string Banded(double number) const;
    std::string Matching(std::string_view text) const;

    AttributeDef definition_;
    Field field_ = Field::Hand;
    std::string TrackTags::*text_ = nullptr;
    std::string extraKey_;
    bool banded_ = false;
    std::vector<double> cuts_;
    std::unordered_map<std::string, std::string> byFolded_;
};

}  // namespace spindle
