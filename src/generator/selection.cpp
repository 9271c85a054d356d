#include "generator/selection.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/format.h"
#include "base/format_datetime.h"
#include "base/translate.h"
#include "fileinfo/name_conventions.h"
#include "station/group_ops.h"

namespace spindle {
namespace {

// How many tracks that keep every rule the hour fit weighs.
constexpr std::size_t kFitCandidates = 36;
// A miss this small counts as on time: the first such track in line plays.
constexpr double kFitSlack = 10.0;

Pick LeftOut() {
    Pick none;
    none.LeftOut = true;
    return none;
}

double PlayedSeconds(const FileRec& f, const TCategoryDetails& c, const Fit& fit) {
    const unsigned seconds = f.Duration != 0 ? f.Duration : c.AverageTime;
    return seconds -
           ItemCrossfade(f.FileName, seconds, fit.Crossfade, fit.CrossfadeFromName).Seconds;
}

// The play order ends with few drawn: the next one starts with the tracks drawn, in their
// order, so that they keep their turn, and the draw goes on.
// Between two candidates that break the same rules: the one that breaks the most important
// of the station's rules by less, else the one played longer ago (`older`). The repeat
// intervals' amounts follow from the last uses, which decide for them as they always have.
bool BreaksLess(std::span<const RepeatRule* const> rules, const std::vector<RuleVerdict>& these,
                const std::vector<RuleVerdict>& those, bool older) {
    for (std::size_t k = 0; k < rules.size(); ++k) {
        if (these[k].Broken && !rules[k]->ByLastUse() && these[k].Amount != those[k].Amount) {
            return these[k].Amount < those[k].Amount;
        }
    }
    return older;
}

void CarryDrawn(TCategoryDetails& c, std::vector<Candidate>& drawn, RandomSource& random) {
    ShuffleFiles(c, random);
    for (std::size_t k = 0; k < drawn.size(); ++k) {
        const auto at =
            static_cast<std::size_t>(std::max(0, FindFileIndex(c, drawn[k].Entry.FileName)));
        std::rotate(c.Files.begin() + static_cast<std::ptrdiff_t>(k),
                    c.Files.begin() + static_cast<std::ptrdiff_t>(at),
                    c.Files.begin() + static_cast<std::ptrdiff_t>(at) + 1);
        drawn[k].Position = k;
    }
    for (std::size_t k = 0; k < c.Files.size(); ++k) {
        c.Files[k].Index = static_cast<std::int32_t>(k);  // as a shuffle leaves them
    }
    c.NextItem = static_cast<std::uint32_t>(drawn.size());
}

// The pick plays in the first drawn track's turn; that track and the others drawn after
// it keep their order and stand next in line.
void PlayInFirstTurn(TCategoryDetails& c, std::size_t first, Candidate& chosen) {
    auto files = c.Files.begin();
    std::vector<std::int32_t> indexes;
    for (std::size_t k = first; k <= chosen.Position; ++k) {
        indexes.push_back(c.Files[k].Index);
    }
    std::rotate(files + static_cast<std::ptrdiff_t>(first),
                files + static_cast<std::ptrdiff_t>(chosen.Position),
                files + static_cast<std::ptrdiff_t>(chosen.Position) + 1);
    for (std::size_t k = 0; k < indexes.size(); ++k) {
        c.Files[first + k].Index = indexes[k];  // positions keep their numbers
    }
    chosen.Position = first;
    c.NextItem = static_cast<std::uint32_t>(first + 1);
}

// How near its end an hour can still come when `left` seconds are left for the tracks
// after a pick, with `fit.SlotsAfter` rotation slots to come and the top-up after them,
// choosing among tracks of the given lengths (or the Category's, beyond them).
double EndMiss(double left, const Fit& fit, std::vector<double>& lengths) {
    if (fit.SlotsAfter == 0 && left <= fit.ToleranceSeconds) {
        return std::fabs(left);  // the hour ends here
    }
    std::sort(lengths.begin(), lengths.end());
    const std::size_t n = lengths.size();
    double best = std::numeric_limits<double>::infinity();
    double shortest = 0.0;  // the k shortest and longest together
    double longest = 0.0;
    for (std::size_t k = 1;; ++k) {
        shortest += k <= n ? lengths[k - 1] : fit.Shortest;
        longest += k <= n ? lengths[n - k] : fit.Longest;
        if (k < static_cast<std::size_t>(fit.SlotsAfter)) {
            continue;
        }
        double miss = left < shortest ? shortest - left : std::max(0.0, left - longest);
        if (k == 1 && n > 0) {
            const auto at = std::lower_bound(lengths.begin(), lengths.end(), left);
            miss = std::min(at == lengths.end() ? left - lengths.back() : *at - left,
                            at == lengths.begin() ? lengths.front() - left : left - *(at - 1));
        } else if (k == 2 && n > 1 && miss == 0.0) {
            // Two of them: the pair nearest, as two pointers walk the sorted lengths.
            miss = std::numeric_limits<double>::infinity();
            for (std::size_t i = 0, j = n - 1; i < j;) {
                const double sum = lengths[i] + lengths[j];
                miss = std::min(miss, std::fabs(left - sum));
                sum < left ? ++i : --j;
            }
        }
        best = std::min(best, miss);
        if (shortest >= left || best == 0.0 || fit.Shortest <= 0.0) {
            return best;  // more tracks only end it later
        }
    }
}

}  // namespace

double SongDays(const TCategoryDetails& c, const RunSettings& settings) {
    return (c.SongRepeatOption == kRepeatSpecify ? c.SongRepeatInterval : settings.SongInterval) /
           kMinutesPerDay;
}

double ArtistDays(const TCategoryDetails& c, const RunSettings& settings) {
    return (c.ArtistRepeatOption == kRepeatSpecify ? c.ArtistRepeatInterval
                                                   : settings.ArtistInterval) /
           kMinutesPerDay;
}

bool TrackSelector::LookupArtist(const std::string& path) {
    if (uses_ != nullptr) {
        state_.CurrentArtists = uses_->ArtistsOf(path);
        return !state_.CurrentArtists.empty();
    }
    if (const auto known = artistsOfPath_.find(path); known != artistsOfPath_.end()) {
        state_.CurrentArtists = known->second;
        return true;
    }
    state_.CurrentArtists.clear();
    bool allDirect = true;
    for (const ArtistKey& key :
         ResolveArtists(path, settings_.Names, station_.Related, station_.Artists)) {
        if (!key.Direct) {
            allDirect = false;
            report_.Message(Format(tr("Error: Related Artist \"%0:s\" not found.  Using \"%1:s\"."),
                                   key.Group, key.Artist),
                            false);
        }
        ArtistRec* record = station_.Artists.Find(key.Key());
        if (record == nullptr) {
            report_.Message(Format(tr("Error 02: \"%0:s\" not found."), key.Artist), false);
            continue;
        }
        state_.CurrentArtists.push_back(record);
    }
    // Only a lookup that found its records at once is remembered: the others are
    // reported every time they happen.
    if (allDirect) {
        artistsOfPath_.emplace(path, state_.CurrentArtists);
    }
    return !state_.CurrentArtists.empty();
}

void TrackSelector::NoteUse(FileRec& entry, TDateTime newLastUsed) {
    if (entry.LastUsed == entry.SavedLastUsed) {
        ++state_.TracksUsed;
    }
    const TDateTime previous = entry.LastUsed;
    entry.LastUsed = newLastUsed;
    if (uses_ != nullptr) {
        uses_->Picked(entry, previous);
    }
    for (ArtistRec* r : state_.CurrentArtists) {
        if (r->LastPlayed == r->SavedLastPlayed) {
            ++state_.ArtistsUsed;
        }
        r->LastPlayed = entry.LastUsed;
    }
}

Pick TrackSelector::SelectTrack(TCategoryDetails& c, TDateTime t, const Fit* fit) {
    if (c.Files.empty()) {
        return {};
    }
    if (fit != nullptr && fit->MayLeaveOut &&
        (fit->LeftSeconds <= 0.0 || fit->Shortest > 2.0 * fit->LeftSeconds)) {
        // Past the end, or too near it for even the shortest track: the slot is left out
        // before any track loses its turn.
        return LeftOut();
    }
    long bias = 0;
    if (settings_.NewerTracks > 0) {
        const double b = 2.0 * settings_.NewerTracks;
        const auto top = static_cast<long>(
            b + std::nearbyint(b * b * static_cast<double>(c.Files.size() - 1) / 10000.0));
        bias = static_cast<long>(station_.Random.Below(static_cast<std::uint32_t>(top + 1)));
    }
    const Rules rules = RulesOf(c);

    // The bias weighs a few more than one: the newest of them plays.
    const std::size_t wanted = fit != nullptr ? kFitCandidates
                               : bias < 2     ? 1
                                              : static_cast<std::size_t>(bias) + 1;
    Draw& draw = DrawCandidates(c, t, rules, wanted, fit != nullptr);
    if (draw.Stopped) {
        return {};
    }
    std::optional<Candidate> chosen;
    if (draw.Clean.empty()) {
        chosen = Relax(c, t, draw, rules);
    } else if (fit != nullptr) {
        chosen = ChooseFit(c, *fit, draw);
        if (!chosen) {
            return LeftOut();
        }
    } else if (bias >= 2) {
        chosen = draw.Clean.front();
        for (const Candidate& cand : draw.Clean) {
            if (cand.Entry.FileDate > chosen->Entry.FileDate) {
                chosen = cand;
            }
        }
        LookupArtist(chosen->Entry.FileName);
    } else {
        chosen = std::move(draw.Clean.front());  // the last drawn: its artists are current
    }
    return chosen ? Take(c, *chosen, t) : Pick{};
}

TrackSelector::Draw& TrackSelector::DrawCandidates(TCategoryDetails& c, TDateTime t, Rules rules,
                                                   std::size_t wanted, bool fitting) {
    Draw& draw = draw_;
    draw.Clean.clear();
    draw.Rejected.clear();
    draw.RejectedArtists.clear();
    draw.Relaxed.reset();
    draw.Stopped = false;
    draw.Blocked.assign(rules.size(), 0);
    draw.Verdicts.resize(rules.size());
    draw.Start = c.NextItem;
    const std::size_t n = c.Files.size();
    draw.Attempts = 2 * n;
    bool carried = false;
    for (std::size_t attempt = 0; attempt < draw.Attempts; ++attempt) {
        if (fitting && c.NextItem >= n) {
            if (carried) {
                break;
            }
            draw.Start = 0;
            if (!draw.Clean.empty()) {
                CarryDrawn(c, draw.Clean, station_.Random);
                carried = true;
            }
        }
        auto taken = TakeNextTrack(c, station_.Random);
        Candidate cand{std::move(*taken), c.NextItem - 1, {}, nullptr};
        if (uses_ != nullptr) {
            cand.Entry.LastUsed = uses_->Of(cand.Entry);
        }
        LookupArtist(cand.Entry.FileName);
        cand.Artists = state_.CurrentArtists;
        if (rules_ != nullptr && rules_->Any()) {
            cand.Facts = rules_->FactsOf(cand.Entry.FileName);
        }
        // The first rule broken rejects it: the rest matter only if no candidate keeps
        // every rule, and are checked then.
        const bool clean = std::none_of(rules.begin(), rules.end(), [&](const RepeatRule* rule) {
            return rule->Check(cand, rule->ByLastUse() ? t : onAir_).Broken;
        });
        cand.Artists = {};  // the look-up's, which the next one replaces
        if (clean) {
            draw.Clean.push_back(std::move(cand));
            if (draw.Clean.size() == wanted) {
                break;
            }
        } else {
            draw.Rejected.push_back(std::move(cand));
            draw.RejectedArtists.push_back(state_.CurrentArtists);  // as looked up, once
        }
        if (report_.Stopped()) {
            draw.Stopped = true;
            break;
        }
    }
    if (draw.Clean.empty() && !draw.Stopped) {
        JudgeRejected(t, rules);
    }
    return draw;
}

// Every rule each rejected candidate breaks, and by how much, in the order they were
// drawn: the least breaking one is the one to relax for, and the rules that blocked the
// most draws are what the warning names.
void TrackSelector::JudgeRejected(TDateTime t, Rules rules) {
    Draw& draw = draw_;
    std::vector<RuleVerdict>& verdicts = draw.Verdicts;
    for (std::size_t n = 0; n < draw.Rejected.size(); ++n) {
        Candidate& cand = draw.Rejected[n];
        cand.Artists = draw.RejectedArtists[n];
        std::uint64_t broken = 0;
        for (std::size_t k = 0; k < rules.size(); ++k) {
            verdicts[k] = rules[k]->Check(cand, rules[k]->ByLastUse() ? t : onAir_);
            if (verdicts[k].Broken) {
                // Beyond 64 rules, the most important ones share the top bit.
                broken |= std::uint64_t{1} << std::min<std::size_t>(rules.size() - 1 - k, 63);
                draw.Blocked[k] += verdicts[k].Unchecked ? 0 : 1;
            }
        }
        cand.Artists = {};
        if (!draw.Relaxed || broken < draw.RelaxedBroken ||
            (broken == draw.RelaxedBroken &&
             BreaksLess(rules, verdicts, draw.RelaxedVerdicts,
                        cand.Entry.LastUsed < draw.Relaxed->Entry.LastUsed))) {
            draw.Relaxed = std::move(cand);
            draw.RelaxedBroken = broken;
            draw.RelaxedVerdicts = verdicts;
        }
    }
}

// The first track in line after which the hour can still end on time with the tracks
// drawn, else the one that ends it nearest; none, leaving the slot out and putting back
// what was drawn, when leaving it out is nearer still.
std::optional<Candidate> TrackSelector::ChooseFit(TCategoryDetails& c, const Fit& fit,
                                                  const Draw& draw) {
    const std::vector<Candidate>& drawn = draw.Clean;
    std::vector<double> lengths;
    std::vector<std::vector<ArtistRec*>> artists;
    for (const Candidate& cand : drawn) {
        lengths.push_back(PlayedSeconds(cand.Entry, c, fit));
        LookupArtist(cand.Entry.FileName);
        artists.push_back(state_.CurrentArtists);
    }
    std::size_t best = 0;
    double bestMiss = std::numeric_limits<double>::infinity();
    std::vector<double> pool;
    for (std::size_t k = 0; k < drawn.size() && bestMiss > kFitSlack; ++k) {
        // The next slots choose among the others drawn, bar those of its artists.
        pool.clear();
        for (std::size_t o = 0; o < drawn.size(); ++o) {
            if (o != k && std::none_of(artists[o].begin(), artists[o].end(), [&](auto* a) {
                    return std::find(artists[k].begin(), artists[k].end(), a) != artists[k].end();
                })) {
                pool.push_back(lengths[o]);
            }
        }
        const double miss = EndMiss(fit.LeftSeconds - lengths[k], fit, pool);
        if (k == 0 || miss < bestMiss) {
            best = k;
            bestMiss = miss;
        }
    }
    if (fit.MayLeaveOut && std::fabs(fit.LeftSeconds) <= bestMiss) {
        c.NextItem = static_cast<std::uint32_t>(draw.Start);  // nothing drawn loses its turn
        return std::nullopt;
    }
    Candidate chosen = drawn[best];
    PlayInFirstTurn(c, drawn.front().Position, chosen);
    LookupArtist(chosen.Entry.FileName);
    return chosen;
}

// Nothing keeps every rule: with the operator's leave, or nobody there to ask, the
// draw's least breaking candidate plays, and each rule it breaks is recorded.
std::optional<Candidate> TrackSelector::Relax(const TCategoryDetails& c, TDateTime t,
                                              const Draw& draw, Rules rules) {
    if (!WarnBlocked(c, t, draw, rules) || !draw.Relaxed) {
        return std::nullopt;
    }
    const Candidate& chosen = *draw.Relaxed;
    LookupArtist(chosen.Entry.FileName);
    for (std::size_t k = 0; k < rules.size(); ++k) {
        const RuleVerdict& v = draw.RelaxedVerdicts[k];
        if (v.Broken && !v.Unchecked) {
            state_.Relaxed.push_back({t, c.Name, rules[k]->Name(), chosen.Entry.FileName,
                                      v.PreviousPlay.value_or(0.0), v.Amount, rules[k]->Unit()});
        }
    }
    return chosen;
}

// Reports the selection error and, when someone is there to ask, whether to go on; false
// when the run is cancelled.
bool TrackSelector::WarnBlocked(const TCategoryDetails& c, TDateTime t, const Draw& draw,
                                Rules rules) {
    const std::string line = Format(tr("Selection error on Category \"%0:s\" for %1:s"), c.Name,
                                    FormatDateTime("dddd t", t, station_.Settings()));
    report_.Problem(line);
    if (report_.Unattended() || state_.Warning == WarningAnswer::YesToAll) {
        return true;
    }
    // The hint names each rule the pick that would play breaks, as the relaxed-rule
    // report will: those are the rules the operator may loosen.
    std::string hints;
    if (draw.Relaxed) {
        for (std::size_t k = 0; k < rules.size(); ++k) {
            const RuleVerdict& v = draw.RelaxedVerdicts[k];
            if (v.Broken && !v.Unchecked) {
                hints += (hints.empty() ? "" : "\n") + rules[k]->Hint(station_.Settings());
            }
        }
    }
    if (hints.empty()) {
        const auto usual = std::find_if(rules.begin(), rules.end(),
                                        [](const RepeatRule* r) { return r->UsualCause(); });
        hints = (usual != rules.end() ? *usual : rules.front())->Hint(station_.Settings());
    }
    const std::string text = line + "\n" +
                             tr("Cannot select a file due to Repeat Interval constraints.") +
                             "\n\n" + hints + "\n\n" + tr("Do you wish to Ignore the warning?");
    const Answer answer = report_.Op().Show(MessageKind::Warning, text, Buttons::YesCancelYesToAll);
    state_.Warning = answer == Answer::Yes        ? WarningAnswer::Yes
                     : answer == Answer::YesToAll ? WarningAnswer::YesToAll
                                                  : WarningAnswer::Cancel;
    return state_.Warning != WarningAnswer::Cancel;
}

void TrackSelector::NotePlayed(const TCategoryDetails& c, const FileRec& entry) {
    if (rules_ != nullptr && rules_->Any()) {
        rules_->History().Add({onAir_, entry.FileName, c.Name, rules_->FactsOf(entry.FileName),
                               state_.CurrentArtists});
    }
}

TrackSelector::Rules TrackSelector::RulesOf(const TCategoryDetails& c) {
    auto known = rulesOf_.find(&c);
    if (known == rulesOf_.end()) {
        const double song = SongDays(c, settings_);
        const double artist = ArtistDays(c, settings_);
        static const PlayHistory none;  // the repeat intervals look only at last uses
        RunKeys noKeys;
        CategoryRules made{rules_ != nullptr
                               ? rules_->For(c, song, artist)
                               : MakeRules(EffectiveRules({}, {}), song, artist, none, noKeys),
                           {}};
        for (const auto& rule : made.Owned) {
            made.InOrder.push_back(rule.get());
        }
        known = rulesOf_.emplace(&c, std::move(made)).first;
    }
    return known->second.InOrder;
}

// Counts the pick as used where it stands now: its position still holds it unless a
// reshuffle moved it since.
Pick TrackSelector::Take(TCategoryDetails& c, const Candidate& chosen, TDateTime t) {
    if (std::find(hourCategories_.begin(), hourCategories_.end(), &c) == hourCategories_.end()) {
        hourCategories_.push_back(&c);  // its rules now weigh the hour
    }
    std::size_t index = chosen.Position;
    if (index >= c.Files.size() || c.Files[index].FileName != chosen.Entry.FileName) {
        const int found = FindFileIndex(c, chosen.Entry.FileName);
        if (found < 0) {
            report_.Message(tr("Internal Error 100"), true);
            return {};
        }
        index = static_cast<std::size_t>(found);
    }
    FileRec& entry = c.Files[index];
    NoteUse(entry, t + 0.000002);
    NotePlayed(c, entry);
    return {entry.FileName, entry.Duration != 0 ? entry.Duration : c.AverageTime,
            entry.Duration == 0};
}

void TrackSelector::SetHour(TDateTime hour,
                            std::span<const std::pair<const TCategoryDetails*, int>> songsAfter) {
    if (hour != hour_) {
        hour_ = hour;
        hourCategories_.clear();
    }
    if (rules_ == nullptr) {
        return;
    }
    std::vector<int> after;
    for (const auto& [category, songs] : songsAfter) {
        auto known = quotaValues_.find(category);
        if (known == quotaValues_.end()) {
            known = quotaValues_.emplace(category, rules_->HourValues(*category)).first;
        }
        for (const std::uint32_t value : known->second) {
            if (after.size() <= value) {
                after.resize(value + 1);
            }
            after[value] += songs;
        }
    }
    rules_->History().SetHour(hour, std::move(after));
}

std::vector<std::string> TrackSelector::HourEndBreaks() {
    if (rules_ == nullptr || !rules_->Any()) {
        return {};
    }
    return rules_->HourEndBreaks(hourCategories_);
}

std::vector<TrackSelector::Judged> TrackSelector::JudgeCandidate(TCategoryDetails& c,
                                                                 const FileRec& entry,
                                                                 TDateTime t) {
    const Rules rules = RulesOf(c);
    LookupArtist(entry.FileName);
    Candidate cand{entry, 0, state_.CurrentArtists, nullptr};
    if (uses_ != nullptr) {
        cand.Entry.LastUsed = uses_->Of(entry);
    }
    if (rules_ != nullptr && rules_->Any()) {
        cand.Facts = rules_->FactsOf(entry.FileName);
    }
    std::vector<Judged> judged;
    judged.reserve(rules.size());
    for (const RepeatRule* rule : rules) {
        judged.push_back({rule, rule->Check(cand, rule->ByLastUse() ? t : onAir_)});
    }
    return judged;
}

void TrackSelector::MovePlayed(TDateTime onAir) {
    if (rules_ != nullptr && rules_->Any()) {
        rules_->History().MoveLast(onAir);
    }
}

}  // namespace spindle
