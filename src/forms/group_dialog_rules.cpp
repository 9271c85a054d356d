#include "forms/group_dialog_rules.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>

#include "base/format.h"
#include "base/translate.h"
#include "station/station.h"
#include "station/track_list.h"

namespace spindle {

double NearestHalf(double value) {
    return std::round(value * 2) / 2;
}

int IntervalPosition(std::uint32_t minutes) {
    const auto at = std::lower_bound(kIntervalScale.begin(), kIntervalScale.end(), minutes);
    return at == kIntervalScale.end() ? static_cast<int>(kIntervalScale.size()) - 1
                                      : static_cast<int>(at - kIntervalScale.begin());
}

std::string IntervalUnitLabel(std::uint32_t minutes) {
    if (minutes < 120) {
        return {};
    }
    if (minutes <= 2160) {
        return Format(tr("(%g hours)"), NearestHalf(minutes / 60.0));
    }
    return Format(tr("(%g days)"), NearestHalf(minutes / 1440.0));
}

std::string NumberFieldText(const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }) ? text
                                                                                              : "0";
}

SpotDialogEnabling SpotDialogRules(int groupType, int sortType, bool firstItemChecked) {
    SpotDialogEnabling e;
    const bool introOrOutro = groupType == kSpotSongIntro || groupType == kSpotSongOutro;
    e.SortType = !introOrOutro;
    e.FirstItem =
        (groupType == kSpotNormal || groupType == kSpotVoiceIntro) && sortType != kSortRandomly;
    e.NextItem = e.FirstItem && !firstItemChecked;
    return e;
}

bool GroupPropertiesComplete(const std::string& name, const std::string& folderText) {
    return !name.empty() && !folderText.empty();
}

std::vector<Verdict> CheckGroupProperties(const Station& station, GroupKind kind, bool isNew,
                                          const std::string& name,
                                          const std::vector<std::string>& folderLines) {
    const bool category = kind == GroupKind::Category;
    if (isNew && (category ? station.FindCategory(name) != nullptr
                           : station.FindSpotGroup(name) != nullptr)) {
        return {{category ? tr("Category already exists. Try again.")
                          : tr("Spot Group already exists. Try again."),
                 "Name"}};
    }
    // The name of an existing group cannot change here, so only a new one is checked,
    // by the rule every list follows.
    if (isNew) {
        const Verdict v = CheckName(station, category ? ListKind::Categories : ListKind::SpotGroups,
                                    kNewEntry, name);
        if (!v.Ok()) {
            return {v};
        }
    }
    std::vector<Verdict> missing;
    for (const std::string& line : folderLines) {
        struct stat st {};
        if (::stat(line.c_str(), &st) != 0) {
            missing.push_back(
                {Format(tr("File or Folder \"%0:s\" does not exist."), line), "Folders"});
        }
    }
    return missing;
}

}  // namespace spindle

namespace spindle {

GroupFields FieldsOf(const TCustomDetails& group) {
    GroupFields f;
    f.Name = group.Name;
    f.Notes = group.Notes;
    f.Folders = group.Folders;
    f.Subfolders = group.Subfolders;
    f.GroupType = group.GroupType;
    if (group.Kind() == GroupKind::Category) {
        const auto& c = static_cast<const TCategoryDetails&>(group);
        f.SongRepeatOption = c.SongRepeatOption;
        f.SongRepeatInterval = c.SongRepeatInterval;
        f.ArtistRepeatOption = c.ArtistRepeatOption;
        f.ArtistRepeatInterval = c.ArtistRepeatInterval;
    } else {
        const auto& g = static_cast<const TSpotDetails&>(group);
        f.SortType = g.SortType;
        f.FirstItem = g.FirstItem;
        f.NextItem = g.NextItem;
    }
    return f;
}

bool ShowsStoredAverage(const TCustomDetails& stored, const GroupFields& shown) {
    if (shown.Folders != stored.Folders || shown.Subfolders != stored.Subfolders) {
        return false;
    }
    if (stored.Kind() == GroupKind::Category) {
        return shown.GroupType == stored.GroupType;
    }
    const auto& g = static_cast<const TSpotDetails&>(stored);
    return (shown.GroupType == kSpotBlock) == (g.GroupType == kSpotBlock) &&
           (shown.SortType == kSortPerFolder) == (g.SortType == kSortPerFolder);
}

TCustomDetails& ApplyGroupFields(Station& station, GroupKind kind, TCustomDetails* existing,
                                 const GroupFields& fields) {
    const bool category = kind == GroupKind::Category;
    TCustomDetails* group = existing;
    if (group == nullptr) {
        if (category) {
            station.Categories.push_back(std::make_unique<TCategoryDetails>());
            group = station.Categories.back().get();
        } else {
            station.SpotGroups.push_back(std::make_unique<TSpotDetails>());
            group = station.SpotGroups.back().get();
        }
        group->Name = fields.Name;
    }
    group->Notes = fields.Notes;
    group->Folders = fields.Folders;
    group->Subfolders = fields.Subfolders;
    group->GroupType = fields.GroupType;
    if (category) {
        auto& c = static_cast<TCategoryDetails&>(*group);
        c.SongRepeatOption = fields.SongRepeatOption;
        c.SongRepeatInterval = fields.SongRepeatInterval;
        c.ArtistRepeatOption = fields.ArtistRepeatOption;
        c.ArtistRepeatInterval = fields.ArtistRepeatInterval;
        station.Changed.Categories = true;
    } else {
        auto& g = static_cast<TSpotDetails&>(*group);
        g.SortType = fields.SortType;
        g.FirstItem = fields.FirstItem;
        g.NextItem = fields.NextItem;
        g.SavedNextItem = fields.NextItem;
        station.Changed.Spots = true;
    }
    return *group;
}

}  // namespace spindle
