#pragma once

#include <QDialog>
#include <array>
#include <cstdint>
#include <memory>

#include "forms/group_dialog_rules.h"
#include "station/station.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSlider;

namespace Ui {
class CategoryDialog;
class SpotGroupDialog;
}  // namespace Ui

namespace spindle::gui {

// The property dialog of a Category or Spot Group, for a new one or for an existing one.
// What both kinds share lives here: name, notes, the folder lines with their buttons,
// the counts, and OK with the checks in their order (a refusal keeps the dialog open with
// the focus on the field it concerns). On OK the fields are written back; the caller
// then reloads the group's files.
class GroupDialog : public QDialog {
    Q_OBJECT

public:
    // The group OK wrote back (the new one, or `existing`); nullptr before OK.
    TCustomDetails* Result() const { return result_; }
    // The checks and the write-back, as OK runs them; false when something was refused.
    bool TryAccept();
    void accept() override;

protected:
    GroupDialog(Station& station, GroupKind kind, TCustomDetails* existing, QWidget* parent);
    // Wires the shared controls once the form is set up.
    void SetUpShared();
    void Show(const GroupFields& fields);
    GroupFields Fields() const;
    virtual void ShowOwn(const GroupFields& fields) = 0;
    virtual void TakeOwn(GroupFields& fields) const = 0;
    // Stores what the kind keeps beyond the fields, once the checks passed and before the
    // fields are written back; false (told, the dialog stays open) when that failed.
    virtual bool StoreOwn(const GroupFields& fields);
    virtual void UpdateEnabling();
    void UpdateAverage();

    Station& station_;
    GroupKind kind_;
    TCustomDetails* existing_;
    TCustomDetails* result_ = nullptr;
    bool showing_ = false;

private:
    void ConnectFolderButtons(QPlainTextEdit* folders);
};

class CategoryDialog : public GroupDialog {
    Q_OBJECT

public:
    CategoryDialog(Station& station, TCategoryDetails* existing, QWidget* parent = nullptr);
    ~CategoryDialog() override;

private:
    void ShowOwn(const GroupFields& fields) override;
    void TakeOwn(GroupFields& fields) const override;
    bool StoreOwn(const GroupFields& fields) override;
    void UpdateEnabling() override;
    void IntervalTyped(QLineEdit* field, QSlider* bar, QLabel* unit);

    // A repeat interval's controls, and the Category's own interval, kept while the
    // field shows the station's for "System Default".
    struct Repeat {
        QComboBox* Option;
        QLineEdit* Field;
        QSlider* Bar;
        QLabel* Unit;
        std::uint32_t Own = 0;
    };
    std::uint32_t StationInterval(const Repeat& r) const;
    void ShowInterval(Repeat& r);

    std::unique_ptr<Ui::CategoryDialog> ui_;
    std::array<Repeat, 2> repeats_{};
};

class SpotGroupDialog : public GroupDialog {
    Q_OBJECT

public:
    SpotGroupDialog(Station& station, TSpotDetails* existing, QWidget* parent = nullptr);
    ~SpotGroupDialog() override;

private:
    void ShowOwn(const GroupFields& fields) override;
    void TakeOwn(GroupFields& fields) const override;
    void UpdateEnabling() override;

    std::unique_ptr<Ui::SpotGroupDialog> ui_;
};

}  // namespace spindle::gui
