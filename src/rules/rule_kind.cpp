#include "rules/rule_kind.h"

#include <array>

#include "rules/kinds/kind_parts.h"

namespace spindle {
namespace {

// Every kind: the repeat intervals, then the others in the order a form offers them.
constexpr std::array<const RuleKindSpec*, 11> kKinds{
    &kinds::kSong,         &kinds::kArtist, &kinds::kSeparation, &kinds::kRun,
    &kinds::kTransition,   &kinds::kWindow, &kinds::kAlbum,      &kinds::kTitle,
    &kinds::kHourRotation, &kinds::kCap,    &kinds::kQuota};

}  // namespace

const RuleKindSpec& KindSpec(RuleKind kind) {
    for (const RuleKindSpec* spec : kKinds) {
        if (spec->Kind == kind) {
            return *spec;
        }
    }
    return kinds::kSong;  // every RuleKind has its descriptor above
}

std::span<const RuleKindSpec* const> RuleKinds() {
    return kKinds;
}

const RuleKindSpec* KindOfKeyword(std::string_view keyword) {
    for (const RuleKindSpec* spec : kKinds) {
        if (keyword == spec->Keyword) {
            return spec;
        }
    }
    return nullptr;
}

}  // namespace spindle
