#include "gui/editor/editor_window.h"
#include "gui/help/help_window.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QStatusBar>
#include <algorithm>

#include "base/format.h"
#include "base/format_datetime.h"
#include "base/paths.h"
#include "editor/log_context.h"
#include "gui/editor/find_replace_window.h"
#include "gui/editor/insert_dialogs.h"
#include "gui/editor/regenerate_dialogs.h"
#include "gui/editor/voice_track_window.h"
#include "gui/widgets/form_text.h"
#include "gui/widgets/progress_window.h"
#include "gui/widgets/qt_text.h"
#include "ui_editor_window.h"

// The window's navigation and view: the hour shown, its rows and their selection, the
// status bar and which actions apply. Edits, saving and outputs, and voice tracks with
// preview have files of their own.

namespace spindle::gui {

EditorWindow::EditorWindow(Station& station, QWidget* parent)
    : QMainWindow(parent),
      station_(station),
      ui_(std::make_unique<Ui::EditorWindow>()),
      rules_(std::make_unique<RulesCache>()) {
    ui_->setupUi(this);
    TranslateForm(this);
    SetHelpPage(this, QStringLiteral("editor.html"));
    InstallHelpKey();
    connect(ui_->actionHelp, &QAction::triggered, this,
            [] { ShowHelp(QStringLiteral("editor.html")); });
    SetUpView();
    SetUpDayAndHour();
    SetUpStatusBar();
    ConnectFileActions();
    ConnectEditActions();
    ConnectRepairActions();
    ConnectVoiceActions();
    ConnectNavigation();
    // Wide enough at first for the whole tool bar, day and hour boxes included.
    resize(std::max(width(), ui_->toolBar->sizeHint().width() + 40), height());
    UpdateActions();
}

EditorWindow::~EditorWindow() = default;

void EditorWindow::SetUpView() {
    model_ = new HourModel(doc_, station_, this);
    ui_->fileView->setModel(model_);
    ui_->fileView->header()->resizeSection(0, 290);
    ui_->fileView->header()->resizeSection(1, 160);
    ui_->fileView->header()->resizeSection(2, 240);
    ui_->fileView->addActions({ui_->actionCut, ui_->actionCopy, ui_->actionPaste, ui_->actionDelete,
                               ui_->actionExchange, ui_->actionInsertItem, ui_->actionReplaceArtist,
                               ui_->actionReplaceAny, ui_->actionReplaceTrack,
                               ui_->actionRegenerate});
}

void EditorWindow::SetUpDayAndHour() {
    // The day and hour chosen on the tool bar.
    ui_->toolBar->addSeparator();
    auto* dayLabel = new QLabel(Tr(N_("  Day ")), this);
    ui_->toolBar->addWidget(dayLabel);
    day_ = new QComboBox(this);
    dayLabel->setBuddy(day_);  // a screen reader says the label with the box
    day_->setObjectName(QStringLiteral("day"));
    day_->setAccessibleName(Tr(N_("Select a Day")));
    day_->setToolTip(day_->accessibleName());
    day_->setMaxVisibleItems(24);
    day_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    day_->setMinimumContentsLength(16);
    ui_->toolBar->addWidget(day_);
    auto* hourLabel = new QLabel(Tr(N_("  Hour ")), this);
    ui_->toolBar->addWidget(hourLabel);
    hour_ = new QComboBox(this);
    hourLabel->setBuddy(hour_);
    hour_->setObjectName(QStringLiteral("hour"));
    hour_->setAccessibleName(Tr(N_("Select an Hour")));
    hour_->setToolTip(hour_->accessibleName());
    hour_->setMaxVisibleItems(24);
    for (int h = 0; h < 24; ++h) {
        hour_->addItem(QString("%1:00").arg(h, 2, 10, QChar('0')));
    }
    ui_->toolBar->addWidget(hour_);
    ui_->toolBar->addActions(
        {ui_->actionCurrentHour, ui_->actionPreviousHour, ui_->actionNextHour});
    auto pick = [this] {
        if (day_->currentIndex() >= 0 && hour_->currentIndex() >= 0) {
            ShowHour({day_->currentIndex(), hour_->currentIndex()});
        }
    };
    connect(day_, &QComboBox::activated, this, pick);
    connect(hour_, &QComboBox::activated, this, pick);
}

void EditorWindow::SetUpStatusBar() {
    for (int i = 0; i < 4; ++i) {
        status_[i] = new QLabel(this);
        status_[i]->setMinimumWidth(i == 1 ? 60 : 0);
        if (i == 3) {
            statusBar()->addPermanentWidget(status_[i]);
        } else {
            statusBar()->addWidget(status_[i], i == 2 ? 1 : 0);
        }
    }
}

void EditorWindow::ConnectNavigation() {
    connect(ui_->actionPreviousHour, &QAction::triggered, this,
            [this] { ShowHour(doc_.PreviousHour(shown_)); });
    connect(ui_->actionNextHour, &QAction::triggered, this,
            [this] { ShowHour(doc_.NextHour(shown_)); });
    connect(ui_->actionFirstHour, &QAction::triggered, this, [this] { ShowHour(doc_.First()); });
    connect(ui_->actionLastHour, &QAction::triggered, this, [this] { ShowHour(doc_.Last()); });
    connect(ui_->actionCurrentHour, &QAction::triggered, this, &EditorWindow::ShowCurrentHour);
    connect(ui_->fileView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &EditorWindow::SelectionChanged);
}

void EditorWindow::ShowCurrentHour() {
    if (const auto now = doc_.HourOf(station_.Clock())) {
        ShowHour(*now);
    } else {
        station_.Op().Show(MessageKind::Information,
                           spindle::tr("The current hour is not in this Playlist Log."),
                           Buttons::Ok);
    }
}

void EditorWindow::SelectionChanged() {
    UpdateActions();
    const auto rows = ui_->fileView->selectionModel()->selectedRows();
    UpdateStatus(
        rows.isEmpty()
            ? 0u
            : model_->View().Rows[static_cast<std::size_t>(rows.first().row())].StartOffset);
    // While Find/Replace is open, a row selected is the item to find.
    const auto ids = SelectedIds();
    if (find_ != nullptr && find_->isVisible() && !ids.empty() && !selectingFound_) {
        findPos_ = ids.front();
        find_->RowChosen(FoundName());
    }
}

QStringList EditorWindow::Days() const {
    QStringList days;
    for (int i = 0; i < day_->count(); ++i) {
        days << day_->itemText(i);
    }
    return days;
}

void EditorWindow::OpenLog(const std::string& path) {
    AskToSave([this, path] { Load(path); });
}

void EditorWindow::Load(const std::string& path) {
    const PlaylistDocument::LoadReport report =
        doc_.Load(path, station_.Isolated, station_.Settings());
    for (const auto& [error, text] : report.Messages) {
        station_.Op().Show(error ? MessageKind::Error : MessageKind::Warning, text, Buttons::Ok);
    }
    base_ = path.size() > 4 ? path.substr(0, path.size() - 4) : path;
    findPos_.reset();
    HideToolWindows();  // they worked on the log before
    day_->clear();
    for (const std::string& day : doc_.DayEntries(station_.Settings())) {
        day_->addItem(Q(day));
    }
    setWindowTitle(Q(Format(spindle::tr("Playlist Editor - %0:s"), ExtractFileName(path))));
    ShowLastModified();
    ShowHour(doc_.First());
}

void EditorWindow::ShowHour(LogHour hour) {
    shown_ = hour;
    day_->setCurrentIndex(hour.Day);
    hour_->setCurrentIndex(hour.Hour);
    model_->Show(hour);
    UpdateStatus(0);
    UpdateActions();
}

std::vector<std::uint64_t> EditorWindow::SelectedIds() const {
    std::vector<std::uint64_t> ids;
    QModelIndexList rows = ui_->fileView->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end());
    for (const QModelIndex& i : rows) {
        ids.push_back(model_->View().Rows[static_cast<std::size_t>(i.row())].Id);
    }
    return ids;
}

