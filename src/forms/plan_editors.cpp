#include "forms/plan_editors.h"

#include <algorithm>
#include <cstdio>

#include "base/float_text.h"
#include "base/format.h"
#include "base/text_case.h"
#include "base/translate.h"
#include "station/station.h"

namespace spindle {
namespace {

constexpr std::size_t kTimeWidth = 8;    // "hh:nn:ss"
constexpr std::size_t kNoteTextAt = 12;  // after "hh:nn:ss ** "
constexpr std::size_t kSpotNameAt = 10;  // after "hh:nn:ss\t{"

std::string Clock(std::uint32_t seconds, bool withSeconds) {
    char text[16];
    if (withSeconds) {
        std::snprintf(text, sizeof text, "%02u:%02u:%02u", seconds / 3600, seconds / 60 % 60,
                      seconds % 60);
    } else {
        std::snprintf(text, sizeof text, "%02u:%02u", seconds / 60, seconds % 60);
    }
    return text;
}

bool IsBreakNote(const std::string& item) {
    const RotationItemKind kind = ClassifyRotationItem(item);
    return kind == RotationItemKind::BreakNote || kind == RotationItemKind::TimedBreakNote;
}

// Where an item's own text starts after its marker and any "(mm)" minute group.
std::size_t TextAfterMinute(const std::string& item, std::size_t at) {
    if (item.size() >= at + 4 && item[at] == '(' && item[at + 3] == ')' && TimedMinute(item) >= 0) {
        return at + 4;
    }
    return at;
}

// "hh:nn" as minutes of the day (":60" included); nullopt when it is no such time.
std::optional<int> MinutesOf(const std::string& time) {
    if (time.size() < 5 || time[2] != ':') {
        return std::nullopt;
    }
    const auto hours = TextToInt(time.substr(0, 2));
    const auto minutes = TextToInt(time.substr(3, 2));
    if (!hours || !minutes || *hours < 0 || *hours > 23 || *minutes < 0 || *minutes > 60) {
        return std::nullopt;
    }
    return static_cast<int>(*hours * 60 + *minutes);
}

}  // namespace

std::uint32_t RotationItemSeconds(const RotationItem& item) {
    if (item.Object != nullptr) {
        return item.Object->AverageTime;
    }
    if (item.Text.size() <= kNoteTextAt) {
        return 0;
    }
    const std::string rest = item.Text.substr(kNoteTextAt);
    const auto value = TextToInt(rest.substr(0, rest.find(':')));
    return value && *value > 0 ? static_cast<std::uint32_t>(*value) : 0;
}

std::uint32_t RecomputeRotationTimes(std::vector<RotationItem>& items) {
    std::uint32_t total = 0;
    for (RotationItem& item : items) {
        if (item.Text.size() >= kTimeWidth) {
            item.Text.replace(0, kTimeWidth, Clock(total, true));
        }
        total += RotationItemSeconds(item);
    }
    return total;
}

std::string ApproxTimeLabel(std::uint32_t seconds, const FormatSettings&) {
    return Format(tr("(Approx Time: %0:s)"), Clock(seconds, true));
}

std::string BreakNoteText(const std::string& item) {
    const std::size_t at = TextAfterMinute(item, kNoteTextAt);
    return item.size() > at ? item.substr(at) : std::string();
}

std::string WithBreakNoteText(const std::string& item, const std::string& text) {
    return item.substr(0, std::min(item.size(), TextAfterMinute(item, kNoteTextAt))) + text;
}

std::string VoiceTrackItemFor(const std::string& answer) {
    const auto value = TextToInt(answer);
    return MakeVoiceTrackItem(value && *value > 0 && *value <= 65535 ? static_cast<unsigned>(*value)
                                                                     : 0u);
}

bool CanBeTimed(const std::string& item) {
    const RotationItemKind kind = ClassifyRotationItem(item);
    return kind == RotationItemKind::BreakNote || kind == RotationItemKind::TimedBreakNote ||
           kind == RotationItemKind::SpotGroup || kind == RotationItemKind::TimedSpotGroup;
}

int OfferedMinute(const std::string& item) {
    const int own = TimedMinute(item);
    if (own >= 0) {
        return own;
    }
    const auto minute = item.size() >= 5 ? TextToInt(item.substr(3, 2)) : std::nullopt;
    return minute ? static_cast<int>(*minute) : 0;
}

std::optional<std::string> WithMinute(const std::string& item, const std::string& answer) {
    const auto minute = TextToInt(answer);
    if (!minute || *minute < 0 || *minute > 60 || !CanBeTimed(item)) {
        return std::nullopt;
    }
    const std::size_t at = IsBreakNote(item) ? kNoteTextAt : kSpotNameAt;
    if (item.size() < at) {
        return std::nullopt;
    }
    char group[8];
    std::snprintf(group, sizeof group, "(%02d)", static_cast<int>(*minute));
    return item.substr(0, at) + group + item.substr(TextAfterMinute(item, at));
}

void MoveRotationItem(std::vector<RotationItem>& items, std::size_t from, std::size_t to) {
    if (from >= items.size()) {
        return;
    }
    to = std::min(to, items.size());
    const RotationItem moved = items[from];
    items.insert(items.begin() + static_cast<std::ptrdiff_t>(to), moved);
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(to <= from ? from + 1 : from));
}

