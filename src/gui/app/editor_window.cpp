#include "app/editor_window.h"
#include "app/help_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPrinter>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QUrl>
#include <QVBoxLayout>
#include <utility>

#include "app/find_replace_window.h"
#include "app/form_text.h"
#include "app/insert_dialogs.h"
#include "app/print_dialogs.h"
#include "app/printing.h"
#include "app/progress_window.h"
#include "app/qt_text.h"
#include "app/voice_track_window.h"
#include "app/worker.h"
#include "base/command_words.h"
#include "base/format.h"
#include "base/format_datetime.h"
#include "base/paths.h"
#include "editor/document_save.h"
#include "editor/find_replace.h"
#include "editor/insertion.h"
#include "editor/instant_replace.h"
#include "editor/preview.h"
#include "editor/voice_tracks.h"
#include "fileinfo/file_duration.h"
#include "generator/run_report.h"
#include "ui_editor_window.h"

namespace spindle::gui {
namespace {

constexpr const char* kItemsMime = "application/x-spindle-log-items";

QColor ColourOf(RowColour colour) {
    switch (colour) {
        case RowColour::Track:
            return QColor(0, 102, 0);
        case RowColour::Spot:
            return QColor(Qt::red);
        case RowColour::Timed:
            return QColor(255, 127, 0);
        case RowColour::Marker:
            return QColor(Qt::blue);
        case RowColour::Other:
            break;
    }
    return {};
}

}  // namespace

// ---- HourModel ----

HourModel::HourModel(const PlaylistDocument& document, const Station& station, QObject* parent)
    : QAbstractTableModel(parent), document_(document), station_(station) {}

void HourModel::Show(LogHour hour) {
    beginResetModel();
    // Start times on the on-air clock, as the run timed the hour.
    view_ = document_.ViewOf(hour, station_.Opt.CrossfadeSeconds(station_.Settings()),
                             station_.Opt.KorvelCrossfade);
    endResetModel();
}

int HourModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(view_.Rows.size());
}

int HourModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 4;
}

QVariant HourModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const char* const kTitles[] = {N_("Filename"), N_("Category {Spot Group}"), N_("Folder"),
                                          N_("Duration")};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section > 3) {
        return {};
    }
    return Tr(kTitles[section]);
}

QVariant HourModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const HourRow& row = view_.Rows[static_cast<std::size_t>(index.row())];
    if (role == Qt::ForegroundRole && station_.Opt.UseColour) {
        const QColor colour = ColourOf(row.Colour);
        return colour.isValid() ? QVariant(colour) : QVariant();
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    const std::string* texts[] = {&row.Filename, &row.Owner, &row.Folder, &row.Duration};
    return Q(*texts[index.column()]);
}

Qt::ItemFlags HourModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index) | Qt::ItemIsDropEnabled;
    if (index.isValid() && !view_.Rows[static_cast<std::size_t>(index.row())].Timed) {
        f |= Qt::ItemIsDragEnabled;  // a timed row keeps its place
    }
    return f;
}

QStringList HourModel::mimeTypes() const {
    return {QString::fromLatin1(kItemsMime), QStringLiteral("text/uri-list")};
}

QMimeData* HourModel::mimeData(const QModelIndexList& indexes) const {
    QStringList ids;
    for (const QModelIndex& i : indexes) {
        if (i.column() == 0) {
            ids << QString::number(view_.Rows[static_cast<std::size_t>(i.row())].Id);
        }
    }
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(kItemsMime), ids.join(QLatin1Char(',')).toLatin1());
    return mime;
}

