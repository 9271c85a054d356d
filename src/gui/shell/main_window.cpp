#include "gui/shell/main_window.h"
#include "gui/help/help_window.h"

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
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <utility>

#include "base/format.h"
#include "base/text_file.h"
#include "generator/run_report.h"
#include "gui/editor/editor_window.h"
#include "gui/library/file_view_window.h"
#include "gui/library/group_dialog.h"
#include "gui/library/plan_editors.h"
#include "gui/printing/print_dialogs.h"
#include "gui/shell/option_pages.h"
#include "gui/shell/run_options_page.h"
#include "gui/widgets/form_text.h"
#include "gui/widgets/library_list_model.h"
#include "gui/widgets/progress_window.h"
#include "gui/widgets/qt_text.h"
#include "gui/widgets/worker.h"
#include "library/options_page_rules.h"
#include "outputs/demo_station.h"
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
        connect(optionPages_[i], &OptionsPageBase::OptionsEdited, this, [this] {
            ApplyWindowSettings();
            UpdateActions();
        });
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
    AddEmptyPageHints();
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
    // Hints are the operator's choice in every window of the program.
    qApp->installEventFilter(this);
    // Wide enough for the whole toolbar, with no "more" arrow.
    resize(std::max(width(), ui_->toolBar->sizeHint().width() + 40), height());
    Refresh();
    ApplyWindowSettings();
}

void MainWindow::AddEmptyPageHints() {
    static const char* const kHints[][2] = {
        {N_("Categories sort the station's music: each holds the songs of one or more folders."),
         N_("New Category...")},
        {N_("Spot Groups hold the commercials, jingles, station IDs, song intros and outros."),
         N_("New Spot Group...")},
        {N_("A Rotation is an hour template: the Categories and Spot Groups in playing order."),
         N_("New Rotation...")},
        {N_("A Schedule says which Rotation plays at each hour of each weekday."),
         N_("New Schedule...")}};
    for (std::size_t i = 0; i < hints_.size(); ++i) {
        QWidget* page = View(kLists[i])->parentWidget();
        auto* hint = new QWidget(page);
        auto* row = new QHBoxLayout(hint);
        row->setContentsMargins(0, 0, 0, 0);
        auto* text = new QLabel(Tr(kHints[i][0]), hint);
        text->setWordWrap(true);
        row->addWidget(text, 1);
        auto* create = new QPushButton(Tr(kHints[i][1]), hint);
        connect(create, &QPushButton::clicked, this, [this, i] {
            ui_->pages->setCurrentIndex(static_cast<int>(i));
            New();
        });
        row->addWidget(create);
        if (kLists[i] == ListKind::Categories) {
            // A data folder with nothing in it yet: a station can also come ready-made.
            firstStart_ = new QWidget(hint);
            auto* more = new QHBoxLayout(firstStart_);
            more->setContentsMargins(0, 0, 0, 0);
            auto* demo = new QPushButton(Tr(N_("Make a demo station")), firstStart_);
            auto* windows = new QPushButton(Tr(N_("Bring a station from Windows...")), firstStart_);
            more->addWidget(demo);
            more->addWidget(windows);
            connect(demo, &QPushButton::clicked, this, &MainWindow::MakeDemo);
            connect(windows, &QPushButton::clicked, this, &MainWindow::ExplainMigration);
            row->addWidget(firstStart_);
        }
        static_cast<QBoxLayout*>(page->layout())->insertWidget(0, hint);
        hints_[i] = hint;
    }
}

void MainWindow::MakeDemo() {
    const std::filesystem::path folder = station_.DataFolder();
    const std::string problem = MakeDemoStation(folder / "Demo", folder);
    if (!problem.empty()) {
        station_.Op().Show(MessageKind::Error, problem, Buttons::Ok);
        return;
    }
    station_.LoadAll();
    Refresh();
    ShowStartPage();
}

