#include "editor/playlist_document.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/format.h"
#include "base/format_datetime.h"
#include "base/paths.h"
#include "base/translate.h"
#include "base/unattended_operator.h"
#include "fileinfo/file_duration.h"
#include "fileinfo/name_conventions.h"
#include "outputs/playlist_log.h"
#include "station/track_list.h"

namespace spindle {
namespace {

// A hair past the moment, so an hour written as a float never reads as the one before.
constexpr double kNudge = 1e-9;

// To the nearest second: a moment written with few digits still falls in its hour.
long long SecondsOf(TDateTime moment) {
    return std::llround(moment * 86400.0);
}

int HourOfDay(TDateTime moment) {
    return static_cast<int>(SecondsOf(moment) % 86400 / 3600);
}

int DayOf(TDateTime moment) {
    return static_cast<int>(SecondsOf(moment) / 86400);
}

bool IsSpotType(int type) {
    return type == kItemSpot || type == kItemTimedSpot || type == kItemIntro ||
           type == kItemOutro || type == kItemVoice;
}

std::string BracedOrOther(const std::string& group) {
    return group == "<other>" ? group : "{" + group + "}";
}

}  // namespace

PlaylistDocument::LoadReport PlaylistDocument::Load(const std::string& logPath, bool isolated,
                                                    const FormatSettings& settings) {
    *this = PlaylistDocument{};
    LoadReport report;
    RecordDiskState(logPath);  // before reading: a change while it is read shows as one
    LogContents log;
    switch (ReadPlaylistLog(logPath, settings, log)) {
        case LogReadError::CannotOpen:
            report.Messages.emplace_back(true, tr("Unable to open Playlist Log file."));
            return report;
        case LogReadError::InvalidFormat:
            report.Messages.emplace_back(true, tr("Invalid Playlist Log file."));
            return report;
        case LogReadError::None:
            break;
    }
    loaded_ = true;
    report.Loaded = true;
    const TDateTime start = log.Start + kNudge;
    startDate_ = DayOf(start);
    startHour_ = HourOfDay(start);
    headerFlag_ = log.HeaderFlag.empty() ? " " : log.HeaderFlag.substr(0, 1);
    startText_ = log.StartText;
    lastModified_ = log.Created;
    hourLinesDamaged_ = log.BadHourLines > 0;
    LogHour current{0, startHour_};
    bool anyItem = false;
    UnattendedOperator quiet;
    for (const LogLine& line : log.Lines) {
        if (line.LineKind == LogLine::Kind::Hour) {
            // A run writes one hour line for each hour from the start: a gap means a line
            // was lost, and its items would be saved under the hour before.
            hourLinesDamaged_ =
                hourLinesDamaged_ ||
                SecondsOf(line.HourStart) !=
                    SecondsOf(log.Start) + 3600LL * static_cast<long long>(hourLines_);
            ++hourLines_;
            const TDateTime moment = line.HourStart + kNudge;
            current = {DayOf(moment) - static_cast<int>(startDate_), HourOfDay(moment)};
            hours_.push_back({current, line.Counter, line.HourStart, line.TimeText});
            continue;
        }
        // An item before any hour line has no hour to be saved under.
        hourLinesDamaged_ = hourLinesDamaged_ || hourLines_ == 0;
        EditorItem item;
        item.Id = nextId_++;
        item.Path = line.Text;
        item.Day = current.Day;
        item.Hour = current.Hour;
        item.Type = line.Type;
        item.GroupName = line.Owner;
        item.Duration = line.Duration;
        item.Sequence = std::strtoull(line.Number.c_str(), nullptr, 10);
        item.TimeText = line.TimeText;
        // The minute of the item's time of day; an item at or past its hour's end (its
        // time counts the hours from the start) lies 60 minutes on.
        const float days = static_cast<float>(line.Time / 24.0);
        const double ofDay = days - std::floor(days);
        const auto seconds = static_cast<long>(std::lround(ofDay * 86400.0));
        item.Minute = static_cast<int>(seconds / 60 % 60);
        if (line.Time >= static_cast<double>(hourLines_)) {
            item.Minute += 60;
        }
        if (!isolated && IsSpotType(item.Type) && IsExistingFile(item.Path)) {
            if (const std::uint16_t measured = FileDuration(item.Path, false, quiet)) {
                item.Duration = measured;
            }
        }
        maxSequence_ = item.Sequence;
        items_.push_back(std::move(item));
        anyItem = true;
    }
    last_ = current;
    if (!log.BadLines.empty()) {
        std::string numbers;
        for (const std::size_t n : log.BadLines) {
            numbers += (numbers.empty() ? "" : ", ") + std::to_string(n);
        }
        report.Messages.emplace_back(
            false, std::string(tr("The Playlist Log file is incomplete.")) + "\n" +
                       Format(tr("Lines %0:s could not be read and were left out; every other "
                                 "line is kept."),
                              numbers));
    } else if (!anyItem) {
        report.Messages.emplace_back(false, tr("The Playlist Log file is incomplete."));
    }
    if (hourLinesDamaged_) {
        report.Messages.emplace_back(false, SaveRefusal());  // said now, before any edit
    }
    return report;
}

std::optional<std::size_t> PlaylistDocument::IndexOf(std::uint64_t id) const {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (items_[i].Id == id) {
            return i;
        }
    }
    return std::nullopt;
}

