#include "gui/library/file_view_window.h"
#include "gui/help/help_window.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <cmath>

#include "base/format.h"
#include "gui/library/set_attribute_dialog.h"
#include "gui/widgets/form_text.h"
#include "gui/widgets/qt_text.h"
#include "ui_file_properties_dialog.h"
#include "ui_file_view_window.h"

namespace spindle::gui {
namespace {

// The columns before the attributes.
constexpr int kFileColumns = kColModified;

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
    return parent.isValid() ? 0 : kFileColumns + static_cast<int>(attributes_.Attributes.size());
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const char* const kTitles[] = {N_("Position"), N_("Filename"), N_("Duration"),
                                          N_("Last Used"), N_("Last Modified")};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= columnCount()) {
        return {};
    }
    return section < kFileColumns
               ? Tr(kTitles[section])
               : Q(attributes_.Attributes[static_cast<std::size_t>(section - kFileColumns)].Name);
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const std::size_t at = order_[static_cast<std::size_t>(index.row())];
    const FileRec& file = group_.Files[at];
    if (role == Qt::BackgroundRole) {
        // Tracks already taken in the current play order.
        return IsTaken(file, group_.NextItem) ? QApplication::palette().button() : QVariant();
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (index.column() >= kFileColumns) {
        return Q(attributes_.Text(at, static_cast<std::size_t>(index.column() - kFileColumns)));
    }
    const FileViewRow row = FileViewRowOf(file, station_.Settings());
    const std::string* texts[] = {&row.Position, &row.Filename, &row.Duration, &row.LastUsed,
                                  &row.Modified};
    return Q(*texts[index.column()]);
}

void FileListModel::sort(int column, Qt::SortOrder order) {
    beginResetModel();
    sortKey_ = order == Qt::AscendingOrder ? column + 1 : -(column + 1);
    order_ = SortedFileOrder(group_.Files, sortKey_, &attributes_);
    endResetModel();
}

void FileListModel::ClickColumn(int column) {
    const int key = NextSortKey(sortKey_, column + 1);
    sort(column, key > 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void FileListModel::RowChanged(int row) {
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void FileListModel::SetAttributes(FileAttributeColumns attributes) {
    if (attributes.Attributes.size() != attributes_.Attributes.size()) {
        beginResetModel();
        attributes_ = std::move(attributes);
        endResetModel();
        return;
    }
    // The rows stay where they are, and selected, while their values change.
    attributes_ = std::move(attributes);
    if (rowCount() > 0 && columnCount() > kFileColumns) {
        emit dataChanged(index(0, kFileColumns), index(rowCount() - 1, columnCount() - 1));
    }
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

    // Attributes are what a Category's rules schedule by; spots have none.
    if (group.Kind() == GroupKind::Category) {
        setAttribute_ = new QAction(Tr(N_("Set Attribute...")), this);
        ui_->fileView->addAction(setAttribute_);
        connect(setAttribute_, &QAction::triggered, this, [this] { SetAttributeOfSelected(); });
        connect(ui_->setAttribute, &QPushButton::clicked, this,
                [this] { SetAttributeOfSelected(); });
        connect(ui_->fileView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                &FileViewWindow::UpdateEnabling);
        ShowAttributeColumns();
    } else {
        ui_->setAttribute->hide();
    }
}

void FileViewWindow::ShowAttributeColumns() {
    DbRead<FileAttributeColumns> columns =
        LoadAttributeColumns(station_.DataFolder(), group_.Files);
    if (!columns) {
        station_.Op().Show(MessageKind::Warning, columns.Problem, Buttons::Ok);
    }
    const bool added = columns.Value.Attributes.size() != model_->Attributes().Attributes.size();
    model_->SetAttributes(std::move(columns.Value));
    if (added) {
        // Wide enough for the longest of the heading and the values; measured, not read
        // from every row, so thousands of tracks open at once.
        QHeaderView* header = ui_->fileView->header();
        const QFontMetrics metrics = ui_->fileView->fontMetrics();
        const std::vector<AttributeDef>& attributes = model_->Attributes().Attributes;
        for (std::size_t a = 0; a < attributes.size(); ++a) {
            int needed = header->fontMetrics().horizontalAdvance(Q(attributes[a].Name));
            for (const std::string& value : attributes[a].Values) {
                needed = std::max(needed, metrics.horizontalAdvance(Q(value)));
            }
            header->resizeSection(kFileColumns + static_cast<int>(a), needed + 28);
        }
        // Wider by the new columns, within the screen.
        const int wanted = header->length() + 60;
        if (wanted > width() && screen() != nullptr) {
            resize(std::min(wanted, screen()->availableGeometry().width() - 40), height());
        }
    }
    UpdateEnabling();
}

void FileViewWindow::UpdateEnabling() {
    const bool can =
        !model_->Attributes().Attributes.empty() && ui_->fileView->selectionModel()->hasSelection();
    ui_->setAttribute->setEnabled(can);
    if (setAttribute_ != nullptr) {
        setAttribute_->setEnabled(can);
    }
}

bool FileViewWindow::SetAttributeOfSelected() {
    const QModelIndexList rows = ui_->fileView->selectionModel()->selectedRows();
    const std::vector<AttributeDef>& attributes = model_->Attributes().Attributes;
    if (rows.isEmpty() || attributes.empty()) {
        return false;
    }
    std::vector<const FileRec*> files;
    files.reserve(static_cast<std::size_t>(rows.size()));
    for (const QModelIndex& row : rows) {
        files.push_back(&model_->FileAt(row.row()));
    }
    SetAttributeDialog dialog(attributes, files.size(), this);
    dialog.setObjectName(QStringLiteral("setAttributeDialog"));
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    const DbStatus set =
        SetAttributeOf(station_.DataFolder(), dialog.Attribute(), files, dialog.Value());
    if (!set) {
        station_.Op().Show(MessageKind::Error, set.Problem, Buttons::Ok);
        return false;
    }
    ShowAttributeColumns();
    return true;
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
