#pragma once

#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>

#include "forms/library_edits.h"
#include "forms/shell_rules.h"
#include "gui/widgets/progress_window.h"
#include "station/station.h"

class QAbstractItemView;
class QLabel;
class QListView;
class QTreeView;

namespace Ui {
class MainWindow;
}

namespace spindle::gui {

class AttributesPage;
class LibraryListModel;
class ProgressWindow;
class EditorWindow;
class OptionsPageBase;
class RunOptionsPage;
class Worker;

// The main window: the four library lists and the option pages of one Station, the
// actions on them, and the close question. Every rule it follows is a core function;
// it shows their results and reaches the person through the Station's Operator.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(Station& station, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Shows the page the library's state calls for.
    void ShowStartPage();
    Page CurrentPage() const;
    // Refreshes the lists, the counts and the actions after the station changed.
    void Refresh();

    QAction* SaveAction() const;
    QAction* SaveAllAction() const;
    ProgressWindow* Progress() const { return progress_; }
    // Whether a run is at work (the rest of the window waits meanwhile).
    bool Busy() const { return worker_ != nullptr; }

    QTreeView* View(ListKind kind) const;
    // The "r" start: a run with `loadLines` (what loading reported) at the head of its
    // messages, then Save All moving the start on; the window closes when the run made
    // its playlists and everything was saved, and stays open with the run's window
    // otherwise.
    // `person` answers the questions from then on when the window stays open.
    void RunUnattended(std::vector<std::string> loadLines, Operator* person = nullptr);
    // Whether the "r" run made its playlists and saved everything.
    bool UnattendedDone() const { return unattendedDone_; }
    // The view of the list as it is shown now (the details or the icon view).
    QAbstractItemView* ShownView(ListKind kind) const;
    void SetViewStyle(ViewStyle style);
    // Shows the Playlist Editor on the last run's log; the main window waits while it is
    // open. `alone`: the program was started with the editor as its window ("e"), and
    // ends with it, saving what changed.
    EditorWindow* ShowEditor(bool alone = false);
    EditorWindow* Editor() const { return editor_.get(); }
    // A session that ends or a SIGTERM: work under way is cancelled first, then the
    // window closes as on its close button.
    void Terminate();
    ViewStyle CurrentViewStyle() const { return viewStyle_; }

signals:
    // A run ended; `generated` when its playlists were made.
    void RunFinished(bool generated);
    // A reload of files ended.
    void ReloadFinished();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static constexpr ListKind kLists[] = {ListKind::Categories, ListKind::SpotGroups,
                                          ListKind::Rotations, ListKind::Schedules};

    // The steps of building the window.
    void SetUpOptionPages();
    void SetUpLists();
    void SetUpViewStyles();
    void SetUpStatusBar();
    void ConnectActions();
    void SetUpHelpPages();
    void UpdateActions();
    void UpdateCounts();
    // The option pages and the Related Artists as the Station holds them now.
    void ShowOptions();
    // Stay on top, as the Options say.
    void ApplyWindowSettings();
    // The Related Artists text as typed, into the Station.
    void TakeRelatedText();
    std::size_t ListSize(ListKind kind) const;
    // An empty list says what it holds and offers what fills it; an empty data folder
    // also offers the demo station and the way from Windows.
    void AddEmptyPageHints();
    void ShowEmptyPageHints();
    void MakeDemo();
    void ExplainMigration();
    std::size_t SelectedRow() const;  // kNewEntry when nothing is selected
    ListKind CurrentList() const;
    void New();
    void Open();
    // The dialog of an entry of a list (a new one when `row` is kNewEntry).
    void Edit(ListKind kind, std::size_t row);
    // Shows a group's property dialog (for a new group when `row` is kNewEntry) and,
    // after OK, reloads the group's files.
    void EditGroup(ListKind kind, std::size_t row);
    void Save();
    void SaveAll();
    void Rename();
    void Delete();
    void Copy();
    void ShowUsageList();
    void ShowFileList();
    void Backup();
    void ClearLastScheduled();
    void RelatedEdited();
    void CreatePlaylist();
    void StartRun(std::vector<std::string> firstLines, std::function<void(bool)> done);
    void ReloadFiles();
    void ReloadAllFiles();
    // The Category or Spot Group selected, or nullptr.
    TCustomDetails* SelectedGroup() const;
    // Loads a group's files again on the worker behind the loading window.
    void ReloadGroup(TCustomDetails& group);
    void ShowAbout();
    // Runs `job` on a worker thread behind the progress window, with the rest of the
    // window waiting; `done` follows on this thread.
    void StartWork(ProgressWindow::Mode mode,
                   std::function<bool(Operator&, spindle::Progress&)> job,
                   std::function<void(bool)> done);
    void SetBusy(bool busy);

    Station& station_;
    std::unique_ptr<Ui::MainWindow> ui_;
    std::array<LibraryListModel*, 4> models_{};
    QLabel* artistsCount_ = nullptr;
    QLabel* tracksCount_ = nullptr;
    bool showingRelated_ = false;
    ProgressWindow* progress_ = nullptr;
    Worker* worker_ = nullptr;
    // Who answered before the work began: the worker itself answers meanwhile.
    Operator* person_ = nullptr;
    bool closeAfterWork_ = false;
    bool closeAfterEditor_ = false;  // Exit waits for the editor's "Yes" save
    bool unattendedDone_ = false;
    std::unique_ptr<EditorWindow> editor_;
    std::array<QListView*, 4> iconViews_{};
    std::array<QWidget*, 4> hints_{};
    QWidget* firstStart_ = nullptr;
    ViewStyle viewStyle_ = ViewStyle::Details;
    RunOptionsPage* runOptions_ = nullptr;
    std::array<OptionsPageBase*, 3> optionPages_{};
    AttributesPage* attributesPage_ = nullptr;
};

}  // namespace spindle::gui
