#include "generator/station_rules.h"

#include <algorithm>

#include "base/format.h"
#include "base/format_datetime.h"
#include "base/text_case.h"
#include "base/translate.h"
#include "fileinfo/name_conventions.h"
#include "generator/later_plays.h"
#include "rules/rule_def.h"
#include "rules/rule_kind.h"
#include "rules/rule_sentence.h"
#include "station/category_rules.h"
#include "stationdb/station_db.h"

namespace spindle {
namespace {

// Whether a rule also keeps its distance from the plays after what is scheduled, judged in
// the mirror: those that measure distances in time, or in items from a single item. Not a
// window (the slot's own date and time decide), not what follows what, not the hour's share.
bool Mirrors(const RuleDef& def, const LaterPlays& later) {
    switch (def.Kind) {
        case RuleKind::Window:
        case RuleKind::Transition:
            return false;
        case RuleKind::Run:
            return later.SingleItem;
        case RuleKind::Separation:
            return def.Count == 0 || later.SingleItem;
        default:
            return DescriptorOf(def.Kind).HourEnd == nullptr;
    }
}

// A rule the station set beyond the repeat intervals, judged as its kind's descriptor says.
// With later plays, a kind that judges distances (not what follows what, nor the hour's
// share) also judges them in the mirror; the nearer break stands.
class StationRule final : public RepeatRule {
public:
    StationRule(const RuleDef& def, const PlayHistory& history, RunKeys& keys,
                const LaterPlays* later)
        : def_(def),
          kind_(DescriptorOf(def.Kind)),
          history_(history),
          later_(later != nullptr && Mirrors(def, *later) ? later : nullptr),
          match_(keys.Value(def.Match)),
          next_(keys.Value(def.Next)) {}
    std::string Name() const override { return RuleText(def_); }
    std::string Unit() const override { return tr(kind_.Unit(def_)); }
    bool PerHour() const override { return kind_.HourEnd != nullptr; }
    RuleVerdict Check(const Candidate& candidate, TDateTime slot) const override {
        const RuleCandidate judged{candidate.Entry.FileName, candidate.Facts, candidate.Artists};
        if (later_ != nullptr && def_.Kind == RuleKind::Cap && def_.PerDay) {
            return CapBothSides(judged, slot);
        }
        RuleVerdict verdict = kind_.Judge({def_, match_, next_}, judged, slot, history_);
        if (later_ != nullptr) {
            RuleVerdict after =
                kind_.Judge({def_, match_, next_}, judged, later_->Mirror(slot), later_->Mirrored);
            if (after.Broken && (!verdict.Broken || after.Amount > verdict.Amount)) {
                if (after.PreviousPlay) {
                    after.PreviousPlay = later_->Mirror(*after.PreviousPlay);
                }
                verdict = after;
            }
        }
        return verdict;
    }

private:
    // A cap per day counts the plays on both sides of the slot in its day together: a cap of
    // one play asks each side how many it holds (one more than the cap is broken by). A cap
    // over a stretch of minutes is judged on each side alone, as no stretch holds both
    // sides' furthest plays; the tracks after are judged again with the pick among their
    // plays.
    RuleVerdict CapBothSides(const RuleCandidate& judged, TDateTime slot) const {
        RuleDef one = def_;
        one.Count = 1;
        const RuleVerdict before = kind_.Judge({one, match_, next_}, judged, slot, history_);
        RuleVerdict after =
            kind_.Judge({one, match_, next_}, judged, later_->Mirror(slot), later_->Mirrored);
        const double plays =
            (before.Broken ? before.Amount : 0.0) + (after.Broken ? after.Amount : 0.0);
        if (plays < def_.Count) {
            return {};
        }
        RuleVerdict verdict{true, false, before.PreviousPlay, plays + 1 - def_.Count};
        if (!verdict.PreviousPlay && after.PreviousPlay) {
            verdict.PreviousPlay = later_->Mirror(*after.PreviousPlay);
        }
        return verdict;
    }

