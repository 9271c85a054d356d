#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>
#include <optional>

#include "editor/find_replace.h"
#include "editor/playlist_document.h"
#include "gui/editor/hour_model.h"
#include "station/station.h"

class QComboBox;
class QLabel;
class QDialog;
class QLineEdit;
class QCheckBox;
class QRadioButton;
class QProcess;

namespace spindle {

class RulesCache;
class Progress;
struct RecordTarget;
struct RegenerateOutcome;
struct ReplacementList;
}  // namespace spindle

namespace Ui {
class EditorWindow;
}

namespace spindle::gui {

class FindReplaceWindow;
class VoiceTrackWindow;
class ProgressWindow;
class RegenerateResultsWindow;
class SelectItemDialog;
class Worker;

// The Playlist Editor: one Playlist Log, one hour at a time, with its edits, search,
// and Save & Create Playlist on a worker thread.
class EditorWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit EditorWindow(Station& station, QWidget* parent = nullptr);
    ~EditorWindow() override;

    // Opens a log (its ".plg" path) after the unsaved-changes question.
    void OpenLog(const std::string& path);
    const PlaylistDocument& Document() const { return doc_; }
    LogHour Shown() const { return shown_; }
    void ShowHour(LogHour hour);
    std::vector<std::uint64_t> SelectedIds() const;
    void SelectIds(const std::vector<std::uint64_t>& ids);
    bool Busy() const { return worker_ != nullptr; }
    ProgressWindow* Progress() const { return progress_; }
    spindle::Station& CurrentStation() const { return station_; }

    // The search of the Find/Replace window: the next item whose file name holds `text`
    // becomes the find position and is shown and selected ("Search complete." when none).
    bool FindNext(const QString& text, bool up, bool circular);
    // The file name of the item at the find position, or nothing.
    QString FoundName() const;
    // The find position becomes the selected row, else the hour's first row.
    void ResetFindPosition();
    // Replaces (or deletes, with an empty path) the item at the find position.
    void ReplaceFound(const Replacement& with);
    // Replaces every live item of the log that is the chosen one; gives the count.
    int ReplaceAll(const std::string& findPath, const QString& findName, const Replacement& with);
    // Inserts files dropped with the keys `modifiers`; with none held, `AskDropType` says
    // what they are.
    void DropFiles(const QStringList& paths, std::optional<std::uint64_t> target,
                   Qt::KeyboardModifiers modifiers);
    // The question a drop without keys asks: a type (0, 1, 8, 9), or nullopt to leave it.
    std::function<std::optional<int>()> AskDropType;
    // The Select dialog the Insert and Find/Replace windows share, made on first use.
    SelectItemDialog& Select();

    // The rows of the hour shown.
    const std::vector<HourRow>& Rows() const;
    // Shows an item's hour and selects the item alone.
    void ShowItem(std::uint64_t id);
    // While voice tracks are recorded one after another, the log and the hour stay put.
    void SetNavigationEnabled(bool on);
    // Records a voice track at the selected row (a recorded one again, in place) with the
    // station's recording program, behind a modal "Recording..." window; `done(made)` runs
    // once the program has ended. The program gets the file as one argument of its own.
    void RecordVoiceTrack(std::optional<int> introSeconds, std::function<void(bool)> done);
    bool Recording() const { return recorder_ != nullptr; }
    // Plays the selected rows with the desktop's player for playlists, or the station's
    // player command, through a preview list of the user's own.
    void PlaySelected();
    // Prints the hours chosen in "Print Selection" from the document as it is now.
    void PrintPlaylist();
    // Prints the log's track or spot summary file.
    void PrintSummary(bool spots);

signals:
    void Saved(bool succeeded);
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Navigation and view (editor_window.cpp).
    void SetUpView();
    void SetUpDayAndHour();
    void SetUpStatusBar();
    void ConnectNavigation();
    void SelectionChanged();
    void ShowCurrentHour();
    // The entries of the tool bar's day box.
    QStringList Days() const;
    void Load(const std::string& path);
    void UpdateActions();
    void UpdateStatus(std::optional<std::uint32_t> offset);
    void Edited(const std::vector<std::uint64_t>& select = {});
    void ShowLastModified();
    // Closing clears the document: the next showing reads the latest log.
    void Clear();
    // Find/Replace and Voice Tracking edit the document: they close with its log and
    // wait while it is saved.
    void HideToolWindows();
    void SetToolWindowsEnabled(bool on);

