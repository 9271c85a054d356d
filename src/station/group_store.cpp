// Categories.dat, Spots.dat and the per-group track lists.
#include <algorithm>
#include <cerrno>
#include <optional>
#include <system_error>

#include "base/float_text.h"
#include "base/format.h"
#include "base/list_text.h"
#include "base/paths.h"
#include "base/safe_file.h"
#include "base/text_case.h"
#include "base/text_file.h"
#include "base/translate.h"
#include "station/category_rules.h"
#include "station/group_ops.h"
#include "station/station.h"
#include "station/track_list.h"

namespace spindle {
namespace {

// Reads the items of a definitions line in order; the first one that is missing or
// does not convert ends the reading and later fields keep their initial values.
class LineReader {
public:
    explicit LineReader(const std::string& line) : items_(DecodeListText(line)) {}

    bool Text(std::string& out) {
        if (!Available()) {
            return false;
        }
        out = items_[i_++];
        return true;
    }
    bool List(std::vector<std::string>& out) {
        if (!Available()) {
            return false;
        }
        out = DecodeListText(items_[i_++]);
        return true;
    }
    template <typename T>
    bool Number(T& out, long long high) {
        if (!Available()) {
            return false;
        }
        const auto value = TextToInt(items_[i_]);
        if (!value || *value < 0 || *value > high) {
            stopped_ = true;
            return false;
        }
        out = static_cast<T>(*value);
        ++i_;
        return true;
    }
    bool Flag(bool& out) {
        if (!Available()) {
            return false;
        }
        out = items_[i_++] == "1";
        return true;
    }

private:
    bool Available() { return !stopped_ && i_ < items_.size(); }

