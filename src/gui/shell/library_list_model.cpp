#include "gui/shell/library_list_model.h"

#include <QApplication>
#include <QStyle>

#include "gui/widgets/qt_text.h"
#include "station/group_ops.h"

namespace spindle::gui {
namespace {

const char* const kWeekdays[] = {N_("Monday"), N_("Tuesday"),  N_("Wednesday"), N_("Thursday"),
                                 N_("Friday"), N_("Saturday"), N_("Sunday")};

}  // namespace

LibraryListModel::LibraryListModel(Station& station, ListKind kind, QObject* parent)
    : QAbstractTableModel(parent), station_(station), kind_(kind) {}

void LibraryListModel::Reload() {
    beginResetModel();
    endResetModel();
}

void LibraryListModel::Freeze(bool frozen) {
    counts_.clear();
    frozen_ = frozen;
    if (frozen && (kind_ == ListKind::Categories || kind_ == ListKind::SpotGroups)) {
        for (int row = 0; row < rowCount(); ++row) {
            counts_.push_back(data(index(row, 2), Qt::DisplayRole).toULongLong());
        }
    }
}

int LibraryListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) {
        return 0;
    }
    switch (kind_) {
        case ListKind::Categories:
            return static_cast<int>(station_.Categories.size());
        case ListKind::SpotGroups:
            return static_cast<int>(station_.SpotGroups.size());
        case ListKind::Rotations:
            return static_cast<int>(station_.Rotations.size());
        case ListKind::Schedules:
            return static_cast<int>(station_.Schedules.size());
    }
    return 0;
}

int LibraryListModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid()) {
        return 0;
    }
    switch (kind_) {
        case ListKind::Categories:
        case ListKind::SpotGroups:
            return 3;
        case ListKind::Rotations:
            return 3;
        case ListKind::Schedules:
            return 2 + 7;
    }
    return 0;
}

QVariant LibraryListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    static const char* const kCategories[] = {N_("Category Name"), N_("Folder(s)"), N_("Files")};
    static const char* const kSpots[] = {N_("Spot Group"), N_("Folder(s)"), N_("Files")};
    static const char* const kRotations[] = {N_("Rotation Name"), N_("Notes"), N_("Default")};
    static const char* const kSchedules[] = {N_("Schedule Name"), N_("Notes")};
    switch (kind_) {
        case ListKind::Categories:
            return Tr(kCategories[section]);
        case ListKind::SpotGroups:
            return Tr(kSpots[section]);
        case ListKind::Rotations:
            return Tr(kRotations[section]);
        case ListKind::Schedules:
            return section < 2 ? Tr(kSchedules[section]) : Tr(kWeekdays[section - 2]);
    }
    return {};
}

QVariant LibraryListModel::data(const QModelIndex& index, int role) const {
    if (index.isValid() && index.column() == 0 && role == Qt::DecorationRole) {
        // The icon views show each entry by its kind's icon, made once for the program.
        static const QIcon groups = QApplication::style()->standardIcon(QStyle::SP_DirIcon);
        static const QIcon plans =
            QApplication::style()->standardIcon(QStyle::SP_FileDialogDetailedView);
        return kind_ == ListKind::Categories || kind_ == ListKind::SpotGroups ? groups : plans;
    }
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) {
        return {};
    }
    const auto row = static_cast<std::size_t>(index.row());
    const int column = index.column();
    switch (kind_) {
        case ListKind::Categories:
        case ListKind::SpotGroups: {
            const TCustomDetails& g =
                kind_ == ListKind::Categories
                    ? static_cast<const TCustomDetails&>(*station_.Categories[row])
                    : *station_.SpotGroups[row];
            if (column == 0) {
                return Q(g.Name);
            }
            if (column == 1) {
                return Q(FolderSummary(g.Folders));
            }
            return frozen_ && row < counts_.size() ? counts_[row] : qulonglong(g.Files.size());
        }
        case ListKind::Rotations: {
            const TRotationDetails& r = *station_.Rotations[row];
            if (column == 2) {
                // The Rotation every "...DEFAULT..." hour plays, said in words.
                return station_.DefaultRotation == &r ? Tr(N_("Default")) : QString();
            }
            return Q(column == 0 ? r.Name : r.Notes);
        }
        case ListKind::Schedules: {
            const TScheduleDetails& s = *station_.Schedules[row];
            if (column < 2) {
                return Q(column == 0 ? s.Name : s.Notes);
            }
            return s.Days[static_cast<std::size_t>(column - 2)] ? QStringLiteral("X") : QString();
        }
    }
    return {};
}

Qt::ItemFlags LibraryListModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == 0) {
        f |= Qt::ItemIsEditable;
    }
    return f;
}

bool LibraryListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() != 0 || role != Qt::EditRole) {
        return false;
    }
    if (!RenameEntry(station_, kind_, static_cast<std::size_t>(index.row()), S(value.toString()))) {
        return false;
    }
    emit dataChanged(index, index);
    emit Renamed();
    return true;
}

}  // namespace spindle::gui
