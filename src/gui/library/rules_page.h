#pragma once

#include <QWidget>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/format_settings.h"
#include "base/operator.h"
#include "forms/rule_form.h"
#include "gui/library/rule_dialog.h"
#include "station/category_rules.h"

namespace Ui {
class RulesPage;
}

namespace spindle::gui {

// The Rules page of the Category dialog: the Category's own ordered list of rules, or the
// station's when it keeps none. Each row reads as a sentence; rules are added, edited,
// removed and put in order by drag or by the Move buttons. The repeat intervals are rows
// that move but stay. Nothing reaches the station database before Save.
class RulesPage : public QWidget {
    Q_OBJECT

public:
    explicit RulesPage(QWidget* parent = nullptr);
    ~RulesPage() override;

    // Shows the rules kept under `category` (a Category's ListName; empty for a new one);
    // `tracks` are its tracks, offered for a window on one track.
    void Load(const std::filesystem::path& dataFolder, const std::string& category,
              std::vector<std::string> tracks, const FormatSettings& settings, Operator& op);
    // Stores the list when its meaning changed: under the name it was loaded from, a new
    // Category's under `name`.
    DbStatus Save(const std::string& name) const;

signals:
    // A repeat interval's row was opened: its setting is on the Category page.
    void IntervalOpened(bool song);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Own() const;
    int Row() const;
    void Refresh(int select);
    void FitRows();
    void UpdateButtons();
    void Add();
    void Open();
    void Remove();
    void Move(int from, int to);
    void AddPreset();

    std::unique_ptr<Ui::RulesPage> ui_;
    std::filesystem::path dataFolder_;
    std::string category_;
    CategoryRules read_;
    std::vector<RuleDef> own_;
    RuleChoices choices_;
    const FormatSettings* settings_ = nullptr;
    Operator* op_ = nullptr;
};

}  // namespace spindle::gui
