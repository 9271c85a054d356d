#include "gui/editor/hour_model.h"

#include <QColor>
#include <QMimeData>
#include <QUrl>

#include "gui/widgets/qt_text.h"

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

}  // namespace spindle::gui