void MainWindow::ExplainMigration() {
    const std::string folder = station_.DataFolder().string();
    station_.Op().Show(
        MessageKind::Information,
        Format(spindle::tr("Copy the station's data folder and its music from Windows to this "
                           "machine, then map each Windows folder to where its files are now, "
                           "for instance:\n\nspindle-cli migrate --data \"%0:s\" --dry-run "
                           "--map 'C:\\Music=/srv/music'\n\nThe dry run changes nothing and says "
                           "what it finds; without --dry-run the station is rewritten. The "
                           "manual page spindle-cli(1) says more."),
               folder),
        Buttons::Ok);
}

void MainWindow::ShowEmptyPageHints() {
    for (std::size_t i = 0; i < hints_.size(); ++i) {
        // Isolated, no group is added: the hint would offer what New refuses.
        const bool groups = i < 2;
        hints_[i]->setVisible(ListSize(kLists[i]) == 0 && !(groups && station_.Isolated));
    }
    firstStart_->setVisible(station_.Categories.empty() && station_.SpotGroups.empty() &&
                            station_.Rotations.empty() && station_.Schedules.empty() &&
                            !HoldsStation(station_.DataFolder()));
}

void MainWindow::ApplyWindowSettings() {
    const bool onTop = station_.Opt.StayOnTop;
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) != onTop) {
        const bool shown = isVisible();
        setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
        if (shown) {
            show();  // changing the flags hides the window
        }
    }
}

MainWindow::~MainWindow() = default;

void MainWindow::Refresh() {
    for (LibraryListModel* model : models_) {
        model->Reload();
        View(model->Kind())->header()->resizeSections(QHeaderView::ResizeToContents);
    }
    ShowEmptyPageHints();
    ShowOptions();
    UpdateCounts();
    UpdateActions();
}

void MainWindow::ShowOptions() {
    TakeRelatedText();
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
}

void MainWindow::TakeRelatedText() {
    // The text reaches the Station on leaving it, and before anything reads or saves it.
    if (station_.Changed.Related && !showingRelated_) {
        station_.Related.SetLines(SplitLines(S(ui_->relatedArtists->toPlainText())));
        station_.Related.Tidy();
    }
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
    if (ui_->actionNew->isEnabled()) {
        Edit(CurrentList(), kNewEntry);
    }
}

void MainWindow::Open() {
    if (const std::size_t row = SelectedRow(); row != kNewEntry && CurrentPage() != Page::Options) {
        Edit(CurrentList(), row);
    }
}

void MainWindow::Edit(ListKind kind, std::size_t row) {
    if (kind == ListKind::Categories || kind == ListKind::SpotGroups) {
        EditGroup(kind, row);
        return;
    }
    // The Rotation and Schedule editors change only their own list, so the entry stays
    // selected afterwards.
    bool accepted = false;
    if (kind == ListKind::Rotations) {
        RotationEditor editor(station_, row == kNewEntry ? nullptr : station_.Rotations[row].get(),
                              this);
        editor.setObjectName(QStringLiteral("rotationEditor"));
        accepted = editor.exec() == QDialog::Accepted && editor.Result() != nullptr;
    } else {
        ScheduleEditor editor(station_, row == kNewEntry ? nullptr : station_.Schedules[row].get(),
                              this);
        editor.setObjectName(QStringLiteral("scheduleEditor"));
        accepted = editor.exec() == QDialog::Accepted && editor.Result() != nullptr;
    }
    if (accepted) {
        Refresh();
        const int shown = static_cast<int>(row == kNewEntry ? ListSize(kind) - 1 : row);
        QAbstractItemView* view = ShownView(kind);
        view->setCurrentIndex(view->model()->index(shown, 0));
    }
}

std::size_t MainWindow::ListSize(ListKind kind) const {
    const std::size_t sizes[] = {station_.Categories.size(), station_.SpotGroups.size(),
                                 station_.Rotations.size(), station_.Schedules.size()};
    return sizes[static_cast<int>(kind)];
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
    TakeRelatedText();
    SavePage(station_, CurrentPage());
    ShowOptions();
    UpdateActions();
}

