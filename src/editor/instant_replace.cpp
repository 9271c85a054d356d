#include "editor/instant_replace.h"

#include <algorithm>
#include <unordered_map>

#include "base/datetime.h"
#include "base/format.h"
#include "base/paths.h"
#include "base/text_case.h"
#include "base/translate.h"
#include "base/unattended_operator.h"
#include "editor/log_context.h"
#include "fileinfo/name_conventions.h"
#include "generator/repeat_rules.h"
#include "station/group_ops.h"
#include "station/station.h"

namespace spindle {
namespace {

// The message for a replacement that found no candidate keeping every rule: the rule that
// turned away the most of them.
std::string Refusal(const std::string& current, const std::vector<long>& blocked,
                    const std::vector<const RepeatRule*>& rules, const FormatSettings& fs) {
    std::size_t most = 0;
    for (std::size_t k = 1; k < blocked.size(); ++k) {
        most = blocked[k] > blocked[most] ? k : most;
    }
    const std::string name = rules.empty() ? "song" : rules[most]->Name();
    if (name == "song" || name == "artist") {
        return Format(tr("Unable to replace \"%0:s\" due to %1:s Repeat Interval constraints."),
                      current, name == "song" ? tr("Song") : tr("Artist"));
    }
    return Format(tr("Unable to replace \"%0:s\": every track of its Category breaks the rule "
                     "\"%1:s\" there."),
                  current, RuleWords(name, fs));
}

}  // namespace

ReplaceOutcome InstantReplace(PlaylistDocument& document, Station& station, std::uint64_t id,
                              bool sameArtist, std::uint32_t songSeconds,
                              std::uint32_t artistSeconds,
                              const std::function<std::uint32_t(const std::string&)>& measure,
                              RulesCache* cache) {
    ReplaceOutcome outcome;
    const EditorItem* item = document.Find(id);
    const auto position = document.IndexOf(id);
    if (item == nullptr || !position || PlaylistDocument::IsTimed(*item)) {
        return outcome;
    }
    const NameRules rules = station.Names();
    // The artist as the station names it (the title when there is none), in lower case.
    auto artistOf = [&](const std::string& path) {
        ArtistTitle named = ArtistTitleOfPath(path, rules);
        return LowerCase(named.Artist.empty() ? named.Title : named.Artist);
    };
    const std::string current = ExtractFileName(item->Path);
    const std::string currentArtist = artistOf(item->Path);
    auto sameArtistOk = [&](const std::string& candidate) {
        return artistOf(candidate) == currentArtist && ExtractFileName(candidate) != current;
    };
    const EditorItem row = *item;  // the document changes below

    if (row.Type != kItemTrack) {
        TSpotDetails* group = station.FindSpotGroup(row.GroupName);
        if (group == nullptr) {
            outcome.Message = std::string(tr("Unable to find Spot Group ")) + row.GroupName;
            return outcome;
        }
        for (std::size_t tries = 0; tries < group->Files.size(); ++tries) {
            if (group->NextItem >= group->Files.size()) {
                group->NextItem = 0;
            }
            const FileRec candidate = group->Files[group->NextItem++];
            // Another spot of the group when it has one: a replacement that changes nothing
            // is none.
            if (candidate.FileName == row.Path && group->Files.size() > 1) {
                continue;
            }
            if (!sameArtist || sameArtistOk(candidate.FileName)) {
                outcome.Id = document.Replace(id, candidate.FileName, candidate.Duration,
                                              row.GroupName, row.Type, measure);
                return outcome;
            }
        }
        if (sameArtist) {
            outcome.Message = Format(
                tr("Unable to find a replacement with the same artist for\r\n\"%0:s\"."), current);
        }
        return outcome;
    }

    TCategoryDetails* category = station.FindCategory(row.GroupName);
    if (category == nullptr) {
        outcome.Message = Format(tr("Unable to find Category %0:s"), row.GroupName);
        return outcome;
    }
    UnattendedOperator quiet;
    RunReport report(quiet, nullptr);
    LogContext context(station, document, report, cache);
    context.UseIntervals(songSeconds / 60, artistSeconds / 60);
    if (const std::string problem = context.Load(); !problem.empty()) {
        outcome.Message = Format(tr("The station database cannot be used, so the station's rules "
                                    "cannot be checked: %0:s"),
                                 problem);
        return outcome;
    }
    context.Around(*position, *position + 1);
    const TDateTime slot = context.MomentOf(*position);
    TrackSelector& selector = context.Selector();
    selector.SetOnAir(slot);
    std::vector<long> blocked;
    std::vector<const RepeatRule*> judgedBy;
    for (std::size_t tries = 0; tries < 2 * category->Files.size(); ++tries) {
        const auto candidate = TakeNextTrack(*category, station.Random);
        if (!candidate) {
            break;
        }
        if (candidate->FileName == row.Path || (sameArtist && !sameArtistOk(candidate->FileName))) {
            continue;  // never the track it replaces
        }
        const auto judged = selector.JudgeCandidate(*category, *candidate, slot);
        blocked.resize(judged.size());
        judgedBy.resize(judged.size());
        bool clean = true;
        for (std::size_t k = 0; k < judged.size(); ++k) {
            judgedBy[k] = judged[k].Rule;
            // An artist the artist list does not know is the editor's to allow, as it always was.
            if (judged[k].Verdict.Broken && !judged[k].Verdict.Unchecked) {
                ++blocked[k];
                clean = false;
            }
        }
        if (!clean) {
            continue;
        }
        outcome.Id = document.Replace(id, candidate->FileName, candidate->Duration, row.GroupName,
                                      row.Type, measure);
        return outcome;
    }
    outcome.Message =
        sameArtist && std::all_of(blocked.begin(), blocked.end(), [](long n) { return n == 0; })
            ? Format(tr("Unable to replace \"%0:s\" due to %1:s Repeat Interval "
                        "constraints."),
                     current, tr("Song"))
            : Refusal(current, blocked, judgedBy, station.Settings());
    return outcome;
}

}  // namespace spindle
