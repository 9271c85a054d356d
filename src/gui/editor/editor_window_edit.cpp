#include "gui/editor/editor_window.h"

#include <QCursor>
#include <QDialog>
#include <QGuiApplication>
#include <QMenu>
#include <algorithm>
#include <utility>

#include "base/paths.h"
#include "editor/find_replace.h"
#include "editor/insertion.h"
#include "editor/instant_replace.h"
#include "editor/log_context.h"
#include "fileinfo/file_duration.h"
#include "gui/editor/find_replace_window.h"
#include "gui/editor/insert_dialogs.h"
#include "gui/widgets/qt_text.h"
#include "ui_editor_window.h"

// The Playlist Editor's edits: the clipboard, delete and exchange, instant replacement,
// Find/Replace, Insert Item and files dropped onto the hour.

namespace spindle::gui {
namespace {

// Window managers often keep Alt-drag for themselves, so a drop without keys asks.
std::optional<int> AskDropTypeByMenu(QWidget* parent) {
    QMenu menu(parent);
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
}

}  // namespace

void EditorWindow::ConnectEditActions() {
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
    connect(ui_->actionDelete, &QAction::triggered, this, &EditorWindow::DeleteSelected);
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
    connect(model_, &HourModel::FilesDropped, this,
            [this](const QStringList& paths, std::optional<std::uint64_t> target) {
                DropFiles(paths, target, QGuiApplication::keyboardModifiers());
            });
    AskDropType = [this] { return AskDropTypeByMenu(this); };
    connect(model_, &HourModel::RowsDropped, this,
            [this](std::vector<std::uint64_t> ids, std::optional<std::uint64_t> target) {
                Edited(doc_.Move(shown_, ids, target));
            });
}

void EditorWindow::DeleteSelected() {
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
            doc_, station_, id, sameArtist, song, artist,
            [this](const std::string& p) {
                return static_cast<std::uint32_t>(FileDuration(p, true, station_.Op()));
            },
            rules_.get());
        if (outcome.Replaced()) {
            replaced.push_back(outcome.Id);
        } else if (!outcome.Message.empty()) {
            station_.Op().Show(MessageKind::Error, outcome.Message, Buttons::Ok);
        }
    }
    Edited(replaced);
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
    find_->activateWindow();  // typing goes to the search, not to the log
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
    InsertItemDialog dialog(Select(), Days(), this);
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
    if (kind == SelectKind::Category) {
        TellRuleBreaks(added);  // the insertion stays: the operator decides
    }
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