const EditorItem* PlaylistDocument::Find(std::uint64_t id) const {
    const auto i = IndexOf(id);
    return i ? &items_[*i] : nullptr;
}

void PlaylistDocument::Saved(const std::string& logPath, const std::vector<std::string>& written,
                             TDateTime created) {
    for (std::size_t i = 0; i < items_.size() && i < written.size(); ++i) {
        items_[i].TimeText = written[i];
    }
    std::erase_if(items_, [](const EditorItem& item) { return item.State == EditState::Removed; });
    for (EditorItem& item : items_) {
        item.State = EditState::Loaded;
    }
    undo_.reset();
    pending_.reset();
    modified_ = false;
    lastModified_ = created;
    RecordDiskState(logPath);
}

void PlaylistDocument::RecordDiskState(const std::string& path) {
    path_ = path;
    std::error_code ec;
    diskSize_ = std::filesystem::file_size(path, ec);
    diskTime_ = std::filesystem::last_write_time(path, ec);
}

bool PlaylistDocument::ChangedOnDisk() const {
    if (!loaded_) {
        return false;
    }
    std::error_code sizeError;
    std::error_code timeError;
    const auto size = std::filesystem::file_size(path_, sizeError);
    const auto time = std::filesystem::last_write_time(path_, timeError);
    return sizeError || timeError || size != diskSize_ || time != diskTime_;
}

std::string PlaylistDocument::SaveRefusal() const {
    if (!hourLinesDamaged_) {
        return {};
    }
    return tr(
        "This Playlist Log cannot be saved: some of its hour lines could not be read, "
        "so not every item's hour is known. The log and its backup are left as they "
        "are; generate the period again to make a sound log.");
}

void PlaylistDocument::Snapshot() {
    undo_ = Kept{items_, modified_};
    pending_.reset();
    modified_ = true;
}

void PlaylistDocument::BeginEdit() {
    pending_ = Kept{items_, modified_};
}

void PlaylistDocument::Undo() {
    if (undo_) {
        items_ = std::move(undo_->Items);
        modified_ = undo_->Modified;
        undo_.reset();
    }
    pending_.reset();
}

std::uint64_t PlaylistDocument::NextSequence(std::uint64_t anchor) {
    return anchor == 0 ? 0 : ++maxSequence_;
}

void PlaylistDocument::Delete(const std::vector<std::uint64_t>& ids) {
    Snapshot();
    for (const std::uint64_t id : ids) {
        if (const auto i = IndexOf(id)) {
            items_[*i].State = EditState::Removed;
        }
    }
}

void PlaylistDocument::Copy(const std::vector<std::uint64_t>& ids) {
    clipboard_.clear();
    cutPending_ = false;
    for (const std::uint64_t id : ids) {
        const EditorItem* item = Find(id);
        if (item != nullptr && !IsTimed(*item)) {
            clipboard_.push_back(id);
        }
    }
}

