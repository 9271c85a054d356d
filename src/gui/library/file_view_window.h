#pragma once

#include <QAbstractTableModel>
#include <QDialog>
#include <memory>
#include <vector>

#include "forms/file_view.h"
#include "station/station.h"

class QAction;

namespace Ui {
class FileViewWindow;
class FilePropertiesDialog;
}  // namespace Ui

namespace spindle::gui {

// The tracks of one group as the file viewer lists them: five columns and a Category's
// attributes, the sort the core gives, and the rows already taken in the play order on a
// button-face ground.
class FileListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    FileListModel(Station& station, TCustomDetails& group, QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order) override;
    // Sorts by a column as a click on its heading does (again: the other way).
    void ClickColumn(int column);
    int SortKey() const { return sortKey_; }
    FileRec& FileAt(int row) { return group_.Files[order_[static_cast<std::size_t>(row)]]; }
    void RowChanged(int row);
    // Shows the attribute columns anew (the same attributes) or for the first time.
    void SetAttributes(FileAttributeColumns attributes);
    const FileAttributeColumns& Attributes() const { return attributes_; }

private:
    Station& station_;
    TCustomDetails& group_;
    std::vector<std::size_t> order_;
    FileAttributeColumns attributes_;
    int sortKey_ = 0;
};

// The window of a group's tracks; Properties (or a double click, Enter, Alt+Enter)
// opens the track's properties, whose OK corrects its duration and last use. In a
// Category's, Set Attribute gives the selected tracks one value at once.
class FileViewWindow : public QDialog {
    Q_OBJECT

public:
    FileViewWindow(Station& station, TCustomDetails& group, QWidget* parent = nullptr);
    ~FileViewWindow() override;
    FileListModel* Model() const { return model_; }
    // Opens the properties of the selected track; true when OK changed it.
    bool EditSelected();
    // Sets an attribute on the selected tracks; true when it was set.
    bool SetAttributeOfSelected();

signals:
    void TrackEdited();

private:
    void ShowAttributeColumns();
    void UpdateEnabling();

    Station& station_;
    TCustomDetails& group_;
    std::unique_ptr<Ui::FileViewWindow> ui_;
    FileListModel* model_;
    QAction* setAttribute_ = nullptr;  // a Category's only
};

// The properties of one track.
class FilePropertiesDialog : public QDialog {
    Q_OBJECT

public:
    FilePropertiesDialog(Station& station, const TCustomDetails& group, FileRec& file,
                         QWidget* parent = nullptr);
    ~FilePropertiesDialog() override;
    void accept() override;

private:
    Station& station_;
    FileRec& file_;
    std::unique_ptr<Ui::FilePropertiesDialog> ui_;
};

}  // namespace spindle::gui
