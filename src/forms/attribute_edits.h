#pragma once

#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "forms/library_edits.h"
#include "rules/attribute_use.h"
#include "stationdb/station_db.h"

namespace spindle {

// The rules of the Options' Attributes page: where an attribute may come from, the checks
// of its dialog, and which rules keep an attribute or a value from going. Kept here so
// the page only shows their verdicts.

// How a source takes a banding (stationdb/attribute_source.h): never, always (a number
// tag), or when the operator wants its text read as a number (a free text field).
enum class BandingUse { None, Needed, Optional };

struct AttributeSourceChoice {
    std::string_view Source;  // as AttributeDef keeps it; empty: a free text field's name
    const char* Label;        // untranslated
    BandingUse Banding;
};

// The sources the page offers, "by hand" first and the free text field last.
std::span<const AttributeSourceChoice> AttributeSourceChoices();
// The choice of a kept Source: the one of its name in any case, else the free text one.
std::size_t SourceChoiceOf(std::string_view source);
// Where the attribute comes from, for the page's list: "BPM tag, cut at 90 120".
std::string AttributeSourceText(const AttributeDef& attribute);

// The values of `before` that `after` no longer lists; tracks set to them lose them.
std::vector<std::string> DroppedValues(const AttributeDef& before, const AttributeDef& after);

// OK in the attribute dialog, for a new attribute (`before` null) or an edited one: the
// definition as AttributeProblem sees it, a new name not taken by one of `defined` in any
// case, and no value dropped that a rule names. The verdict's Field is "name", "values",
// "source" or "banding".
Verdict CheckAttribute(const AttributeDef& edited, const AttributeDef* before,
                       const std::vector<AttributeDef>& defined, const RuleTexts& rules,
                       const FormatSettings& settings);

// Keeps `after` in the station database when it is new (`before` null) or differs from
// `before`; the database is made then, and only then.
DbStatus SaveAttribute(const std::filesystem::path& dataFolder, const AttributeDef* before,
                       const AttributeDef& after);

}  // namespace spindle
