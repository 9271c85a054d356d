#include <algorithm>
#include <array>

#include "base/format.h"
#include "base/translate.h"
#include "rules/kinds/kind_parts.h"

// At most so many plays of the track, of any of its artists, or of its album, in a calendar
// day or within the rule's minutes.

namespace spindle::kinds {
namespace {

void Read(rule_words::Reader& reader, RuleDef& rule) {
    const std::string of =
        reader.OneOf(tr("\"track\", \"artist\" or \"album\""), {"track", "artist", "album"});
    rule.Of = of == "track" ? CapOf::Track : of == "artist" ? CapOf::Artist : CapOf::Album;
    rule.Count = reader.Number();
    reader.OneOf("\"per\"", {"per"});
    rule.PerDay = reader.TakeKeyword("day");
    if (!rule.PerDay) {
        rule.Minutes = ReadDuration(reader);
    }
}

std::string Write(const RuleDef& rule) {
    static constexpr std::array<const char*, 3> kOf{"track", "artist", "album"};
    return std::string(kOf[static_cast<int>(rule.Of)]) + " " + std::to_string(rule.Count) +
           " per " + (rule.PerDay ? "day" : DurationText(rule.Minutes));
}

std::string Sentence(const RuleDef& rule, const FormatSettings&) {
    const std::string span = rule.PerDay ? std::string(tr("per day"))
                                         : Format(tr("in any %0:s"), DurationWords(rule.Minutes));
    switch (rule.Of) {
        case CapOf::Track:
            return Format(tr("At most %0:s of one track %1:s"),
                          Counted(rule.Count, N_("%0:d play"), N_("%0:d plays")), span);
        case CapOf::Artist:
            return Format(tr("At most %0:s of one artist %1:s"),
                          Counted(rule.Count, N_("%0:d track"), N_("%0:d tracks")), span);
        case CapOf::Album:
            return Format(tr("At most %0:s of one album %1:s"),
                          Counted(rule.Count, N_("%0:d track"), N_("%0:d tracks")), span);
    }
    return {};
}

RuleVerdict Judge(const JudgedRule& rule, const RuleCandidate& candidate, TDateTime slot,
                  const PlayHistory& history) {
    if (candidate.Keys == nullptr) {
        return {};
    }
    // Plays from the start of the slot's day, or within the minutes before it; a play
    // exactly that far back has left the stretch.
    const TDateTime from = rule.Def.PerDay
                               ? static_cast<TDateTime>(SplitDateTime(slot).Day)
                               : slot - (rule.Def.Minutes - kMinutesEpsilon) / kMinutesPerDay;
    std::vector<std::size_t> counted;  // the places of the plays counted
    std::optional<TDateTime> latest;
    const auto count = [&](const std::vector<KeyPlay>& plays) {
        auto at = std::lower_bound(plays.begin(), plays.end(), from,
                                   [](const KeyPlay& p, TDateTime t) { return p.At < t; });
        for (; at != plays.end() && at->At <= slot; ++at) {
            counted.push_back(at->Seq);
            latest = std::max(latest.value_or(at->At), at->At);
        }
    };
    switch (rule.Def.Of) {
        case CapOf::Track:
            count(history.PlaysOf(PlayHistory::Key::Track, candidate.Keys->Track));
            break;
        case CapOf::Artist:
            for (const ArtistRec* artist : candidate.Artists) {
                count(history.PlaysOf(artist));
            }
            // A play of two of the track's artists is one play.
            std::sort(counted.begin(), counted.end());
            counted.erase(std::unique(counted.begin(), counted.end()), counted.end());
            break;
        case CapOf::Album:
            count(history.PlaysOf(PlayHistory::Key::Album, candidate.Keys->Album));
            break;
    }
    const auto plays = static_cast<int>(counted.size());
    if (plays < rule.Def.Count) {
        return {};
    }
    return {true, false, latest, static_cast<double>(plays + 1 - rule.Def.Count)};
}

const char* Unit(const RuleDef&) {
    return N_("plays");
}

constexpr RuleForm Form() {
    RuleForm form;
    form.Of = form.Count = form.PerDay = form.Minutes = true;
    return form;
}

RuleDef Fresh() {
    RuleDef rule;
    rule.Count = 1;
    rule.PerDay = true;
    return rule;
}

}  // namespace

constinit const KindDescriptor kCap{
    RuleKind::Cap, "cap",        N_("Play cap"),  Form(), Fresh, Read,   Write,
    Sentence,      LimitMinutes, MinutesLookBack, Judge,  Unit,  nullptr};

}  // namespace spindle::kinds
