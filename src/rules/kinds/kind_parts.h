#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "base/datetime.h"
#include "base/format_settings.h"
#include "rules/play_history.h"
#include "rules/rule_def.h"
#include "rules/rule_kind.h"
#include "rules/rule_words.h"

// What the kinds of rule are made of: their words in the rules file and in sentences, the
// limits of their reach, and the look-ups their verdicts share.

namespace spindle::kinds {

constexpr double kMinutesEpsilon = 1e-6;

// The rules file's words.
int ReadDuration(rule_words::Reader& reader);  // "90 minutes", "3 hours": in minutes
int DurationMinutes(int number, const std::string& unit);
AttributeMatch ReadMatch(rule_words::Reader& reader);
std::string MatchText(const AttributeMatch& match);
std::string Amount(int number, const char* one, const char* many);  // "3 items"
std::string DurationText(int minutes);                              // "3 hours", "90 minutes"

// The operator's words, translated.
std::string Counted(int number, const char* one, const char* many);  // N_() texts with %0:d
std::string DurationWords(int minutes);
std::string MatchWords(const AttributeMatch& match);

// Throws when `reach` is beyond `most`, naming the limit in `unit` ("items", "days", "hours";
// `most` is in minutes for hours).
void LimitReach(int reach, int most, const char* unit);
// The longest a rule in minutes may reach back: a week.
constexpr int kLongestSpan = 7 * 24 * 60;
void LimitMinutes(const RuleDef& rule);
double MinutesLookBack(const RuleDef& rule);
double DayLookBack(const RuleDef& rule);  // a day, for rules that count items

RuleDef Plain();  // a new rule of a kind without values of its own
void ReadNothing(rule_words::Reader& reader, RuleDef& rule);
std::string WriteNothing(const RuleDef& rule);
void NoLimit(const RuleDef& rule);
const char* InMinutes(const RuleDef& rule);
const char* InItems(const RuleDef& rule);

// Whether a track has the value of that number.
inline bool HasValue(const TrackKeys* keys, std::uint32_t value) {
    return keys != nullptr && keys->Has(value);
}

inline double MinutesBetween(TDateTime earlier, TDateTime later) {
    return (later - earlier) * kMinutesPerDay;
}

inline RuleVerdict ItemsBroken(TDateTime played, double items) {
    return {true, false, played, items};
}

inline RuleVerdict MinutesBroken(const KeyPlay& play, TDateTime slot, int minutes) {
    return {true, false, play.At, minutes - MinutesBetween(play.At, slot)};
}

// The latest of `plays` at or before `slot` and less than `minutes` before it (one exactly
// that far keeps the rule, as it keeps the repeat intervals) that `counts`; none when none.
template <typename Counts>
const KeyPlay* LatestWithin(const std::vector<KeyPlay>& plays, TDateTime slot, double minutes,
                            Counts&& counts) {
    const TDateTime from = slot - (minutes - kMinutesEpsilon) / kMinutesPerDay;
    auto at = std::upper_bound(plays.begin(), plays.end(), slot,
                               [](TDateTime t, const KeyPlay& p) { return t < p.At; });
    while (at != plays.begin() && std::prev(at)->At >= from) {
        --at;
        if (counts(*at)) {
            return &*at;
        }
    }
    return nullptr;
}

// The descriptors, one a file, each made when the program is compiled: a rule read while
// the program starts finds them complete.
extern const KindDescriptor kSong;
extern const KindDescriptor kArtist;
extern const KindDescriptor kAlbum;
extern const KindDescriptor kTitle;
extern const KindDescriptor kSeparation;
extern const KindDescriptor kRun;
extern const KindDescriptor kTransition;
extern const KindDescriptor kWindow;
extern const KindDescriptor kHourRotation;
extern const KindDescriptor kCap;
extern const KindDescriptor kQuota;

}  // namespace spindle::kinds
