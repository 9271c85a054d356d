#include "forms/library_edits.h"

#include <algorithm>
#include <system_error>

#include "base/format.h"
#include "base/paths.h"
#include "base/safe_file.h"
#include "base/text_case.h"
#include "base/text_file.h"
#include "base/translate.h"
#include "forms/rule_form.h"
#include "station/category_rules.h"
#include "station/track_list.h"

namespace spindle {
namespace {

void Error(Station& station, const std::string& text) {
    station.Op().Show(MessageKind::Error, text, Buttons::Ok);
}

bool Confirm(Station& station, const std::string& text) {
    return station.Op().Show(MessageKind::Confirmation, text, Buttons::YesNo) == Answer::Yes;
}

// The name of entry `index` of a list, and whether another entry has `name`.
template <typename List>
bool NameTaken(const List& list, std::size_t index, const std::string& name) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (i != index && SameText(list[i]->Name, name)) {
            return true;
        }
    }
    return false;
}

// An item or entry text with its name part replaced: the part after the time field
// (and its brace and minute group) is rebuilt, so neither the time field nor a name
// written in another case can go wrong.
std::string WithGroupName(const std::string& text, const std::string& name) {
    switch (ClassifyRotationItem(text)) {
        case RotationItemKind::Category:
            return text.substr(0, std::min<std::size_t>(text.size(), 9)) + name;
        case RotationItemKind::SpotGroup:
            return text.substr(0, std::min<std::size_t>(text.size(), 10)) + name + "}";
        case RotationItemKind::TimedSpotGroup:
            return text.substr(0, std::min<std::size_t>(text.size(), 14)) + name + "}";
        default:
            return text;
    }
}

std::string WithEntryName(const std::string& text, const std::string& name) {
    const std::size_t tab = text.find('\t');
    return tab == std::string::npos ? text : text.substr(0, tab + 1) + name;
}

const std::string& NameAt(const Station& s, ListKind kind, std::size_t index) {
    switch (kind) {
        case ListKind::Categories:
            return s.Categories[index]->Name;
        case ListKind::SpotGroups:
            return s.SpotGroups[index]->Name;
        case ListKind::Rotations:
            return s.Rotations[index]->Name;
        default:
            return s.Schedules[index]->Name;
    }
}

std::size_t ListSize(const Station& s, ListKind kind) {
    switch (kind) {
        case ListKind::Categories:
            return s.Categories.size();
        case ListKind::SpotGroups:
            return s.SpotGroups.size();
        case ListKind::Rotations:
            return s.Rotations.size();
        default:
            return s.Schedules.size();
    }
}

bool Taken(const Station& s, ListKind kind, std::size_t index, const std::string& name) {
    switch (kind) {
        case ListKind::Categories:
            return NameTaken(s.Categories, index, name);
        case ListKind::SpotGroups:
            return NameTaken(s.SpotGroups, index, name);
        case ListKind::Rotations:
            return NameTaken(s.Rotations, index, name);
        default:
            return NameTaken(s.Schedules, index, name);
    }
}

void RemoveTrackList(const Station& station, const TCustomDetails& group) {
    const std::string fileName = TrackListFileName(group);
    if (station.OwnsTrackList(group)) {
        std::error_code ec;
        std::filesystem::remove(station.DataFolder() / fileName, ec);
    }
}

}  // namespace

std::vector<const TRotationDetails*> RotationsUsing(const Station& station,
                                                    const TCustomDetails* group) {
    std::vector<const TRotationDetails*> users;
    for (const auto& r : station.Rotations) {
        if (std::any_of(r->Items.begin(), r->Items.end(),
                        [&](const RotationItem& item) { return item.Object == group; })) {
            users.push_back(r.get());
        }
    }
    return users;
}

std::vector<const TScheduleDetails*> SchedulesWithTimedSpot(const Station& station,
                                                            const TSpotDetails* group) {
    std::vector<const TScheduleDetails*> users;
    for (const auto& s : station.Schedules) {
        if (std::any_of(s->TimedSpots.begin(), s->TimedSpots.end(),
                        [&](const TimedSpot& t) { return t.Object == group; })) {
            users.push_back(s.get());
        }
    }
    return users;
}

std::vector<const TScheduleDetails*> SchedulesUsing(const Station& station,
                                                    const TRotationDetails* rotation) {
    std::vector<const TScheduleDetails*> users;
    for (const auto& s : station.Schedules) {
        if (std::any_of(s->Hours.begin(), s->Hours.end(),
                        [&](const ScheduleHour& h) { return h.Object == rotation; })) {
            users.push_back(s.get());
        }
    }
    return users;
}