Verdict CheckNewPlanName(const Station& station, ListKind kind, const std::string& name) {
    const bool rotation = kind == ListKind::Rotations;
    if (rotation ? station.FindRotation(name) != nullptr : station.FindSchedule(name) != nullptr) {
        return {rotation ? tr("Rotation already exists. Try again.")
                         : tr("Schedule already exists. Try again."),
                "Name"};
    }
    return CheckName(station, kind, kNewEntry, name);
}

TRotationDetails& ApplyRotation(Station& station, TRotationDetails* existing,
                                const TRotationDetails& edited) {
    TRotationDetails* r = existing;
    if (r == nullptr) {
        station.Rotations.push_back(std::make_unique<TRotationDetails>());
        r = station.Rotations.back().get();
        r->Name = edited.Name;
    }
    r->Notes = edited.Notes;
    r->Items = edited.Items;
    r->Default = edited.Default || station.Rotations.size() == 1;
    if (r->Default) {
        for (auto& other : station.Rotations) {
            other->Default = other.get() == r;
        }
        station.DefaultRotation = r;
    } else if (station.DefaultRotation == r || station.DefaultRotation == nullptr) {
        // The Default Rotation gave the part up: the first other Rotation takes it.
        for (auto& other : station.Rotations) {
            if (other.get() != r) {
                other->Default = true;
                station.DefaultRotation = other.get();
                break;
            }
        }
    }
    station.Changed.Rotations = true;
    return *r;
}

Verdict CheckRotationDefault(const Station& station, const TRotationDetails* existing,
                             const TRotationDetails& edited) {
    if (existing == nullptr || edited.Default || station.DefaultRotation != existing) {
        return {};
    }
    return {Format(tr("\"%0:s\" is the Default Rotation, which every \"%1:s\" hour of every "
                      "Schedule plays. To make another Rotation the Default, tick Default in "
                      "that Rotation's editor."),
                   existing->Name, kDefaultRotationPlaceholder),
            "Default"};
}

bool RotationPlays(const std::vector<RotationItem>& items) {
    return std::any_of(items.begin(), items.end(), [](const RotationItem& item) {
        const RotationItemKind kind = ClassifyRotationItem(item.Text);
        return kind != RotationItemKind::BreakNote && kind != RotationItemKind::TimedBreakNote;
    });
}

std::string SilentRotationWarning(const TRotationDetails& edited) {
    if (RotationPlays(edited.Items)) {
        return {};
    }
    return Format(tr("Rotation \"%0:s\" has no item that goes on the air (a Category, a Spot "
                     "Group or a Voice Track): every hour that plays it will be silent.\n\nKeep "
                     "it as it is?"),
                  edited.Name);
}