bool HourModel::dropMimeData(const QMimeData* mime, Qt::DropAction, int row, int,
                             const QModelIndex& parent) {
    if (mime == nullptr) {
        return false;
    }
    const int at = parent.isValid() ? parent.row() : row;
    std::optional<std::uint64_t> target;
    if (at >= 0 && at < rowCount()) {
        target = view_.Rows[static_cast<std::size_t>(at)].Id;
    }
    if (mime->hasFormat(QString::fromLatin1(kItemsMime))) {
        std::vector<std::uint64_t> ids;
        for (const QByteArray& id : mime->data(QString::fromLatin1(kItemsMime)).split(',')) {
            ids.push_back(id.toULongLong());
        }
        emit RowsDropped(ids, target);
    } else if (mime->hasUrls()) {
        QStringList paths;
        for (const QUrl& url : mime->urls()) {
            if (url.isLocalFile()) {
                paths << url.toLocalFile();
            }
        }
        emit FilesDropped(paths, target);
    }
    return false;  // the window shows the changed hour itself
}

// ---- EditorWindow ----

EditorWindow::EditorWindow(Station& station, QWidget* parent)
    : QMainWindow(parent), station_(station), ui_(std::make_unique<Ui::EditorWindow>()) {
    ui_->setupUi(this);
    TranslateForm(this);
    SetHelpPage(this, QStringLiteral("editor.html"));
    InstallHelpKey();
    connect(ui_->actionHelp, &QAction::triggered, this,
            [] { ShowHelp(QStringLiteral("editor.html")); });
    model_ = new HourModel(doc_, station_, this);
    ui_->fileView->setModel(model_);
    ui_->fileView->header()->resizeSection(0, 290);
    ui_->fileView->header()->resizeSection(1, 160);
    ui_->fileView->header()->resizeSection(2, 240);
    ui_->fileView->addActions({ui_->actionCut, ui_->actionCopy, ui_->actionPaste, ui_->actionDelete,
                               ui_->actionExchange, ui_->actionInsertItem, ui_->actionReplaceArtist,
                               ui_->actionReplaceAny});

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

    for (int i = 0; i < 4; ++i) {
        status_[i] = new QLabel(this);
        status_[i]->setMinimumWidth(i == 1 ? 60 : 0);
        if (i == 3) {
            statusBar()->addPermanentWidget(status_[i]);
        } else {
            statusBar()->addWidget(status_[i], i == 2 ? 1 : 0);
        }
    }

    connect(ui_->actionOpen, &QAction::triggered, this, [this] {
        AskToSave([this] {
            const QString path = QFileDialog::getOpenFileName(this, Tr(N_("Select a Playlist Log")),
                                                              Q(station_.Opt.LogFolderPath()),
                                                              Tr(N_("Playlist Logs (*.plg)")));
            if (!path.isEmpty()) {
                Load(S(path));
            }
        });
    });
    connect(ui_->actionSave, &QAction::triggered, this, [this] { Save({}); });
    connect(ui_->actionClose, &QAction::triggered, this, &QWidget::close);
    connect(ui_->actionUndo, &QAction::triggered, this, [this] {
        doc_.Undo();
        Edited();
    });
    connect(ui_->actionCut, &QAction::triggered, this, [this] {
        doc_.Cut(SelectedIds());
        UpdateActions();
    });
    connect(ui_->actionCopy, &QAction::triggered, this, [this] {
        doc_.Copy(SelectedIds());
        UpdateActions();
    });
    connect(ui_->actionPaste, &QAction::triggered, this,
            [this] { Edited(doc_.Paste(shown_, SelectedIds())); });
    ui_->actionDelete->setShortcuts(
        {QKeySequence::Delete, QKeySequence(Qt::SHIFT | Qt::Key_Delete)});
    connect(ui_->actionDelete, &QAction::triggered, this, [this] {
        const auto ids = SelectedIds();
        if (ids.empty()) {
            return;
        }
        // The row that takes the first deleted one's place is selected, so Del goes on.
        std::optional<std::uint64_t> next;  // the first kept row after, else the last before
        bool past = false;
        for (const HourRow& row : model_->View().Rows) {
            const bool deleted = std::find(ids.begin(), ids.end(), row.Id) != ids.end();
            past = past || deleted;
            if (!deleted) {
                next = row.Id;
                if (past) {
                    break;
                }
            }
        }
        doc_.Delete(ids);
        Edited(next ? std::vector<std::uint64_t>{*next} : std::vector<std::uint64_t>{});
    });
    connect(ui_->actionExchange, &QAction::triggered, this, [this] {
        const auto ids = SelectedIds();
        if (ids.size() == 2 && doc_.Exchange(ids[0], ids[1])) {
            Edited({ids[1]});
        }
    });
    connect(ui_->actionSelectAll, &QAction::triggered, ui_->fileView, &QTreeView::selectAll);
    connect(ui_->actionReplaceArtist, &QAction::triggered, this,
            [this] { InstantReplaceSelected(true); });
    connect(ui_->actionReplaceAny, &QAction::triggered, this,
            [this] { InstantReplaceSelected(false); });
    connect(ui_->actionFind, &QAction::triggered, this, &EditorWindow::ShowFindWindow);
    connect(ui_->actionInsertItem, &QAction::triggered, this, &EditorWindow::InsertItem);
    connect(ui_->actionPlay, &QAction::triggered, this, &EditorWindow::PlaySelected);
    connect(ui_->actionPrint, &QAction::triggered, this, &EditorWindow::PrintPlaylist);
    connect(ui_->actionPrintTrackSummary, &QAction::triggered, this,
            [this] { PrintSummary(false); });
    connect(ui_->actionPrintSpotSummary, &QAction::triggered, this, [this] { PrintSummary(true); });
    connect(ui_->fileView, &QTreeView::activated, this, &EditorWindow::PlaySelected);
    ui_->actionEnablePlay->setChecked(station_.Opt.PlayEnabled);
    connect(ui_->actionEnablePlay, &QAction::toggled, this, [this](bool on) {
        station_.Opt.PlayEnabled = on;
        station_.Changed.Options = true;
        UpdateActions();
    });
    connect(ui_->actionVoiceTrack, &QAction::triggered, this,
            [this] { RecordVoiceTrack(std::nullopt, {}); });
    connect(ui_->actionVoiceTracks, &QAction::triggered, this, [this] {
        if (voiceTracks_ == nullptr) {
            voiceTracks_ = new VoiceTrackWindow(*this);
        }
        voiceTracks_->show();
        voiceTracks_->raise();
    });
    connect(ui_->actionPreviousHour, &QAction::triggered, this,
            [this] { ShowHour(doc_.PreviousHour(shown_)); });
    connect(ui_->actionNextHour, &QAction::triggered, this,
            [this] { ShowHour(doc_.NextHour(shown_)); });
    connect(ui_->actionFirstHour, &QAction::triggered, this, [this] { ShowHour(doc_.First()); });
    connect(ui_->actionLastHour, &QAction::triggered, this, [this] { ShowHour(doc_.Last()); });
    connect(ui_->actionCurrentHour, &QAction::triggered, this, [this] {
        if (const auto now = doc_.HourOf(station_.Clock())) {
            ShowHour(*now);
        } else {
            station_.Op().Show(MessageKind::Information,
                               spindle::tr("The current hour is not in this Playlist Log."),
                               Buttons::Ok);
        }
    });
    connect(ui_->fileView->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
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
    });
    connect(model_, &HourModel::FilesDropped, this,
            [this](const QStringList& paths, std::optional<std::uint64_t> target) {
                DropFiles(paths, target, QGuiApplication::keyboardModifiers());
            });
    // Window managers often keep Alt-drag for themselves, so a drop without keys asks.
    AskDropType = [this]() -> std::optional<int> {
        QMenu menu(this);
        const std::pair<const char*, int> kinds[] = {{N_("Category track"), kItemTrack},
                                                     {N_("Spot"), kItemSpot},
                                                     {N_("Song outro"), kItemOutro},
                                                     {N_("Voice track"), kItemVoice}};
        for (const auto& [text, type] : kinds) {
            menu.addAction(Tr(text))->setData(type);
        }
        if (const QAction* chosen = menu.exec(QCursor::pos())) {
            return chosen->data().toInt();
        }
        return std::nullopt;
    };
    connect(model_, &HourModel::RowsDropped, this,
            [this](std::vector<std::uint64_t> ids, std::optional<std::uint64_t> target) {
                Edited(doc_.Move(shown_, ids, target));
            });
    // Wide enough at first for the whole tool bar, day and hour boxes included.
    resize(std::max(width(), ui_->toolBar->sizeHint().width() + 40), height());
    UpdateActions();
}

