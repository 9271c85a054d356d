#include "generator/hour_assembly.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "base/float_text.h"
#include "base/format.h"
#include "base/format_datetime.h"
#include "base/paths.h"
#include "base/text_case.h"
#include "base/translate.h"
#include "station/group_ops.h"

namespace spindle {

// Seconds past its end an hour may run before it counts as running over, whatever the
// tolerance: the fit aims within ten.
constexpr double kHourOverGrace = 30.0;
namespace {

std::string Tail(const std::string& text, std::size_t from) {
    return from < text.size() ? text.substr(from) : std::string();
}

// Whether `what` stands at `at` in `text`; a text too short for it does not match.
bool HasAt(std::string_view text, std::size_t at, std::string_view what) {
    return at <= text.size() && text.substr(at).starts_with(what);
}

// The text of a schedule's timed Break Note ("hh:nn<TAB><Break Note>text"), or nothing
// for a timed spot.
std::optional<std::string> TimedNoteText(const std::string& entry) {
    if (!HasAt(entry, 6, kBreakNoteEntry)) {
        return std::nullopt;
    }
    return Tail(entry, 6 + std::string_view(kBreakNoteEntry).size());
}

int EntryHour(const std::string& entry) {
    const auto hour = TextToInt(std::string_view(entry).substr(0, 2));
    return hour ? static_cast<int>(*hour) : -1;
}

// When a timed entry of the schedule is due, in hours of the day.
double DueTime(const std::string& entry) {
    const double hour = std::max(0, EntryHour(entry));
    const std::string_view minutes =
        std::string_view(entry).substr(std::min<std::size_t>(3, entry.size()), 2);
    if (minutes == "60") {
        return hour + 1.0;
    }
    const auto m = TextToInt(minutes);
    return hour + (m ? static_cast<double>(*m) : 0.0) / 60.0;
}

}  // namespace

std::uint16_t LeadingSeconds(const std::string& text) {
    const std::size_t colon = text.find(':', 1);
    if (colon == std::string::npos || colon > 5) {
        return 0;
    }
    const auto value = TextToInt(std::string_view(text).substr(0, colon));
    return value && *value >= 0 ? static_cast<std::uint16_t>(*value & 0xFFFF) : 0;
}

void HourAssembler::WriteItem(int type, double time, const std::string& text,
                              std::uint16_t duration, const std::string& owner) {
    if (type != kItemHourMarker && type != kItemBreakNote && type != kItemContinuation) {
        ++playedInHour_;
    }
    log_.Item(type, state_.ItemCounter, time, text, duration, owner);
}

void HourAssembler::WritePick(int type, double time, const Pick& pick, const std::string& owner) {
    // A file without a playing time throws the hour's timing off; say so once a run.
    if (pick.Unmeasured && state_.ReportedUnmeasured.insert(pick.Path).second) {
        report_.Problem(Format(tr("\"%0:s\" has no known playing time (the file is unreadable or "
                                  "empty); it was scheduled as %1:d seconds."),
                               pick.Path, static_cast<long long>(pick.Duration)));
    }
    WriteItem(type, time, pick.Path, pick.Duration, owner);
}

void HourAssembler::AdvanceTime(const std::string& path, std::uint16_t seconds) {
    const Crossfade crossfade =
        ItemCrossfade(path, seconds, settings_.Crossfade, settings_.KorvelCrossfade);
    if (crossfade.BadMark) {
        const std::string text = Format(tr("Invalid crossfade value on file \"%0:s\""), path);
        report_.Problem(text);
        if (!report_.Unattended()) {
            report_.Op().Show(MessageKind::Warning, text, Buttons::Ok);
        }
    }
    const double hours = (seconds - crossfade.Seconds) / 3600.0;
    state_.RunningTime = static_cast<float>(state_.RunningTime + hours);
    state_.Elapsed = static_cast<float>(state_.Elapsed + hours);
}

Pick HourAssembler::MatchIntroOutro(TSpotDetails& group, const std::string& trackPath) {
    auto lowered = [](std::string s) {
        for (char& ch : s) {
            if (ch >= 'A' && ch <= 'Z') {
                ch = static_cast<char>(ch - 'A' + 'a');
            }
        }
        return s;
    };
    const std::string key = lowered(CleanTitle(trackPath));
    FileRec* found = nullptr;
    for (FileRec& f : group.Files) {
        if (lowered(CleanTitle(f.FileName)).find(key) != std::string::npos) {
            found = &f;
            break;
        }
    }
    if (found == nullptr) {
        const std::string artist = SplitArtistTitle(key, settings_.Names).Artist;
        for (FileRec& f : group.Files) {
            if (lowered(CleanTitle(f.FileName)) == artist) {
                found = &f;
                break;
            }
        }
    }
    if (found == nullptr) {
        return {};
    }
    found->LastUsed = PlayTime();
    return {found->FileName, found->Duration, found->Duration == 0};
}

TDateTime HourAssembler::OnAirTime() {
    // In whole seconds, as the airings keep it: the running time's single precision must
    // not decide a rule at its boundary.
    const double seconds = std::round(
        (settings_.Start + static_cast<double>(state_.RunningTime) / 24.0) * kSecondsPerDay);
    lastOnAir_ = std::max(lastOnAir_, seconds / kSecondsPerDay);
    return lastOnAir_;
}

Pick HourAssembler::PickByIndex(TCustomDetails& group, std::size_t index) {
    if (group.Files.empty() || index >= group.Files.size()) {
        return {};
    }
    FileRec& entry = group.Files[index];
    if (group.Kind() == GroupKind::Category) {
        selector_.LookupArtist(entry.FileName);
        selector_.NoteUse(entry, PlayTime());
        selector_.SetOnAir(OnAirTime());
        selector_.NotePlayed(static_cast<const TCategoryDetails&>(group), entry);
    } else {
        entry.LastUsed = PlayTime();
    }
    return {entry.FileName, entry.Duration, entry.Duration == 0};
}

Pick HourAssembler::PickNextSpot(TSpotDetails& group) {
    auto spot = TakeNextSpot(group, station_.Random);
    if (!spot) {
        return {};
    }
    return {spot->FileName, spot->Duration != 0 ? spot->Duration : group.AverageTime,
            spot->Duration == 0};
}

void HourAssembler::WriteSpots(TSpotDetails& group, int timedType, double timedTime,
                               int untimedType) {
    std::size_t j = 0;
    do {
        Pick spot;
        if (group.IsBlock()) {
            spot = PickByIndex(group, j++);
        } else {
            spot = PickNextSpot(group);
        }
        if (spot) {
            ++state_.ItemCounter;
            if (timedType >= 0) {
                WritePick(timedType, timedTime, spot, group.Name);
            } else {
                WritePick(untimedType, state_.RunningTime, spot, group.Name);
            }
            AdvanceTime(spot.Path, spot.Duration);
        }
    } while (group.IsBlock() && j < group.Files.size());
    if (group.SortType == kSortRandomly && group.IsBlock() && j >= group.Files.size()) {
        ShuffleFiles(group, station_.Random);
    }
}

void HourAssembler::PlaceTimedItems(bool final) {
    auto& due = schedule_->HourSpots;
    while (!due.empty()) {
        double t =
            hourOfDay_ + static_cast<double>(state_.Elapsed) + state_.Carry + (final ? 1.0 : 0.0);
        const TimedSpot entry = due.front();
        const double dueTime = DueTime(entry.Text);
        if (t < dueTime) {
            return;
        }
        due.erase(due.begin());
        t = dueTime + 0.0001;
        // Timed events of the schedule carry single-precision times, like the running time.
        const double time = static_cast<float>(static_cast<double>(index_) + t - hourOfDay_);
        if (const auto text = TimedNoteText(entry.Text)) {
            const std::uint16_t seconds = LeadingSeconds(*text);
            ++state_.ItemCounter;
            WriteItem(kItemBreakNote, time, *text, seconds, "Timed Break Note");
            AdvanceTime("", seconds);
        } else if (entry.Object != nullptr) {
            WriteSpots(*entry.Object, kItemTimedSpot, time, kItemTimedSpot);
        }
    }
}

bool HourAssembler::ReportMissingGroup(const RotationItem& item, const TRotationDetails& rotation) {
    if (state_.ReportedMissing.insert(&item).second) {
        report_.Problem(Format(tr("Rotation item \"%0:s\" of Rotation \"%1:s\" names no existing "
                                  "Category or Spot Group and is skipped."),
                               item.Text, rotation.Name));
    }
    return true;
}

std::vector<std::pair<const TCategoryDetails*, int>> HourAssembler::SongsAfter(
    const TRotationDetails& rotation, std::size_t k) {
    std::vector<std::pair<const TCategoryDetails*, int>> songs;
    for (std::size_t j = k + 1; j < rotation.Items.size(); ++j) {
        const RotationItem& item = rotation.Items[j];
        if (ClassifyRotationItem(item.Text) == RotationItemKind::Category &&
            item.Object != nullptr && item.Object->Kind() == GroupKind::Category) {
            const auto& category = static_cast<const TCategoryDetails&>(*item.Object);
            songs.emplace_back(&category,
                               category.IsBlock() ? static_cast<int>(category.Files.size()) : 1);
        }
    }
    return songs;
}

bool HourAssembler::FitFor(const TRotationDetails& rotation, std::size_t k, bool topUp,
                           const TCategoryDetails& category, double hourEnd, Fit& fit) const {
    if (!settings_.FitHours || !settings_.TimeCheck || category.IsBlock()) {
        return false;
    }
    // A group's spots play in their order until it is shuffled again: the ones next in
    // line tell the rest's length better than the group's average.
    std::unordered_map<const TSpotDetails*, std::size_t> spotsTaken;
    auto spotSeconds = [&spotsTaken](const TCustomDetails* group) {
        if (group == nullptr || group->Kind() != GroupKind::SpotGroup) {
            return 0.0;
        }
        const auto& spots = static_cast<const TSpotDetails&>(*group);
        if (spots.GroupType == kSpotSongIntro || spots.GroupType == kSpotSongOutro) {
            return 0.0;  // only when a track has one
        }
        const std::size_t next = spots.NextItem + spotsTaken[&spots]++;
        if (spots.IsBlock() || next >= spots.Files.size() || spots.Files[next].Duration == 0) {
            return static_cast<double>(spots.AverageTime);  // a Block's is its whole length
        }
        return static_cast<double>(spots.Files[next].Duration);
    };
    double rest = 0.0;
    int slots = 0;
    for (std::size_t j = k + 1; !topUp && j < rotation.Items.size(); ++j) {
        const RotationItem& item = rotation.Items[j];
        switch (ClassifyRotationItem(item.Text)) {
            case RotationItemKind::VoiceTrack:
            case RotationItemKind::BreakNote:
                rest += LeadingSeconds(Tail(item.Text, 12));
                break;
            case RotationItemKind::TimedBreakNote:
                rest += LeadingSeconds(Tail(item.Text, 16));
                break;
            case RotationItemKind::SpotGroup:
            case RotationItemKind::TimedSpotGroup:
                rest += spotSeconds(item.Object);
                break;
            case RotationItemKind::Category:
                if (item.Object != nullptr && item.Object->Kind() == GroupKind::Category) {
                    const auto& c = static_cast<const TCategoryDetails&>(*item.Object);
                    if (c.IsBlock()) {
                        rest += static_cast<double>(c.AverageTime);  // a Block's whole length
                    } else {
                        ++slots;
                    }
                }
                break;
        }
    }
    for (const TimedSpot& due : schedule_->HourSpots) {
        const auto note = TimedNoteText(due.Text);
        rest += note ? LeadingSeconds(*note) : spotSeconds(due.Object);
    }
    const double left = (hourEnd - static_cast<double>(state_.RunningTime)) * 3600.0 - rest;
    const double average = category.AverageTime > 0 ? category.AverageTime : 210.0;
    if (left > average * (slots + 3)) {
        return false;  // not yet within about three tracks of the end
    }
    auto [found, fresh] = lengths_.try_emplace(&category, 0.0, 0.0);
    auto& [shortest, longest] = found->second;
    if (fresh) {
        for (const FileRec& f : category.Files) {
            const unsigned seconds = f.Duration != 0 ? f.Duration : category.AverageTime;
            const double d = seconds - ItemCrossfade(f.FileName, seconds, settings_.Crossfade,
                                                     settings_.KorvelCrossfade)
                                           .Seconds;
            shortest = shortest == 0.0 ? d : std::min(shortest, d);
            longest = std::max(longest, d);
        }
    }
    fit.LeftSeconds = left;
    fit.SlotsAfter = slots;
    fit.ToleranceSeconds = settings_.Tolerance * 3600.0;
    // Leaving the hour's last slot out must not leave it short beyond the tolerance: dead
    // air for a playout that starts each hour on the clock.
    fit.MayLeaveOut = slots == 0 && left <= fit.ToleranceSeconds;
    fit.Shortest = shortest;
    fit.Longest = longest;
    fit.Crossfade = settings_.Crossfade;
    fit.CrossfadeFromName = settings_.KorvelCrossfade;
    return true;
}

bool HourAssembler::CategoryItem(TCategoryDetails& category, bool topUp, const Fit* fit,
                                 bool& added) {
    added = false;
    std::size_t j = 0;
    const bool block = category.IsBlock();
    do {
        Pick track;
        if (block) {
            if (!topUp) {
                track = PickByIndex(category, j++);
            }
        } else {
            selector_.SetOnAir(OnAirTime());
            track = selector_.SelectTrack(category, PlayTime(), fit);
            if (state_.Warning == WarningAnswer::Cancel) {
                report_.SetStatus(RunStatus::Error);
                return false;
            }
            if (topUp && track) {
                ++state_.TracksAdded;
            }
            if (track.LeftOut) {
                ++fitLeftOut_;
                // Reported are the rotation's own slots; a top-up the fit did not need is
                // no slot of the hour.
                state_.SlotsLeftOut += topUp ? 0 : 1;
            }
        }
        if (track) {
            if (pendingIntro_ != nullptr) {
                const Pick intro = MatchIntroOutro(*pendingIntro_, track.Path);
                if (intro) {
                    ++state_.ItemCounter;
                    WritePick(kItemIntro, state_.RunningTime, intro, pendingIntro_->Name);
                    AdvanceTime(intro.Path, intro.Duration);
                    selector_.MovePlayed(OnAirTime());
                }
                pendingIntro_ = nullptr;
            }
            ++state_.ItemCounter;
            WritePick(kItemTrack, state_.RunningTime, track, category.Name);
            AdvanceTime(track.Path, track.Duration);
            previousTrack_ = track.Path;
            added = true;
        }
    } while (block && !topUp && j < category.Files.size());
    return true;
}

bool HourAssembler::AssembleHour(long index, int hourOfDay, TDateTime hourStart,
                                 const TRotationDetails& rotation, TScheduleDetails& schedule) {
    index_ = index;
    hourOfDay_ = hourOfDay;
    hourStart_ = hourStart;
    schedule_ = &schedule;

    schedule.HourSpots.clear();
    for (const TimedSpot& entry : schedule.TimedSpots) {
        const int hour = EntryHour(entry.Text);
        if (hour > hourOfDay) {
            break;
        }
        if (hour == hourOfDay) {
            schedule.HourSpots.push_back(entry);
        }
    }
    state_.Elapsed = 0.0f;
    pendingIntro_ = nullptr;
    previousTrack_.clear();
    playedInHour_ = 0;
    selector_.SetHour(hourStart, {});

    if (settings_.IncludeHM) {
        WriteItem(kItemHourMarker, state_.RunningTime, "Hour Marker", 0, "");
    }
    const double hourEnd = static_cast<double>(index) + 1.0;
    if (settings_.TimeCheck && state_.RunningTime >= hourEnd) {
        state_.TracksDropped += static_cast<long>(rotation.Items.size());
        WriteItem(kItemContinuation, state_.RunningTime, "(continued from last hour)", 3600, "");
        report_.AddLine(Format(tr("Dropping entire rotation for %0:s due to a scheduled track "
                                  "exceeding 1 hour"),
                               std::to_string(hourOfDay) + ":00"));
        return true;
    }

    int passes = 0;
    bool topUp = false;
    if (settings_.TimeCheck) {
        state_.Carry = static_cast<float>(state_.RunningTime - static_cast<double>(index));
    }
    for (;;) {
        ++passes;
        bool addedInPass = false;
        const long leftOutBefore = fitLeftOut_;
        for (std::size_t k = 0; k < rotation.Items.size(); ++k) {
            if (RunStopped()) {
                return false;
            }
            if (static_cast<double>(state_.Elapsed) + state_.Carry < 1.0) {
                PlaceTimedItems(false);
            }
            const RotationItem& item = rotation.Items[k];
            const int minute = TimedMinute(item.Text);
            const double timedTime = static_cast<double>(index) + minute / 60.0;
            switch (ClassifyRotationItem(item.Text)) {
                case RotationItemKind::VoiceTrack: {
                    if (topUp) {
                        break;
                    }
                    const std::string text = Tail(item.Text, 12);
                    const std::uint16_t seconds = LeadingSeconds(text);
                    ++state_.ItemCounter;
                    WriteItem(kItemVoiceTrack, state_.RunningTime,
                              settings_.VTFilenames ? "" : text, seconds, "VoiceTrack");
                    AdvanceTime(settings_.VTFilenames ? "" : text, seconds);
                    break;
                }
                case RotationItemKind::BreakNote:
                case RotationItemKind::TimedBreakNote: {
                    if (topUp) {
                        break;
                    }
                    const std::string text = Tail(item.Text, minute >= 0 ? 16 : 12);
                    const std::uint16_t seconds = LeadingSeconds(text);
                    ++state_.ItemCounter;
                    if (minute >= 0) {
                        WriteItem(kItemBreakNote, timedTime, text, seconds, "Timed Break Note");
                    } else {
                        WriteItem(kItemBreakNote, state_.RunningTime, text, seconds, "Break Note");
                    }
                    AdvanceTime(text, seconds);
                    break;
                }
                case RotationItemKind::SpotGroup:
                case RotationItemKind::TimedSpotGroup: {
                    if (item.Object == nullptr || item.Object->Kind() != GroupKind::SpotGroup) {
                        ReportMissingGroup(item, rotation);
                        break;
                    }
                    auto& group = static_cast<TSpotDetails&>(*item.Object);
                    if (group.GroupType == kSpotSongIntro) {
                        pendingIntro_ = &group;
                    } else if (group.GroupType == kSpotSongOutro) {
                        if (!previousTrack_.empty()) {
                            const Pick outro = MatchIntroOutro(group, previousTrack_);
                            if (outro) {
                                ++state_.ItemCounter;
                                WritePick(kItemOutro, state_.RunningTime, outro, group.Name);
                                AdvanceTime(outro.Path, outro.Duration);
                            }
                            previousTrack_.clear();
                        }
                    } else if (!topUp) {
                        WriteSpots(group, minute >= 0 ? kItemTimedSpot : -1, timedTime,
                                   group.GroupType == kSpotVoiceIntro ? kItemIntro : kItemSpot);
                    }
                    break;
                }
                case RotationItemKind::Category: {
                    if (item.Object == nullptr || item.Object->Kind() != GroupKind::Category) {
                        ReportMissingGroup(item, rotation);
                        break;
                    }
                    if (settings_.TimeCheck &&
                        state_.RunningTime - settings_.Tolerance >= hourEnd) {
                        // Counted are the Rotation's own items that do not play; a top-up
                        // pass that ends adds nothing it planned.
                        state_.TracksDropped +=
                            topUp ? 0 : static_cast<long>(rotation.Items.size() - k);
                        k = rotation.Items.size();
                        break;
                    }
                    auto& category = static_cast<TCategoryDetails&>(*item.Object);
                    selector_.SetHour(hourStart, topUp ? decltype(SongsAfter(rotation, k)){}
                                                       : SongsAfter(rotation, k));
                    Fit fit;
                    const bool fitted = FitFor(rotation, k, topUp, category, hourEnd, fit);
                    bool added = false;
                    if (!CategoryItem(category, topUp, fitted ? &fit : nullptr, added)) {
                        return false;
                    }
                    addedInPass = addedInPass || added;
                    break;
                }
            }
        }
        // A fitted hour stops topping up once it left its slots out: that happens only
        // when the hour ends within the tolerance.
        const bool fittedOut = topUp && !addedInPass && fitLeftOut_ != leftOutBefore;
        topUp = true;
        if (fittedOut || !(settings_.TimeCheck &&
                           state_.RunningTime + settings_.Tolerance < hourEnd && passes <= 200)) {
            break;
        }
    }
    PlaceTimedItems(true);
    if (settings_.TimeCheck) {
        const double over = (static_cast<double>(state_.RunningTime) - hourEnd) * 3600.0;
        ++state_.HoursTimed;
        // An item longer than the hour makes the next one a continuation, as planned.
        if (over > std::max(settings_.Tolerance * 3600.0, kHourOverGrace) && over < 3600.0) {
            ++state_.HoursOver;
            state_.LongestOver = std::max(state_.LongestOver, over);
        }
    }
    for (const std::string& line : selector_.HourEndBreaks()) {
        report_.Problem(line);
    }
    if (passes > 200) {
        report_.AddLine(Format(tr("Hour %0:s cannot be topped up. Rotation \"%1:s\" does not "
                                  "contain any Category items."),
                               std::to_string(hourOfDay) + ":00", rotation.Name));
    }
    if (playedInHour_ == 0 && !RunStopped()) {
        // Dead air: asked about once for each Rotation, as a selection error is, and a
        // problem line for every such hour.
        const ScheduleHour& entry = schedule.Hours[static_cast<std::size_t>(hourOfDay)];
        const std::string when = FormatDateTime("dddd t", hourStart, station_.Settings());
        const std::string line =
            entry.PlaysDefault()
                ? Format(tr("Nothing plays in the hour of %0:s: Schedule \"%1:s\" plays the "
                            "Default Rotation there, \"%2:s\", which gave no item that goes on "
                            "the air."),
                         when, schedule.Name, rotation.Name)
                : Format(tr("Nothing plays in the hour of %0:s: Rotation \"%1:s\" of Schedule "
                            "\"%2:s\" gave no item that goes on the air."),
                         when, rotation.Name, schedule.Name);
        if (state_.SilentRotations.insert(&rotation).second) {
            report_.Message(line, false);
        } else {
            report_.Problem(line);
        }
    }
    return !RunStopped();
}

}  // namespace spindle
