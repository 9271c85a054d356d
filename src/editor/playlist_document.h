#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/datetime.h"
#include "base/format_settings.h"
#include "generator/log_sink.h"

namespace spindle {

// The Playlist Editor's document: every item of every hour of one Playlist Log in file
// order, each with an id that stays its own through every edit, and the view of one
// hour. Sizes are not limited: a 90-day log of 35,000 items is an ordinary document.

enum class EditState { Loaded = 0, Changed = 1, Removed = 2 };

struct EditorItem {
    std::uint64_t Id = 0;
    std::string Path;            // the file, or a marker's text
    int Day = 0;                 // whole days from the log's start date
    int Hour = 0;                // 0 to 23
    int Type = kItemTrack;       // the log's item type
    std::string GroupName;       // the Category, the Spot Group, "Break Note", "Timed Break Note"
    std::uint32_t Duration = 0;  // seconds
    std::uint64_t Sequence = 0;  // the item's running number in the log
    EditState State = EditState::Loaded;
    int Minute = 0;              // minute of the hour; 60 and above: past the end of its hour
    std::string TimeText;        // the time as the log holds it; empty for items made here
    std::uint64_t Replaces = 0;  // a replacement: the id of the item kept, removed, behind it
};

// How a row is coloured.
enum class RowColour { Track, Spot, Timed, Marker, Other };

struct HourRow {
    std::uint64_t Id = 0;
    int Type = kItemTrack;          // the item's type
    std::string Filename;           // the file name part, or "Hour Marker"
    std::string Owner;              // "Category {Spot Group}" column
    std::string Folder;             // without its trailing separator
    std::string Duration;           // "nn:ss", or "h:nn:ss" from an hour on
    std::uint32_t StartOffset = 0;  // seconds from the start of the hour
    RowColour Colour = RowColour::Other;
    bool Timed = false;  // keeps its minute; cannot be cut, copied or dragged
};

struct HourView {
    std::vector<HourRow> Rows;
    std::uint32_t Total = 0;  // seconds, the plain sum
    std::uint32_t OnAir = 0;  // seconds as a run counts them: less each item's crossfade
};

// A day and an hour of the log.
struct LogHour {
    int Day = 0;
    int Hour = 0;
    bool operator==(const LogHour&) const = default;
    auto operator<=>(const LogHour&) const = default;
};

// An hour line as read: its hour and its item counter ("0" starts a new playlist file).
struct HourLine {
    LogHour Hour;
    std::string Counter;
    TDateTime Start = 0.0;
    std::string StartText;  // as the log holds it
};

class PlaylistDocument {
public:
    struct LoadReport {
        bool Loaded = false;
        // For the operator, in order: each with whether it is an error (else a warning).
        std::vector<std::pair<bool, std::string>> Messages;
    };
    // Reads `logPath` (the ".plg" file). Lines that cannot be read are left out and
    // reported with their numbers; the rest is kept. Unless `isolated`, the durations
    // of spots are read again from their files.
    LoadReport Load(const std::string& logPath, bool isolated, const FormatSettings& settings);

    bool Empty() const { return !loaded_; }
    const std::vector<EditorItem>& Items() const { return items_; }
    TDateTime StartDate() const { return startDate_; }
    int StartHour() const { return startHour_; }
    LogHour Last() const { return last_; }
    LogHour First() const { return {0, startHour_}; }
    const std::string& HeaderFlag() const { return headerFlag_; }
    const std::string& StartText() const { return startText_; }  // the header's, as read
    // When the log was written: by its run, or by the last save.
    TDateTime LastModified() const { return lastModified_; }
    std::uint64_t MaxSequence() const { return maxSequence_; }
    std::uint64_t HourLineCount() const { return hourLines_; }
    const std::vector<HourLine>& Hours() const { return hours_; }
    // After a save of `logPath` made at `created`: removed items go, changed ones count
    // as loaded, nothing is modified, and the file is what the document was read from.
    // `written` holds each item's time as the save wrote it (none for removed ones).
    void Saved(const std::string& logPath, const std::vector<std::string>& written,
               TDateTime created);
    // Whether the log on disk is no longer the one read (or last saved): another size or
    // time, or gone. A new run of the same period rewrites it.
    bool ChangedOnDisk() const;
    // Why the document must not be saved (empty when it can be): hour lines that could
    // not be read leave items without a known hour.
    std::string SaveRefusal() const;

