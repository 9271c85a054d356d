#include <algorithm>

#include "base/format.h"
#include "base/translate.h"
#include "rules/kinds/kind_parts.h"

// A content quota: at least, or at most, so many of each hour's songs with a value, as a
// share of them ("30%") or as a number. It looks back at the hour's songs so far and ahead
// at the songs its Rotation still plans: a song without the value breaks "at least" once
// the slots left could no longer make up the share, and one with it breaks "at most" once
// the hour holds as many as it may.

namespace spindle::kinds {
namespace {

void Read(rule_words::Reader& reader, RuleDef& rule) {
    rule.Match = ReadMatch(reader);
    reader.OneOf("\"at\"", {"at"});
    rule.AtMost = reader.OneOf(tr("\"least\" or \"most\""), {"least", "most"}) == "most";
    const std::string amount = reader.Word(tr("a number of songs, or a share of them (\"30%\")"));
    rule.Percent = !amount.empty() && amount.back() == '%';
    if (!rule.Percent) {
        rule.Count = rule_words::WholeNumber(amount);
        return;
    }
    try {
        rule.Count = rule_words::WholeNumber(amount.substr(0, amount.size() - 1));
    } catch (const rule_words::LineError&) {
        rule.Count = 0;
    }
    if (rule.Count < 1 || rule.Count > 100) {
        throw rule_words::LineError{
            Format(tr("a share of the hour's songs is from 1%% to 100%%, not \"%0:s\""), amount)};
    }
}

std::string Write(const RuleDef& rule) {
    return MatchText(rule.Match) + (rule.AtMost ? " at most " : " at least ") +
           std::to_string(rule.Count) + (rule.Percent ? "%" : "");
}

std::string Sentence(const RuleDef& rule, const FormatSettings&) {
    const std::string songs = MatchWords(rule.Match);
    if (rule.Percent) {
        return Format(rule.AtMost ? tr("At most %0:d%% of each hour's songs with %1:s")
                                  : tr("At least %0:d%% of each hour's songs with %1:s"),
                      rule.Count, songs);
    }
    return Format(rule.AtMost ? tr("At most %0:s with %1:s in each hour")
                              : tr("At least %0:s with %1:s in each hour"),
                  Counted(rule.Count, N_("%0:d song"), N_("%0:d songs")), songs);
}

// How many songs of an hour of `songs` the rule's number comes to: a share rounds up for
// "at least" and down for "at most", so the hour keeps the rule as written.
int Songs(const RuleDef& rule, int songs) {
    if (!rule.Percent) {
        return rule.AtMost ? rule.Count : std::min(rule.Count, songs);
    }
    const long long share = static_cast<long long>(rule.Count) * songs;
    return static_cast<int>(rule.AtMost ? share / 100 : (share + 99) / 100);
}

RuleVerdict Judge(const JudgedRule& rule, const RuleCandidate& candidate, TDateTime,
                  const PlayHistory& history) {
    const HourSongs hour = history.SongsThisHour(rule.Match);
    if (history.Hour() < 0) {
        return {};  // no hour being filled: nothing to weigh the share by
    }
    const bool has = HasValue(candidate.Keys, rule.Match);
    const int songs = hour.Played + 1 + hour.After;  // the hour's, with this one
    if (rule.Def.AtMost) {
        const int over = hour.WithValue + 1 - Songs(rule.Def, songs);
        return has && over > 0 ? RuleVerdict{true, false, std::nullopt, static_cast<double>(over)}
                               : RuleVerdict{};
    }
    // Without the value, this song leaves only the slots after it to reach the share.
    const int short_ = Songs(rule.Def, songs) - (hour.WithValue + hour.After);
    return !has && short_ > 0 ? RuleVerdict{true, false, std::nullopt, static_cast<double>(short_)}
                              : RuleVerdict{};
}

// The hour as it ended: its songs are all in.
std::string HourEnd(const JudgedRule& rule, const PlayHistory& history) {
    const HourSongs hour = history.SongsThisHour(rule.Match);
    if (history.Hour() < 0 || hour.Played == 0) {
        return {};
    }
    const int songs = Songs(rule.Def, hour.Played);
    if (rule.Def.AtMost ? hour.WithValue <= songs : hour.WithValue >= songs) {
        return {};
    }
    return Format(rule.Def.AtMost ? tr("%0:d of its %1:d songs have %2:s, more than %3:d")
                                  : tr("%0:d of its %1:d songs have %2:s, fewer than %3:d"),
                  hour.WithValue, hour.Played, MatchWords(rule.Def.Match), songs);
}

const char* Unit(const RuleDef&) {
    return N_("songs");
}

constexpr RuleForm Form() {
    RuleForm form;
    form.Match = form.Count = form.Share = true;
    return form;
}

RuleDef Fresh() {
    RuleDef rule;
    rule.Count = 30;
    rule.Percent = true;
    return rule;
}

}  // namespace

constinit const KindDescriptor kQuota{
    RuleKind::Quota, "quota", N_("Content quota"), Form(), Fresh, Read,   Write,
    Sentence,        NoLimit, DayLookBack,         Judge,  Unit,  HourEnd};

}  // namespace spindle::kinds