void PlaylistDocument::Cut(const std::vector<std::uint64_t>& ids) {
    Copy(ids);
    cutPending_ = !clipboard_.empty();
}

std::optional<PlaylistDocument::InsertionPoint> PlaylistDocument::FindInsertionPoint(
    LogHour shown, const std::vector<std::uint64_t>& selected) const {
    std::optional<std::size_t> first;
    for (const std::uint64_t id : selected) {
        const auto i = IndexOf(id);
        if (i && (!first || *i < *first)) {
            first = i;
        }
    }
    if (first) {
        return InsertionPoint{*first, *first};
    }
    const HourView view = ViewOf(shown);
    if (!view.Rows.empty()) {
        const std::size_t last = *IndexOf(view.Rows.back().Id);
        return InsertionPoint{last + 1, last};
    }
    if (const auto start = FindFirstOfHour(shown)) {
        return InsertionPoint{*start, *start};
    }
    return std::nullopt;
}

std::vector<std::uint64_t> PlaylistDocument::Paste(LogHour shown,
                                                   const std::vector<std::uint64_t>& selected) {
    std::vector<std::uint64_t> pasted;
    const auto point = FindInsertionPoint(shown, selected);
    if (!point || clipboard_.empty()) {
        return pasted;
    }
    Snapshot();
    const EditorItem anchor = items_[point->Anchor];
    std::size_t at = point->At;
    for (const std::uint64_t id : clipboard_) {
        const auto source = IndexOf(id);
        if (!source) {
            continue;  // gone since it was copied
        }
        if (cutPending_) {
            items_[*source].State = EditState::Removed;
        }
        const EditorItem& item = items_[*source];
        pasted.push_back(InsertItem(
            at++, anchor, {item.Path, item.Type, item.GroupName, item.Duration, std::nullopt},
            item.Minute));
    }
    if (cutPending_) {
        clipboard_.clear();
        cutPending_ = false;
    }
    return pasted;
}

std::vector<std::uint64_t> PlaylistDocument::Move(LogHour shown,
                                                  const std::vector<std::uint64_t>& rows,
                                                  std::optional<std::uint64_t> target) {
    for (const std::uint64_t id : rows) {
        const EditorItem* item = Find(id);
        if (item == nullptr || IsTimed(*item)) {
            return {};  // a timed row keeps its place
        }
    }
    const std::vector<std::uint64_t> keep = clipboard_;
    const bool keepCut = cutPending_;
    Cut(rows);
    std::vector<std::uint64_t> moved =
        Paste(shown, target ? std::vector<std::uint64_t>{*target} : std::vector<std::uint64_t>{});
    clipboard_ = keep;
    cutPending_ = keepCut;
    return moved;
}

std::uint64_t PlaylistDocument::InsertItem(std::size_t at, const EditorItem& anchor,
                                           const NewItem& item, int minute) {
    EditorItem fresh;
    fresh.Id = nextId_++;
    fresh.Path = item.Path;
    fresh.Type = item.Type;
    fresh.GroupName = item.GroupName;
    fresh.Duration = item.Duration;
    fresh.Day = anchor.Day;
    fresh.Hour = anchor.Hour;
    fresh.Sequence = NextSequence(anchor.Sequence);
    fresh.State = EditState::Changed;
    fresh.Minute = minute;
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at), std::move(fresh));
    modified_ = true;
    return items_[at].Id;
}

std::vector<std::uint64_t> PlaylistDocument::Insert(LogHour shown,
                                                    const std::vector<std::uint64_t>& selected,
                                                    const std::vector<NewItem>& items) {
    std::vector<std::uint64_t> ids;
    const auto point = FindInsertionPoint(shown, selected);
    if (!point || items.empty()) {
        return ids;
    }
    Snapshot();
    const EditorItem anchor = items_[point->Anchor];
    std::size_t at = point->At;
    for (const NewItem& item : items) {
        ids.push_back(InsertItem(at++, anchor, item, item.Minute.value_or(anchor.Minute)));
    }
    return ids;
}

