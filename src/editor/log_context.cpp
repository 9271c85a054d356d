#include "editor/log_context.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "base/format.h"
#include "base/format_datetime.h"
#include "base/paths.h"
#include "base/translate.h"
#include "generator/repeat_rules.h"
#include "station/group_ops.h"
#include "station/station.h"
#include "stationdb/station_db.h"

namespace spindle {
namespace {

// "22 min" below two hours, else "3 h 5 min", "3 h".
std::string MinutesWords(double minutes) {
    const auto whole = static_cast<long long>(std::lround(std::max(0.0, minutes)));
    if (whole < 120) {
        return Format(tr("%0:d min"), whole);
    }
    return whole % 60 == 0 ? Format(tr("%0:d h"), whole / 60)
                           : Format(tr("%0:d h %1:d min"), whole / 60, whole % 60);
}

}  // namespace

std::string VerdictWords(const RepeatRule& rule, const RuleVerdict& verdict, TDateTime slot,
                         const FormatSettings& settings, const std::string* known) {
    const std::string name = rule.Name();
    if (name == "song" || name == "artist") {
        if (verdict.Unchecked) {
            return tr(
                "the artist is not in the artist list, so the artist interval cannot be "
                "checked");
        }
        const TDateTime played = verdict.PreviousPlay.value_or(slot);
        const double apart = std::fabs(slot - played) * kMinutesPerDay;
        const std::string interval = MinutesWords(apart + verdict.Amount);
        if (played <= slot) {
            return Format(name == "song" ? tr("song played %0:s ago; %1:s apart")
                                         : tr("artist played %0:s ago; %1:s apart"),
                          MinutesWords(apart), interval);
        }
        return Format(name == "song" ? tr("song plays %0:s later; %1:s apart")
                                     : tr("artist plays %0:s later; %1:s apart"),
                      MinutesWords(apart), interval);
    }
    const std::string sentence = known != nullptr ? *known : RuleWords(name, settings);
    const auto amount = static_cast<long long>(std::ceil(verdict.Amount - 1e-9));
    if (amount <= 0) {
        return sentence;
    }
    const std::string unit = rule.Unit();
    if (unit == tr("minutes")) {
        return Format(tr("%0:s: %1:s too near"), sentence, MinutesWords(verdict.Amount));
    }
    if (unit == tr("plays")) {
        return Format(
            amount == 1 ? tr("%0:s: %1:d play too many") : tr("%0:s: %1:d plays too many"),
            sentence, amount);
    }
    if (unit == tr("items")) {
        return Format(
            amount == 1 ? tr("%0:s: %1:d item too near") : tr("%0:s: %1:d items too near"),
            sentence, amount);
    }
    return sentence;
}

std::unordered_map<std::string, TDateTime> LatestAiringsBefore(StationDb& db, TDateTime start) {
    std::unordered_map<std::string, TDateTime> latest;
    if (const DbRead<std::vector<Airing>> aired = db.Airings(start - 31.0, start)) {
        for (const Airing& a : aired.Value) {
            TDateTime& at = latest[a.Path];
            at = std::max(at, a.AiredAt);
        }
    }
    return latest;
}

RulesCache::Key RulesCache::KeyOf(const Station& station, const RunSettings& settings) {
    Key key{&station,
            station.Artists.Revision(),
            settings.Start,
            settings.Start + static_cast<double>(settings.Hours) / 24.0,
            {}};
    for (const char* name : {"Station.db", "Station.db-wal"}) {
        std::error_code ec;
        const std::filesystem::path file = station.DataFolder() / name;
        const std::uintmax_t size = std::filesystem::file_size(file, ec);
        key.Files.emplace_back(ec ? 0 : size, ec ? std::filesystem::file_time_type{}
                                                 : std::filesystem::last_write_time(file, ec));
    }
    return key;
}

StationRules* RulesCache::For(Station& station, const RunSettings& settings, RunReport& report,
                              std::string& problem) {
    const Key key = KeyOf(station, settings);
    if (rules_ != nullptr && key == key_) {
        rules_->History().SetHour(-1.0, {});
        rules_->History().DropFrom(beforeLog_);
        return rules_.get();
    }
    rules_ = std::make_unique<StationRules>();
    problem = rules_->Load(station, settings, report);
    if (!problem.empty()) {
        rules_.reset();
        return nullptr;
    }
    key_ = key;
    beforeLog_ = rules_->History().Size();
    airedBefore_.clear();
    airedAfter_.clear();
    StationDb db(station.DataFolder(), StationDb::Mode::ReadOnly);
    if (db.IsOpen()) {
        airedBefore_ = LatestAiringsBefore(db, settings.Start);
        if (DbRead<std::vector<Airing>> aired = db.Airings(key.End, key.End + 31.0)) {
            airedAfter_ = std::move(aired.Value);
            std::stable_sort(
                airedAfter_.begin(), airedAfter_.end(),
                [](const Airing& a, const Airing& b) { return a.AiredAt < b.AiredAt; });
        }
    }
    return rules_.get();
}

LogContext::LogContext(Station& station, const PlaylistDocument& document, RunReport& report,
                       RulesCache* cache)
    : station_(station),
      document_(document),
      report_(report),
      cache_(cache != nullptr ? *cache : ownCache_) {
    const FormatSettings& fs = station.Settings();
    settings_ = RunSettings::FromOptions(station.Opt, fs);
    settings_.Names = station.Names();
    logStart_ = document.StartDate() + document.StartHour() / 24.0;
    settings_.Start = logStart_;
    settings_.Hours = static_cast<long>(document.Hours().size());
    logEnd_ = logStart_ + static_cast<double>(std::max<long>(settings_.Hours, 1)) / 24.0;
    // The log says how its run kept the clock: "0" set it back each hour.
    const std::string& flag = document.HeaderFlag();
    if (!flag.empty() && flag[0] >= '0' && flag[0] <= '2') {
        settings_.TimeResetPeriod = flag[0] - '0';
    }

    const std::vector<EditorItem>& items = document.Items();
    moments_.resize(items.size());
    LogHour hour{-1, -1};
    TDateTime start = 0.0;
    double offset = 0.0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const EditorItem& item = items[i];
        if (LogHour{item.Day, item.Hour} != hour) {
            hour = {item.Day, item.Hour};
            start = HourStart(hour);
            offset = 0.0;
        }
        moments_[i] = start + offset / kSecondsPerDay;
        if (item.State != EditState::Removed) {
            offset += PlaylistDocument::OnAirSeconds(item, settings_.Crossfade,
                                                     settings_.KorvelCrossfade);
        }
    }
    for (auto& g : station_.SpotGroups) {
        auto& uses = spotUses_.emplace_back(g.get(), std::unordered_map<std::string, TDateTime>{});
        for (const FileRec& f : g->Files) {
            uses.second.emplace(f.FileName, f.LastUsed);
        }
    }
    station_.Artists.ForEach([&](ArtistRec& a) { savedArtists_.emplace_back(&a, a.LastPlayed); });
}

