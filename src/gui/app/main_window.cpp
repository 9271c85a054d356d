#include "app/main_window.h"
#include "app/help_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QTreeView>
#include <QVBoxLayout>

#include "app/editor_window.h"
#include "app/file_view_window.h"
#include "app/form_text.h"
#include "app/group_dialog.h"
#include "app/option_pages.h"
#include "app/plan_editors.h"
#include "app/print_dialogs.h"
#include "app/progress_window.h"
#include "app/qt_text.h"
#include "app/run_options_page.h"
#include "app/worker.h"
#include "base/format.h"
#include "base/text_file.h"
#include "generator/run_report.h"
#include "library/options_page_rules.h"
#include "models/library_list_model.h"
#include "outputs/generation.h"
#include "ui_main_window.h"

namespace spindle::gui {
namespace {

constexpr ListKind kLists[] = {ListKind::Categories, ListKind::SpotGroups, ListKind::Rotations,
                               ListKind::Schedules};

std::string JoinedLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

}  // namespace

MainWindow::MainWindow(Station& station, QWidget* parent)
    : QMainWindow(parent), station_(station), ui_(std::make_unique<Ui::MainWindow>()) {
    ui_->setupUi(this);
    // The program's own texts come from its catalogue.
    TranslateForm(this);
    ui_->pages->setAccessibleName(Tr(N_("Library")));
    ui_->optionPages->setAccessibleName(Tr(N_("Options")));
    runOptions_ = new RunOptionsPage(station_, ui_->optionPages);
    ui_->optionPages->insertTab(0, runOptions_, Tr(N_("Run")));
    optionPages_ = {new PlaylistOptionsPage(station_, ui_->optionPages),
                    new HtmlOptionsPage(station_, ui_->optionPages),
                    new AdvancedOptionsPage(station_, ui_->optionPages)};
    const char* const optionTitles[] = {N_("Playlists"), N_("HTML"), N_("Advanced")};
    for (std::size_t i = 0; i < optionPages_.size(); ++i) {
        ui_->optionPages->insertTab(static_cast<int>(i) + 1, optionPages_[i], Tr(optionTitles[i]));
        connect(optionPages_[i], &OptionsPageBase::OptionsEdited, this,
                [this] { UpdateActions(); });
        connect(optionPages_[i], &OptionsPageBase::ReloadAllAsked, this,
                &MainWindow::ReloadAllFiles);
    }
    ui_->optionPages->setCurrentIndex(0);
    connect(runOptions_, &RunOptionsPage::OptionsEdited, this, [this] { UpdateActions(); });

    QTreeView* views[] = {ui_->categoriesView, ui_->spotsView, ui_->rotationsView,
                          ui_->schedulesView};
    for (std::size_t i = 0; i < models_.size(); ++i) {
        models_[i] = new LibraryListModel(station_, kLists[i], this);
        views[i]->setModel(models_[i]);
        connect(views[i]->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                [this] { UpdateActions(); });
        connect(views[i]->selectionModel(), &QItemSelectionModel::currentChanged, this,
                [this] { UpdateActions(); });
        connect(models_[i], &LibraryListModel::Renamed, this, [this] { UpdateActions(); });
        // Enter or a double click on an entry opens it; Enter while a name is edited in
        // place ends the edit instead.
        connect(views[i], &QAbstractItemView::activated, this, &MainWindow::Open);
        // The icon and list styles show the same entries and selection in a list view.
        auto* icons = new QListView(views[i]->parentWidget());
        icons->setModel(models_[i]);
        icons->setSelectionModel(views[i]->selectionModel());
        icons->setEditTriggers(views[i]->editTriggers());
        icons->setAccessibleName(views[i]->accessibleName());
        icons->setResizeMode(QListView::Adjust);
        icons->hide();
        views[i]->parentWidget()->layout()->addWidget(icons);
        connect(icons, &QAbstractItemView::activated, this, &MainWindow::Open);
        iconViews_[i] = icons;
    }
    const std::pair<QAction*, ViewStyle> styles[] = {{ui_->actionLargeIcons, ViewStyle::LargeIcons},
                                                     {ui_->actionSmallIcons, ViewStyle::SmallIcons},
                                                     {ui_->actionList, ViewStyle::List},
                                                     {ui_->actionDetails, ViewStyle::Details}};
    for (const auto& [action, style] : styles) {
        connect(action, &QAction::triggered, this, [this, s = style] { SetViewStyle(s); });
    }
    connect(ui_->actionViewStyle, &QAction::triggered, this,
            [this] { SetViewStyle(NextViewStyle(viewStyle_)); });
    artistsCount_ = new QLabel(this);
    tracksCount_ = new QLabel(this);
    statusBar()->addWidget(artistsCount_);
    statusBar()->addWidget(tracksCount_);

    connect(ui_->pages, &QTabWidget::currentChanged, this, [this] { UpdateActions(); });
    connect(ui_->actionNew, &QAction::triggered, this, &MainWindow::New);
    connect(ui_->actionOpen, &QAction::triggered, this, &MainWindow::Open);
    connect(ui_->actionSave, &QAction::triggered, this, &MainWindow::Save);
    connect(ui_->actionSaveAll, &QAction::triggered, this, &MainWindow::SaveAll);
    connect(ui_->actionRename, &QAction::triggered, this, &MainWindow::Rename);
    connect(ui_->actionDelete, &QAction::triggered, this, &MainWindow::Delete);
    connect(ui_->actionCopy, &QAction::triggered, this, &MainWindow::Copy);
    connect(ui_->actionUsageList, &QAction::triggered, this, &MainWindow::ShowUsageList);
    connect(ui_->actionFileList, &QAction::triggered, this, &MainWindow::ShowFileList);
    connect(ui_->actionBackup, &QAction::triggered, this, &MainWindow::Backup);
    connect(ui_->actionClearLastScheduled, &QAction::triggered, this,
            &MainWindow::ClearLastScheduled);
    connect(ui_->actionCreatePlaylist, &QAction::triggered, this, &MainWindow::CreatePlaylist);
    connect(ui_->actionReloadFiles, &QAction::triggered, this, &MainWindow::ReloadFiles);
    connect(ui_->actionReloadAllFiles, &QAction::triggered, this, &MainWindow::ReloadAllFiles);
    connect(ui_->actionAbout, &QAction::triggered, this, &MainWindow::ShowAbout);
    connect(ui_->actionHelp, &QAction::triggered, this, [] { ShowHelp({}); });
    InstallHelpKey();
    // F1 opens the help of the page shown.
    auto helpPage = [this] {
        static const char* const kPages[] = {"library.html#categories", "library.html#spot-groups",
                                             "library.html#rotations", "library.html#schedules",
                                             "options.html"};
        const int i = std::clamp(ui_->pages->currentIndex(), 0, 4);
        SetHelpPage(this, QString::fromLatin1(kPages[i]));
    };
    connect(ui_->pages, &QTabWidget::currentChanged, this, helpPage);
    helpPage();
    connect(ui_->actionPlaylistEditor, &QAction::triggered, this, [this] { ShowEditor(); });
    connect(ui_->actionExit, &QAction::triggered, this, &QWidget::close);
    connect(ui_->actionMissingIntros, &QAction::triggered, this, [this] {
        MissingIntrosWindow window(station_, this);
        window.exec();
    });
    connect(ui_->relatedArtists, &QPlainTextEdit::textChanged, this, &MainWindow::RelatedEdited);
    ui_->relatedArtists->installEventFilter(this);
    SetViewStyle(ViewStyle::Details);
    Refresh();
}

MainWindow::~MainWindow() = default;

void MainWindow::Refresh() {
    for (LibraryListModel* model : models_) {
        model->Reload();
        View(model->Kind())->header()->resizeSections(QHeaderView::ResizeToContents);
    }
    showingRelated_ = true;
    ui_->relatedArtists->setPlainText(Q(JoinedLines(station_.Related.Lines())));
    showingRelated_ = false;
    if (runOptions_ != nullptr) {
        runOptions_->Show();
    }
    for (OptionsPageBase* page : optionPages_) {
        if (page != nullptr) {
            page->Show();
        }
    }
    UpdateCounts();
    UpdateActions();
}

void MainWindow::ShowStartPage() {
    const QWidget* pages[] = {ui_->categoriesPage, ui_->spotsPage, ui_->rotationsPage,
                              ui_->schedulesPage, ui_->optionsPage};
    ui_->pages->setCurrentWidget(
        const_cast<QWidget*>(pages[static_cast<int>(StartPage(station_))]));
}

Page MainWindow::CurrentPage() const {
    return static_cast<Page>(ui_->pages->currentIndex());
}

ListKind MainWindow::CurrentList() const {
    return kLists[std::min(ui_->pages->currentIndex(), 3)];
}

QAction* MainWindow::SaveAction() const {
    return ui_->actionSave;
}
QAction* MainWindow::SaveAllAction() const {
    return ui_->actionSaveAll;
}

QTreeView* MainWindow::View(ListKind kind) const {
    QTreeView* views[] = {ui_->categoriesView, ui_->spotsView, ui_->rotationsView,
                          ui_->schedulesView};
    return views[static_cast<int>(kind)];
}

std::size_t MainWindow::SelectedRow() const {
    if (CurrentPage() == Page::Options) {
        return kNewEntry;
    }
    const QModelIndex current = ShownView(CurrentList())->currentIndex();
    const bool selected = ShownView(CurrentList())->selectionModel()->hasSelection();
    return current.isValid() && selected ? static_cast<std::size_t>(current.row()) : kNewEntry;
}

void MainWindow::UpdateActions() {
    const Page page = CurrentPage();
    const bool list = page != Page::Options;
    const bool selected = SelectedRow() != kNewEntry;
    // Every list has its dialog; isolated mode adds no Category or Spot Group.
    const bool groups = page == Page::Categories || page == Page::SpotGroups;
    ui_->actionNew->setEnabled(list && !(groups && station_.Isolated));
    ui_->actionOpen->setEnabled(list && selected);
    ui_->actionFileList->setEnabled(groups && selected);
    ui_->actionSave->setEnabled(PageHasChanges(station_.Changed, page));
    ui_->actionSaveAll->setEnabled(station_.Changed.Any());
    ui_->actionRename->setEnabled(list && selected);
    ui_->actionDelete->setEnabled(list && selected);
    ui_->actionCopy->setEnabled(selected && (page == Page::Rotations || page == Page::Schedules));
    ui_->actionUsageList->setEnabled(selected && list && page != Page::Schedules);
    ui_->actionReloadFiles->setEnabled(selected &&
                                       (page == Page::Categories || page == Page::SpotGroups));
}

void MainWindow::UpdateCounts() {
    artistsCount_->setText(Q(Format(spindle::tr("%0:d unique Artists"),
                                    static_cast<long long>(station_.Artists.Count()))));
    tracksCount_->setText(Q(Format(spindle::tr("%0:d total Category tracks"),
                                   static_cast<long long>(station_.TotalCategoryTracks()))));
}

void MainWindow::New() {
    if (CurrentPage() == Page::Categories || CurrentPage() == Page::SpotGroups) {
        if (!station_.Isolated) {
            EditGroup(CurrentList(), kNewEntry);
        }
    }
}

void MainWindow::Open() {
    const std::size_t row = SelectedRow();
    if (row != kNewEntry &&
        (CurrentPage() == Page::Categories || CurrentPage() == Page::SpotGroups)) {
        EditGroup(CurrentList(), row);
    }
}

void MainWindow::EditGroup(ListKind kind, std::size_t row) {
    std::unique_ptr<GroupDialog> dialog;
    if (kind == ListKind::Categories) {
        dialog = std::make_unique<CategoryDialog>(
            station_, row == kNewEntry ? nullptr : station_.Categories[row].get(), this);
    } else {
        dialog = std::make_unique<SpotGroupDialog>(
            station_, row == kNewEntry ? nullptr : station_.SpotGroups[row].get(), this);
    }
    dialog->setObjectName(QStringLiteral("groupDialog"));
    if (dialog->exec() != QDialog::Accepted || dialog->Result() == nullptr) {
        return;
    }
    Refresh();
    ReloadGroup(*dialog->Result());
}

TCustomDetails* MainWindow::SelectedGroup() const {
    const std::size_t row = SelectedRow();
    if (row == kNewEntry) {
        return nullptr;
    }
    if (CurrentList() == ListKind::Categories) {
        return station_.Categories[row].get();
    }
    return CurrentList() == ListKind::SpotGroups ? station_.SpotGroups[row].get() : nullptr;
}

void MainWindow::ReloadGroup(TCustomDetails& group) {
    StartWork(
        ProgressWindow::Mode::Loading,
        [this, &group](Operator&, spindle::Progress&) {
            station_.ReloadFiles(group);
            return true;
        },
        [this](bool) {
            Refresh();
            emit ReloadFinished();
        });
}

void MainWindow::Save() {
    SavePage(station_, CurrentPage());
    UpdateActions();
}

void MainWindow::SaveAll() {
    station_.SaveAll();
    UpdateActions();
}

void MainWindow::Rename() {
    QAbstractItemView* view = ShownView(CurrentList());
    view->edit(view->currentIndex().siblingAtColumn(0));
}

void MainWindow::Delete() {
    const std::size_t row = SelectedRow();
    if (row != kNewEntry && DeleteEntry(station_, CurrentList(), row)) {
        Refresh();
    }
}

void MainWindow::Copy() {
    const std::size_t row = SelectedRow();
    if (row == kNewEntry || !CopyEntry(station_, CurrentList(), row)) {
        return;
    }
    models_[static_cast<int>(CurrentList())]->Reload();
    // The copy's proposed name is edited in place at once.
    QAbstractItemView* view = ShownView(CurrentList());
    const QModelIndex copy = view->model()->index(view->model()->rowCount() - 1, 0);
    view->setCurrentIndex(copy);
    view->edit(copy);
    UpdateActions();
}

void MainWindow::ShowUsageList() {
    const UsageList usage = UsageListOf(station_, CurrentList(), SelectedRow());
    QDialog dialog(this);
    dialog.setWindowTitle(Q(usage.Title));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(Q(usage.Name), &dialog));
    auto* lines = new QListWidget(&dialog);
    lines->setAccessibleName(Q(usage.Title));
    for (const std::string& line : usage.Lines) {
        lines->addItem(Q(line));
    }
    layout->addWidget(lines);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    layout->addWidget(buttons);
    dialog.exec();
}

