#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <vector>

#include "editor/insertion.h"

namespace Ui {
class SelectItemDialog;
class InsertItemDialog;
}  // namespace Ui

namespace spindle {
class Station;
}

namespace spindle::gui {

// "Select an item": a Category track, a spot, a timed spot, a Break Note, a voice intro
// or any other file. One dialog lives as long as the editor, so it keeps its last kind.
class SelectItemDialog : public QDialog {
    Q_OBJECT

public:
    SelectItemDialog(Station& station, QWidget* parent);
    ~SelectItemDialog() override;

    // Chooses a kind as a click on it does (a Break Note asks for its text, a voice intro
    // or other file for the file).
    void ChooseKind(SelectKind kind);
    // Chooses an entry of the group list and of the file list by their texts.
    bool ChooseGroup(const QString& name);
    bool ChooseFile(const QString& shown);
    const Selection& Chosen() const { return chosen_; }
    bool Complete() const;
    // Where voice intros and other files are looked for first.
    void SetStartFolder(const QString& folder) { startFolder_ = folder; }
    // The file chooser; tests put their own in.
    std::function<QString(QWidget*, const QString& folder)> OpenFile;

private:
    void ShowGroups();
    void ShowFiles();
    void UpdateOk();

    Station& station_;
    std::unique_ptr<Ui::SelectItemDialog> ui_;
    Selection chosen_;
    bool kindChosen_ = false;
    QString startFolder_;
    // The file list's entries, in the order shown.
    struct Entry {
        QString Shown;
        std::string Path;
        std::uint32_t Duration = 0;
    };
    std::vector<Entry> entries_;
};

// "Insert an item": what to insert (through the Select dialog) and where: the current
// position, or chosen minutes of chosen hours of chosen days.
class InsertItemDialog : public QDialog {
    Q_OBJECT

public:
    InsertItemDialog(SelectItemDialog& select, const QStringList& days, QWidget* parent);
    ~InsertItemDialog() override;

    // Runs the Select dialog as the "Select item" button does.
    void SelectItem();
    bool OtherPositions() const;
    void SetOtherPositions(bool other);
    // Checks entries of the three lists by their rows.
    void Check(const std::vector<int>& days, const std::vector<int>& hours,
               const std::vector<int>& minutes);
    std::vector<int> Days() const;
    std::vector<int> Hours() const;
    std::vector<int> Minutes() const;
    const Selection& Chosen() const { return chosen_; }

private:
    void UpdateOk();

    SelectItemDialog& select_;
    std::unique_ptr<Ui::InsertItemDialog> ui_;
    Selection chosen_;
};

}  // namespace spindle::gui
