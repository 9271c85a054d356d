#include "editor/find_replace.h"

#include <vector>

#include "base/paths.h"
#include "base/text_case.h"

namespace spindle {
namespace {

// The positions a search visits after `from`, each once.
std::vector<std::size_t> SearchOrder(const PlaylistDocument& document,
                                     std::optional<std::uint64_t> from, SearchDirection direction,
                                     bool circular) {
    const long n = static_cast<long>(document.Items().size());
    std::vector<std::size_t> order;
    if (n == 0) {
        return order;
    }
    const auto at = from ? document.IndexOf(*from) : std::nullopt;
    const long step = direction == SearchDirection::Down ? 1 : -1;
    long i = at ? static_cast<long>(*at) : (step > 0 ? -1 : n);
    for (long visited = 0; visited < n; ++visited) {
        i += step;
        if (i < 0 || i >= n) {
            if (!circular) {
                break;
            }
            i = i < 0 ? n - 1 : 0;
        }
        order.push_back(static_cast<std::size_t>(i));
    }
    return order;
}

}  // namespace

std::optional<std::uint64_t> FindNextItem(const PlaylistDocument& document,
                                          std::optional<std::uint64_t> from,
                                          const std::string& needle, SearchDirection direction,
                                          bool circular) {
    const std::string lower = FoldCase(needle);
    for (const std::size_t i : SearchOrder(document, from, direction, circular)) {
        const EditorItem& item = document.Items()[i];
        if (item.State != EditState::Removed &&
            FoldCase(ExtractFileName(item.Path)).find(lower) != std::string::npos) {
            return item.Id;
        }
    }
    return std::nullopt;
}

int ReplaceAllItems(PlaylistDocument& document, const std::string& findPath,
                    const std::string& findName, const Replacement& with,
                    const std::function<std::uint32_t(const std::string&)>& measure) {
    // The items are chosen first, so replacements (which may match again) are never
    // visited and the pass ends.
    std::vector<std::uint64_t> chosen;
    for (const EditorItem& item : document.Items()) {
        const bool same = !findPath.empty() ? item.Path == findPath
                                            : SameText(ExtractFileName(item.Path), findName);
        if (item.State != EditState::Removed && same) {
            chosen.push_back(item.Id);
        }
    }
    if (chosen.empty()) {
        return 0;
    }
    document.BeginEdit();
    for (const std::uint64_t id : chosen) {
        document.Replace(id, with.Path, with.Duration, with.Group, with.Type, measure);
    }
    return static_cast<int>(chosen.size());
}

}  // namespace spindle