    std::vector<std::string> items_;
    std::size_t i_ = 0;
    bool stopped_ = false;
};

std::string Flag(bool b) {
    return b ? "1" : "0";
}

}  // namespace

void Station::ReportTrackListName(const TCustomDetails& group) const {
    if (const std::string problem = TrackListNameProblem(group.Name, group.Kind());
        !problem.empty()) {
        ReportLoadProblem(
            Format(tr("The track list of \"%0:s\" is neither read nor saved."), group.Name) + " " +
            problem);
    }
}

void Station::LoadCategories() {
    Categories.clear();
    DeletedCategories.clear();
    const auto lines = ReadTextLines(dataFolder_ / "Categories.dat");
    if (!lines) {
        return;
    }
    for (const std::string& line : *lines) {
        auto c = std::make_unique<TCategoryDetails>();
        LineReader r(line);
        r.Text(c->Name) && r.Text(c->Notes) && r.List(c->Folders) &&
            r.Number(c->AverageTime, 0xFFFF) && r.Number(c->SongRepeatOption, 1) &&
            r.Number(c->SongRepeatInterval, 0xFFFFFFFFll) && r.Number(c->ArtistRepeatOption, 1) &&
            r.Number(c->ArtistRepeatInterval, 0xFFFFFFFFll) && r.Flag(c->Subfolders) &&
            r.Number(c->GroupType, 1) && r.Number(c->NextItem, 0xFFFFFFFFll);
        if (Startup && ProgressSink != nullptr) {
            ProgressSink->SetText(Format(tr("Loading Category: %0:s"), c->Name));
        }
        if (HasInvalidNameCharacter(c->Name)) {
            ReportLoadProblem(Format(
                tr("Category name \"%0:s\" includes invalid characters. Please rename."), c->Name));
        } else {
            ReportTrackListName(*c);
        }
        c->SavedName = c->Name;
        TCategoryDetails& added = *c;
        Categories.push_back(std::move(c));
        LoadCategoryFiles(added, false);
    }
}

void Station::LoadSpotGroups() {
    SpotGroups.clear();
    if (Startup && ProgressSink != nullptr) {
        ProgressSink->SetText(tr("Loading Spots"));
    }
    const auto lines = ReadTextLines(dataFolder_ / "Spots.dat");
    if (!lines) {
        return;
    }
    for (const std::string& line : *lines) {
        auto s = std::make_unique<TSpotDetails>();
        LineReader r(line);
        r.Text(s->Name) && r.Text(s->Notes) && r.List(s->Folders) &&
            r.Number(s->AverageTime, 0xFFFF) && r.Number(s->NextItem, 0xFFFFFFFFll) &&
            r.Flag(s->Subfolders) && r.Number(s->GroupType, 4) && r.Flag(s->FirstItem) &&
            r.Number(s->SortType, 2);
        s->SavedNextItem = s->NextItem;
        if (HasInvalidNameCharacter(s->Name)) {
            ReportLoadProblem(
                Format(tr("Spot Group name \"%0:s\" includes invalid characters. Please rename."),
                       s->Name));
        } else {
            ReportTrackListName(*s);
        }
        s->SavedName = s->Name;
        TSpotDetails& added = *s;
        SpotGroups.push_back(std::move(s));
        LoadSpotFiles(added);
    }
}

namespace {

// A renamed group's track list as written under its new name, with what that name held
// before, so that the write can be taken back.
struct CarriedList {
    std::string FromName;
    std::string ToName;
    std::filesystem::path From;
    std::filesystem::path To;
    std::string Contents;
    std::optional<std::string> Before;
};

// Puts back the first `written` lists as they were before they were carried.
void TakeBack(const std::vector<CarriedList>& carried, std::size_t written) {
    for (std::size_t i = 0; i < written; ++i) {
        std::error_code ec;
        if (carried[i].Before) {
            ReplaceFile(carried[i].To, *carried[i].Before);
        } else {
            std::filesystem::remove(carried[i].To, ec);
        }
    }
}

// Removes the lists under the old names, once the definitions no longer give them.
void RemoveCarriedFrom(const std::vector<CarriedList>& carried) {
    for (const CarriedList& c : carried) {
        // An old name another group's list has just taken over stays.
        const bool taken = std::any_of(carried.begin(), carried.end(), [&](const CarriedList& o) {
            return SameText(o.ToName, c.FromName);
        });
        std::error_code ec;
        if (!taken) {
            std::filesystem::remove(c.From, ec);
        }
    }
}

}  // namespace

bool Station::SaveGroupDefinitions(const std::vector<TCustomDetails*>& groups, const char* fileName,
                                   const std::string& text, const char* backupMessage) {
    // A renamed group's list is written under its new name before the definitions give
    // that name, and its old name goes only after they do: whatever step fails, every
    // list can be found under the name the saved definitions give it. Every list is read
    // before any is written, so groups that swap names swap lists.
    std::vector<CarriedList> carried;
    for (const TCustomDetails* g : groups) {
        if (g->SavedName.empty() || g->SavedName == g->Name ||
            !IsTrackListName(g->SavedName, g->Kind()) || !IsTrackListName(g->Name, g->Kind())) {
            continue;
        }
        const std::filesystem::path from = FindTrackListFile(dataFolder_, TrackListFileName(*g));
        auto contents = ReadFileBytes(from);
        std::error_code ec;
        if (!contents && std::filesystem::exists(from, ec)) {
            // Saving the new name now would leave the history behind for good.
            op_->Show(MessageKind::Error,
                      Format(tr("Unable to read \"%0:s\"; nothing was saved."), from.string()),
                      Buttons::Ok);
            return false;
        }
        if (!contents) {
            continue;  // nothing saved to carry
        }
        const std::filesystem::path to = dataFolder_ / TrackListFileName(g->Name, g->Kind());
        carried.push_back(
            {g->SavedName, g->Name, from, to, std::move(*contents), ReadFileBytes(to)});
    }
    for (std::size_t i = 0; i < carried.size(); ++i) {
        if (!ReplaceFile(carried[i].To, carried[i].Contents)) {
            TakeBack(carried, i);
            op_->Show(MessageKind::Error,
                      Format(tr("Unable to create \"%0:s\""), carried[i].To.string()), Buttons::Ok);
            return false;
        }
    }
    if (!SaveDefinitions(fileName, text, backupMessage)) {
        TakeBack(carried, carried.size());
        return false;
    }
    RemoveCarriedFrom(carried);
    for (TCustomDetails* g : groups) {
        g->SavedName = g->Name;
    }
    return true;
}

bool Station::OwnsTrackList(const TCustomDetails& group) const {
    if (!IsTrackListName(group.ListName(), group.Kind())) {
        return false;
    }
    if (!group.SavedName.empty()) {
        return true;
    }
    auto heldElsewhere = [&](const auto& list) {
        return std::any_of(list.begin(), list.end(), [&](const auto& g) {
            return g.get() != &group && SameText(g->SavedName, group.Name);
        });
    };
    return group.Kind() == GroupKind::Category ? !heldElsewhere(Categories)
                                               : !heldElsewhere(SpotGroups);
}

bool Station::SaveCategories() {
    std::string text;
    std::vector<TCustomDetails*> groups;
    for (const auto& c : Categories) {
        text += EncodeListText(
            {c->Name, c->Notes, EncodeListText(c->Folders), std::to_string(c->AverageTime),
             std::to_string(c->SongRepeatOption), std::to_string(c->SongRepeatInterval),
             std::to_string(c->ArtistRepeatOption), std::to_string(c->ArtistRepeatInterval),
             Flag(c->Subfolders), std::to_string(c->GroupType), std::to_string(c->NextItem)});
        text += "\r\n";
        groups.push_back(c.get());
    }
    // The rules in the database move to the names before the file gives them, and back
    // should it not, so that the two agree whatever step fails.
    const DbRead<std::optional<RuleTexts>> carried = CarryCategoryRules(*this);
    if (!carried) {
        op_->Show(MessageKind::Error,
                  Format(tr("The Categories were not saved: %0:s"), carried.Problem), Buttons::Ok);
        return false;
    }
    if (!SaveGroupDefinitions(groups, "Categories.dat", text,
                              N_("Unable to save Category backup file.  Save aborted."))) {
        if (carried.Value) {
            const DbStatus back = StationDb(dataFolder_, StationDb::Mode::IfExists)
                                      .ReplaceRuleBook({}, *carried.Value);
            if (!back) {
                op_->Show(MessageKind::Error, back.Problem, Buttons::Ok);
            }
        }
        return false;
    }
    DeletedCategories.clear();
    Changed.Categories = false;
    return true;
}

bool Station::SaveSpotGroups() {
    std::string text;
    std::vector<TCustomDetails*> groups;
    for (const auto& s : SpotGroups) {
        text += EncodeListText({s->Name, s->Notes, EncodeListText(s->Folders),
                                std::to_string(s->AverageTime), std::to_string(s->NextItem),
                                Flag(s->Subfolders), std::to_string(s->GroupType),
                                Flag(s->FirstItem), std::to_string(s->SortType)});
        text += "\r\n";
        groups.push_back(s.get());
    }
    if (!SaveGroupDefinitions(groups, "Spots.dat", text,
                              N_("Unable to save Spots backup file.  Save aborted."))) {
        return false;
    }
    Changed.Spots = false;
    return true;
}

bool Station::SaveTrackList(TCustomDetails& group) {
    const std::string fileName = TrackListFileName(group);
    if (const std::string problem = TrackListNameProblem(group.ListName(), group.Kind());
        !problem.empty()) {
        op_->Show(
            MessageKind::Error,
            Format(tr("The track list of \"%0:s\" was not saved."), group.Name) + " " + problem,
            Buttons::Ok);
        return false;
    }
    if (!OwnsTrackList(group)) {
        // A new group named like one renamed away, after the definitions failed to save:
        // its list waits for a save of them rather than overwrite the other's.
        return false;
    }
    const std::filesystem::path file = dataFolder_ / fileName;
    if (!ReplaceFile(
            file, TrackListText(group.Files, settings_) + TrackListText(group.Absent, settings_))) {
        op_->Show(MessageKind::Error, Format(tr("Unable to create \"%0:s\""), file.string()),
                  Buttons::Ok);
        return false;
    }
    for (auto* files : {&group.Files, &group.Absent}) {
        for (FileRec& f : *files) {
            f.SavedLastUsed = f.LastUsed;
        }
    }
    if (group.Kind() == GroupKind::SpotGroup) {
        auto& spots = static_cast<TSpotDetails&>(group);
        spots.SavedNextItem = spots.NextItem;
    }
    return true;
}

bool Station::SaveAllTrackLists() {
    bool ok = true;
    for (auto& c : Categories) {
        ok = SaveTrackList(*c) && ok;
    }
    for (auto& s : SpotGroups) {
        ok = SaveTrackList(*s) && ok;
    }
    // Artists are saved with the tracks whose lists made it to disk; after a failure
    // the flag stays set so that the next save tries again.
    Artists.MarkAllSaved();
    if (ok) {
        Changed.FileLists = false;
    }
    return ok;
}

}  // namespace spindle
