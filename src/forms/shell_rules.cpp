#include "forms/shell_rules.h"

#include <filesystem>

#include "base/format.h"
#include "base/paths.h"
#include "base/translate.h"

namespace spindle {

StartupSwitches ParseStartupSwitches(const std::vector<std::string>& args) {
    StartupSwitches switches;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool letter = a.size() == 2 && (a[0] == '-' || a[0] == '/');
        const char c = letter ? static_cast<char>(a[1] | 0x20) : '\0';
        if ((letter && c == 'e') || a == "--editor") {
            switches.EditorFirst = true;
        } else if ((letter && c == 'i') || a == "--isolated") {
            switches.Isolated = true;
        } else if ((letter && c == 'r') || a == "--run") {
            switches.Unattended = true;
        } else if (a == "--data" && i + 1 < args.size()) {
            switches.Data = args[++i];
        } else if (a.rfind("--data=", 0) == 0 && a.size() > 7) {
            switches.Data = a.substr(7);
        } else {
            switches.Problem = Format(tr("unknown argument \"%0:s\""), a);
            break;
        }
    }
    return switches;
}

bool ApplyFirstRunPreset(Station& station) {
    Options& o = station.Opt;
    const std::string plain = std::string("%p") + kPathDelim + "%f%e";
    std::error_code ec;
    if (!station.Rotations.empty() || o.PlaylistFormat != plain ||
        !std::filesystem::exists(station.DataFolder() / "Studio" / "ZedStudio.exe", ec)) {
        return false;
    }
    o.PlaylistFormat = "#EXTINF:%S,%a - %t|%C%h|%c%n" + plain;
    o.BreakNoteString = "#EXTINF:%S,%u|3%h|%c%n%u";
    return true;
}

ViewStyle NextViewStyle(ViewStyle style) {
    switch (style) {
        case ViewStyle::Details:
            return ViewStyle::List;
        case ViewStyle::List:
            return ViewStyle::SmallIcons;
        case ViewStyle::SmallIcons:
            return ViewStyle::LargeIcons;
        case ViewStyle::LargeIcons:
            break;
    }
    return ViewStyle::Details;
}

Page StartPage(const Station& station) {
    if (station.Categories.empty() || station.Rotations.empty()) {
        return Page::Categories;
    }
    return station.Schedules.empty() ? Page::Rotations : Page::Options;
}

bool PageHasChanges(const ChangedFlags& c, Page page) {
    switch (page) {
        case Page::Categories:
            return c.Categories || c.FileLists;
        case Page::SpotGroups:
            return c.Spots;
        case Page::Rotations:
            return c.Rotations;
        case Page::Schedules:
            return c.Schedules;
        case Page::Options:
            return c.Options || c.Related;
    }
    return false;
}

bool SavePage(Station& station, Page page) {
    ChangedFlags& c = station.Changed;
    bool ok = true;
    switch (page) {
        case Page::Categories:
            if (c.Categories) {
                ok = station.SaveCategories() && ok;
            }
            if (c.FileLists) {
                ok = station.SaveAllTrackLists() && ok;
            }
            break;
        case Page::SpotGroups:
            ok = !c.Spots || station.SaveSpotGroups();
            break;
        case Page::Rotations:
            ok = !c.Rotations || station.SaveRotations();
            break;
        case Page::Schedules:
            ok = !c.Schedules || station.SaveSchedules();
            break;
        case Page::Options:
            if (c.Options) {
                ok = station.SaveOptions() && ok;
            }
            if (c.Related) {
                ok = station.SaveRelated() && ok;
            }
            break;
    }
    return ok;
}

bool MayClose(Station& station) {
    if (!station.Changed.Any()) {
        return true;
    }
    switch (station.Op().Show(MessageKind::Warning,
                              tr("Unsaved changes have been made.  Do you wish to save them now?"),
                              Buttons::YesNoCancel)) {
        case Answer::No:
            return true;
        case Answer::Yes:
            return station.SaveAll();
        default:
            return false;
    }
}

}  // namespace spindle
