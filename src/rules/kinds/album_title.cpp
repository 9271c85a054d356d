#include "base/format.h"
#include "base/translate.h"
#include "rules/kinds/kind_parts.h"

// No two tracks of one album, or of one title (another artist's or another version), within
// the rule's minutes. Album and title are compared as TrackFacts' AlbumKey and TitleKey make
// them.

namespace spindle::kinds {
namespace {

void ReadMinutes(rule_words::Reader& reader, RuleDef& rule) {
    rule.Minutes = ReadDuration(reader);
}

std::string WriteMinutes(const RuleDef& rule) {
    return DurationText(rule.Minutes);
}

std::string AlbumSentence(const RuleDef& rule, const FormatSettings&) {
    return Format(tr("No two tracks of one album within %0:s"), DurationWords(rule.Minutes));
}

std::string TitleSentence(const RuleDef& rule, const FormatSettings&) {
    return Format(tr("No two tracks of the same title within %0:s"), DurationWords(rule.Minutes));
}

RuleVerdict SameWithin(const JudgedRule& rule, const RuleCandidate& candidate, TDateTime slot,
                       const PlayHistory& plays) {
    if (candidate.Keys == nullptr) {
        return {};
    }
    const bool album = rule.Def.Kind == RuleKind::Album;
    const std::uint32_t key = album ? candidate.Keys->Album : candidate.Keys->Title;
    // Other tracks of the album or title are kept apart; the track itself is the song
    // interval's.
    const KeyPlay* other = LatestWithin(
        plays.PlaysOf(album ? PlayHistory::Key::Album : PlayHistory::Key::Title, key), slot,
        rule.Def.Minutes, [&](const KeyPlay& p) { return p.Track != candidate.Keys->Track; });
    return other != nullptr ? MinutesBroken(*other, slot, rule.Def.Minutes) : RuleVerdict{};
}

RuleDef ThreeHours() {
    RuleDef rule;
    rule.Minutes = 3 * 60;
    return rule;
}

constexpr RuleForm MinutesForm() {
    RuleForm form;
    form.Minutes = true;
    return form;
}

}  // namespace

constinit const KindDescriptor kAlbum{RuleKind::Album, "album",       N_("Album separation"),
                                      MinutesForm(),   ThreeHours,    ReadMinutes,
                                      WriteMinutes,    AlbumSentence, LimitMinutes,
                                      MinutesLookBack, SameWithin,    InMinutes,
                                      nullptr};

constinit const KindDescriptor kTitle{RuleKind::Title, "title",       N_("Title separation"),
                                      MinutesForm(),   ThreeHours,    ReadMinutes,
                                      WriteMinutes,    TitleSentence, LimitMinutes,
                                      MinutesLookBack, SameWithin,    InMinutes,
                                      nullptr};

}  // namespace spindle::kinds
