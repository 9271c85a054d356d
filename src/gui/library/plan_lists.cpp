#include "gui/library/plan_lists.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>

namespace spindle::gui {

NameSourceList::NameSourceList(QWidget* parent) : QListWidget(parent) {
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
}

void NameSourceList::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        currentItem() != nullptr) {
        emit itemActivated(currentItem());
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void NameSourceList::SetKind(const char* mime, QString prefix) {
    mime_ = QString::fromLatin1(mime);
    prefix_ = std::move(prefix);
}

QStringList NameSourceList::mimeTypes() const {
    return {mime_};
}

QMimeData* NameSourceList::mimeData(const QList<QListWidgetItem*>& items) const {
    if (items.isEmpty()) {
        return nullptr;
    }
    auto* mime = new QMimeData;
    mime->setData(mime_, (prefix_ + items.first()->text()).toUtf8());
    return mime;
}

DropTargetList::DropTargetList(QWidget* parent) : QListWidget(parent) {
    setAcceptDrops(true);
    setDragEnabled(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
}

QStringList DropTargetList::mimeTypes() const {
    return {QString::fromLatin1(kRowMime)};
}

QMimeData* DropTargetList::mimeData(const QList<QListWidgetItem*>& items) const {
    if (!movable_ || items.isEmpty()) {
        return nullptr;
    }
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(kRowMime), QByteArray::number(row(items.first())));
    return mime;
}

bool DropTargetList::Accepts(const QMimeData* mime) const {
    return mime != nullptr && (mime->hasFormat(QString::fromLatin1(kGroupMime)) ||
                               mime->hasFormat(QString::fromLatin1(kRotationMime)) ||
                               (movable_ && mime->hasFormat(QString::fromLatin1(kRowMime))));
}

void DropTargetList::dragEnterEvent(QDragEnterEvent* event) {
    if (Accepts(event->mimeData())) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void DropTargetList::dragMoveEvent(QDragMoveEvent* event) {
    if (Accepts(event->mimeData())) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void DropTargetList::dropEvent(QDropEvent* event) {
    if (Drop(event->mimeData(), event->position().toPoint())) {
        event->setDropAction(Qt::CopyAction);  // the dialog rebuilds the list itself
        event->accept();
    } else {
        event->ignore();
    }
}

bool DropTargetList::Drop(const QMimeData* mime, const QPoint& position) {
    if (!Accepts(mime)) {
        return false;
    }
    const QModelIndex under = indexAt(position);
    const int at = under.isValid() ? under.row() : count();
    if (mime->hasFormat(QString::fromLatin1(kRowMime))) {
        emit RowMoved(mime->data(QString::fromLatin1(kRowMime)).toInt(), at);
        return true;
    }
    for (const char* kind : {kGroupMime, kRotationMime}) {
        if (mime->hasFormat(QString::fromLatin1(kind))) {
            emit NameDropped(QString::fromLatin1(kind),
                             QString::fromUtf8(mime->data(QString::fromLatin1(kind))), at);
        }
    }
    return true;
}

}  // namespace spindle::gui