EditorWindow::~EditorWindow() = default;

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
    // While voice tracks are recorded one after another, the log and the hour stay put.
    for (QAction* a : {ui_->actionFind, ui_->actionPreviousHour, ui_->actionNextHour,
                       ui_->actionFirstHour, ui_->actionLastHour, ui_->actionCurrentHour}) {
        a->setEnabled(loaded && !navigationLocked_);
    }
    ui_->actionOpen->setEnabled(!navigationLocked_);
}

void EditorWindow::InstantReplaceSelected(bool sameArtist) {
    const auto ids = SelectedIds();
    if (ids.empty()) {
        return;
    }
    doc_.BeginEdit();
    std::vector<std::uint64_t> replaced;
    const std::uint32_t song = station_.Opt.SongIntervalMinutes() * 60;
    const std::uint32_t artist = station_.Opt.ArtistIntervalMinutes() * 60;
    for (const std::uint64_t id : ids) {
        const ReplaceOutcome outcome = InstantReplace(
            doc_, station_, id, sameArtist, song, artist, [this](const std::string& p) {
                return static_cast<std::uint32_t>(FileDuration(p, true, station_.Op()));
            });
        if (outcome.Replaced()) {
            replaced.push_back(outcome.Id);
        } else if (!outcome.Message.empty()) {
            station_.Op().Show(MessageKind::Error, outcome.Message, Buttons::Ok);
        }
    }
    Edited(replaced);
}