LogContext::~LogContext() {
    Restore();
    if (rules_ != nullptr) {
        rules_->SetLater(nullptr);
        rules_->History().DropFrom(cache_.BeforeLog());
    }
}

void LogContext::Restore() {
    // The earliest change of a record holds what it was before. The play order may have
    // moved the record since.
    for (auto c = changed_.rbegin(); c != changed_.rend(); ++c) {
        const int at = FindFileIndex(*c->Group, c->Path);
        if (at >= 0) {
            c->Group->Files[static_cast<std::size_t>(at)].LastUsed = c->Previous;
        }
    }
    changed_.clear();
    picks_.clear();
    for (auto& [group, uses] : spotUses_) {
        for (FileRec& f : group->Files) {
            if (const auto found = uses.find(f.FileName); found != uses.end()) {
                f.LastUsed = found->second;
            }
        }
    }
    for (const auto& [artist, played] : savedArtists_) {
        artist->LastPlayed = played;
    }
}

std::string LogContext::Load() {
    std::string problem;
    rules_ = cache_.For(station_, settings_, report_, problem);
    if (rules_ == nullptr) {
        return problem;
    }
    rules_->SetLater(&later_);
    selector_ = std::make_unique<TrackSelector>(station_, settings_, state_, report_);
    selector_->UseRules(*rules_);
    selector_->UseLastUses(*this);
    return {};
}

TDateTime LogContext::HourStart(LogHour hour) const {
    return document_.StartDate() + hour.Day + hour.Hour / 24.0;
}

long LogContext::IndexOf(LogHour hour) const {
    return static_cast<long>(hour.Day) * 24 + hour.Hour - document_.StartHour();
}

