#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "base/datetime.h"
#include "library/artists.h"
#include "library/file_rec.h"

namespace spindle {

// A track drawn for a slot: where it stood in the play order, and, while it is being
// checked, its artists' records (none when none could be looked up).
struct Candidate {
    FileRec Entry;
    std::size_t Position = 0;
    std::span<ArtistRec* const> Artists;
};

// What one rule says of a candidate for a slot.
struct Verdict {
    bool Broken = false;
    // The play that broke it, the one nearest the slot, and how far inside the interval
    // it fell; none when the rule could not be checked at all.
    std::optional<TDateTime> PreviousPlay;
    double MinutesInside = 0.0;
};

// A rule a selection keeps unless every candidate breaks one.
class RepeatRule {
public:
    virtual ~RepeatRule() = default;
    // As the relaxed-rule report names it.
    virtual const char* Name() const = 0;
    // The warning's hint when the rule is what blocked the selection.
    virtual const char* Hint() const = 0;
    virtual Verdict Check(const Candidate& candidate, TDateTime slot) const = 0;
};

using RuleList = std::vector<std::unique_ptr<const RepeatRule>>;

// A play as far from the slot as the interval, on either side. A last use after the slot
// comes from a run of a later period, or of this one before the operator (or a restored
// Options.dat) moved the start back: it keeps its distance too, but it is not "recent"
// for every slot before it, which would leave nothing to choose from.
bool OutsideInterval(TDateTime played, TDateTime slot, double days);

// The track itself played within the interval.
class SongInterval final : public RepeatRule {
public:
    explicit SongInterval(double days) : days_(days) {}
    const char* Name() const override { return "song"; }
    const char* Hint() const override;
    Verdict Check(const Candidate& candidate, TDateTime slot) const override;

private:
    double days_;
};

// Any of the track's artists played within the interval. A track whose artists have no
// record cannot show that it keeps the rule, so it breaks it.
class ArtistInterval final : public RepeatRule {
public:
    explicit ArtistInterval(double days) : days_(days) {}
    const char* Name() const override { return "artist"; }
    const char* Hint() const override;
    Verdict Check(const Candidate& candidate, TDateTime slot) const override;

private:
    double days_;
};

}  // namespace spindle
