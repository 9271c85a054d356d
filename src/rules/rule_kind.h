#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/datetime.h"
#include "base/format_settings.h"
#include "rules/play_history.h"
#include "rules/rule_def.h"
#include "rules/rule_words.h"

// A kind of rule is one descriptor: its keyword and how its line is read and written, the
// fields its form asks for, the sentence an operator reads, how far back it reaches, and
// its verdict on a candidate. Each kind is one file of rules/kinds; the list below it is the
// only place that names them all.

namespace spindle {

// What the form of a kind of rule asks for; the rest of its RuleDef is not used.
struct RuleForm {
    bool Match = false;         // an attribute and one of its values
    bool Next = false;          // Transition: the value that may not follow Match
    bool TrackOrMatch = false;  // Window: one track, or the tracks with Match
    bool ItemsOrTime = false;   // Separation: within Count items, or within Minutes
    bool Count = false;         // Run, Cap, Quota
    bool Minutes = false;       // a span of time
    bool Days = false;          // HourRotation
    bool Of = false;            // Cap: track, artist or album
    bool PerDay = false;        // Cap: per calendar day instead of within Minutes
    bool Window = false;        // dates, weekdays, hours
    bool Share = false;         // Quota: at least or at most, a share or a number of songs
    int MostMinutes = rule_words::kLargest;
};

// What one rule says of a candidate for a slot.
struct RuleVerdict {
    bool Broken = false;
    // Broken because the rule could not be checked at all (an artist without a record).
    bool Unchecked = false;
    // The play that broke it, the one nearest the slot, when a play did.
    std::optional<TDateTime> PreviousPlay;
    // By how much, in the rule's unit: minutes inside an interval, items too near, plays
    // over a cap.
    double Amount = 0.0;
};

// A track a rule judges: its path, its keys (none when the station knows nothing of it) and
// its artists' records (none when none could be looked up).
struct RuleCandidate {
    std::string_view Path;
    const TrackKeys* Keys = nullptr;
    std::span<ArtistRec* const> Artists;
};

// A rule as a run judges by it: as the operator set it, with its values numbered.
struct JudgedRule {
    const RuleDef& Def;
    std::uint32_t Match = 0;
    std::uint32_t Next = 0;
};

struct KindDescriptor {
    RuleKind Kind;
    const char* Keyword;  // the rules file's
    const char* Name;     // the operator's, untranslated
    RuleForm Form;
    // A new rule's values; its Kind is set from the descriptor's.
    RuleDef (*Fresh)();
    // Reads the line's words after the keyword into `rule`; throws rule_words::LineError.
    void (*Read)(rule_words::Reader& reader, RuleDef& rule);
    // The line's words after the keyword, "" for none.
    std::string (*Write)(const RuleDef& rule);
    std::string (*Sentence)(const RuleDef& rule, const FormatSettings& settings);
    // Throws rule_words::LineError when the rule reaches further than a run reads.
    void (*Limit)(const RuleDef& rule);
    // The days of airings before a run the rule looks back at.
    double (*LookBack)(const RuleDef& rule);
    // None for the repeat intervals, which the run judges by the last uses it keeps.
    RuleVerdict (*Judge)(const JudgedRule& rule, const RuleCandidate& candidate, TDateTime slot,
                         const PlayHistory& plays);
    // What a verdict's amount counts, untranslated.
    const char* (*Unit)(const RuleDef& rule);
    // How the hour being filled, once its last song is in, breaks the rule, in the
    // operator's words ("" when it keeps it); none for a kind that judges each song alone.
    std::string (*HourEnd)(const JudgedRule& rule, const PlayHistory& plays);
};

// The descriptor of a kind.
const KindDescriptor& DescriptorOf(RuleKind kind);
// Every kind, the repeat intervals first, then in the order a form offers them.
std::span<const KindDescriptor* const> RuleKinds();
// The kind a keyword names, or none.
const KindDescriptor* KindOfKeyword(std::string_view keyword);

}  // namespace spindle