bool LogContext::ClockResets(LogHour hour) const {
    const long index = IndexOf(hour);
    return index == 0 || settings_.TimeResetPeriod == kPeriodHour ||
           (settings_.TimeResetPeriod == kPeriodDay && index % 24 == 0) || index % 168 == 0;
}

float LogContext::ClockAt(LogHour hour) const {
    const long index = IndexOf(hour);
    if (ClockResets(hour)) {
        return static_cast<float>(index);
    }
    // Where the hour before ended on the run's clock: its first item's time as the log
    // holds it, and its items after.
    const LogHour previous = document_.PreviousHour(hour);
    const auto [first, last] = document_.SpanOfHours(previous, previous);
    const std::vector<EditorItem>& items = document_.Items();
    std::optional<double> clock;
    double seconds = 0.0;
    for (std::size_t i = first; i < last; ++i) {
        const EditorItem& item = items[i];
        if (item.State == EditState::Removed) {
            continue;
        }
        if (!clock && !item.TimeText.empty() && !PlaylistDocument::IsTimed(item)) {
            clock = ReadDataFloat(item.TimeText, station_.Settings());
        }
        seconds +=
            PlaylistDocument::OnAirSeconds(item, settings_.Crossfade, settings_.KorvelCrossfade);
    }
    return static_cast<float>(clock.value_or(static_cast<double>(index - 1)) + seconds / 3600.0);
}

double LogContext::ReachDays(bool artistOnly) const {
    double days = artistOnly ? 0.0 : rules_->LookBackDays();
    for (const auto& c : station_.Categories) {
        days = std::max(days, ArtistDays(*c, settings_));
        if (!artistOnly) {
            days = std::max(days, SongDays(*c, settings_));
        }
    }
    return days;
}

std::vector<LogPlay> LogContext::PlaysOf(std::size_t first, std::size_t last) const {
    std::vector<LogPlay> plays;
    const std::vector<EditorItem>& items = document_.Items();
    for (std::size_t i = first; i < last && i < items.size(); ++i) {
        if (items[i].State != EditState::Removed && items[i].Type == kItemTrack) {
            plays.push_back({moments_[i], items[i].Path, items[i].GroupName});
        }
    }
    return plays;
}

TDateTime LogContext::BeforeCut(const std::string& path) const {
    if (const auto found = logBefore_.find(path); found != logBefore_.end()) {
        return found->second;
    }
    const auto found = preLog_.find(path);
    return found != preLog_.end() ? found->second : 0.0;
}

TDateTime LogContext::Of(const FileRec& entry) const {
    if (const auto picked = picks_.find(entry.FileName); picked != picks_.end()) {
        return picked->second;
    }
    if (const auto found = logBefore_.find(entry.FileName); found != logBefore_.end()) {
        return found->second;
    }
    // A use inside the log's span is the log's own, which the log tells better; one after
    // it is a later run's, and keeps its distance as it is.
    TDateTime used = entry.LastUsed;
    if (used >= logStart_ && used < logEnd_) {
        used = entry.SavedLastUsed < logStart_ ? entry.SavedLastUsed : 0.0;
    }
    // A file in two Categories is one track on the air.
    if (const auto found = preLog_.find(entry.FileName); found != preLog_.end()) {
        used = std::max(used, found->second);
    }
    return used;
}

void LogContext::Picked(FileRec& entry, TDateTime previous) {
    for (auto& c : station_.Categories) {
        if (!c->Files.empty() && &entry >= c->Files.data() &&
            &entry < c->Files.data() + c->Files.size()) {
            changed_.push_back({c.get(), entry.FileName, previous});
        }
    }
    picks_[entry.FileName] = entry.LastUsed;
}

