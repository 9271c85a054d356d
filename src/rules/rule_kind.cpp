#include "rules/rule_kind.h"

#include <array>

#include "rules/kinds/kind_parts.h"

namespace spindle {
namespace {

// Every kind: the repeat intervals, then the others in the order a form offers them.
constexpr std::array<const KindDescriptor*, 11> kKinds{
    &kinds::kSong,         &kinds::kArtist, &kinds::kSeparation, &kinds::kRun,
    &kinds::kTransition,   &kinds::kWindow, &kinds::kAlbum,      &kinds::kTitle,
    &kinds::kHourRotation, &kinds::kCap,    &kinds::kQuota};

}  // namespace

const KindDescriptor& DescriptorOf(RuleKind kind) {
    for (const KindDescriptor* descriptor : kKinds) {
        if (descriptor->Kind == kind) {
            return *descriptor;
        }
    }
    return kinds::kSong;  // every RuleKind has its descriptor above
}

std::span<const KindDescriptor* const> RuleKinds() {
    return kKinds;
}

const KindDescriptor* KindOfKeyword(std::string_view keyword) {
    for (const KindDescriptor* descriptor : kKinds) {
        if (keyword == descriptor->Keyword) {
            return descriptor;
        }
    }
    return nullptr;
}

}  // namespace spindle