void EditorWindow::SelectIds(const std::vector<std::uint64_t>& ids) {
    QItemSelection selection;
    QModelIndex current;
    const auto& rows = model_->View().Rows;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (std::find(ids.begin(), ids.end(), rows[r].Id) != ids.end()) {
            const int row = static_cast<int>(r);
            selection.select(model_->index(row, 0), model_->index(row, 3));
            if (!current.isValid()) {
                current = model_->index(row, 0);
            }
        }
    }
    QItemSelectionModel* model = ui_->fileView->selectionModel();
    model->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (current.isValid()) {
        model->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
        ui_->fileView->scrollTo(current);
    }
}

void EditorWindow::Edited(const std::vector<std::uint64_t>& select) {
    model_->Show(shown_);
    UpdateStatus(0);
    SelectIds(select);  // the status then tells when the selected row plays
    UpdateActions();
}

void EditorWindow::UpdateStatus(std::optional<std::uint32_t> offset) {
    const FormatSettings& fs = station_.Settings();
    status_[1]->setText(doc_.Modified() ? Tr(N_("Modified")) : QString());
    if (doc_.Empty()) {
        status_[2]->clear();
        status_[3]->clear();
        return;
    }
    if (offset) {
        const TDateTime at = doc_.StartDate() + shown_.Day + shown_.Hour / 24.0 + *offset / 86400.0;
        status_[2]->setText(Q(Format(spindle::tr("Scheduled for %0:s"),
                                     FormatDateTime("dddddd, hh:nnam/pm", at, fs))));
    }
    // The plain sum, and beside it what the hour lasts on air once crossfades overlap.
    const HourView& view = model_->View();
    status_[3]->setText(Q(Format(spindle::tr("Total duration %0:s (on air %1:s)      "),
                                 FormatDateTime("h:nn:ss", view.Total / 86400.0, fs),
                                 FormatDateTime("h:nn:ss", view.OnAir / 86400.0, fs))));
}

