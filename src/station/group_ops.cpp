#include "station/group_ops.h"

#include <algorithm>

#include "base/paths.h"
#include "base/text_case.h"

namespace spindle {
namespace {

// The shuffle works on the Index fields as a permutation; loading keeps them so, but a
// damaged set must not send the shuffle out of bounds.
void EnsureIndexPermutation(std::vector<FileRec>& files) {
    std::vector<bool> seen(files.size(), false);
    for (const FileRec& f : files) {
        if (f.Index < 0 || static_cast<std::size_t>(f.Index) >= files.size() ||
            seen[static_cast<std::size_t>(f.Index)]) {
            for (std::size_t i = 0; i < files.size(); ++i) {
                files[i].Index = static_cast<std::int32_t>(i);
            }
            return;
        }
        seen[static_cast<std::size_t>(f.Index)] = true;
    }
}

}  // namespace

bool TCustomDetails::IsBlock() const {
    return kind_ == GroupKind::Category ? GroupType == kCategoryBlock : GroupType == kSpotBlock;
}

void ShuffleFiles(TCustomDetails& group, RandomSource& random) {
    std::vector<FileRec>& files = group.Files;
    EnsureIndexPermutation(files);
    const std::size_t n = files.size();
    std::vector<FileRec> shuffled(n);
    std::size_t k = n;
    std::size_t out = 0;
    while (k > 0) {
        const std::size_t r = random.Below(static_cast<std::uint32_t>(k));
        // Each entry is taken exactly once, so it can be moved; the Index fields the
        // walk still reads are left as they were.
        shuffled[out] = std::move(files[static_cast<std::size_t>(files[r].Index)]);
        shuffled[out].Index = static_cast<std::int32_t>(out);
        --k;
        files[r].Index = files[k].Index;
        files[k].Index = static_cast<std::int32_t>(k);
        ++out;
    }
    files = std::move(shuffled);
    group.NextItem = 0;
}

void SortFilesByName(TCustomDetails& group) {
    std::vector<std::pair<std::string, FileRec>> keyed;
    keyed.reserve(group.Files.size());
    for (FileRec& f : group.Files) {
        keyed.emplace_back(FoldCase(ExtractFileName(f.FileName)), std::move(f));
    }
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 0; i < keyed.size(); ++i) {
        group.Files[i] = std::move(keyed[i].second);
    }
}

std::optional<FileRec> TakeNextTrack(TCategoryDetails& category, RandomSource& random) {
    if (category.Files.empty()) {
        return std::nullopt;
    }
    if (category.NextItem >= category.Files.size()) {
        ShuffleFiles(category, random);
    }
    return category.Files[category.NextItem++];
}

std::optional<FileRec> TakeNextSpot(TSpotDetails& group, RandomSource& random) {
    if (group.Files.empty()) {
        return std::nullopt;
    }
    if (group.NextItem >= group.Files.size()) {
        if (group.SortType == kSortRandomly) {
            ShuffleFiles(group, random);
        } else {
            group.NextItem = 0;
        }
    }
    return group.Files[group.NextItem++];
}

int FindFileIndex(const TCustomDetails& group, std::string_view path) {
    for (std::size_t i = 0; i < group.Files.size(); ++i) {
        if (group.Files[i].FileName == path) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::string FolderSummary(const std::vector<std::string>& folders) {
    std::string out;
    const std::size_t n = std::min<std::size_t>(folders.size(), 8);
    for (std::size_t i = 0; i < n; ++i) {
        out += (i == 0 ? "" : "; ") + folders[i];
    }
    return out;
}

std::optional<std::uint16_t> AverageOfFiles(const std::vector<FileRec>& files, bool block) {
    if (files.empty()) {
        return std::nullopt;
    }
    std::uint64_t total = 0;
    for (const FileRec& f : files) {
        total += f.Duration;
    }
    if (block) {
        return static_cast<std::uint16_t>(total & 0xFFFF);
    }
    const std::uint64_t n = files.size();
    std::uint64_t mean = total / n;
    const std::uint64_t rest = total % n;
    if (2 * rest > n || (2 * rest == n && (mean & 1) != 0)) {
        ++mean;
    }
    return static_cast<std::uint16_t>(mean);
}

}  // namespace spindle