    RuleDef def_;
    const KindDescriptor& kind_;
    const PlayHistory& history_;
    const LaterPlays* later_;
    std::uint32_t match_ = 0;  // the numbers of Match and Next
    std::uint32_t next_ = 0;
};

std::unique_ptr<const RepeatRule> MakeRule(const RuleDef& def, double songDays, double artistDays,
                                           const PlayHistory& history, RunKeys& keys,
                                           const LaterPlays* later) {
    switch (def.Kind) {
        case RuleKind::Song:
            return std::make_unique<SongInterval>(songDays, later);
        case RuleKind::Artist:
            return std::make_unique<ArtistInterval>(artistDays, later);
        default:
            return DescriptorOf(def.Kind).Judge != nullptr
                       ? std::make_unique<StationRule>(def, history, keys, later)
                       : nullptr;
    }
}

}  // namespace

RuleList MakeRules(const std::vector<RuleDef>& defs, double songDays, double artistDays,
                   const PlayHistory& history, RunKeys& keys, const LaterPlays* later) {
    RuleList rules;
    for (const RuleDef& def : defs) {
        if (auto rule = MakeRule(def, songDays, artistDays, history, keys, later)) {
            rules.push_back(std::move(rule));
        }
    }
    return rules;
}

std::vector<RuleDef> StationRules::Parsed(const std::vector<std::string>& texts,
                                          const std::string& scope, RunReport& report) const {
    std::vector<RuleDef> defs;
    for (const std::string& text : texts) {
        ParsedRule parsed = ParseRule(text);
        if (parsed.Rule) {
            defs.push_back(std::move(*parsed.Rule));
        } else {
            report.Message(Format(tr("The rule \"%0:s\" of \"%1:s\" is left out: %2:s"), text,
                                  scope.empty() ? tr("the station") : scope, parsed.Problem),
                           true);
        }
    }
    return defs;
}

std::string StationRules::Load(Station& station, const RunSettings& settings, RunReport& report) {
    *this = StationRules{};
    names_ = settings.Names;
    settings_ = station.Settings();
    StationDb db(station.DataFolder(), StationDb::Mode::ReadOnly);
    if (!db.IsOpen()) {
        return db.Problem();  // empty: the station has no database, and no rules
    }
    const DbRead<RuleTexts> texts = db.Rules();
    const DbRead<std::vector<AttributeDef>> attributes = db.Attributes();
    if (!texts || !attributes) {
        return !texts ? texts.Problem : attributes.Problem;
    }
    for (const auto& [scope, list] : texts.Value) {
        defs_[scope] = Parsed(list, scope, report);
    }
    for (const std::string& idle : IdleRules(station, defs_, attributes.Value)) {
        report.Problem(idle);
    }
    // Rules are kept under the name the saved Categories give; those of a Category since
    // removed are left out.
    std::erase_if(defs_, [&](const auto& scope) { return !KeepsRulesUnder(station, scope.first); });
    any_ = std::any_of(defs_.begin(), defs_.end(),
                       [](const auto& scope) { return BeyondIntervals(scope.second); });
    if (!any_) {
        return {};
    }
    return LoadPast(db, station, settings);
}

std::string StationRules::LoadPast(StationDb& db, Station& station, const RunSettings& settings) {
    DbRead<TrackFactsByPath> facts = LoadTrackFacts(db);
    if (!facts) {
        return facts.Problem;
    }
    facts_ = std::move(facts.Value);
    const DbRead<std::vector<Airing>> before =
        db.Airings(settings.Start - LookBackDays(), settings.Start);
    if (!before) {
        return before.Problem;
    }
    for (const Airing& airing : before.Value) {
        AddPlay(station, airing.AiredAt, airing.Path, airing.Category);
    }
    return {};
}

void StationRules::AddPlay(Station& station, TDateTime at, const std::string& path,
                           const std::string& category, PlayHistory* into) {
    PlayedTrack play{at, path, category, FactsOf(path), ArtistsOf(station, path)};
    (into != nullptr ? *into : history_).Add(std::move(play));
}

const std::vector<ArtistRec*>& StationRules::ArtistsOf(Station& station, const std::string& path) {
    auto [found, fresh] = artists_.try_emplace(path);
    if (fresh) {
        for (const ArtistKey& key :
             ResolveArtists(path, names_, station.Related, station.Artists)) {
            if (ArtistRec* record = station.Artists.Find(key.Key())) {
                found->second.push_back(record);
            }
        }
    }
    return found->second;
}

// As far back as a rule looks, and a day at least, for rules that count items.
double StationRules::LookBackDays() const {
    if (!any_) {
        return 0.0;
    }
    double days = 1.0;
    for (const auto& [scope, defs] : defs_) {
        for (const RuleDef& r : defs) {
            days = std::max(days, DescriptorOf(r.Kind).LookBack(r));
        }
    }
    return days;
}

std::vector<RuleDef> StationRules::ListOf(const TCategoryDetails& category) const {
    static const std::vector<RuleDef> none;
    const auto own = defs_.find(category.ListName());
    const auto station = defs_.find("");
    return EffectiveRules(own == defs_.end() ? none : own->second,
                          station == defs_.end() ? none : station->second);
}

RuleList StationRules::For(const TCategoryDetails& category, double songDays,
                           double artistDays) const {
    return MakeRules(ListOf(category), songDays, artistDays, history_, keys_, later_);
}

std::vector<std::uint32_t> StationRules::HourValues(const TCategoryDetails& category) {
    std::vector<std::uint32_t> values;
    for (const RuleDef& def : ListOf(category)) {
        if (DescriptorOf(def.Kind).HourEnd != nullptr) {
            values.push_back(keys_.Value(def.Match));
        }
    }
    return values;
}

std::vector<std::string> StationRules::HourEndBreaks(
    const std::vector<const TCategoryDetails*>& categories) {
    std::vector<std::string> lines;
    std::vector<std::string> seen;
    for (const TCategoryDetails* category : categories) {
        for (const RuleDef& def : ListOf(*category)) {
            const KindDescriptor& kind = DescriptorOf(def.Kind);
            const std::string text = RuleText(def);
            if (kind.HourEnd == nullptr ||
                std::find(seen.begin(), seen.end(), text) != seen.end()) {
                continue;
            }
            seen.push_back(text);
            const std::string broken =
                kind.HourEnd({def, keys_.Value(def.Match), keys_.Value(def.Next)}, history_);
            if (!broken.empty()) {
                lines.push_back(Format(
                    tr("The hour from %0:s does not keep the rule \"%1:s\" (%2:s): %3:s."),
                    FormatDateTime("yyyy-mm-dd hh:nn", history_.Hour(), FormatSettings::English()),
                    RuleSentence(def, settings_), text, broken));
            }
        }
    }
    return lines;
}

const TrackKeys* StationRules::FactsOf(const std::string& path) {
    if (const TrackKeys* known = keys_.Find(path)) {
        return known;
    }
    // Numbered when a track is first drawn or looked back at: a large library's other
    // tracks cost nothing.
    static const TrackFacts unknown;
    const auto found = facts_.find(path);
    const TrackFacts& facts = found != facts_.end() ? found->second : unknown;
    // Whose album it is: the album artist the tag names, else its artist, else the file
    // name's.
    const std::string& tagged = !facts.AlbumArtist.empty() ? facts.AlbumArtist : facts.Artist;
    const bool byName = facts.Title.empty() || (!facts.Album.empty() && tagged.empty());
    const ArtistTitle named = byName ? ArtistTitleOfPath(path, names_) : ArtistTitle{};
    return &keys_.Number(path, AlbumKey(facts.Album, tagged.empty() ? named.Artist : tagged),
                         TitleKey(facts.Title.empty() ? named.Title : facts.Title),
                         facts.Attributes);
}

}  // namespace spindle
