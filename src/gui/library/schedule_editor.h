#pragma once

#include <QDialog>
#include <memory>
#include <utility>
#include <vector>

#include "forms/plan_editors.h"
#include "station/station.h"

class QAction;
class QPushButton;

namespace Ui {
class ScheduleEditor;
class TimedSpotDialog;
}  // namespace Ui

namespace spindle::gui {

// The Schedule editor: the weekdays, a Rotation for each hour (by button, double click or
// drag) and the Timed Spots with their clipboard. OK writes it back.
class ScheduleEditor : public QDialog {
    Q_OBJECT

public:
    ScheduleEditor(Station& station, TScheduleDetails* existing, QWidget* parent = nullptr);
    ~ScheduleEditor() override;
    const TScheduleDetails& Edited() const { return edited_; }
    TScheduleDetails* Result() const { return result_; }
    void Attach(int rotationRow, int hour, bool moveOn);
    void AttachToAll(int rotationRow);
    void EditTimedSpot(bool isNew);
    void CopyAll();
    void Paste();
    void AddTime();
    void accept() override;

private:
    // The steps of building the window.
    void SetUpDays();
    void SetUpRotationList();
    void SetUpTimedSpots();
    // The Rotation of an entry of the Rotation list; nullptr for "...DEFAULT...".
    TRotationDetails* RotationAt(int rotationRow) const;
    void ShowHours(int select);
    void ShowTimedSpots(const std::string& select);
    void UpdateActions();

    Station& station_;
    TScheduleDetails* existing_;
    TScheduleDetails* result_ = nullptr;
    TScheduleDetails edited_;
    std::unique_ptr<Ui::ScheduleEditor> ui_;
    // The Timed Spot list's actions and the buttons they press.
    std::vector<std::pair<QAction*, QPushButton*>> spotActions_;
};

// One Timed Spot: a Spot Group (Normal or Voice Intro) or a Break Note, and its time.
class TimedSpotDialog : public QDialog {
    Q_OBJECT

public:
    TimedSpotDialog(const Station& station, const TimedSpot* existing, QWidget* parent = nullptr);
    ~TimedSpotDialog() override;
    TimedSpot Entry() const;

private:
    void UpdateOk();

    const Station& station_;
    std::unique_ptr<Ui::TimedSpotDialog> ui_;
};

}  // namespace spindle::gui