void EditorWindow::Save(std::function<void(bool)> then) {
    if (worker_ != nullptr || doc_.Empty()) {
        return;
    }
    const std::string refusal = doc_.SaveRefusal();
    if (!refusal.empty()) {
        station_.Op().Show(MessageKind::Error, refusal, Buttons::Ok);
    }
    if (!refusal.empty() || !LogStillOurs()) {
        emit Saved(false);
        if (then) {
            then(false);
        }
        return;
    }
    if (progress_ == nullptr) {
        progress_ = new ProgressWindow(this);
    }
    auto job = [this](Operator& op, spindle::Progress& progress) {
        RunReport report(op, &progress);
        report.SetBar(0, static_cast<long>(doc_.HourLineCount()));
        return SaveDocument(doc_, station_, base_, report);
    };
    worker_ = new Worker(station_, job, *progress_);
    connect(worker_, &Worker::Finished, this, [this, then](bool saved) {
        worker_->deleteLater();
        worker_ = nullptr;
        centralWidget()->setEnabled(true);
        menuBar()->setEnabled(true);
        ui_->toolBar->setEnabled(true);
        SetToolWindowsEnabled(true);
        ShowLastModified();
        Edited();
        emit Saved(saved);
        if (then) {
            then(saved);
        }
        if (std::exchange(closeWhenSaved_, false) && saved) {
            close();
        }
    });
    // The document is the worker's until it is written: nothing may edit it meanwhile.
    centralWidget()->setEnabled(false);
    menuBar()->setEnabled(false);
    ui_->toolBar->setEnabled(false);
    SetToolWindowsEnabled(false);
    progress_->Start(ProgressWindow::Mode::Run);
    worker_->Start();
}

