#include "forms/attribute_edits.h"

#include <algorithm>
#include <array>

#include "base/format.h"
#include "base/text_case.h"
#include "base/translate.h"
#include "rules/rule_def.h"
#include "stationdb/attribute_source.h"

namespace spindle {
namespace {

constexpr std::array<AttributeSourceChoice, 11> kChoices = {{
    {"hand", N_("Set by hand"), BandingUse::None},
    {"bpm", N_("BPM tag"), BandingUse::Needed},
    {"year", N_("Year tag"), BandingUse::Needed},
    {"genre", N_("Genre tag"), BandingUse::None},
    {"artist", N_("Artist tag"), BandingUse::None},
    {"title", N_("Title tag"), BandingUse::None},
    {"album", N_("Album tag"), BandingUse::None},
    {"composer", N_("Composer tag"), BandingUse::None},
    {"publisher", N_("Publisher (label) tag"), BandingUse::None},
    {"isrc", N_("ISRC tag"), BandingUse::None},
    {"", N_("Free text tag"), BandingUse::Optional},
}};

bool Blank(std::string_view text) {
    return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

}  // namespace

std::span<const AttributeSourceChoice> AttributeSourceChoices() {
    return kChoices;
}

std::size_t SourceChoiceOf(std::string_view source) {
    for (std::size_t i = 0; i + 1 < kChoices.size(); ++i) {
        if (SameText(source, kChoices[i].Source)) {
            return i;
        }
    }
    return kChoices.size() - 1;
}

std::string AttributeSourceText(const AttributeDef& attribute) {
    const std::size_t choice = SourceChoiceOf(attribute.Source);
    const std::string label = choice + 1 == kChoices.size()
                                  ? Format(tr("Free text tag \"%0:s\""), attribute.Source)
                                  : std::string(tr(kChoices[choice].Label));
    return Blank(attribute.Banding) ? label
                                    : Format(tr("%0:s, cut at %1:s"), label, attribute.Banding);
}

std::vector<std::string> DroppedValues(const AttributeDef& before, const AttributeDef& after) {
    std::vector<std::string> dropped;
    for (const std::string& value : before.Values) {
        if (std::find(after.Values.begin(), after.Values.end(), value) == after.Values.end()) {
            dropped.push_back(value);
        }
    }
    return dropped;
}

Verdict CheckAttribute(const AttributeDef& edited, const AttributeDef* before,
                       const std::vector<AttributeDef>& defined, const RuleTexts& rules,
                       const FormatSettings& settings) {
    // AttributeProblem checks the name, the source, the values and the banding in that
    // order; the same definition with the later parts made sound tells which one failed.
    if (std::string problem = AttributeProblem({edited.Name, "hand", "", {"-"}});
        !problem.empty()) {
        return {problem, "name"};
    }
    if (before == nullptr &&
        std::any_of(defined.begin(), defined.end(),
                    [&](const AttributeDef& a) { return SameText(a.Name, edited.Name); })) {
        return {Format(tr("There is already an attribute \"%0:s\"."), edited.Name), "name"};
    }
    if (std::string problem = AttributeProblem(edited); !problem.empty()) {
        if (Blank(edited.Source)) {
            return {problem, "source"};
        }
        const bool values = !AttributeProblem({edited.Name, "hand", "", edited.Values}).empty();
        return {problem, values ? "values" : "banding"};
    }
    if (before == nullptr) {
        return {};
    }
    for (const std::string& value : DroppedValues(*before, edited)) {
        const std::vector<std::string> naming = RulesNaming(rules, edited.Name, value, settings);
        if (!naming.empty()) {
            std::string message = Format(tr("The value \"%0:s\" of the attribute \"%1:s\" "
                                            "cannot go while rules name it. Remove or change "
                                            "these rules first:"),
                                         value, edited.Name);
            for (const std::string& rule : naming) {
                message += "\n" + rule;
            }
            return {message, "values"};
        }
    }
    return {};
}

DbStatus SaveAttribute(const std::filesystem::path& dataFolder, const AttributeDef* before,
                       const AttributeDef& after) {
    if (before != nullptr && *before == after) {
        return {};
    }
    StationDb db(dataFolder, StationDb::Mode::OrCreate);
    if (!db.IsOpen()) {
        return {db.Problem()};
    }
    return db.DefineAttribute(after);
}

}  // namespace spindle