std::string SilentScheduleWarning(const Station& station, const TScheduleDetails& edited) {
    std::string hours;
    std::vector<std::string> rotations;
    for (std::size_t h = 0; h < edited.Hours.size(); ++h) {
        const ScheduleHour& hour = edited.Hours[h];
        const TRotationDetails* rotation = hour.Plays(station.DefaultRotation);
        if (rotation == nullptr || RotationPlays(rotation->Items)) {
            continue;
        }
        char label[8];
        std::snprintf(label, sizeof label, "%02d:00", static_cast<int>(h));
        hours += (hours.empty() ? "" : ", ") + std::string(label);
        if (std::find(rotations.begin(), rotations.end(), rotation->Name) == rotations.end()) {
            rotations.push_back(rotation->Name);
        }
    }
    if (hours.empty()) {
        return {};
    }
    std::string names;
    for (const std::string& name : rotations) {
        names += (names.empty() ? "\"" : ", \"") + name + "\"";
    }
    return Format(tr("In Schedule \"%0:s\" the hours %1:s play %2:s, with no item that goes on "
                     "the air: those hours will be silent.\n\nKeep it as it is?"),
                  edited.Name, hours, names);
}

void AttachRotation(ScheduleHour& hour, TRotationDetails* rotation) {
    hour.Text = hour.Text.substr(0, std::min<std::size_t>(6, hour.Text.size())) +
                (rotation != nullptr ? rotation->Name : std::string(kDefaultRotationPlaceholder));
    hour.Object = rotation;
}

bool TimedSpotTimeValid(const std::string& time) {
    return time.size() == 5 && MinutesOf(time).has_value();
}

std::optional<std::string> AddMinutesToTime(const std::string& time, int minutes) {
    const auto start = MinutesOf(time);
    if (!start) {
        return std::nullopt;
    }
    const int day = 24 * 60;
    const int result = ((*start + minutes) % day + day) % day;
    return Clock(static_cast<std::uint32_t>(result), false);
}

bool AddTimeToAll(std::vector<TimedSpot>& spots, int minutes) {
    std::vector<std::string> times;
    for (const TimedSpot& s : spots) {
        const auto moved = AddMinutesToTime(s.Text.substr(0, 5), minutes);
        if (!moved) {
            return false;
        }
        times.push_back(*moved);
    }
    for (std::size_t i = 0; i < spots.size(); ++i) {
        spots[i].Text.replace(0, 5, times[i]);
    }
    std::stable_sort(spots.begin(), spots.end(),
                     [](const TimedSpot& a, const TimedSpot& b) { return a.Text < b.Text; });
    return true;
}

std::vector<TSpotDetails*> TimedSpotGroups(const Station& station) {
    std::vector<TSpotDetails*> groups;
    for (const auto& g : station.SpotGroups) {
        if (g->GroupType == kSpotNormal || g->GroupType == kSpotVoiceIntro) {
            groups.push_back(static_cast<TSpotDetails*>(g.get()));
        }
    }
    return groups;
}

TimedSpot MakeTimedSpot(const Station& station, const std::string& time, const std::string& choice,
                        const std::string& description) {
    if (choice == kBreakNoteEntry) {
        return {time + "\t" + kBreakNoteEntry + description, nullptr};
    }
    return {time + "\t" + choice, station.FindSpotGroup(choice)};
}

std::vector<TimedSpot> PasteTimedSpots(const Station& station,
                                       const std::vector<std::string>& copied,
                                       std::vector<std::string>& missing) {
    std::vector<TimedSpot> pasted;
    for (const std::string& text : copied) {
        const std::string name = ScheduleEntryName(text);
        if (name.rfind(kBreakNoteEntry, 0) == 0) {
            pasted.push_back({text, nullptr});
        } else if (TSpotDetails* group = station.FindSpotGroup(name)) {
            pasted.push_back({text, group});
        } else {
            missing.push_back(name);
        }
    }
    return pasted;
}

TScheduleDetails& ApplySchedule(Station& station, TScheduleDetails* existing,
                                const TScheduleDetails& edited) {
    TScheduleDetails* s = existing;
    if (s == nullptr) {
        station.Schedules.push_back(std::make_unique<TScheduleDetails>());
        s = station.Schedules.back().get();
        s->Name = edited.Name;
    }
    s->Notes = edited.Notes;
    s->Days = edited.Days;
    s->Hours = edited.Hours;
    s->TimedSpots = edited.TimedSpots;
    s->SortTimedSpots();
    station.Changed.Schedules = true;
    return *s;
}

}  // namespace spindle
