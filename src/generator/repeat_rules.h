#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/datetime.h"
#include "base/format_settings.h"
#include "rules/rule_kind.h"
#include "station/artists.h"
#include "station/file_rec.h"

namespace spindle {

struct TrackKeys;   // rules/play_history.h
struct LaterPlays;  // generator/later_plays.h

// A track drawn for a slot: where it stood in the play order, and, while it is being
// checked, its artists' records (none when none could be looked up) and what the station
// knows of it (none when nothing).
struct Candidate {
    FileRec Entry;
    std::size_t Position = 0;
    std::span<ArtistRec* const> Artists;
    const TrackKeys* Facts = nullptr;
};

// A rule a selection keeps unless every candidate breaks one.
class RepeatRule {
public:
    virtual ~RepeatRule() = default;
    // As the relaxed-rule report names it.
    virtual std::string Name() const = 0;
    // The warning's hint when the rule is what blocked the selection, naming the rule by
    // its sentence.
    virtual std::string Hint(const FormatSettings& settings) const;
    // What a verdict's Amount counts, as the report writes it.
    virtual std::string Unit() const;
    // The rule the warning names unless another blocked most of the draws.
    virtual bool UsualCause() const { return false; }
    // Whether the rule reads the tracks' last uses, stamped by the hour's own clock (each
    // hour from its start), rather than the plays the run looks back at, timed by the
    // running clock (an hour that ran over pushes the next one on).
    virtual bool ByLastUse() const { return false; }
    // Whether the rule weighs the songs of the hour being filled together (a quota).
    virtual bool PerHour() const { return false; }
    // `slot` is on the clock the rule reads.
    virtual RuleVerdict Check(const Candidate& candidate, TDateTime slot) const = 0;
};

using RuleList = std::vector<std::unique_ptr<const RepeatRule>>;

// A play as far from the slot as the interval, on either side. A last use after the slot
// comes from a run of a later period, or of this one before the operator (or a restored
// Options.dat) moved the start back: it keeps its distance too, but it is not "recent"
// for every slot before it, which would leave nothing to choose from.
bool OutsideInterval(TDateTime played, TDateTime slot, double days);

// A rule's line as the operator reads it: its sentence; the line itself when it is not
// one a rules file holds.
std::string RuleWords(const std::string& line, const FormatSettings& settings);

// The track itself played within the interval; with later plays, also a play of it that
// follows within the interval.
class SongInterval final : public RepeatRule {
public:
    explicit SongInterval(double days, const LaterPlays* later = nullptr)
        : days_(days), later_(later) {}
    std::string Name() const override { return "song"; }
    std::string Hint(const FormatSettings& settings) const override;
    bool UsualCause() const override { return true; }
    bool ByLastUse() const override { return true; }
    RuleVerdict Check(const Candidate& candidate, TDateTime slot) const override;

private:
    double days_;
    const LaterPlays* later_;
};

// Any of the track's artists played within the interval (or, with later plays, plays
// within it after). A track whose artists have no record cannot show that it keeps the
// rule, so it breaks it.
class ArtistInterval final : public RepeatRule {
public:
    explicit ArtistInterval(double days, const LaterPlays* later = nullptr)
        : days_(days), later_(later) {}
    std::string Name() const override { return "artist"; }
    std::string Hint(const FormatSettings& settings) const override;
    bool ByLastUse() const override { return true; }
    RuleVerdict Check(const Candidate& candidate, TDateTime slot) const override;

private:
    double days_;
    const LaterPlays* later_;
};

}  // namespace spindle