    // The index of the first item of an hour, or nullopt.
    std::optional<std::size_t> FindFirstOfHour(LogHour hour) const;
    // The rows of an hour (items removed by editing left out) and its totals. Start
    // offsets follow the on-air clock: each item less its crossfade (`crossfade` seconds
    // of allowance, or the "~n" of its name when `crossfadeFromName`).
    HourView ViewOf(LogHour hour, double crossfade, bool crossfadeFromName) const;
    HourView ViewOf(LogHour hour) const { return ViewOf(hour, 0.0, false); }
    // The seconds an item moves a run's clock on: none for markers and continuations.
    static double OnAirSeconds(const EditorItem& item, double crossfade, bool crossfadeFromName);

    // Navigation: the hour before and after (wrapping round the log's days), and the
    // hour of `now`; nullopt when `now` lies outside the log.
    LogHour PreviousHour(LogHour hour) const;
    LogHour NextHour(LogHour hour) const;
    std::optional<LogHour> HourOf(TDateTime now) const;

    // The day list: the start date plus each day index, "ddd  ddddd".
    std::vector<std::string> DayEntries(const FormatSettings& settings) const;

    // ---- Editing. Rows are named by their items' ids, checked again at every step:
    // an item that is gone (by Undo, or another edit) is passed over.

    bool Modified() const { return modified_; }
    void SetModified(bool modified) { modified_ = modified; }
    bool CanUndo() const { return undo_.has_value(); }
    // The edits that make several changes (instant replace of many rows, Replace All)
    // call it once before them: the first Replace that follows keeps the document as it
    // is now for Undo. When none follows, Undo and Modified stay as they were.
    void BeginEdit();
    // One level: the document as it was before the last edit, modified or not.
    void Undo();
    // Marks the items removed (they stay in place until the log is saved).
    void Delete(const std::vector<std::uint64_t>& ids);
    // The clipboard takes the items that are not timed; a cut removes them when pasted.
    void Copy(const std::vector<std::uint64_t>& ids);
    void Cut(const std::vector<std::uint64_t>& ids);
    bool CanPaste() const { return !clipboard_.empty(); }
    bool CutPending() const { return cutPending_; }
    const std::vector<std::uint64_t>& Clipboard() const { return clipboard_; }
    // Pastes into the hour shown: before the first selected row, or after the last row
    // when none is selected, or at the hour's first entry when it shows no row. Gives
    // the new items' ids (none when the hour has no entry at all). A cut pastes once.
    std::vector<std::uint64_t> Paste(LogHour shown, const std::vector<std::uint64_t>& selected);
    // Drag within the hour: the rows move before `target`, or after the last row.
    std::vector<std::uint64_t> Move(LogHour shown, const std::vector<std::uint64_t>& rows,
                                    std::optional<std::uint64_t> target);
    // Two rows change places; each item keeps its own day, hour and minute.
    bool Exchange(std::uint64_t a, std::uint64_t b);
    // Puts a new file in an item's place (an empty path removes it). The item replaced
    // stays, removed, behind its replacement; replacing a replacement again overwrites
    // it. A duration of 0 is measured by `measure`. Gives the id now in its place (0 for
    // an item already removed). The replacement keeps the item's day, hour, minute and
    // running number. A timed item's place stays timed at its time when a spot or a Break
    // Note takes it (a timed spot, a Timed Break Note), and an untimed one's untimed (a
    // spot, a Break Note), whichever kind of spot or note was chosen; a track or a voice
    // item is never timed and follows the items before it.
    std::uint64_t Replace(std::uint64_t id, const std::string& path, std::uint32_t duration,
                          const std::string& groupName, int type,
                          const std::function<std::uint32_t(const std::string&)>& measure);
    // A new item; its day, hour and running number come from where it goes, and its
    // minute too when none is given.
    struct NewItem {
        std::string Path;
        int Type = kItemTrack;
        std::string GroupName;
        std::uint32_t Duration = 0;
        std::optional<int> Minute;
    };
    // Inserts where Paste would (before the first selected row, after the last row, or
    // at the hour's first entry). Gives the new ids; none when the hour has no entry.
    std::vector<std::uint64_t> Insert(LogHour shown, const std::vector<std::uint64_t>& selected,
                                      const std::vector<NewItem>& items);
    // Inserts `item` at each chosen minute (0 to 60) of each chosen hour of each chosen
    // day that has entries: before the entry playing at that minute, counted from the
    // hour's start with each entry's `playSeconds`, else at the hour's end (minute 60
    // always there). Each copy keeps the minute it was inserted for. Gives the new ids.
    std::vector<std::uint64_t> InsertAtMinutes(
        const NewItem& item, const std::vector<int>& days, const std::vector<int>& hours,
        const std::vector<int>& minutes,
        const std::function<double(const EditorItem&)>& playSeconds);
    // An item of hours made again: its hour, and its time as the run writes it.
    struct HourItem {
        LogHour Hour;
        NewItem Item;
        std::string TimeText;
    };
    // The items of hours `from` to `to` (both included) as [first, last) of Items(),
    // removed ones included; where they would go when there are none.
    std::pair<std::size_t, std::size_t> SpanOfHours(LogHour from, LogHour to) const;
    // Hours `from` to `to` made again: their items are removed (they stay in place until
    // the log is saved) and `fresh` goes in, each item at the end of its own hour. One
    // Undo takes it all back. Gives the new ids, in order.
    std::vector<std::uint64_t> ReplaceHours(LogHour from, LogHour to,
                                            const std::vector<HourItem>& fresh);
    // A file recorded again: its item takes the new length.
    bool SetDuration(std::uint64_t id, std::uint32_t seconds);
    // The position of an item in the document, or nullopt when it is gone.
    std::optional<std::size_t> IndexOf(std::uint64_t id) const;
    // The item of an id, or nullptr.
    const EditorItem* Find(std::uint64_t id) const;

