#include "gui/shell/main_window.h"
#include "gui/help/help_window.h"

#include <QApplication>
#include <QHeaderView>
#include <QListView>
#include <QMessageBox>
#include <QTreeView>
#include <utility>

#include "base/text_file.h"
#include "gui/editor/editor_window.h"
#include "gui/printing/print_dialogs.h"
#include "gui/reports/reports_dialog.h"
#include "gui/shell/attributes_page.h"
#include "gui/shell/library_list_model.h"
#include "gui/shell/option_pages.h"
#include "gui/shell/run_options_page.h"
#include "gui/widgets/form_text.h"
#include "gui/widgets/qt_text.h"
#include "ui_main_window.h"

namespace spindle::gui {
namespace {

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
    SetUpOptionPages();
    SetUpLists();
    AddEmptyPageHints();
    SetUpViewStyles();
    SetUpStatusBar();
    ConnectActions();
    ui_->relatedArtists->installEventFilter(this);
    SetViewStyle(ViewStyle::Details);
    // Hints are the operator's choice in every window of the program.
    qApp->installEventFilter(this);
    // Wide enough for the whole toolbar, with no "more" arrow.
    resize(std::max(width(), ui_->toolBar->sizeHint().width() + 40), height());
    Refresh();
    ApplyWindowSettings();
}

void MainWindow::SetUpOptionPages() {
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
    attributesPage_ = new AttributesPage(station_, ui_->optionPages);
    ui_->optionPages->addTab(attributesPage_, Tr(N_("Attributes")));
    connect(attributesPage_, &AttributesPage::ReloadAllAsked, this, &MainWindow::ReloadAllFiles);
    ui_->optionPages->setCurrentIndex(0);
    connect(runOptions_, &RunOptionsPage::OptionsEdited, this, [this] { UpdateActions(); });
}

void MainWindow::SetUpLists() {
    QTreeView* views[] = {ui_->categoriesView, ui_->spotsView, ui_->rotationsView,
                          ui_->schedulesView};
    for (std::size_t i = 0; i < models_.size(); ++i) {
        models_[i] = new LibraryListModel(station_, kLists[i], this);
        views[i]->setModel(models_[i]);
        // A selection made without the current entry (a screen reader selects through the
        // accessibility interface) moves the current entry to it, so the actions act on
        // what is selected.
        QItemSelectionModel* selection = views[i]->selectionModel();
        connect(selection, &QItemSelectionModel::selectionChanged, this, [this, selection] {
            const QModelIndexList rows = selection->selectedRows();
            if (!rows.isEmpty() && !selection->isRowSelected(selection->currentIndex().row())) {
                selection->setCurrentIndex(rows.front(), QItemSelectionModel::NoUpdate);
            }
            UpdateActions();
        });
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
}

void MainWindow::SetUpViewStyles() {
    const std::pair<QAction*, ViewStyle> styles[] = {{ui_->actionLargeIcons, ViewStyle::LargeIcons},
                                                     {ui_->actionSmallIcons, ViewStyle::SmallIcons},
                                                     {ui_->actionList, ViewStyle::List},
                                                     {ui_->actionDetails, ViewStyle::Details}};
    for (const auto& [action, style] : styles) {
        connect(action, &QAction::triggered, this, [this, s = style] { SetViewStyle(s); });
    }
    connect(ui_->actionViewStyle, &QAction::triggered, this,
            [this] { SetViewStyle(NextViewStyle(viewStyle_)); });
}

void MainWindow::ConnectActions() {
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
    SetUpHelpPages();
    connect(ui_->actionPlaylistEditor, &QAction::triggered, this, [this] { ShowEditor(); });
    connect(ui_->actionReports, &QAction::triggered, this, [this] {
        ReportsDialog reports(station_, this);
        reports.setObjectName(QStringLiteral("reportsDialog"));
        reports.exec();
    });
    connect(ui_->actionExit, &QAction::triggered, this, &QWidget::close);
    connect(ui_->actionMissingIntros, &QAction::triggered, this, [this] {
        MissingIntrosWindow window(station_, this);
        window.exec();
    });
    connect(ui_->relatedArtists, &QPlainTextEdit::textChanged, this, &MainWindow::RelatedEdited);
}

// F1 opens the help of the page shown.
void MainWindow::SetUpHelpPages() {
    auto helpPage = [this] {
        static const char* const kPages[] = {"library.html#categories", "library.html#spot-groups",
                                             "library.html#rotations", "library.html#schedules",
                                             "options.html"};
        const int i = std::clamp(ui_->pages->currentIndex(), 0, 4);
        SetHelpPage(this, QString::fromLatin1(kPages[i]));
    };
    connect(ui_->pages, &QTabWidget::currentChanged, this, helpPage);
    helpPage();
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
    if (attributesPage_ != nullptr) {
        attributesPage_->Show();
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

void MainWindow::ShowAbout() {
    QMessageBox::about(
        this, Tr(N_("About")),
        QStringLiteral("<b>Spindle</b> %1<br>%2")
            .arg(QStringLiteral(SPINDLE_VERSION),
                 Tr(N_("Music scheduling for radio stations: categories, spot groups, "
                       "rotations and schedules made into playlists."))));
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

}  // namespace spindle::gui