    // Editing actions (editor_window_edit.cpp).
    void ConnectEditActions();
    // Deletes the selected rows and selects the row that takes the first one's place.
    void DeleteSelected();
    void InstantReplaceSelected(bool sameArtist);
    void ShowFindWindow();
    void InsertItem();
    // Measures a file that has no length yet, asking the operator when it cannot be read.
    std::uint32_t Measure(const std::string& path);

    // Repairs by the station's rules (editor_window_repair.cpp).
    void ConnectRepairActions();
    // Whether the one row selected is a track of a Category.
    bool CategoryTrackSelected() const;
    // An hour of the log (and a minute of it) as the operator reads it: "Mon 12/8/2025 06:00".
    std::string HourText(LogHour hour, int minute = 0) const;
    // Runs `job` on the worker behind the progress window titled `title`, the document the
    // worker's meanwhile; `then` follows with whether the job ended (and did not fail).
    void StartWork(const QString& title, std::function<bool(Operator&, spindle::Progress&)> job,
                   std::function<void(bool)> then);
    // Regenerate...: the hours chosen, from the hour shown.
    void RegenerateAsked();
    // Makes the hours again on the worker; the outcome is shown once it has ended.
    void Regenerate(LogHour from, LogHour to);
    void RegenerateFinished(LogHour from, LogHour to, const RegenerateOutcome& outcome,
                            const std::vector<std::string>& lines);
    // Replace...: the selected Category track's replacements, each with the rules it breaks,
    // judged on the worker; the operator chooses among them.
    void ReplaceTrack();
    void ChooseReplacement(std::uint64_t id, const ReplacementList& list,
                           const std::vector<std::string>& now);
    // Tells the operator which rules the tracks among `ids` break where they stand, judged
    // on the worker: the first lines of them, how many more, and how far a Cancel let it go.
    void TellRuleBreaks(const std::vector<std::uint64_t>& ids);
    void ToldRuleBreaks(const std::vector<std::string>& lines, std::size_t more,
                        std::size_t checked, std::size_t count);

    // Save and outputs (editor_window_save.cpp).
    void ConnectFileActions();
    void Save(std::function<void(bool)> then);
    void SaveFinished(bool saved, const std::function<void(bool)>& then);
    // While the worker writes the document, nothing here or in the tool windows edits it.
    void SetEditingEnabled(bool on);
    // Whether the log on disk is still the one the document was read from; when a run
    // has made it again, saving is refused and the operator may reload it.
    bool LogStillOurs();
    // The close question: Yes, No (the edits are thrown away) or Cancel.
    Answer AskSaveQuestion();
    // Runs `then` once the document may be left: saved, not to be saved, or unchanged.
    void AskToSave(const std::function<void()>& then);

    // Voice tracks and preview (editor_window_voice.cpp).
    void ConnectVoiceActions();
    // After the recording program has ended: the recording goes into the document, or
    // the empty placeholder goes. Gives whether a voice track was made.
    bool RecordingEnded(const RecordTarget& target, std::optional<std::uint64_t> selected);

    Station& station_;
    std::unique_ptr<Ui::EditorWindow> ui_;
    PlaylistDocument doc_;
    // The station's rules as read for the log open, for every edit that judges by them.
    std::unique_ptr<RulesCache> rules_;
    std::string base_;  // the log's path without ".plg"
    LogHour shown_;
    HourModel* model_;
    QComboBox* day_;
    QComboBox* hour_;
    QLabel* status_[4];
    ProgressWindow* progress_ = nullptr;
    Worker* worker_ = nullptr;
    FindReplaceWindow* find_ = nullptr;
    VoiceTrackWindow* voiceTracks_ = nullptr;
    QProcess* recorder_ = nullptr;
    QDialog* recording_ = nullptr;
    SelectItemDialog* select_ = nullptr;
    RegenerateResultsWindow* regenerateResults_ = nullptr;
    std::optional<std::uint64_t> findPos_;
    // A row selected by the search itself is not a new item to find.
    bool selectingFound_ = false;
    bool navigationLocked_ = false;
    bool closeWhenSaved_ = false;
};

}  // namespace spindle::gui
