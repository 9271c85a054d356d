#include "library/group_dialog_rules.h"

#include <sys/stat.h>

#include <algorithm>

#include "base/format.h"
#include "base/translate.h"
#include "library/station.h"
#include "library/track_list.h"

namespace spindle {

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
        return Format(tr("(%.1g hours)"), minutes / 60.0);
    }
    return Format(tr("(%.1g days)"), minutes / 1440.0);
}

std::string IntervalFieldText(const std::string& text) {
    return text.empty() ? "0" : text;
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
    // The dialog's own list of nine: the characters no file name may hold.
    if (name.find_first_of("\\/:*?\"<>|") != std::string::npos) {
        return {{std::string(tr("A name may not contain any of the following characters:")) +
                     "\n\t\t\\ / : * ? \" < > |",
                 "Name"}};
    }
    if (const std::string problem = TrackListNameProblem(name, kind); !problem.empty()) {
        return {{problem, "Name"}};
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
