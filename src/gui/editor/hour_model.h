#pragma once

#include <QAbstractTableModel>
#include <optional>
#include <vector>

#include "editor/playlist_document.h"
#include "station/station.h"

namespace spindle::gui {

// The rows of the hour shown: the document's view of it, coloured when the Options ask
// for colour; rows are dragged within the hour as their items' ids.
class HourModel : public QAbstractTableModel {
    Q_OBJECT

public:
    HourModel(const PlaylistDocument& document, const Station& station, QObject* parent);
    void Show(LogHour hour);
    const HourView& View() const { return view_; }
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDropActions() const override {
        return Qt::MoveAction | Qt::CopyAction;
    }
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

signals:
    // Rows dragged onto `target` (before it), or below the last row.
    void RowsDropped(std::vector<std::uint64_t> ids, std::optional<std::uint64_t> target);
    // Files dropped from the file manager onto `target` (before it), or below the last row.
    void FilesDropped(QStringList paths, std::optional<std::uint64_t> target);

private:
    const PlaylistDocument& document_;
    const Station& station_;
    HourView view_;
};

}  // namespace spindle::gui