void LogContext::Around(std::size_t first, std::size_t last) {
    Restore();
    last_ = last;
    const std::vector<EditorItem>& items = document_.Items();
    const TDateTime cutStart = first < items.size() ? moments_[first] : logEnd_;
    const TDateTime cutEnd = last < items.size() ? moments_[last] : logEnd_;
    const double reach = ReachDays(false);
    const double artistReach = ReachDays(true);

    // Just before the log: the play history's airings and the track lists' uses within reach
    // of its start.
    preLog_.clear();
    for (const auto& [path, at] : cache_.AiredBefore()) {
        if (at >= logStart_ - reach) {
            preLog_[path] = at;
        }
    }
    for (auto& c : station_.Categories) {
        for (const FileRec& f : c->Files) {
            for (const TDateTime used : {f.LastUsed, f.SavedLastUsed}) {
                if (used < logStart_ && used >= logStart_ - reach) {
                    TDateTime& known = preLog_[f.FileName];
                    known = std::max(known, used);
                }
            }
        }
    }
    // The artists: none played in the log's span but by the log itself.
    for (const auto& [artist, played] : savedArtists_) {
        artist->LastPlayed = played >= logStart_ && played < logEnd_ ? 0.0 : played;
    }
    auto playedArtists = [&](const std::string& path, TDateTime at) {
        for (ArtistRec* a : rules_->ArtistsOf(station_, path)) {
            if (a->LastPlayed < at || a->LastPlayed >= logEnd_) {
                a->LastPlayed = at;
            }
        }
    };
    for (const auto& [path, at] : preLog_) {
        if (at >= logStart_ - artistReach) {
            playedArtists(path, at);
        }
    }

    // The log before the stretch, as plays of no hour being filled.
    rules_->History().SetHour(-1.0, {});
    rules_->History().DropFrom(cache_.BeforeLog());
    logBefore_.clear();
    for (std::size_t i = 0; i < first && i < items.size(); ++i) {
        const EditorItem& item = items[i];
        if (item.State == EditState::Removed || item.Type != kItemTrack) {
            continue;
        }
        logBefore_[item.Path] = moments_[i];
        if (moments_[i] >= cutStart - artistReach) {
            playedArtists(item.Path, moments_[i]);
        }
        if (rules_->Any() && moments_[i] >= cutStart - rules_->LookBackDays()) {
            rules_->AddPlay(station_, moments_[i], item.Path, item.GroupName);
        }
    }
    aroundSize_ = rules_->History().Size();
    cutArtists_.clear();
    for (const auto& [artist, played] : savedArtists_) {
        if (artist->LastPlayed > 0.0) {
            cutArtists_.emplace(artist, artist->LastPlayed);
        }
    }

    // The log after it, as far as a rule reaches.
    later_ = LaterPlays{};
    later_.Pivot = std::floor(cutEnd) + 1.0;
    later_.SingleItem = last - first <= 1;
    std::size_t end = last;
    while (end < items.size() && moments_[end] < cutEnd + reach) {
        ++end;
    }
    for (std::size_t i = last; i < end; ++i) {
        const EditorItem& item = items[i];
        if (item.State == EditState::Removed || item.Type != kItemTrack) {
            continue;
        }
        later_.FirstOfPath.try_emplace(item.Path, moments_[i]);
        for (ArtistRec* a : rules_->ArtistsOf(station_, item.Path)) {
            later_.FirstOfArtist.try_emplace(a, moments_[i]);
        }
    }
    // And past the log's end, the airings of a later run.
    std::vector<const Airing*> beyond;
    for (const Airing& a : cache_.AiredAfter()) {
        if (a.AiredAt >= cutEnd + reach) {
            break;
        }
        beyond.push_back(&a);
        later_.FirstOfPath.try_emplace(a.Path, a.AiredAt);
        for (ArtistRec* artist : rules_->ArtistsOf(station_, a.Path)) {
            later_.FirstOfArtist.try_emplace(artist, a.AiredAt);
        }
    }
    if (rules_->Any()) {
        for (auto a = beyond.rbegin(); a != beyond.rend(); ++a) {
            rules_->AddPlay(station_, later_.Mirror((*a)->AiredAt), (*a)->Path, (*a)->Category,
                            &later_.Mirrored);
        }
        for (std::size_t i = end; i-- > last;) {
            const EditorItem& item = items[i];
            if (item.State != EditState::Removed && item.Type == kItemTrack) {
                rules_->AddPlay(station_, later_.Mirror(moments_[i]), item.Path, item.GroupName,
                                &later_.Mirrored);
            }
        }
    }
}

