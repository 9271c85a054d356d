#pragma once

#include <QDialog>
#include <string>

#include "editor/find_replace.h"

class QLayout;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QCheckBox;

namespace spindle::gui {

class EditorWindow;
class SelectItemDialog;

// "Find/Replace": searches the whole log for file names holding a text, and replaces or
// deletes the item found, or every item that is the chosen one, with an item chosen in
// the Select dialog. It stays beside the editor and is not modal.
class FindReplaceWindow : public QDialog {
    Q_OBJECT

public:
    FindReplaceWindow(EditorWindow& editor, SelectItemDialog& select);

    // Opened again: the items chosen before are forgotten; `selected` is the file name of
    // the row selected in the editor, if any.
    void Reset(const QString& selected);
    // A row selected in the editor becomes the item to find.
    void RowChosen(const QString& fileName);

    void FindNext();
    void Replace();
    void ReplaceAll();
    void SelectItem();
    void ReplaceWith();
    void ClearItems();

private:
    // The parts of the window, in the order the focus moves through them.
    QLayout* MakeItemRows();
    QLayout* MakeOptionRow();
    QLayout* MakeButtonColumn();
    void UpdateButtons();
    bool Up() const;
    void NotFound();

    EditorWindow& editor_;
    SelectItemDialog& select_;
    QLineEdit* findText_;
    QLineEdit* selectedItem_;
    QLineEdit* replaceItem_;
    QPushButton* findNext_;
    QPushButton* replace_;
    QPushButton* replaceAll_;
    QRadioButton* up_;
    QCheckBox* circular_;
    std::string findItemPath_;  // set when the item to find came from the Select dialog
    Replacement replacement_;   // an empty path deletes
};

}  // namespace spindle::gui
