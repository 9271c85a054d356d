#pragma once

#include <QDialog>
#include <memory>
#include <utility>
#include <vector>

#include "library/plan_editors.h"
#include "library/station.h"

class QAction;
class QPushButton;

namespace Ui {
class RotationEditor;
class ScheduleEditor;
class TimedSpotDialog;
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
    int InsertionIndex() const;
    void Rebuild(int select);
    void UpdateActions();

    Station& station_;
    TRotationDetails* existing_;
    TRotationDetails* result_ = nullptr;
    TRotationDetails edited_;
    std::unique_ptr<Ui::RotationEditor> ui_;
};

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