std::vector<std::uint64_t> PlaylistDocument::InsertAtMinutes(
    const NewItem& item, const std::vector<int>& days, const std::vector<int>& hours,
    const std::vector<int>& minutes, const std::function<double(const EditorItem&)>& playSeconds) {
    std::vector<bool> chosen(61, false);
    for (const int m : minutes) {
        if (m >= 0 && m <= 60) {
            chosen[static_cast<std::size_t>(m)] = true;
        }
    }
    std::vector<std::uint64_t> ids;
    bool snapshotTaken = false;
    auto insert = [&](std::size_t at, std::size_t anchor, int minute) {
        if (!snapshotTaken) {
            Snapshot();
            snapshotTaken = true;
        }
        const EditorItem anchorItem = items_[anchor];
        ids.push_back(InsertItem(at, anchorItem, item, minute));
    };
    for (const int day : days) {
        for (const int hour : hours) {
            const auto first = FindFirstOfHour({day, hour});
            if (!first) {
                continue;  // an hour without entries is passed over
            }
            double seconds = 0.0;
            int minute = 0;
            std::size_t i = *first;
            for (;;) {
                if (i >= items_.size() || items_[i].Day != day || items_[i].Hour != hour) {
                    // The end of the hour: every minute left, then minute 60.
                    for (; minute <= 60; ++minute) {
                        if (chosen[static_cast<std::size_t>(minute)]) {
                            insert(i, i - 1, minute);
                            ++i;
                        }
                    }
                    break;
                }
                if (items_[i].State != EditState::Removed) {
                    seconds += playSeconds(items_[i]);
                }
                // The minutes that begin while this entry plays go before it.
                for (; minute < 60 && minute * 60.0 <= seconds; ++minute) {
                    if (chosen[static_cast<std::size_t>(minute)]) {
                        insert(i, i, minute);
                        ++i;
                    }
                }
                ++i;
            }
        }
    }
    return ids;
}

std::pair<std::size_t, std::size_t> PlaylistDocument::SpanOfHours(LogHour from, LogHour to) const {
    const auto before = [](const EditorItem& item, LogHour hour) {
        return LogHour{item.Day, item.Hour} < hour;
    };
    const auto first = std::partition_point(
        items_.begin(), items_.end(), [&](const EditorItem& item) { return before(item, from); });
    const auto last = std::partition_point(first, items_.end(), [&](const EditorItem& item) {
        return !(to < LogHour{item.Day, item.Hour});
    });
    return {static_cast<std::size_t>(first - items_.begin()),
            static_cast<std::size_t>(last - items_.begin())};
}

std::vector<std::uint64_t> PlaylistDocument::ReplaceHours(LogHour from, LogHour to,
                                                          const std::vector<HourItem>& fresh) {
    std::vector<std::uint64_t> ids;
    const auto [first, last] = SpanOfHours(from, to);
    Snapshot();
    std::vector<EditorItem> made;
    made.reserve(items_.size() + fresh.size());
    made.insert(made.end(), std::make_move_iterator(items_.begin()),
                std::make_move_iterator(items_.begin() + static_cast<std::ptrdiff_t>(first)));
    std::size_t next = 0;  // the next of `fresh` to go in
    const auto takeFresh = [&] {
        const HourItem& item = fresh[next++];
        EditorItem e;
        e.Id = nextId_++;
        e.Path = item.Item.Path;
        e.Type = item.Item.Type;
        e.GroupName = item.Item.GroupName;
        e.Duration = item.Item.Duration;
        e.Day = item.Hour.Day;
        e.Hour = item.Hour.Hour;
        e.Sequence = ++maxSequence_;
        e.State = EditState::Changed;
        e.Minute = item.Item.Minute.value_or(0);
        e.TimeText = item.TimeText;
        ids.push_back(e.Id);
        made.push_back(std::move(e));
    };
    for (std::size_t i = first; i < last; ++i) {
        EditorItem& old = items_[i];
        // The new items of the hours before this one go in first.
        while (next < fresh.size() && fresh[next].Hour < LogHour{old.Day, old.Hour}) {
            takeFresh();
        }
        old.State = EditState::Removed;
        old.TimeText.clear();  // the hour's clock comes from its new items
        made.push_back(std::move(old));
    }
    while (next < fresh.size()) {
        takeFresh();
    }
    made.insert(made.end(),
                std::make_move_iterator(items_.begin() + static_cast<std::ptrdiff_t>(last)),
                std::make_move_iterator(items_.end()));
    items_ = std::move(made);
    return ids;
}