void EditorWindow::UpdateActions() {
    const bool loaded = !doc_.Empty();
    const auto ids = SelectedIds();
    bool anyTimed = false;
    bool marker = false;
    for (const auto& row : model_->View().Rows) {
        if (std::find(ids.begin(), ids.end(), row.Id) != ids.end()) {
            anyTimed = anyTimed || row.Timed;
            marker = marker || (!row.Owner.empty() && row.Owner[0] == '<');
        }
    }
    const bool selected = !ids.empty();
    ui_->actionSave->setEnabled(loaded);
    ui_->actionUndo->setEnabled(doc_.CanUndo());
    ui_->actionDelete->setEnabled(selected);
    ui_->actionCut->setEnabled(selected && !anyTimed);
    ui_->actionCopy->setEnabled(selected && !anyTimed);
    ui_->actionPaste->setEnabled(loaded && doc_.CanPaste());
    ui_->actionExchange->setEnabled(ids.size() == 2);
    ui_->actionSelectAll->setEnabled(loaded);
    for (QAction* a :
         {ui_->actionPrint, ui_->actionPrintTrackSummary, ui_->actionPrintSpotSummary}) {
        a->setEnabled(loaded);
    }
    ui_->actionPlay->setEnabled(selected && ui_->actionEnablePlay->isChecked());
    ui_->actionVoiceTrack->setEnabled(loaded && recorder_ == nullptr);
    ui_->actionVoiceTracks->setEnabled(loaded);
    ui_->actionReplaceArtist->setEnabled(selected && !anyTimed && !marker);
    ui_->actionReplaceAny->setEnabled(selected && !anyTimed && !marker);
    ui_->actionInsertItem->setEnabled(loaded);
    ui_->actionReplaceTrack->setEnabled(CategoryTrackSelected());
    // Voice Tracking walks the hours as they are: none is made again under it.
    ui_->actionRegenerate->setEnabled(loaded && !navigationLocked_);
    // While voice tracks are recorded one after another, the log and the hour stay put.
    for (QAction* a : {ui_->actionFind, ui_->actionPreviousHour, ui_->actionNextHour,
                       ui_->actionFirstHour, ui_->actionLastHour, ui_->actionCurrentHour}) {
        a->setEnabled(loaded && !navigationLocked_);
    }
    ui_->actionOpen->setEnabled(!navigationLocked_);
}

void EditorWindow::ShowLastModified() {
    status_[0]->setText(doc_.Empty() ? QString()
                                     : Q(Format(spindle::tr("Last Modified %0:s"),
                                                FormatDateTime("ddddd t", doc_.LastModified(),
                                                               station_.Settings()))));
}

void EditorWindow::Clear() {
    SetToolWindowsEnabled(true);
    if (progress_ != nullptr) {
        progress_->hide();  // a save's window goes with the log it saved
    }
    HideToolWindows();
    doc_ = PlaylistDocument{};
    base_.clear();
    findPos_.reset();
    day_->clear();
    shown_ = {};
    model_->Show(shown_);
    setWindowTitle(Tr(N_("Playlist Editor")));
    status_[0]->clear();
    UpdateStatus(std::nullopt);
    UpdateActions();
}

void EditorWindow::HideToolWindows() {
    for (QWidget* tool : std::initializer_list<QWidget*>{find_, voiceTracks_, regenerateResults_}) {
        if (tool != nullptr) {
            tool->hide();
        }
    }
}

void EditorWindow::SetToolWindowsEnabled(bool on) {
    for (QWidget* tool : std::initializer_list<QWidget*>{find_, voiceTracks_, select_}) {
        if (tool != nullptr) {
            tool->setEnabled(on);
        }
    }
}

const std::vector<HourRow>& EditorWindow::Rows() const {
    return model_->View().Rows;
}

void EditorWindow::ShowItem(std::uint64_t id) {
    if (const EditorItem* item = doc_.Find(id)) {
        if (!(LogHour{item->Day, item->Hour} == shown_)) {
            ShowHour({item->Day, item->Hour});
        }
        SelectIds({id});
    }
}

void EditorWindow::SetNavigationEnabled(bool on) {
    navigationLocked_ = !on;
    day_->setEnabled(on);
    hour_->setEnabled(on);
    UpdateActions();
}

}  // namespace spindle::gui