    // "nn:ss" below an hour, else "h:nn:ss".
    static std::string DurationText(std::uint32_t seconds);
    // Whether an item keeps its minute (timed spots and timed break notes).
    static bool IsTimed(const EditorItem& item);

private:
    std::vector<EditorItem> items_;
    std::vector<HourLine> hours_;
    bool loaded_ = false;
    TDateTime startDate_ = 0.0;
    int startHour_ = 0;
    LogHour last_;
    std::string headerFlag_ = " ";
    TDateTime lastModified_ = 0.0;
    std::uint64_t maxSequence_ = 0;
    std::uint64_t hourLines_ = 0;
    std::uint64_t nextId_ = 1;
    bool modified_ = false;
    // What Undo gives back; a BeginEdit's pending copy until an edit follows.
    struct Kept {
        std::vector<EditorItem> Items;
        bool Modified = false;
    };
    std::optional<Kept> undo_;
    std::optional<Kept> pending_;
    std::string startText_;
    // The log as read or saved, to see whether it changed on disk.
    std::string path_;
    std::uintmax_t diskSize_ = 0;
    std::filesystem::file_time_type diskTime_;
    bool hourLinesDamaged_ = false;
    std::vector<std::uint64_t> clipboard_;
    bool cutPending_ = false;

    void Snapshot();
    void RecordDiskState(const std::string& path);
    std::uint64_t NextSequence(std::uint64_t anchor);
    // Where Paste and Insert put items in the hour shown, and the item their day, hour
    // and running number follow.
    struct InsertionPoint {
        std::size_t At = 0;
        std::size_t Anchor = 0;
    };
    std::optional<InsertionPoint> FindInsertionPoint(
        LogHour shown, const std::vector<std::uint64_t>& selected) const;
    std::uint64_t InsertItem(std::size_t at, const EditorItem& anchor, const NewItem& item,
                             int minute);
};

}  // namespace spindle