bool UpdateRotationReferences(Station& station, const TCustomDetails& group) {
    bool matched = false;
    for (auto& r : station.Rotations) {
        for (RotationItem& item : r->Items) {
            if (item.Object == &group) {
                item.Text = WithGroupName(item.Text, group.Name);
                matched = true;
            }
        }
    }
    if (matched) {
        station.Changed.Rotations = true;
    }
    return matched;
}

bool UpdateScheduleReferences(Station& station, const TRotationDetails& rotation) {
    bool matched = false;
    for (auto& s : station.Schedules) {
        for (ScheduleHour& h : s->Hours) {
            if (h.Object == &rotation) {
                h.Text = WithEntryName(h.Text, rotation.Name);
                matched = true;
            }
        }
    }
    if (matched) {
        station.Changed.Schedules = true;
    }
    return matched;
}

bool UpdateScheduleReferences(Station& station, const TSpotDetails& group) {
    bool matched = false;
    for (auto& s : station.Schedules) {
        for (TimedSpot& t : s->TimedSpots) {
            if (t.Object == &group) {
                t.Text = WithEntryName(t.Text, group.Name);
                matched = true;
            }
        }
        if (matched) {
            s->SortTimedSpots();
        }
    }
    if (matched) {
        station.Changed.Schedules = true;
    }
    return matched;
}

std::string InvalidNameMessage() {
    std::string list;
    for (const char c : kInvalidNameCharacters) {
        list += list.empty() ? "" : " ";
        list += c;
    }
    return std::string(tr("A name may not contain any of the following characters:")) + "\n\t\t" +
           list;
}

Verdict CheckName(const Station& station, ListKind kind, std::size_t index,
                  const std::string& name) {
    // A rename's refusals name what is renamed; a new entry's do not.
    const std::string prefix =
        index < ListSize(station, kind)
            ? Format(tr("Cannot rename \"%0:s\"."), NameAt(station, kind, index)) + "\n"
            : std::string();
    if (name.empty()) {
        return {tr("You must type a name."), "Name"};
    }
    if (HasInvalidNameCharacter(name)) {
        return {InvalidNameMessage(), "Name"};
    }
    // An hour naming this plays the Default Rotation, whatever Rotation bears the name.
    if (kind == ListKind::Rotations && SameText(name, kDefaultRotationPlaceholder)) {
        return {prefix + Format(tr("\"%0:s\" stands for the Default Rotation and cannot be a "
                                   "Rotation's name."),
                                name),
                "Name"};
    }
    if (Taken(station, kind, index, name)) {
        return {prefix + Format(tr("\"%0:s\" already exists."), name), "Name"};
    }
    // The rules of a Category not yet saved are kept under its name, which must not be the
    // one a renamed Category's rules are kept under until the Categories are saved.
    if (kind == ListKind::Categories &&
        (index >= ListSize(station, kind) || station.Categories[index]->SavedName.empty())) {
        for (const auto& c : station.Categories) {
            if (c->SavedName == name) {
                return {prefix + Format(tr("\"%0:s\" was renamed from \"%1:s\": save the "
                                           "Categories before another takes that name."),
                                        c->Name, name),
                        "Name"};
            }
        }
    }
    if (kind == ListKind::Categories || kind == ListKind::SpotGroups) {
        const GroupKind group =
            kind == ListKind::Categories ? GroupKind::Category : GroupKind::SpotGroup;
        if (const std::string problem = TrackListNameProblem(name, group); !problem.empty()) {
            return {prefix + problem, "Name"};
        }
    }
    return {};
}