bool PlaylistDocument::SetDuration(std::uint64_t id, std::uint32_t seconds) {
    const auto i = IndexOf(id);
    if (!i) {
        return false;
    }
    Snapshot();  // Undo takes the new length back, never leaving it unsaved and unmarked
    items_[*i].Duration = seconds;
    items_[*i].State = EditState::Changed;
    return true;
}

bool PlaylistDocument::Exchange(std::uint64_t a, std::uint64_t b) {
    const auto i = IndexOf(a);
    const auto j = IndexOf(b);
    if (!i || !j || *i == *j) {
        return false;
    }
    Snapshot();
    std::swap(items_[*i], items_[*j]);
    for (const std::size_t k : {*i, *j}) {
        if (items_[k].State != EditState::Removed) {
            items_[k].State = EditState::Changed;  // both now play at other times
        }
    }
    return true;
}

std::uint64_t PlaylistDocument::Replace(
    std::uint64_t id, const std::string& path, std::uint32_t duration, const std::string& groupName,
    int type, const std::function<std::uint32_t(const std::string&)>& measure) {
    const auto found = IndexOf(id);
    if (!found || items_[*found].State == EditState::Removed) {
        return 0;
    }
    if (pending_) {
        undo_ = std::move(pending_);
        pending_.reset();
    }
    std::size_t i = *found;
    if (path.empty()) {
        items_[i].State = EditState::Removed;
        modified_ = true;
        return 0;
    }
    // Replaced again: the item it stands in for lies behind it (an Hour Marker sharing its
    // number is not that item).
    const bool replacement =
        items_[i].Replaces != 0 && i + 1 < items_.size() && items_[i + 1].Id == items_[i].Replaces;
    if (!replacement) {
        EditorItem fresh;
        fresh.Id = nextId_++;
        fresh.Day = items_[i].Day;
        fresh.Hour = items_[i].Hour;
        fresh.Sequence = items_[i].Sequence;
        fresh.Minute = items_[i].Minute;
        fresh.Replaces = items_[i].Id;
        items_[i].State = EditState::Removed;
        items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(i), fresh);
    }
    EditorItem& item = items_[i];
    // The place's timing is the replaced item's, behind it.
    const bool timedPlace = IsTimed(items_[i + 1]);
    item.Path = path;
    item.State = EditState::Changed;
    item.Type = type;
    item.GroupName = groupName;
    if (type == kItemSpot || type == kItemTimedSpot) {
        item.Type = timedPlace ? kItemTimedSpot : kItemSpot;
    } else if (type == kItemBreakNote) {
        item.GroupName = timedPlace ? "Timed Break Note" : "Break Note";
    }
    item.TimeText = IsTimed(item) ? items_[i + 1].TimeText : std::string();
    item.Duration = duration != 0 || !measure ? duration : measure(path);
    modified_ = true;
    return item.Id;
}

std::optional<std::size_t> PlaylistDocument::FindFirstOfHour(LogHour hour) const {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (items_[i].Day == hour.Day && items_[i].Hour == hour.Hour) {
            return i;
        }
    }
    return std::nullopt;
}

bool PlaylistDocument::IsTimed(const EditorItem& item) {
    return item.Type == kItemTimedSpot ||
           (item.Type == kItemBreakNote && item.GroupName != "Break Note");
}

std::string PlaylistDocument::DurationText(std::uint32_t seconds) {
    char text[32];
    if (seconds < 3600) {
        std::snprintf(text, sizeof text, "%02u:%02u", seconds / 60, seconds % 60);
    } else {
        std::snprintf(text, sizeof text, "%u:%02u:%02u", seconds / 3600, seconds / 60 % 60,
                      seconds % 60);
    }
    return text;
}

