#pragma once

#include <QDialog>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "base/format_settings.h"
#include "base/operator.h"
#include "rules/rule_def.h"
#include "stationdb/station_db.h"

class QCheckBox;
class QComboBox;

namespace Ui {
class RuleDialog;
}

namespace spindle::gui {

// What a rule's form offers to choose from.
struct RuleChoices {
    std::vector<AttributeDef> Attributes;
    std::vector<std::string> Tracks;  // the Category's paths, for a window on one track
};

// Adds or edits one rule: its kind, then the fields the core says that kind has, and the
// sentence the rule reads as, kept up to date. OK checks the rule against the station's
// attributes; a refusal keeps the dialog open with the focus on the field it concerns.
class RuleDialog : public QDialog {
    Q_OBJECT

public:
    // `adding`: the kind may be chosen; an edited rule keeps its kind.
    RuleDialog(const RuleDef& rule, bool adding, RuleChoices choices,
               const FormatSettings& settings, Operator& op, QWidget* parent = nullptr);
    ~RuleDialog() override;

    // The rule as the form shows it.
    RuleDef Rule() const;
    // Where a new rule will stand in its list, said below its sentence.
    void SetPlacement(const QString& text);
    void accept() override;

private:
    enum class Unit { Items, Minutes, Hours, Day };

    void SetUpChoices();
    void Show(const RuleDef& rule);
    void ShowSpan(const RuleDef& rule);
    void ShowWindow(const TimeWindow& window);
    void KindChosen();
    void Update();
    void ShowMatch(QComboBox* attribute, QComboBox* value, const AttributeMatch& match);
    void FillValues(QComboBox* attribute, QComboBox* value, const std::string& chosen);
    void TakeSpan(RuleDef& rule) const;
    TimeWindow TakeWindow() const;
    QWidget* FieldWidget(const std::string& field) const;

    std::unique_ptr<Ui::RuleDialog> ui_;
    RuleChoices choices_;
    const FormatSettings& settings_;
    Operator& op_;
    std::array<QCheckBox*, 7> weekdays_{};  // Sunday first, as TimeWindow counts them
    bool showing_ = false;
};

}  // namespace spindle::gui
