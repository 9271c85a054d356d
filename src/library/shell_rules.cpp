#include "library/shell_rules.h"

#include "base/translate.h"

namespace spindle {

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
