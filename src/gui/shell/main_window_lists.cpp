#include "gui/shell/main_window.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "forms/options_page_rules.h"
#include "gui/library/file_view_window.h"
#include "gui/library/group_dialog.h"
#include "gui/library/rotation_editor.h"
#include "gui/library/schedule_editor.h"
#include "gui/shell/library_list_model.h"
#include "gui/widgets/qt_text.h"
#include "ui_main_window.h"

// The main window's lists: the dialogs of their entries and the actions on them.

namespace spindle::gui {

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

}  // namespace spindle::gui
