#include "app/main_window.h"

#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QTreeView>
#include <QVBoxLayout>

#include "app/progress_window.h"
#include "app/qt_text.h"
#include "app/run_options_page.h"
#include "app/run_worker.h"
#include "base/format.h"
#include "base/text_file.h"
#include "library/options_page_rules.h"
#include "models/library_list_model.h"
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
    const std::pair<QWidget*, const char*> pages[] = {{ui_->categoriesPage, N_("Categories")},
                                                      {ui_->spotsPage, N_("Spot Groups")},
                                                      {ui_->rotationsPage, N_("Rotations")},
                                                      {ui_->schedulesPage, N_("Schedules")},
                                                      {ui_->optionsPage, N_("Options")}};
    for (const auto& [page, title] : pages) {
        ui_->pages->setTabText(ui_->pages->indexOf(page), Tr(title));
    }
    const std::pair<QAction*, const char*> actions[] = {
        {ui_->actionSave, N_("Save")},
        {ui_->actionSaveAll, N_("Save All")},
        {ui_->actionRename, N_("Rename")},
        {ui_->actionDelete, N_("Delete")},
        {ui_->actionCopy, N_("Copy")},
        {ui_->actionUsageList, N_("Usage List")},
        {ui_->actionBackup, N_("Backup")},
        {ui_->actionClearLastScheduled, N_("Clear Last Scheduled")},
        {ui_->actionCreatePlaylist, N_("Create Playlist")},
        {ui_->actionExit, N_("Exit")}};
    for (const auto& [action, text] : actions) {
        action->setText(Tr(text));
    }
    ui_->optionPages->setTabText(0, Tr(N_("Related Artists")));
    runOptions_ = new RunOptionsPage(station_, ui_->optionPages);
    ui_->optionPages->insertTab(0, runOptions_, Tr(N_("Run")));
    ui_->optionPages->setCurrentIndex(0);
    connect(runOptions_, &RunOptionsPage::OptionsEdited, this, [this] { UpdateActions(); });
    ui_->relatedLabel->setText(Tr(N_("Related Artists")));

    QTreeView* views[] = {ui_->categoriesView, ui_->spotsView, ui_->rotationsView,
                          ui_->schedulesView};
    for (std::size_t i = 0; i < models_.size(); ++i) {
        models_[i] = new LibraryListModel(station_, kLists[i], this);
        views[i]->setModel(models_[i]);
        connect(views[i]->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                [this] { UpdateActions(); });
        connect(models_[i], &LibraryListModel::Renamed, this, [this] { UpdateActions(); });
    }
    artistsCount_ = new QLabel(this);
    tracksCount_ = new QLabel(this);
    statusBar()->addWidget(artistsCount_);
    statusBar()->addWidget(tracksCount_);

    connect(ui_->pages, &QTabWidget::currentChanged, this, [this] { UpdateActions(); });
    connect(ui_->actionSave, &QAction::triggered, this, &MainWindow::Save);
    connect(ui_->actionSaveAll, &QAction::triggered, this, &MainWindow::SaveAll);
    connect(ui_->actionRename, &QAction::triggered, this, &MainWindow::Rename);
    connect(ui_->actionDelete, &QAction::triggered, this, &MainWindow::Delete);
    connect(ui_->actionCopy, &QAction::triggered, this, &MainWindow::Copy);
    connect(ui_->actionUsageList, &QAction::triggered, this, &MainWindow::ShowUsageList);
    connect(ui_->actionBackup, &QAction::triggered, this, &MainWindow::Backup);
    connect(ui_->actionClearLastScheduled, &QAction::triggered, this,
            &MainWindow::ClearLastScheduled);
    connect(ui_->actionCreatePlaylist, &QAction::triggered, this, &MainWindow::CreatePlaylist);
    connect(ui_->actionExit, &QAction::triggered, this, &QWidget::close);
    connect(ui_->relatedArtists, &QPlainTextEdit::textChanged, this, &MainWindow::RelatedEdited);
    ui_->relatedArtists->installEventFilter(this);
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
    const QModelIndex current = View(CurrentList())->currentIndex();
    const bool selected = View(CurrentList())->selectionModel()->hasSelection();
    return current.isValid() && selected ? static_cast<std::size_t>(current.row()) : kNewEntry;
}

void MainWindow::UpdateActions() {
    const Page page = CurrentPage();
    const bool list = page != Page::Options;
    const bool selected = SelectedRow() != kNewEntry;
    ui_->actionSave->setEnabled(PageHasChanges(station_.Changed, page));
    ui_->actionSaveAll->setEnabled(station_.Changed.Any());
    ui_->actionRename->setEnabled(list && selected);
    ui_->actionDelete->setEnabled(list && selected);
    ui_->actionCopy->setEnabled(selected && (page == Page::Rotations || page == Page::Schedules));
    ui_->actionUsageList->setEnabled(selected && list && page != Page::Schedules);
}

void MainWindow::UpdateCounts() {
    artistsCount_->setText(Q(Format(spindle::tr("%0:d unique Artists"),
                                    static_cast<long long>(station_.Artists.Count()))));
    tracksCount_->setText(Q(Format(spindle::tr("%0:d total Category tracks"),
                                   static_cast<long long>(station_.TotalCategoryTracks()))));
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
    QTreeView* view = View(CurrentList());
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
    QTreeView* view = View(CurrentList());
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
    if (worker_ != nullptr) {
        return;
    }
    if (progress_ == nullptr) {
        progress_ = new ProgressWindow(this);
    }
    worker_ = new RunWorker(station_, station_.Op(), *progress_);
    connect(worker_, &RunWorker::Finished, this, [this](bool generated) {
        worker_->deleteLater();  // waits for its thread to end
        worker_ = nullptr;
        SetBusy(false);
        Refresh();
        emit RunFinished(generated);
    });
    SetBusy(true);
    worker_->Start();
}

void MainWindow::SetBusy(bool busy) {
    // The library is the run's while it works: nothing else may touch it.
    centralWidget()->setEnabled(!busy);
    menuBar()->setEnabled(!busy);
    ui_->toolBar->setEnabled(!busy);
}

void MainWindow::closeEvent(QCloseEvent* event) {
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