void MainWindow::ShowFileList() {
    TCustomDetails* group = SelectedGroup();
    if (group == nullptr) {
        return;
    }
    FileViewWindow files(station_, *group, this);
    files.setObjectName(QStringLiteral("fileViewWindow"));
    connect(&files, &FileViewWindow::TrackEdited, this, [this] { UpdateActions(); });
    files.exec();
}

void MainWindow::Backup() {
    BackupDataFiles(station_);
}

void MainWindow::ClearLastScheduled() {
    ResetLastUsed(station_);
    UpdateActions();
}

void MainWindow::RelatedEdited() {
    if (!showingRelated_) {
        station_.Changed.Related = true;
        UpdateActions();
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // Leaving the Related Artists text takes its lines and tidies them.
    if (watched == ui_->relatedArtists && event->type() == QEvent::FocusOut &&
        station_.Changed.Related) {
        station_.Related.SetLines(SplitLines(S(ui_->relatedArtists->toPlainText())));
        station_.Related.Tidy();
        showingRelated_ = true;
        ui_->relatedArtists->setPlainText(Q(JoinedLines(station_.Related.Lines())));
        showingRelated_ = false;
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::CreatePlaylist() {
    // A run changes what is to be saved, not what the lists and pages show.
    StartRun({}, [this](bool generated) {
        UpdateActions();
        emit RunFinished(generated);
    });
}

void MainWindow::RunUnattended(std::vector<std::string> loadLines) {
    StartRun(std::move(loadLines), [this](bool generated) {
        const bool saved = station_.SaveAll(true);
        UpdateActions();
        emit RunFinished(generated);
        if (generated && saved) {
            close();
        }
    });
}

void MainWindow::StartRun(std::vector<std::string> firstLines, std::function<void(bool)> done) {
    StartWork(
        ProgressWindow::Mode::Run,
        [this, lines = std::move(firstLines)](Operator& op, spindle::Progress& progress) {
            RunReport report(op, &progress);
            for (const std::string& line : lines) {
                report.Problem(line);
            }
            return RunGeneration(station_, report);
        },
        std::move(done));
}

void MainWindow::ReloadFiles() {
    if (TCustomDetails* group = SelectedGroup()) {
        ReloadGroup(*group);
    }
}

void MainWindow::ReloadAllFiles() {
    StartWork(
        ProgressWindow::Mode::Loading,
        [this](Operator&, spindle::Progress&) {
            station_.ReloadAllFiles();
            return true;
        },
        [this](bool) {
            Refresh();
            emit ReloadFinished();
        });
}

void MainWindow::StartWork(ProgressWindow::Mode mode,
                           std::function<bool(Operator&, spindle::Progress&)> job,
                           std::function<void(bool)> done) {
    if (worker_ != nullptr) {
        return;
    }
    if (progress_ == nullptr) {
        progress_ = new ProgressWindow(this);
    }
    worker_ = new Worker(station_, std::move(job), *progress_);
    connect(worker_, &Worker::Finished, this, [this, done = std::move(done)](bool succeeded) {
        worker_->deleteLater();  // waits for its thread to end
        worker_ = nullptr;
        SetBusy(false);
        done(succeeded);
    });
    SetBusy(true);
    progress_->Start(mode);
    worker_->Start();
}

void MainWindow::ShowAbout() {
    QMessageBox::about(
        this, Tr(N_("About")),
        QStringLiteral("<b>Spindle</b> %1<br>%2")
            .arg(QStringLiteral(SPINDLE_VERSION),
                 Tr(N_("Music scheduling for radio stations: categories, spot groups, "
                       "rotations and schedules made into playlists."))));
}

EditorWindow* MainWindow::ShowEditor(bool alone) {
    if (!editor_) {
        editor_ = std::make_unique<EditorWindow>(station_);
        editor_->setObjectName(QStringLiteral("playlistEditor"));
        connect(editor_.get(), &EditorWindow::Closed, this, [this, alone] {
            setEnabled(true);
            Refresh();
            if (alone) {
                station_.SaveAll();  // nobody sees the main window's question
                QApplication::quit();
            }
        });
    }
    setEnabled(false);
    editor_->show();
    editor_->raise();
    const Options& o = station_.Opt;
    if (editor_->Document().Empty() && !o.LogBaseName.empty()) {
        editor_->OpenLog(o.LogFolderPath() + o.LogBaseName + ".plg");
    }
    return editor_.get();
}

void MainWindow::SetViewStyle(ViewStyle style) {
    viewStyle_ = style;
    for (std::size_t i = 0; i < iconViews_.size(); ++i) {
        QListView* icons = iconViews_[i];
        const bool details = style == ViewStyle::Details;
        View(kLists[i])->setVisible(details);
        icons->setVisible(!details);
        const bool large = style == ViewStyle::LargeIcons;
        icons->setViewMode(large ? QListView::IconMode : QListView::ListMode);
        // Icons run along the rows; the List style fills columns.
        icons->setFlow(style == ViewStyle::List ? QListView::TopToBottom : QListView::LeftToRight);
        icons->setWrapping(true);
        const int size = style == ViewStyle::LargeIcons ? 32 : 16;
        icons->setIconSize(QSize(size, size));
    }
    ui_->actionLargeIcons->setChecked(style == ViewStyle::LargeIcons);
    ui_->actionSmallIcons->setChecked(style == ViewStyle::SmallIcons);
    ui_->actionList->setChecked(style == ViewStyle::List);
    ui_->actionDetails->setChecked(style == ViewStyle::Details);
}

QAbstractItemView* MainWindow::ShownView(ListKind kind) const {
    if (viewStyle_ == ViewStyle::Details) {
        return View(kind);
    }
    return iconViews_[static_cast<std::size_t>(kind)];
}

void MainWindow::SetBusy(bool busy) {
    // The library is the run's while it works: nothing else may touch it.
    centralWidget()->setEnabled(!busy);
    menuBar()->setEnabled(!busy);
    ui_->toolBar->setEnabled(!busy);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The editor's own question comes first; its unsaved edits are never dropped.
    if (editor_ && editor_->isVisible() && !editor_->close()) {
        event->ignore();
        return;
    }
    if (worker_ != nullptr) {
        event->ignore();  // the run's Cancel ends it first
        return;
    }
    if (station_.Changed.Related) {
        station_.Related.SetLines(SplitLines(S(ui_->relatedArtists->toPlainText())));
    }
    if (MayClose(station_)) {
        event->accept();
    } else {
        event->ignore();
        UpdateActions();
    }
}

}  // namespace spindle::gui
