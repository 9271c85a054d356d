#include "gui/library/file_view_window.h"
#include "gui/help/help_window.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QPalette>
#include <QPushButton>
#include <cmath>

#include "base/format.h"
#include "gui/widgets/form_text.h"
#include "gui/widgets/qt_text.h"
#include "ui_file_properties_dialog.h"
#include "ui_file_view_window.h"

namespace spindle::gui {
namespace {

QTime TimeOfDay(double fraction) {
    return QTime(0, 0).addSecs(static_cast<int>(std::lround(fraction * 86400.0)) % 86400);
}

}  // namespace

FileListModel::FileListModel(Station& station, TCustomDetails& group, QObject* parent)
    : QAbstractTableModel(parent), station_(station), group_(group) {
    order_ = SortedFileOrder(group_.Files, 0);
}

int FileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(order_.size());
}

int FileListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 5;
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const char* const kTitles[] = {N_("Position"), N_("Filename"), N_("Duration"),
                                          N_("Last Used"), N_("Last Modified")};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section > 4) {
        return {};
    }
    return Tr(kTitles[section]);
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const FileRec& file = group_.Files[order_[static_cast<std::size_t>(index.row())]];
    if (role == Qt::BackgroundRole) {
        // Tracks already taken in the current play order.
        return IsTaken(file, group_.NextItem) ? QApplication::palette().button() : QVariant();
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    const FileViewRow row = FileViewRowOf(file, station_.Settings());
    const std::string* texts[] = {&row.Position, &row.Filename, &row.Duration, &row.LastUsed,
                                  &row.Modified};
    return Q(*texts[index.column()]);
}

void FileListModel::sort(int column, Qt::SortOrder order) {
    beginResetModel();
    sortKey_ = order == Qt::AscendingOrder ? column + 1 : -(column + 1);
    order_ = SortedFileOrder(group_.Files, sortKey_);
    endResetModel();
}

void FileListModel::ClickColumn(int column) {
    const int key = NextSortKey(sortKey_, column + 1);
    sort(column, key > 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void FileListModel::RowChanged(int row) {
    emit dataChanged(index(row, 0), index(row, 4));
}

FileViewWindow::FileViewWindow(Station& station, TCustomDetails& group, QWidget* parent)
    : QDialog(parent),
      station_(station),
      group_(group),
      ui_(std::make_unique<Ui::FileViewWindow>()),
      model_(new FileListModel(station, group, this)) {
    ui_->setupUi(this);
    SetHelpPage(this, QStringLiteral("library.html#file-list"));
    TranslateForm(this);
    setWindowTitle(Q(Format(spindle::tr("%0:s File List"), group.Name)));
    ui_->fileView->setModel(model_);
    QHeaderView* header = ui_->fileView->header();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    const int widths[] = {70, 0, 70, 130, 130};
    for (int c = 0; c < 5; ++c) {
        if (widths[c] > 0) {
            header->resizeSection(c, widths[c]);
        }
    }
    header->setSectionResizeMode(1, QHeaderView::Stretch);
    header->setStretchLastSection(false);
    connect(header, &QHeaderView::sectionClicked, this, [this, header](int column) {
        model_->ClickColumn(column);
        header->setSortIndicator(column,
                                 model_->SortKey() > 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
    });
    model_->sort(0, Qt::AscendingOrder);  // by position when it opens
    header->setSortIndicator(0, Qt::AscendingOrder);

    auto* properties = new QAction(Tr(N_("Properties")), this);
    properties->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Return));
    ui_->fileView->addAction(properties);
    connect(properties, &QAction::triggered, this, [this] { EditSelected(); });
    connect(ui_->properties, &QPushButton::clicked, this, [this] { EditSelected(); });
    connect(ui_->fileView, &QAbstractItemView::activated, this, [this] { EditSelected(); });
    connect(ui_->closeButton, &QPushButton::clicked, this, &QDialog::accept);
}

FileViewWindow::~FileViewWindow() = default;

bool FileViewWindow::EditSelected() {
    const QModelIndex current = ui_->fileView->currentIndex();
    if (!current.isValid()) {
        return false;
    }
    FilePropertiesDialog dialog(station_, group_, model_->FileAt(current.row()), this);
    dialog.setObjectName(QStringLiteral("filePropertiesDialog"));
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    model_->RowChanged(current.row());
    emit TrackEdited();
    return true;
}

FilePropertiesDialog::FilePropertiesDialog(Station& station, const TCustomDetails& group,
                                           FileRec& file, QWidget* parent)
    : QDialog(parent),
      station_(station),
      file_(file),
      ui_(std::make_unique<Ui::FilePropertiesDialog>()) {
    ui_->setupUi(this);
    TranslateForm(this);
    const FileProperties p = PropertiesOf(group, file, station.Settings());
    setWindowTitle(Q(p.Caption));
    ui_->eFilename->setText(Q(p.Filename));
    ui_->eFolder->setText(Q(p.Folder));
    ui_->laCatSpot->setText(Q(p.GroupLabel));
    ui_->eCategory->setText(Q(p.Group));
    ui_->eCategory->setAccessibleName(Q(p.GroupLabel));
    ui_->eLastModified->setText(Q(p.Modified));
    ui_->eFileSize->setText(Q(p.Size));
    // A duration holds at most 18:12:15.
    ui_->eDuration->setMaximumTime(QTime(0, 0).addSecs(kMaxDurationSeconds));
    ui_->eDuration->setTime(QTime(0, 0).addSecs(p.Duration));
    ui_->eDuration->setEnabled(p.DurationEditable);
    ShowShortDates(ui_->eLastDate, station.Settings());
    ui_->eLastDate->setMinimumDate(kDayZero);
    ui_->eLastDate->setDate(kDayZero.addDays(static_cast<qint64>(p.LastDate)));
    ui_->eLastTime->setTime(TimeOfDay(p.LastTime));
    connect(ui_->btNever, &QPushButton::clicked, this, [this] {
        ui_->eLastDate->setDate(kDayZero.addDays(1));
        ui_->eLastTime->setTime(QTime(0, 0));
    });
    connect(ui_->buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui_->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    AddHelpButton(ui_->buttons, this, QStringLiteral("library.html#file-properties"));
}

FilePropertiesDialog::~FilePropertiesDialog() = default;

void FilePropertiesDialog::accept() {
    const TDateTime date = static_cast<TDateTime>(kDayZero.daysTo(ui_->eLastDate->date()));
    const TDateTime time = ui_->eLastTime->time().msecsSinceStartOfDay() / 86400000.0;
    const auto seconds =
        static_cast<std::uint32_t>(ui_->eDuration->time().msecsSinceStartOfDay() / 1000);
    ApplyFileProperties(station_, file_, date, time, seconds);
    QDialog::accept();
}

}  // namespace spindle::gui
