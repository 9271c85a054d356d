#pragma once

#include <QAbstractTableModel>

#include "forms/library_edits.h"
#include "station/station.h"

namespace spindle::gui {

// One of the four library lists of a Station as a table: the columns of its page, the
// name editable in place (through the core's rename, whose refusals the Operator shows).
class LibraryListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    LibraryListModel(Station& station, ListKind kind, QObject* parent = nullptr);

    ListKind Kind() const { return kind_; }
    // The list changed under the model (loaded, an entry added or deleted).
    void Reload();
    // While work on the worker refills the groups' files, the list shows the counts
    // taken before it began.
    void Freeze(bool frozen);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

signals:
    // A rename went through: other views may show the new name.
    void Renamed();

private:
    Station& station_;
    ListKind kind_;
    bool frozen_ = false;
    std::vector<qulonglong> counts_;
};

}  // namespace spindle::gui
