#include "stationdb/attribute_source.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

#include "base/format.h"
#include "base/text_case.h"
#include "base/translate.h"

namespace spindle {
namespace {

struct TextField {
    const char* Name;
    std::string TrackTags::*Member;
};

constexpr TextField kTextFields[] = {
    {"artist", &TrackTags::Artist},     {"title", &TrackTags::Title},
    {"album", &TrackTags::Album},       {"isrc", &TrackTags::Isrc},
    {"composer", &TrackTags::Composer}, {"publisher", &TrackTags::Publisher},
    {"genre", &TrackTags::Genre},
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::optional<double> Number(std::string_view text) {
    text = Trimmed(text);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// The cut points of a banding, as written; nothing when a part is not a number.
std::optional<std::vector<double>> CutPoints(std::string_view banding) {
    std::vector<double> cuts;
    std::size_t start = 0;
    while (start <= banding.size()) {
        const std::size_t end = std::min(banding.find_first_of(" \t;", start), banding.size());
        if (end > start) {
            const auto cut = Number(banding.substr(start, end - start));
            if (!cut) {
                return std::nullopt;
            }
            cuts.push_back(*cut);
        }
        start = end + 1;
    }
    return cuts;
}

const TextField* TextFieldNamed(std::string_view source) {
    for (const TextField& field : kTextFields) {
        if (SameText(source, field.Name)) {
            return &field;
        }
    }
    return nullptr;
}

bool IsNumberField(std::string_view source) {
    return SameText(source, "bpm") || SameText(source, "year");
}

std::string BandingProblem(const AttributeDef& a) {
    const std::string_view source = Trimmed(a.Source);
    const bool noBanding = Trimmed(a.Banding).empty();
    if (SameText(source, "hand") && !noBanding) {
        return Format(tr("The attribute \"%0:s\" is set by hand and takes no banding."), a.Name);
    }
    if (TextFieldNamed(source) != nullptr && !noBanding) {
        return Format(tr("The attribute \"%0:s\" takes the text of the tag \"%1:s\", which "
                         "has no banding."),
                      a.Name, std::string(source));
    }
    if (IsNumberField(source) && noBanding) {
        return Format(tr("The attribute \"%0:s\" takes the number of the tag \"%1:s\" and needs "
                         "a banding: %2:d cut points, one fewer than its values (\"90 120\" for "
                         "three values)."),
                      a.Name, std::string(source), static_cast<long long>(a.Values.size()) - 1);
    }
    if (noBanding) {
        return {};
    }
    const auto cuts = CutPoints(a.Banding);
    if (!cuts) {
        return Format(tr("The banding \"%0:s\" of the attribute \"%1:s\" is not a list of "
                         "numbers (such as \"90 120\", with a decimal point)."),
                      a.Banding, a.Name);
    }
    if (std::adjacent_find(cuts->begin(), cuts->end(), std::greater_equal<>()) != cuts->end()) {
        return Format(tr("The banding \"%0:s\" of the attribute \"%1:s\" must give its cut "
                         "points from the lowest up, each higher than the one before."),
                      a.Banding, a.Name);
    }
    if (cuts->size() + 1 != a.Values.size()) {
        return Format(tr("The banding \"%0:s\" of the attribute \"%1:s\" has %2:d cut points; "
                         "its %3:d values need %4:d."),
                      a.Banding, a.Name, static_cast<long long>(cuts->size()),
                      static_cast<long long>(a.Values.size()),
                      static_cast<long long>(a.Values.size()) - 1);
    }
    return {};
}

}  // namespace

std::string AttributeProblem(const AttributeDef& a) {
    if (Trimmed(a.Name).empty()) {
        return tr("An attribute needs a name.");
    }
    if (Trimmed(a.Name) != a.Name) {
        return Format(tr("The attribute name \"%0:s\" starts or ends with a blank."), a.Name);
    }
    if (Trimmed(a.Source).empty()) {
        return Format(tr("The attribute \"%0:s\" needs a source: \"hand\", a tag such as "
                         "\"bpm\" or \"genre\", or the name of a free text field."),
                      a.Name);
    }
    if (a.Values.empty()) {
        return Format(tr("The attribute \"%0:s\" needs at least one value."), a.Name);
    }
    for (auto value = a.Values.begin(); value != a.Values.end(); ++value) {
        if (value->empty()) {
            return Format(tr("The attribute \"%0:s\" has an empty value."), a.Name);
        }
        if (Trimmed(*value) != *value) {
            return Format(tr("The value \"%0:s\" of the attribute \"%1:s\" starts or ends with a "
                             "blank."),
                          *value, a.Name);
        }
        // Tags and imports match values in any case, so the case cannot tell two apart.
        if (std::any_of(a.Values.begin(), value,
                        [&](const std::string& earlier) { return SameText(earlier, *value); })) {
            return Format(tr("The attribute \"%0:s\" lists the value \"%1:s\" twice."), a.Name,
                          *value);
        }
    }
    return BandingProblem(a);
}

AttributeSource::AttributeSource(const AttributeDef& attribute) : definition_(attribute) {
    const std::string_view source = Trimmed(attribute.Source);
    if (SameText(source, "hand")) {
        field_ = Field::Hand;
    } else if (SameText(source, "bpm")) {
        field_ = Field::Bpm;
    } else if (SameText(source, "year")) {
        field_ = Field::Year;
    } else if (const TextField* text = TextFieldNamed(source)) {
        field_ = Field::Text;
        text_ = text->Member;
    } else {
        field_ = Field::Extra;
        extraKey_ = UpperCase(source);
    }
    banded_ = !Trimmed(attribute.Banding).empty();
    cuts_ = CutPoints(attribute.Banding).value_or(std::vector<double>{});
    for (const std::string& value : attribute.Values) {
        byFolded_.emplace(FoldCase(value), value);
    }
}

std::string AttributeSource::ValueOf(const TrackTags& tags) const {
    switch (field_) {
        case Field::Hand:
            return {};
        case Field::Bpm:
            return tags.Bpm > 0 ? Banded(tags.Bpm) : std::string();
        case Field::Year:
            return tags.Year > 0 ? Banded(tags.Year) : std::string();
        case Field::Text:
            return Matching(tags.*text_);
        case Field::Extra:
            break;
    }
    const auto found = tags.Extra.find(extraKey_);
    if (found == tags.Extra.end()) {
        return {};
    }
    if (!banded_) {
        return Matching(found->second);
    }
    const auto number = Number(found->second);
    return number ? Banded(*number) : std::string();
}

std::string AttributeSource::ValueNamed(std::string_view text) const {
    const auto found = byFolded_.find(FoldCase(Trimmed(text)));
    return found == byFolded_.end() ? std::string() : found->second;
}

std::string AttributeSource::Banded(double number) const {
    const auto band = std::upper_bound(cuts_.begin(), cuts_.end(), number) - cuts_.begin();
    // A definition AttributeProblem refuses (a damaged database) may have fewer values than
    // bands; the top ones then take the last value rather than read past the list.
    const std::vector<std::string>& values = definition_.Values;
    if (values.empty()) {
        return {};
    }
    return values[std::min(static_cast<std::size_t>(band), values.size() - 1)];
}

std::string AttributeSource::Matching(std::string_view text) const {
    if (std::string whole = ValueNamed(text); !whole.empty()) {
        return whole;
    }
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(';', start)) != std::string_view::npos;
         start = end + 1) {
        if (std::string part = ValueNamed(text.substr(start, end - start)); !part.empty()) {
            return part;
        }
    }
    return start == 0 ? std::string() : ValueNamed(text.substr(start));
}

}  // namespace spindle