bool EditorWindow::LogStillOurs() {
    if (!doc_.ChangedOnDisk()) {
        return true;
    }
    const std::string path = base_ + ".plg";
    const Answer answer = station_.Op().Show(
        MessageKind::Warning,
        Format(spindle::tr("The Playlist Log \"%0:s\" has changed on disk since it was opened "
                           "(a run may have made it again), so it was not saved over.\n\nOpen "
                           "the log as it is now?  The changes made here will be lost."),
               path),
        Buttons::YesNo);
    if (answer == Answer::Yes) {
        const LogHour shown = shown_;
        Load(path);
        if (doc_.FindFirstOfHour(shown)) {
            ShowHour(shown);  // the operator stays where they were
        }
    }
    return false;
}

Answer EditorWindow::AskSaveQuestion() {
    return station_.Op().Show(
        MessageKind::Warning,
        spindle::tr("Unsaved changes have been made.  Do you wish to save them now?"),
        Buttons::YesNoCancel);
}

void EditorWindow::AskToSave(const std::function<void()>& then) {
    if (!doc_.Modified()) {
        then();
        return;
    }
    switch (AskSaveQuestion()) {
        case Answer::Yes:
            // Only a save that worked lets the window go on: nothing is lost.
            Save([then](bool saved) {
                if (saved) {
                    then();
                }
            });
            break;
        case Answer::No:
            then();
            break;
        default:
            break;
    }
}