Verdict CheckDelete(const Station& station, ListKind kind, std::size_t index) {
    if (index >= ListSize(station, kind)) {
        return {};
    }
    const std::string name = NameAt(station, kind, index);
    auto usedIn = [&](const char* message, const std::string& user) {
        return Verdict{Format(tr(message), name, user), {}};
    };
    switch (kind) {
        case ListKind::SpotGroups: {
            const TSpotDetails* group = station.SpotGroups[index].get();
            if (auto users = RotationsUsing(station, group); !users.empty()) {
                return usedIn(N_("\"%0:s\" is currently used in Rotation \"%1:s\".  Remove it and "
                                 "try again."),
                              users[0]->Name);
            }
            if (auto users = SchedulesWithTimedSpot(station, group); !users.empty()) {
                return usedIn(
                    N_("\"%0:s\" is currently used as a Timed Spot in Schedule \"%1:s\".  "
                       "Remove it and try again."),
                    users[0]->Name);
            }
            return {};
        }
        case ListKind::Categories:
            if (auto users = RotationsUsing(station, station.Categories[index].get());
                !users.empty()) {
                return usedIn(N_("\"%0:s\" is currently used in Rotation \"%1:s\".  Remove it and "
                                 "try again."),
                              users[0]->Name);
            }
            return {};
        case ListKind::Rotations: {
            const TRotationDetails* rotation = station.Rotations[index].get();
            if (rotation == station.DefaultRotation) {
                return {tr("The Default Rotation cannot be deleted."), {}};
            }
            if (auto users = SchedulesUsing(station, rotation); !users.empty()) {
                return usedIn(N_("\"%0:s\" is currently used in Schedule \"%1:s\".  Remove it and "
                                 "try again."),
                              users[0]->Name);
            }
            return {};
        }
        case ListKind::Schedules:
            return {};
    }
    return {};
}

bool RenameEntry(Station& station, ListKind kind, std::size_t index, const std::string& newName) {
    if (index >= ListSize(station, kind) || newName == NameAt(station, kind, index)) {
        return false;
    }
    if (const Verdict v = CheckName(station, kind, index, newName); !v.Ok()) {
        Error(station, v.Message);
        return false;
    }
    switch (kind) {
        case ListKind::Categories: {
            TCategoryDetails& c = *station.Categories[index];
            // A saved Category's rules follow when the Categories are saved; a new one's are
            // kept under its name.
            if (const DbStatus moved =
                    c.SavedName.empty() ? RenameCategoryRules(station.DataFolder(), c.Name, newName)
                                        : DbStatus{};
                !moved) {
                Error(station,
                      Format(tr("Cannot rename \"%0:s\"."), c.Name) + "\n" + moved.Problem);
                return false;
            }
            c.Name = newName;
            UpdateRotationReferences(station, c);
            station.Changed.Categories = true;
            break;
        }
        case ListKind::SpotGroups: {
            TSpotDetails& s = *station.SpotGroups[index];
            s.Name = newName;
            UpdateRotationReferences(station, s);
            UpdateScheduleReferences(station, s);
            station.Changed.Spots = true;
            break;
        }
        case ListKind::Rotations: {
            TRotationDetails& r = *station.Rotations[index];
            r.OldName = r.Name;
            r.Name = newName;
            UpdateScheduleReferences(station, r);
            station.Changed.Rotations = true;
            break;
        }
        case ListKind::Schedules:
            station.Schedules[index]->Name = newName;
            station.Changed.Schedules = true;
            break;
    }
    return true;
}

bool DeleteEntry(Station& station, ListKind kind, std::size_t index) {
    if (index >= ListSize(station, kind)) {
        return false;
    }
    if (const Verdict v = CheckDelete(station, kind, index); !v.Ok()) {
        Error(station, v.Message);
        return false;
    }
    static const char* const kQuestions[] = {
        N_("Are you sure you want to delete Category \"%0:s\"?"),
        N_("Are you sure you want to delete Spot Group \"%0:s\"?"),
        N_("Are you sure you want to delete Rotation \"%0:s\"?"),
        N_("Are you sure you want to delete Schedule \"%0:s\"?")};
    if (!Confirm(station,
                 Format(tr(kQuestions[static_cast<int>(kind)]), NameAt(station, kind, index)))) {
        return false;
    }
    const auto at = static_cast<long>(index);
    switch (kind) {
        case ListKind::Categories:
            station.DeletedCategories.push_back(station.Categories[index]->ListName());
            RemoveTrackList(station, *station.Categories[index]);
            station.Categories.erase(station.Categories.begin() + at);
            station.Changed.Categories = true;
            break;
        case ListKind::SpotGroups:
            RemoveTrackList(station, *station.SpotGroups[index]);
            station.SpotGroups.erase(station.SpotGroups.begin() + at);
            station.Changed.Spots = true;
            break;
        case ListKind::Rotations:
            station.Rotations.erase(station.Rotations.begin() + at);
            station.Changed.Rotations = true;
            break;
        case ListKind::Schedules:
            station.Schedules.erase(station.Schedules.begin() + at);
            station.Changed.Schedules = true;
            break;
    }
    return true;
}

