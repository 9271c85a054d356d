// Rotations.dat and Schedules.dat.
#include "base/format.h"
#include "base/list_text.h"
#include "base/text_file.h"
#include "base/translate.h"
#include "station/station.h"

namespace spindle {
namespace {

// Attaches a rotation item to the group it names; a missing group is reported and
// the item kept as text.
void ResolveItem(RotationItem& item, const TRotationDetails& rotation, const Station& station) {
    item.Object = nullptr;
    switch (ClassifyRotationItem(item.Text)) {
        case RotationItemKind::Category: {
            const std::string name = RotationItemGroupName(item.Text);
            item.Object = station.FindCategory(name);
            if (item.Object == nullptr) {
                station.ReportLoadProblem(
                    Format(tr("Category \"%0:s\" used in Rotation \"%1:s\" is not found."), name,
                           rotation.Name));
            }
            break;
        }
        case RotationItemKind::SpotGroup:
        case RotationItemKind::TimedSpotGroup: {
            const std::string name = RotationItemGroupName(item.Text);
            item.Object = station.FindSpotGroup(name);
            if (item.Object == nullptr) {
                station.ReportLoadProblem(
                    Format(tr("Spot Group \"%0:s\" used in Rotation \"%1:s\" is not found."), name,
                           rotation.Name));
            }
            break;
        }
        default:
            break;
    }
}

std::string DaysText(const std::array<bool, 7>& days) {
    std::string text;
    for (bool d : days) {
        text += d ? '1' : '0';
    }
    return text;
}

}  // namespace

void Station::LoadRotations() {
    Rotations.clear();
    DefaultRotation = nullptr;
    const auto lines = ReadTextLines(dataFolder_ / "Rotations.dat");
    if (!lines) {
        return;
    }
    for (const std::string& line : *lines) {
        const std::vector<std::string> items = DecodeListText(line);
        auto r = std::make_unique<TRotationDetails>();
        if (items.size() > 0)
            r->Name = items[0];
        if (items.size() > 1)
            r->Notes = items[1];
        if (items.size() > 2)
            r->Default = items[2] == "1";
        if (r->Default || DefaultRotation == nullptr) {
            DefaultRotation = r.get();
        }
        if (items.size() > 3) {
            for (std::string& text : DecodeListText(items[3])) {
                RotationItem item{std::move(text), nullptr};
                ResolveItem(item, *r, *this);
                r->Items.push_back(std::move(item));
            }
        }
        Rotations.push_back(std::move(r));
    }
}

bool Station::SaveRotations() {
    std::string text;
    for (const auto& r : Rotations) {
        std::vector<std::string> items;
        items.reserve(r->Items.size());
        for (const RotationItem& item : r->Items) {
            items.push_back(item.Text);
        }
        text += EncodeListText({r->Name, r->Notes, r->Default ? "1" : "0", EncodeListText(items)});
        text += "\r\n";
    }
    if (!SaveDefinitions("Rotations.dat", text,
                         N_("Unable to save Rotations backup file.  Save aborted."))) {
        return false;
    }
    Changed.Rotations = false;
    return true;
}

// Schedules.dat: one line per schedule, the list text of its name, notes, the seven day
// flags Monday first ("1111100"), the 24 hour entries and the timed spots.
void Station::LoadSchedules() {
    Schedules.clear();
    const auto lines = ReadTextLines(dataFolder_ / "Schedules.dat");
    if (!lines) {
        return;
    }
    for (const std::string& line : *lines) {
        const std::vector<std::string> items = DecodeListText(line);
        auto s = std::make_unique<TScheduleDetails>();
        if (items.size() > 0)
            s->Name = items[0];
        if (items.size() > 1)
            s->Notes = items[1];
        if (items.size() > 2) {
            for (std::size_t d = 0; d < 7 && d < items[2].size(); ++d) {
                s->Days[d] = items[2][d] == '1';
            }
        }
        if (items.size() > 3) {
            const std::vector<std::string> hours = DecodeListText(items[3]);
            for (std::size_t h = 0; h < 24 && h < hours.size(); ++h) {
                s->Hours[h].Text = hours[h];
            }
        }
        for (ScheduleHour& hour : s->Hours) {
            const std::string name = ScheduleEntryName(hour.Text);
            hour.Object = nullptr;
            if (name == kDefaultRotationPlaceholder) {
                continue;
            }
            // A rotation that is gone is reported when a run reaches its hour.
            hour.Object = FindRotation(name);
        }
        if (items.size() > 4) {
            for (std::string& text : DecodeListText(items[4])) {
                TimedSpot spot{std::move(text), nullptr};
                const std::string name = ScheduleEntryName(spot.Text);
                if (name.rfind(kBreakNoteEntry, 0) != 0) {
                    spot.Object = FindSpotGroup(name);
                    if (spot.Object == nullptr) {
                        ReportLoadProblem(Format(
                            tr("Spot Group \"%0:s\" used in Schedule \"%1:s\" is not found."), name,
                            s->Name));
                    }
                }
                s->TimedSpots.push_back(std::move(spot));
            }
            s->SortTimedSpots();
        }
        Schedules.push_back(std::move(s));
    }
}

bool Station::SaveSchedules() {
    std::string text;
    for (const auto& s : Schedules) {
        std::vector<std::string> hours;
        for (const ScheduleHour& h : s->Hours) {
            hours.push_back(h.Text);
        }
        std::vector<std::string> spots;
        for (const TimedSpot& t : s->TimedSpots) {
            spots.push_back(t.Text);
        }
        text += EncodeListText(
            {s->Name, s->Notes, DaysText(s->Days), EncodeListText(hours), EncodeListText(spots)});
        text += "\r\n";
    }
    if (!SaveDefinitions("Schedules.dat", text,
                         N_("Unable to save Schedules backup file.  Save aborted."))) {
        return false;
    }
    Changed.Schedules = false;
    return true;
}

}  // namespace spindle