void EditorWindow::closeEvent(QCloseEvent* event) {
    if (worker_ != nullptr || recorder_ != nullptr) {
        // A close while the log is saved (a signal, the session ending) comes back once
        // the save has worked.
        closeWhenSaved_ = worker_ != nullptr;
        event->ignore();
        return;
    }
    if (doc_.Modified()) {
        // Answered here, inside the close: a close() from within it would be ignored.
        switch (AskSaveQuestion()) {
            case Answer::Yes:
                event->ignore();
                Save([this](bool saved) {
                    if (saved) {
                        close();
                    }
                });
                return;
            case Answer::No:
                break;  // the edits are thrown away with the document
            default:
                event->ignore();
                return;
        }
    }
    Clear();
    event->accept();
    emit Closed();
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
    for (QWidget* tool : std::initializer_list<QWidget*>{find_, voiceTracks_}) {
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

void EditorWindow::ShowLastModified() {
    status_[0]->setText(doc_.Empty() ? QString()
                                     : Q(Format(spindle::tr("Last Modified %0:s"),
                                                FormatDateTime("ddddd t", doc_.LastModified(),
                                                               station_.Settings()))));
}

bool EditorWindow::FindNext(const QString& text, bool up, bool circular) {
    const auto found = FindNextItem(doc_, findPos_, S(text),
                                    up ? SearchDirection::Up : SearchDirection::Down, circular);
    if (!found) {
        station_.Op().Show(MessageKind::Information, spindle::tr("Search complete."), Buttons::Ok);
        ResetFindPosition();
        return false;
    }
    const EditorItem* item = doc_.Find(*found);
    selectingFound_ = true;
    if (!(LogHour{item->Day, item->Hour} == shown_)) {
        ShowHour({item->Day, item->Hour});
    }
    SelectIds({*found});
    selectingFound_ = false;
    findPos_ = found;
    return true;
}

QString EditorWindow::FoundName() const {
    const EditorItem* item = findPos_ ? doc_.Find(*findPos_) : nullptr;
    return item != nullptr ? Q(ExtractFileName(item->Path)) : QString();
}

void EditorWindow::ResetFindPosition() {
    const auto ids = SelectedIds();
    findPos_ = !ids.empty()                   ? std::optional(ids.front())
               : !model_->View().Rows.empty() ? std::optional(model_->View().Rows.front().Id)
                                              : std::nullopt;
}

void EditorWindow::ReplaceFound(const Replacement& with) {
    if (!findPos_ || doc_.Find(*findPos_) == nullptr) {
        return;
    }
    doc_.BeginEdit();
    const std::uint64_t id =
        doc_.Replace(*findPos_, with.Path, with.Duration, with.Group, with.Type,
                     [this](const std::string& path) { return Measure(path); });
    // The search goes on from the replacement, or from where the deleted item was, for
    // the item it was looking for, not for the replacement's file.
    if (id != 0) {
        findPos_ = id;
    }
    selectingFound_ = true;
    Edited(id != 0 ? std::vector<std::uint64_t>{id} : std::vector<std::uint64_t>{});
    selectingFound_ = false;
}

int EditorWindow::ReplaceAll(const std::string& findPath, const QString& findName,
                             const Replacement& with) {
    // Every copy in the log, wherever the search stands.
    const int count = ReplaceAllItems(doc_, findPath, S(findName), with,
                                      [this](const std::string& path) { return Measure(path); });
    Edited();
    return count;
}

std::uint32_t EditorWindow::Measure(const std::string& path) {
    return static_cast<std::uint32_t>(FileDuration(path, true, station_.Op()));
}

SelectItemDialog& EditorWindow::Select() {
    if (select_ == nullptr) {
        select_ = new SelectItemDialog(station_, this);
    }
    return *select_;
}

void EditorWindow::ShowFindWindow() {
    if (find_ == nullptr) {
        find_ = new FindReplaceWindow(*this, Select());
    }
    ResetFindPosition();
    find_->Reset(SelectedIds().empty() ? QString() : FoundName());
    find_->show();
    find_->raise();
}

void EditorWindow::InsertItem() {
    if (doc_.Empty()) {
        return;
    }
    // The file chooser starts in the folder of the item where the new one goes.
    const auto ids = SelectedIds();
    const auto& rows = model_->View().Rows;
    const std::uint64_t near = !ids.empty() ? ids.front() : !rows.empty() ? rows.back().Id : 0;
    if (const EditorItem* item = doc_.Find(near)) {
        Select().SetStartFolder(Q(ExtractFilePath(item->Path)));
    }
    QStringList days;
    for (int i = 0; i < day_->count(); ++i) {
        days << day_->itemText(i);
    }
    InsertItemDialog dialog(Select(), days, this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const bool other = dialog.OtherPositions();
    PlaylistDocument::NewItem item = InsertedItem(dialog.Chosen(), other);
    const SelectKind kind = dialog.Chosen().Kind;
    if (kind == SelectKind::VoiceIntro || kind == SelectKind::Other) {
        item.Duration = Measure(item.Path);
    }
    std::vector<std::uint64_t> added;
    if (other) {
        const double allowance = station_.Opt.CrossfadeSeconds(station_.Settings());
        added = doc_.InsertAtMinutes(item, dialog.Days(), dialog.Hours(), dialog.Minutes(),
                                     PlaySeconds(station_.Opt, allowance));
    } else {
        added = doc_.Insert(shown_, ids, {item});
    }
    Edited(added);
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

void EditorWindow::RecordVoiceTrack(std::optional<int> introSeconds,
                                    std::function<void(bool)> done) {
    auto finished = [done](bool made) {
        if (done) {
            done(made);
        }
    };
    if (doc_.Empty() || recorder_ != nullptr) {
        finished(false);
        return;
    }
    const auto ids = SelectedIds();
    const std::optional<std::uint64_t> selected =
        ids.empty() ? std::nullopt : std::optional(ids.front());
    const RecordTarget target = ChooseRecordTarget(doc_, selected, station_.Opt.VoiceTrackFolder,
                                                   shown_, introSeconds, station_.Settings());
    const std::vector<std::string> words = CommandWithFile(station_.Opt.RecordingApp, target.Path);
    if (words.empty()) {
        station_.Op().Show(MessageKind::Error,
                           spindle::tr("No recording program is set.  Choose one in the "
                                       "Options, Advanced."),
                           Buttons::Ok);
        finished(false);
        return;
    }
    if (!target.Again && !WriteVoiceTrackPlaceholder(target.Path)) {
        station_.Op().Show(MessageKind::Error,
                           Format(spindle::tr("Unable to generate Voice Track file\r\n\"%0:s\".  "
                                              "Ensure the Voice Track Folder exists."),
                                  target.Path),
                           Buttons::Ok);
        finished(false);
        return;
    }

    // Every window waits behind a modal window while the program records.
    recording_ = new QDialog(this, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    recording_->setObjectName(QStringLiteral("recordingWindow"));
    recording_->setWindowTitle(Tr(N_("Recording...")));
    recording_->setWindowModality(Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(recording_);
    layout->addWidget(new QLabel(
        Q(Format(spindle::tr("Recording \"%0:s\".\nClose the recording program to go on."),
                 target.Path)),
        recording_));
    auto* busy = new QProgressBar(recording_);
    busy->setRange(0, 0);  // as long as the program takes
    busy->setAccessibleName(recording_->windowTitle());
    layout->addWidget(busy);
    recording_->setMinimumWidth(460);
    recorder_ = new QProcess(this);
    UpdateActions();
    auto end = [this, target, selected, finished] {
        recorder_->deleteLater();
        recorder_ = nullptr;
        recording_->hide();  // the modal ends now, before `done` goes on
        recording_->deleteLater();
        recording_ = nullptr;
        bool made = false;
        if (target.Again) {
            made = doc_.SetDuration(*target.Again, Measure(target.Path));
            Edited({*target.Again});
        } else if (RecordingMade(target.Path)) {
            const std::uint64_t id =
                PutRecording(doc_, shown_, selected, target.Path, Measure(target.Path));
            made = id != 0;
            Edited({id});
        } else {
            std::error_code ec;
            std::filesystem::remove(target.Path, ec);  // our empty placeholder: nothing changes
            UpdateActions();
        }
        finished(made);
    };
    connect(recorder_, &QProcess::finished, this, end);
    connect(recorder_, &QProcess::errorOccurred, this,
            [this, words, end](QProcess::ProcessError e) {
                if (e != QProcess::FailedToStart) {
                    return;
                }
                station_.Op().Show(
                    MessageKind::Error,
                    Format(spindle::tr("The recording program \"%0:s\" could not be started: %1:s"),
                           words.front(), S(recorder_->errorString())),
                    Buttons::Ok);
                end();
            });
    QStringList arguments;
    for (std::size_t i = 1; i < words.size(); ++i) {
        arguments << Q(words[i]);
    }
    recording_->open();
    recorder_->start(Q(words.front()), arguments);
}

void EditorWindow::PlaySelected() {
    if (!ui_->actionPlay->isEnabled()) {
        return;
    }
    const std::vector<std::string> files = PreviewFiles(model_->View(), SelectedIds());
    if (files.empty()) {
        return;
    }
    const std::string list = PreviewListPath();
    if (!WritePreviewList(list, files)) {
        station_.Op().Show(MessageKind::Error,
                           Format(spindle::tr("Unable to create \"%0:s\""), list), Buttons::Ok);
        return;
    }
    const std::vector<std::string> words = CommandWithFile(station_.Opt.PlayerCommand, list);
    bool started = false;
    if (words.empty()) {
        started = QDesktopServices::openUrl(QUrl::fromLocalFile(Q(list)));
    } else {
        QStringList arguments;
        for (std::size_t i = 1; i < words.size(); ++i) {
            arguments << Q(words[i]);
        }
        started = QProcess::startDetached(Q(words.front()), arguments);
    }
    if (!started) {
        station_.Op().Show(MessageKind::Error,
                           Format(spindle::tr("No player could be started for \"%0:s\".  Choose "
                                              "one in the Options, Advanced, Preview player."),
                                  list),
                           Buttons::Ok);
    }
}

void EditorWindow::PrintPlaylist() {
    if (doc_.Empty()) {
        return;
    }
    QStringList days;
    for (int i = 0; i < day_->count(); ++i) {
        days << day_->itemText(i);
    }
    PrintSelectionDialog dialog(station_, days, this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const std::string title = PlaylistPrintTitle(station_.Opt);
    std::unique_ptr<QPrinter> printer = dialog.TakePrinter();
    if (!printer) {
        printer = AskForPrinter(Q(title), this);
    }
    if (!printer) {
        return;
    }
    PrinterFontMetrics metrics(*printer);
    PageLayout layout(metrics, PageWidthOf(*printer), PageHeightOf(*printer), title,
                      PlaylistPrintSubtitle(doc_.LastModified(), NowLocal(), station_.Settings()),
                      PrintFooter());
    LayOutPlaylist(layout, doc_, dialog.Selection(), station_.Settings(),
                   station_.Opt.CrossfadeSeconds(station_.Settings()),
                   station_.Opt.KorvelCrossfade);
    PaintLayout(layout, *printer, station_.Op());
}

void EditorWindow::PrintSummary(bool spots) {
    if (doc_.Empty()) {
        return;
    }
    SpotReport report = SpotReport::Groups;
    if (spots) {
        SpotReportDialog choose(this);
        if (choose.exec() != QDialog::Accepted) {
            return;
        }
        report = choose.Report();
    }
    // The summaries lie beside the log: "Track-" or "Spot-" and the log's name.
    const std::string folder = ExtractFilePath(base_);
    const std::string path =
        folder + (spots ? "Spot-" : "Track-") + base_.substr(folder.size()) + ".csv";
    auto printer = AskForPrinter(windowTitle(), this);
    if (!printer) {
        return;
    }
    const auto file = ReadSummaryFile(path);
    if (!file) {
        station_.Op().Show(MessageKind::Error,
                           spots ? spindle::tr("Unable to open Spot Summary Log file.")
                                 : spindle::tr("Unable to open Track Summary Log file."),
                           Buttons::Ok);
        return;
    }
    PrinterFontMetrics metrics(*printer);
    PageLayout layout(metrics, PageWidthOf(*printer), PageHeightOf(*printer), file->Title,
                      SummaryPrintSubtitle(*file, NowLocal(), station_.Settings()), PrintFooter());
    if (spots) {
        LayOutSpotSummary(layout, *file, report);
    } else {
        LayOutTrackSummary(layout, *file);
    }
    PaintLayout(layout, *printer, station_.Op());
}

void EditorWindow::DropFiles(const QStringList& paths, std::optional<std::uint64_t> target,
                             Qt::KeyboardModifiers modifiers) {
    if (doc_.Empty() || paths.isEmpty()) {
        return;
    }
    bool alt = (modifiers & Qt::AltModifier) != 0;
    bool shift = (modifiers & Qt::ShiftModifier) != 0;
    bool ctrl = (modifiers & Qt::ControlModifier) != 0;
    if (!alt && !shift && !ctrl && AskDropType) {
        const auto type = AskDropType();
        if (!type) {
            return;
        }
        alt = *type == kItemVoice;
        shift = *type == kItemOutro;
        ctrl = *type == kItemSpot;
    }
    std::vector<std::string> files;
    for (const QString& p : paths) {
        files.push_back(S(p));
    }
    std::vector<PlaylistDocument::NewItem> items;
    for (const DroppedItem& d :
         DroppedItems(files, DropType(alt, shift, ctrl), alt, ctrl, station_.Opt)) {
        items.push_back({d.Path, d.Type, "<other>", Measure(d.Path), std::nullopt});
    }
    Edited(doc_.Insert(shown_,
                       target ? std::vector<std::uint64_t>{*target} : std::vector<std::uint64_t>{},
                       items));
}

}  // namespace spindle::gui
