#pragma once

#include <QDialog>
#include <memory>
#include <vector>

#include "forms/library_edits.h"
#include "station/station.h"
#include "stationdb/station_db.h"

class QLabel;

namespace Ui {
class AttributeDialog;
}

namespace spindle::gui {

// One attribute's definition: its name (fixed once defined), its values in order, the
// tag it comes from and the cut points of a number tag. The verdict of the core's check
// stands beside the field it concerns as the operator types; OK keeps the definition in
// the station database when it changed.
class AttributeDialog : public QDialog {
    Q_OBJECT

public:
    // A new attribute when `before` is null. `defined` are the station's attributes,
    // `rules` its rules.
    AttributeDialog(Station& station, const AttributeDef* before, std::vector<AttributeDef> defined,
                    RuleTexts rules, QWidget* parent = nullptr);
    ~AttributeDialog() override;
    void accept() override;
    // The definition as OK kept it.
    const AttributeDef& Result() const { return result_; }

private:
    AttributeDef Edited() const;
    // Shows the check's verdict beside its field, once the operator began; returns it.
    Verdict ShowVerdict();
    void UpdateEnabling();
    QWidget* FieldOf(const std::string& field) const;
    QLabel* VerdictOf(const std::string& field) const;

    Station& station_;
    std::unique_ptr<Ui::AttributeDialog> ui_;
    std::unique_ptr<AttributeDef> before_;
    std::vector<AttributeDef> defined_;
    RuleTexts rules_;
    AttributeDef result_;
    bool touched_ = false;
};

}  // namespace spindle::gui
