#pragma once

#include <QDialog>
#include <memory>
#include <vector>

#include "forms/plan_editors.h"
#include "station/station.h"

namespace Ui {
class RotationEditor;
}  // namespace Ui

namespace spindle::gui {

// The Rotation editor: the hour's items built from the Categories and Spot Groups by
// double click or drag, moved by drag, with Break Notes, Voice Track markers and timed
// events, and the approximate times after every change. OK writes it back.
class RotationEditor : public QDialog {
    Q_OBJECT

public:
    RotationEditor(Station& station, TRotationDetails* existing, QWidget* parent = nullptr);
    ~RotationEditor() override;
    const std::vector<RotationItem>& Items() const { return edited_.Items; }
    TRotationDetails* Result() const { return result_; }
    // The edits the window offers, callable as its controls call them.
    void InsertGroup(bool category, const QString& name, int at);
    void MoveItem(int from, int to);
    void DeleteSelected();
    void InsertBreakNote();
    void InsertVoiceTrack();
    void EditBreakNote();
    void EditTime();
    void accept() override;

private:
    // The steps of building the window.
    void SetUpGroupLists();
    void SetUpRotationList();
    void ConnectItemActions();
    int InsertionIndex() const;
    void Rebuild(int select);
    void UpdateActions();

    Station& station_;
    TRotationDetails* existing_;
    TRotationDetails* result_ = nullptr;
    TRotationDetails edited_;
    std::unique_ptr<Ui::RotationEditor> ui_;
};

}  // namespace spindle::gui
