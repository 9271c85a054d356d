#include "forms/options_page_rules.h"

#include "base/format.h"
#include "base/text_case.h"
#include "base/translate.h"
#include "forms/group_dialog_rules.h"
#include "station/station.h"

namespace spindle {

std::string OptionsIntervalUnitLabel(std::uint32_t minutes) {
    if (minutes < 120) {
        return tr("minutes");
    }
    if (minutes <= 2160) {
        return Format(tr("%g hours"), NearestHalf(minutes / 60.0));
    }
    return Format(tr("%g days"), NearestHalf(minutes / 1440.0));
}

std::string FileDialogFilter(const ExtensionSet& extensions) {
    std::string patterns;
    for (const std::string& name : extensions.SelectedNames()) {
        patterns += (patterns.empty() ? "*." : " *.") + LowerCase(name);
    }
    return std::string(tr("All supported files")) + " (" + patterns + ");;" + tr("All files") +
           " (*)";
}

UsageList UsageListOf(const Station& station, ListKind kind, std::size_t index) {
    UsageList list;
    auto section = [&](const char* heading, const auto& users, const char* none) {
        list.Lines.push_back(tr(heading));
        if (users.empty()) {
            list.Lines.push_back(tr(none));
        }
        for (const auto* user : users) {
            list.Lines.push_back(user->Name);
        }
    };
    if (kind == ListKind::Categories && index < station.Categories.size()) {
        list.Title = tr("Category Usage List");
        list.Name = station.Categories[index]->Name;
        section(N_("Category in Rotations:"),
                RotationsUsing(station, station.Categories[index].get()),
                N_("Not used in any rotations."));
    } else if (kind == ListKind::SpotGroups && index < station.SpotGroups.size()) {
        const TSpotDetails* group = station.SpotGroups[index].get();
        list.Title = tr("Spot Group Usage List");
        list.Name = group->Name;
        section(N_("Spot in Rotations:"), RotationsUsing(station, group),
                N_("Not used in any rotations."));
        section(N_("Timed Spot in Schedules:"), SchedulesWithTimedSpot(station, group),
                N_("Not used as a Timed Spot."));
    } else if (kind == ListKind::Rotations && index < station.Rotations.size()) {
        list.Title = tr("Rotation Usage List");
        list.Name = station.Rotations[index]->Name;
        section(N_("Rotation in Schedules:"),
                SchedulesUsing(station, station.Rotations[index].get()),
                N_("Not used in any schedules."));
    }
    return list;
}

}  // namespace spindle