namespace {

// "Copy of NAME", or "Copy (2) of NAME" and on while that is taken.
std::string CopyName(const Station& station, ListKind kind, const std::string& name) {
    std::string copy = Format(tr("Copy of %0:s"), name);
    for (long n = 2; Taken(station, kind, kNewEntry, copy); ++n) {
        copy = Format(tr("Copy (%0:d) of %1:s"), n, name);
    }
    return copy;
}

}  // namespace

bool CopyEntry(Station& station, ListKind kind, std::size_t index) {
    if (index >= ListSize(station, kind)) {
        return false;
    }
    if (kind == ListKind::Rotations) {
        const TRotationDetails& from = *station.Rotations[index];
        auto copy = std::make_unique<TRotationDetails>();
        copy->Name = CopyName(station, kind, from.Name);
        copy->Notes = from.Notes;
        copy->Items = from.Items;
        station.Rotations.push_back(std::move(copy));
        station.Changed.Rotations = true;
        return true;
    }
    if (kind == ListKind::Schedules) {
        const TScheduleDetails& from = *station.Schedules[index];
        auto copy = std::make_unique<TScheduleDetails>();
        copy->Name = CopyName(station, kind, from.Name);
        copy->Notes = from.Notes;
        copy->Hours = from.Hours;
        copy->TimedSpots = from.TimedSpots;
        station.Schedules.push_back(std::move(copy));
        station.Changed.Schedules = true;
        return true;
    }
    return false;
}

namespace {

// What the station is restored from: its data files and track lists, and the settings
// and names kept beside them; not the lock, the logs or the ".bak" copies.
bool BackedUp(const std::filesystem::path& file) {
    const std::string name = file.filename().string();
    return LowerCase(file.extension().string()) == ".dat" || name == kSettingsFileName ||
           name == kArtistNamesFileName;
}

}  // namespace

void BackupDataFiles(Station& station) {
    const std::filesystem::path folder = station.DataFolder();
    const std::filesystem::path backup = folder / "Backup";
    std::error_code ec;
    std::filesystem::create_directories(backup, ec);
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        if (entry.is_regular_file(ec) && BackedUp(entry.path())) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    bool failed = false;
    for (const auto& file : files) {
        const auto bytes = ReadFileBytes(file);
        if (!bytes || !ReplaceFile(backup / file.filename(), *bytes)) {
            Error(station, Format(tr("Unable to backup file \"%0:s\"."), file.filename().string()));
            failed = true;
        }
    }
    // The database is copied as SQLite copies a database in use, not byte by byte; one
    // that is there but cannot be opened is no reason to call the backup complete.
    StationDb db(folder, StationDb::Mode::ReadOnly);
    const DbStatus saved = db.IsOpen() ? db.Backup(backup / StationDb::FileIn(folder).filename())
                                       : DbStatus{db.Problem()};
    if (!saved) {
        Error(station, saved.Problem);
        failed = true;
    }
    if (!failed && (db.IsOpen() || !files.empty())) {
        station.Op().Show(MessageKind::Information, tr("Backup complete."), Buttons::Ok);
    }
}

bool ResetLastUsed(Station& station) {
    const std::string question =
        std::string(tr("The Repeat Interval routines will ignore all previous track selections.")) +
        "\n" + tr("Do you wish to continue?");
    if (station.Op().Show(MessageKind::Warning, question, Buttons::OkCancel) != Answer::Ok) {
        return false;
    }
    station.RevertLastUsed(true);
    ForgetTrackHistory(station);
    return true;
}

// The rules that look back read the play history, not the last uses: asked whether they
// are to forget it too, since the reports of use lose those plays with it. It goes when the
// reset last uses are saved, so closing without saving keeps both.
void ForgetTrackHistory(Station& station) {
    StationDb db(station.DataFolder(), StationDb::Mode::IfExists);
    if (!db.IsOpen() || db.AiringCount().Value == 0) {
        return;
    }
    const std::string question =
        tr("Clear the play history of these tracks too? The rules that look back at earlier "
           "days would ignore those plays as well, and the reports of use would no longer "
           "count them.");
    if (station.Op().Show(MessageKind::Confirmation, question, Buttons::YesNo) != Answer::Yes) {
        return;
    }
    station.ForgetHistoryOnSave = true;
}

}  // namespace spindle