std::vector<std::string> LogContext::LaterBreaks(const std::vector<LogPlay>& before,
                                                 const std::vector<LogPlay>& after) {
    const std::vector<EditorItem>& items = document_.Items();
    const double reach = ReachDays(false);
    const TDateTime from = last_ < items.size() ? moments_[last_] : logEnd_;
    std::vector<LogPlay> later = PlaysOf(last_, items.size());
    for (const Airing& a : cache_.AiredAfter()) {
        later.push_back({a.AiredAt, a.Path, a.Category});
    }
    std::erase_if(later, [&](const LogPlay& p) { return p.At >= from + reach; });
    if (later.empty()) {
        return {};
    }
    // The rules as a run makes them, without the mirror: each later play looks back.
    rules_->SetLater(nullptr);
    std::map<const TCategoryDetails*, RuleList> rulesOf;
    auto rulesFor = [&](const TCategoryDetails& c) -> const RuleList& {
        auto found = rulesOf.find(&c);
        if (found == rulesOf.end()) {
            found =
                rulesOf
                    .emplace(&c, rules_->For(c, SongDays(c, settings_), ArtistDays(c, settings_)))
                    .first;
        }
        return found->second;
    };
    // Each later play's broken rules with the stretch as `range` has it.
    auto judge = [&](const std::vector<LogPlay>& range) {
        std::vector<std::vector<std::pair<std::size_t, RuleVerdict>>> broken(later.size());
        rules_->History().SetHour(-1.0, {});
        rules_->History().DropFrom(aroundSize_);
        std::unordered_map<std::string, TDateTime> lastOfPath;
        std::unordered_map<const ArtistRec*, TDateTime> lastOfArtist;
        auto play = [&](const LogPlay& p) {
            lastOfPath[p.Path] = p.At;
            for (ArtistRec* a : rules_->ArtistsOf(station_, p.Path)) {
                lastOfArtist[a] = p.At;
            }
            if (rules_->Any()) {
                rules_->AddPlay(station_, p.At, p.Path, p.Category);
            }
        };
        for (const LogPlay& p : range) {
            play(p);
        }
        for (std::size_t n = 0; n < later.size(); ++n) {
            const LogPlay& p = later[n];
            if (const TCategoryDetails* c = station_.FindCategory(p.Category)) {
                const RuleList& rules = rulesFor(*c);
                // The repeat intervals look back at the plays themselves, not the last uses:
                // they judge a copy of the artists' records.
                FileRec entry;
                entry.FileName = p.Path;
                const auto known = lastOfPath.find(p.Path);
                entry.LastUsed = known != lastOfPath.end() ? known->second : BeforeCut(p.Path);
                const std::vector<ArtistRec*>& real = rules_->ArtistsOf(station_, p.Path);
                std::vector<ArtistRec> records;
                for (ArtistRec* a : real) {
                    const auto played = lastOfArtist.find(a);
                    const auto cut = cutArtists_.find(a);
                    records.push_back({{},
                                       played != lastOfArtist.end() ? played->second
                                       : cut != cutArtists_.end()   ? cut->second
                                                                    : 0.0,
                                       0.0});
                }
                std::vector<ArtistRec*> copies;
                for (ArtistRec& r : records) {
                    copies.push_back(&r);
                }
                const TrackKeys* facts = rules_->Any() ? rules_->FactsOf(p.Path) : nullptr;
                const Candidate byLastUse{entry, 0, copies, facts};
                const Candidate byPlays{entry, 0, real, facts};
                for (std::size_t k = 0; k < rules.size(); ++k) {
                    if (rules[k]->PerHour()) {
                        continue;  // whole hours made again leave the others' shares as they were
                    }
                    const RuleVerdict v =
                        rules[k]->Check(rules[k]->ByLastUse() ? byLastUse : byPlays, p.At);
                    if (v.Broken && !v.Unchecked) {
                        broken[n].emplace_back(k, v);
                    }
                }
            }
            play(p);
        }
        return broken;
    };
    const auto was = judge(before);
    const auto now = judge(after);
    rules_->History().DropFrom(aroundSize_);
    rules_->SetLater(&later_);

    std::vector<std::string> lines;
    const FormatSettings& fs = station_.Settings();
    for (std::size_t n = 0; n < later.size(); ++n) {
        const TCategoryDetails* c = station_.FindCategory(later[n].Category);
        for (const auto& [k, verdict] : now[n]) {
            const bool broken = std::any_of(was[n].begin(), was[n].end(),
                                            [k = k](const auto& v) { return v.first == k; });
            if (broken || c == nullptr) {
                continue;
            }
            lines.push_back(Format(tr("%0:s  %1:s (%2:s): %3:s"),
                                   FormatDateTime("ddd hh:nn", later[n].At, fs),
                                   ExtractFileName(later[n].Path), later[n].Category,
                                   VerdictWords(*rulesFor(*c)[k], verdict, later[n].At, fs)));
        }
    }
    return lines;
}

}  // namespace spindle
