#include "editor/replacement_list.h"

#include <algorithm>
#include <numeric>
#include <unordered_map>

#include "base/format.h"
#include "base/text_case.h"
#include "base/translate.h"
#include "base/unattended_operator.h"
#include "editor/log_context.h"
#include "fileinfo/name_conventions.h"
#include "generator/repeat_rules.h"
#include "station/station.h"

namespace spindle {
namespace {

struct Ranked {
    std::uint64_t Broken = 0;     // the most important rule's bit highest
    std::vector<double> Amounts;  // of the station's rules, most important first
    TDateTime LastUsed = 0.0;
    std::size_t InLine = 0;  // places after the next in the play order
};

bool Better(const Ranked& a, const Ranked& b) {
    if (a.Broken != b.Broken) {
        return a.Broken < b.Broken;
    }
    if (a.Broken == 0) {
        return a.InLine < b.InLine;
    }
    for (std::size_t k = 0; k < a.Amounts.size() && k < b.Amounts.size(); ++k) {
        if (a.Amounts[k] != b.Amounts[k]) {
            return a.Amounts[k] < b.Amounts[k];
        }
    }
    return a.LastUsed != b.LastUsed ? a.LastUsed < b.LastUsed : a.InLine < b.InLine;
}

std::string DatabaseLine(const std::string& problem) {
    return Format(tr("The station database cannot be used, so the station's rules cannot be "
                     "checked: %0:s"),
                  problem);
}

}  // namespace

ReplacementList ListReplacements(const PlaylistDocument& document, Station& station,
                                 std::uint64_t id, RunReport& report, RulesCache* cache) {
    ReplacementList list;
    const auto position = document.IndexOf(id);
    if (!position || document.Items()[*position].Type != kItemTrack) {
        list.Problem = tr("Only a Category track has a list of replacements.");
        return list;
    }
    const EditorItem item = document.Items()[*position];
    TCategoryDetails* category = station.FindCategory(item.GroupName);
    if (category == nullptr) {
        list.Problem = Format(tr("Unable to find Category %0:s"), item.GroupName);
        return list;
    }
    list.Category = category->Name;
    LogContext context(station, document, report, cache);
    if (const std::string problem = context.Load(); !problem.empty()) {
        list.Problem = DatabaseLine(problem);
        return list;
    }
    context.Around(*position, *position + 1);
    const TDateTime slot = context.MomentOf(*position);
    list.Slot = slot;
    TrackSelector& selector = context.Selector();
    selector.SetOnAir(slot);
    const NameRules names = station.Names();
    const FormatSettings& fs = station.Settings();

    std::unordered_map<const RepeatRule*, std::string> sentences;  // each rule's, once
    const std::size_t n = category->Files.size();
    std::vector<Ranked> ranks;
    ranks.reserve(n);
    list.Candidates.reserve(n);
    for (std::size_t k = 0; k < n; ++k) {
        const FileRec& f = category->Files[(category->NextItem + k) % n];
        if (f.FileName == item.Path) {
            continue;
        }
        const auto judged = selector.JudgeCandidate(*category, f, slot);
        ReplacementCandidate candidate;
        candidate.Path = f.FileName;
        candidate.Duration = f.Duration != 0 ? f.Duration : category->AverageTime;
        const ArtistTitle named = ArtistTitleOfPath(f.FileName, names);
        candidate.Artist = named.Artist;
        candidate.Title = named.Title;
        Ranked rank;
        rank.LastUsed = context.Of(f);
        rank.InLine = k;
        for (std::size_t r = 0; r < judged.size(); ++r) {
            RuleVerdict v = judged[r].Verdict;
            v.Broken =
                v.Broken && !v.Unchecked;  // an artist not on the list is not held against it
            if (!judged[r].Rule->ByLastUse()) {
                rank.Amounts.push_back(v.Broken ? v.Amount : 0.0);
            }
            if (v.Broken) {
                rank.Broken |= std::uint64_t{1} << std::min<std::size_t>(judged.size() - 1 - r, 63);
                auto [sentence, fresh] = sentences.try_emplace(judged[r].Rule);
                if (fresh) {
                    sentence->second = RuleWords(judged[r].Rule->Name(), fs);
                }
                candidate.Breaks.push_back(
                    VerdictWords(*judged[r].Rule, v, slot, fs, &sentence->second));
            }
        }
        ranks.push_back(std::move(rank));
        list.Candidates.push_back(std::move(candidate));
    }
    std::vector<std::size_t> order(list.Candidates.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return Better(ranks[a], ranks[b]); });
    std::vector<ReplacementCandidate> sorted;
    sorted.reserve(order.size());
    for (const std::size_t k : order) {
        sorted.push_back(std::move(list.Candidates[k]));
    }
    list.Candidates = std::move(sorted);
    if (list.Candidates.empty()) {
        list.Problem = Format(tr("The Category %0:s holds no other track."), list.Category);
    }
    return list;
}

std::vector<std::size_t> ShownCandidates(const ReplacementList& list, bool cleanOnly,
                                         std::string_view search) {
    const std::string wanted = LowerCase(search);
    std::vector<std::size_t> shown;
    for (std::size_t k = 0; k < list.Candidates.size(); ++k) {
        const ReplacementCandidate& c = list.Candidates[k];
        if (cleanOnly && !c.Clean()) {
            continue;
        }
        if (!wanted.empty() && LowerCase(c.Artist).find(wanted) == std::string::npos &&
            LowerCase(c.Title).find(wanted) == std::string::npos) {
            continue;
        }
        shown.push_back(k);
    }
    return shown;
}

std::vector<std::string> RuleBreaksOf(const PlaylistDocument& document, Station& station,
                                      std::uint64_t id, RulesCache* cache) {
    const auto position = document.IndexOf(id);
    if (!position || document.Items()[*position].Type != kItemTrack) {
        return {};
    }
    const EditorItem& item = document.Items()[*position];
    TCategoryDetails* category = station.FindCategory(item.GroupName);
    if (category == nullptr) {
        return {};
    }
    UnattendedOperator quiet;
    RunReport report(quiet, nullptr);
    LogContext context(station, document, report, cache);
    if (const std::string problem = context.Load(); !problem.empty()) {
        return {DatabaseLine(problem)};
    }
    context.Around(*position, *position + 1);
    const TDateTime slot = context.MomentOf(*position);
    context.Selector().SetOnAir(slot);
    FileRec entry;
    entry.FileName = item.Path;
    entry.Duration = static_cast<std::uint16_t>(std::min<std::uint32_t>(item.Duration, 65535));
    for (const FileRec& f : category->Files) {
        if (f.FileName == item.Path) {
            entry = f;
        }
    }
    std::vector<std::string> breaks;
    for (const auto& judged : context.Selector().JudgeCandidate(*category, entry, slot)) {
        if (judged.Verdict.Broken && !judged.Verdict.Unchecked) {
            breaks.push_back(VerdictWords(*judged.Rule, judged.Verdict, slot, station.Settings()));
        }
    }
    return breaks;
}

}  // namespace spindle