void MainWindow::SaveAll() {
    TakeRelatedText();
    station_.SaveAll();  // moves the run's start on: the Run page shows the new one
    ShowOptions();
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
    if (event->type() == QEvent::ToolTip && !station_.Opt.ToolTips) {
        return true;
    }
    // Leaving the Related Artists text takes its lines and tidies them.
    if (watched == ui_->relatedArtists && event->type() == QEvent::FocusOut &&
        station_.Changed.Related) {
        ShowOptions();
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::Terminate() {
    if (worker_ != nullptr) {
        // Stop the work as its Cancel does; the window closes once it has ended.
        closeAfterWork_ = true;
        progress_->Button()->click();
    } else if (!isVisible() && editor_ && editor_->isVisible()) {
        editor_->close();  // "e": the editor is the program's window
    } else {
        if (progress_ != nullptr) {
            progress_->hide();  // the close question must not sit behind it
        }
        close();
    }
}

void MainWindow::CreatePlaylist() {
    TakeRelatedText();
    StartRun({}, [this](bool generated) {
        ShowOptions();
        UpdateCounts();
        UpdateActions();
        emit RunFinished(generated);
    });
}

void MainWindow::RunUnattended(std::vector<std::string> loadLines, Operator* person) {
    StartRun(std::move(loadLines), [this, person](bool generated) {
        const bool saved = station_.SaveAll(true);
        ShowOptions();
        UpdateActions();
        unattendedDone_ = generated && saved;
        if (unattendedDone_) {
            emit RunFinished(generated);
            close();
            return;
        }
        // The window stays open for a person: from now on questions are asked again.
        if (person != nullptr) {
            station_.SetOperator(*person);
        }
        emit RunFinished(generated);
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
    person_ = &station_.Op();
    worker_ = new Worker(station_, std::move(job), *progress_);
    connect(worker_, &Worker::Finished, this, [this, done = std::move(done)](bool succeeded) {
        worker_->deleteLater();  // waits for its thread to end
        worker_ = nullptr;
        SetBusy(false);
        done(succeeded);
        if (closeAfterWork_) {
            closeAfterWork_ = false;
            Terminate();
        }
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
        connect(editor_.get(), &EditorWindow::Saved, this,
                [this](bool saved) { closeAfterEditor_ = closeAfterEditor_ && saved; });
        connect(editor_.get(), &EditorWindow::Closed, this, [this, alone] {
            setEnabled(true);
            Refresh();
            if (!alone) {
                if (std::exchange(closeAfterEditor_, false)) {
                    close();  // Exit waited for the editor's save
                }
                return;
            }
            // The editor was the program's only window: the close question is asked
            // here, and a save that fails (or Cancel) leaves the main window to finish.
            TakeRelatedText();
            if (MayClose(station_)) {
                QApplication::quit();
            } else {
                ShowOptions();
                show();
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
    for (LibraryListModel* model : models_) {
        model->Freeze(busy);
    }
    centralWidget()->setEnabled(!busy);
    menuBar()->setEnabled(!busy);
    ui_->toolBar->setEnabled(!busy);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The editor's own question comes first; its unsaved edits are never dropped.
    if (editor_ && editor_->isVisible() && !editor_->close()) {
        // "Yes" saves on the worker first; the program closes once that has worked.
        closeAfterEditor_ = editor_->Busy();
        event->ignore();
        return;
    }
    if (worker_ != nullptr) {
        // The library is the work's until it ends; the person is told how to get out.
        event->ignore();
        if (!closeAfterWork_) {
            person_->Show(MessageKind::Information,
                          spindle::tr("Spindle is at work. Press Cancel in its window to stop "
                                      "it, then close."),
                          Buttons::Ok);
        }
        return;
    }
    TakeRelatedText();
    if (MayClose(station_)) {
        event->accept();
    } else {
        event->ignore();
        ShowOptions();  // a save that failed may have moved the start on all the same
        UpdateActions();
    }
}

}  // namespace spindle::gui
