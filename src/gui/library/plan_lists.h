#pragma once

#include <QListWidget>

namespace spindle::gui {

// The lists of the Rotation and Schedule editors that take part in drag and drop. A drag
// carries what it drags as text of its own kind, so a drop is understood whatever
// started it (another list, or a test).
inline constexpr const char* kGroupMime = "application/x-spindle-group";        // "C" or "S" + name
inline constexpr const char* kRowMime = "application/x-spindle-row";            // row number
inline constexpr const char* kRotationMime = "application/x-spindle-rotation";  // name

// A list whose entries are dragged out as names of one kind: Categories ("C"), Spot
// Groups ("S") or Rotations (no prefix, the rotation type).
class NameSourceList : public QListWidget {
    Q_OBJECT

public:
    explicit NameSourceList(QWidget* parent = nullptr);
    void SetKind(const char* mime, QString prefix);

protected:
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QList<QListWidgetItem*>& items) const override;
    // Enter takes the entry, as a double click does; it is not the dialog's OK.
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString mime_ = QString::fromLatin1(kGroupMime);
    QString prefix_;
};

// A list that takes drops: names of groups or rotations from a source list, and its own
// rows moved within it. It only reports them; the dialog decides.
class DropTargetList : public QListWidget {
    Q_OBJECT

public:
    explicit DropTargetList(QWidget* parent = nullptr);
    // Whether rows may be dragged within the list.
    void SetMovable(bool movable) { movable_ = movable; }
    // What a drop of `mime` at `position` (in the viewport) does; false when the list
    // does not take it.
    bool Drop(const QMimeData* mime, const QPoint& position);

signals:
    // `row` is the entry under the drop, or the count when below the last entry.
    void NameDropped(const QString& mime, const QString& text, int row);
    void RowMoved(int from, int to);

protected:
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QList<QListWidgetItem*>& items) const override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool Accepts(const QMimeData* data) const;
    bool movable_ = false;
};

}  // namespace spindle::gui