double PlaylistDocument::OnAirSeconds(const EditorItem& item, double crossfade,
                                      bool crossfadeFromName) {
    if (item.Type == kItemHourMarker || item.Type == kItemContinuation) {
        return 0.0;
    }
    return item.Duration -
           ItemCrossfade(item.Path, item.Duration, crossfade, crossfadeFromName).Seconds;
}

HourView PlaylistDocument::ViewOf(LogHour hour, double crossfade, bool crossfadeFromName) const {
    HourView view;
    double onAir = 0.0;
    const auto first = FindFirstOfHour(hour);
    if (!first) {
        return view;
    }
    for (std::size_t i = *first; i < items_.size(); ++i) {
        const EditorItem& item = items_[i];
        if (item.Day != hour.Day || item.Hour != hour.Hour) {
            break;
        }
        if (item.State == EditState::Removed) {
            continue;
        }
        HourRow row;
        row.Id = item.Id;
        row.Type = item.Type;
        row.Filename = ExtractFileName(item.Path);
        std::string folder = ExtractFilePath(item.Path);
        if (!folder.empty()) {
            folder.pop_back();
        }
        row.Folder = folder;
        row.Timed = IsTimed(item);
        switch (item.Type) {
            case kItemTrack:
                row.Owner = item.GroupName;
                row.Colour = RowColour::Track;
                break;
            case kItemSpot:
            case kItemTimedSpot:
                row.Owner = BracedOrOther(item.GroupName);
                row.Colour = item.Type == kItemTimedSpot ? RowColour::Timed : RowColour::Spot;
                break;
            case kItemHourMarker:
                row.Owner = "<Hour Marker>";
                row.Filename = "Hour Marker";
                row.Colour = RowColour::Marker;
                break;
            case kItemBreakNote:
                row.Owner = row.Timed ? "<Timed Break Note>" : "<Break Note>";
                row.Colour = row.Timed ? RowColour::Timed : RowColour::Marker;
                break;
            case kItemVoiceTrack:
                row.Owner = "<Voice Track Marker>";
                row.Colour = RowColour::Marker;
                break;
            case kItemIntro:
                row.Owner = "{" + item.GroupName + "}";
                row.Colour = RowColour::Spot;
                break;
            case kItemOutro:
                row.Owner = "{" + item.GroupName + "}";
                row.Colour = RowColour::Track;
                break;
            case kItemVoice:
                row.Owner = "<Voice Track>";
                row.Colour = RowColour::Spot;
                break;
            default:
                row.Owner = "<other>";
                row.Colour = RowColour::Other;
                break;
        }
        row.Duration = DurationText(item.Duration);
        row.StartOffset = row.Timed ? static_cast<std::uint32_t>(item.Minute) * 60
                                    : static_cast<std::uint32_t>(std::lround(std::max(0.0, onAir)));
        view.Total += item.Duration;
        onAir += OnAirSeconds(item, crossfade, crossfadeFromName);
        view.Rows.push_back(std::move(row));
    }
    view.OnAir = static_cast<std::uint32_t>(std::lround(std::max(0.0, onAir)));
    return view;
}

LogHour PlaylistDocument::PreviousHour(LogHour hour) const {
    if (hour.Hour >= 1) {
        return {hour.Day, hour.Hour - 1};
    }
    return {hour.Day == 0 ? last_.Day : hour.Day - 1, 23};
}

LogHour PlaylistDocument::NextHour(LogHour hour) const {
    if (hour.Hour < 23) {
        return {hour.Day, hour.Hour + 1};
    }
    return {hour.Day >= last_.Day ? 0 : hour.Day + 1, 0};
}

std::optional<LogHour> PlaylistDocument::HourOf(TDateTime now) const {
    const LogHour hour{DayOf(now) - static_cast<int>(startDate_), HourOfDay(now)};
    if (!FindFirstOfHour(hour)) {
        return std::nullopt;  // logs are mostly of days to come
    }
    return hour;
}

std::vector<std::string> PlaylistDocument::DayEntries(const FormatSettings& settings) const {
    std::vector<std::string> days;
    for (int d = 0; d <= last_.Day; ++d) {
        days.push_back(FormatDateTime("ddd  ddddd", startDate_ + d, settings));
    }
    return days;
}

}  // namespace spindle
