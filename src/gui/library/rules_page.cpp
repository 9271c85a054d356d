#include "gui/library/rules_page.h"

#include <QAbstractItemDelegate>
#include <QKeyEvent>
#include <QPushButton>
#include <QStyleOptionViewItem>

#include "base/format.h"
#include "gui/widgets/qt_text.h"
#include "rules/rule_sentence.h"
#include "ui_rules_page.h"

namespace spindle::gui {

RulesPage::RulesPage(QWidget* parent) : QWidget(parent), ui_(std::make_unique<Ui::RulesPage>()) {
    ui_->setupUi(this);
    ui_->ruleList->SetMovable(true);
    ui_->ruleList->installEventFilter(this);
    ui_->ruleList->viewport()->installEventFilter(this);
    connect(ui_->useOwn, &QRadioButton::toggled, this, [this](bool own) {
        if (own && own_.empty()) {
            own_ = read_.Station;  // a Category's own list starts from the station's
        }
        Refresh(-1);  // nothing chosen: a new rule goes below the intervals
    });
    connect(ui_->ruleList, &QListWidget::currentRowChanged, this, [this] { UpdateButtons(); });
    connect(ui_->ruleList, &QListWidget::itemDoubleClicked, this, [this] { Open(); });
    connect(ui_->ruleList, &DropTargetList::RowMoved, this, &RulesPage::Move);
    connect(ui_->addRule, &QPushButton::clicked, this, &RulesPage::Add);
    connect(ui_->editRule, &QPushButton::clicked, this, &RulesPage::Open);
    connect(ui_->removeRule, &QPushButton::clicked, this, &RulesPage::Remove);
    connect(ui_->moveUp, &QPushButton::clicked, this, [this] { Move(Row(), Row() - 1); });
    connect(ui_->moveDown, &QPushButton::clicked, this, [this] { Move(Row(), Row() + 2); });
    connect(ui_->addPreset, &QPushButton::clicked, this, &RulesPage::AddPreset);
}

RulesPage::~RulesPage() = default;

void RulesPage::Load(const std::filesystem::path& dataFolder, const std::string& category,
                     std::vector<std::string> tracks, const FormatSettings& settings,
                     Operator& op) {
    dataFolder_ = dataFolder;
    category_ = category;
    settings_ = &settings;
    op_ = &op;
    read_ = ReadCategoryRules(dataFolder, category);
    own_ = read_.Own;
    choices_ = {read_.Attributes, std::move(tracks)};
    const bool readable = read_.Problem.empty();
    ui_->problem->setVisible(!readable);
    ui_->problem->setText(
        Q(Format(spindle::tr("The rules cannot be changed now: %0:s"), read_.Problem)));
    ui_->useStation->setEnabled(readable);
    ui_->useOwn->setEnabled(readable);
    const QSignalBlocker quiet(ui_->useOwn);
    (own_.empty() ? ui_->useStation : ui_->useOwn)->setChecked(true);
    Refresh(-1);
}

DbStatus RulesPage::Save(const std::string& name) const {
    if (!read_.Problem.empty()) {
        return {};  // shown, and nothing could be changed
    }
    return SaveCategoryRules(dataFolder_, category_.empty() ? name : category_,
                             Own() ? own_ : std::vector<RuleDef>{});
}

bool RulesPage::Own() const {
    return ui_->useOwn->isChecked();
}

int RulesPage::Row() const {
    return ui_->ruleList->currentRow();
}

// Shows the list in effect: the Category's own, or the station's, which is not edited here.
void RulesPage::Refresh(int select) {
    const std::vector<RuleDef>& shown = Own() ? own_ : read_.Station;
    ui_->ruleList->clear();
    for (const RuleDef& rule : shown) {
        auto* item = new QListWidgetItem(Q(RuleSentence(rule, *settings_)), ui_->ruleList);
        if (!Removable(rule)) {
            QFont font = item->font();
            font.setItalic(true);
            item->setFont(font);
            item->setToolTip(Tr(N_("Set on the Category page; it can be moved, not removed")));
        } else if (const Verdict v = CheckRule(rule, read_.Attributes); !v.Ok()) {
            item->setIcon(style()->standardIcon(QStyle::SP_MessageBoxWarning));
            item->setToolTip(Q(v.Message));
        }
    }
    FitRows();
    ui_->ruleList->setEnabled(Own());
    ui_->ruleList->setCurrentRow(std::min(select, ui_->ruleList->count() - 1));
    UpdateButtons();
}

// Each rule shows its whole sentence wrapped to the list's width: the list's own sizes
// for wrapped rows cut a long sentence and leave a blank line under it.
void RulesPage::FitRows() {
    QListWidget* list = ui_->ruleList;
    QStyleOptionViewItem option;
    option.initFrom(list->viewport());
    option.font = list->font();
    option.decorationSize = list->iconSize();
    option.features = QStyleOptionViewItem::WrapText;
    option.rect = QRect(0, 0, list->viewport()->width() - 2 * list->spacing(), 1);
    for (int row = 0; row < list->count(); ++row) {
        const QSize size = list->itemDelegate()->sizeHint(option, list->model()->index(row, 0));
        list->item(row)->setSizeHint(QSize(option.rect.width(), size.height()));
    }
}

void RulesPage::UpdateButtons() {
    const int row = Row();
    const bool own = Own();
    const bool chosen = own && row >= 0 && row < static_cast<int>(own_.size());
    const bool removable = chosen && Removable(own_[static_cast<std::size_t>(row)]);
    ui_->addRule->setEnabled(own);
    ui_->addPreset->setEnabled(own);
    ui_->editRule->setEnabled(removable);
    ui_->removeRule->setEnabled(removable);
    ui_->moveUp->setEnabled(chosen && row > 0);
    ui_->moveDown->setEnabled(chosen && row + 1 < static_cast<int>(own_.size()));
}

// A new rule goes below the selected one, else below the intervals; the dialog says
// where, and the rule is selected to be moved.
void RulesPage::Add() {
    const std::size_t at = NewRulePosition(own_, Row());
    RuleDialog dialog(NewRule(AddableKinds().front()), true, choices_, *settings_, *op_, this);
    dialog.SetPlacement(Q(NewRulePlace(own_, at, *settings_)));
    if (dialog.exec() == QDialog::Accepted) {
        own_.insert(own_.begin() + static_cast<std::ptrdiff_t>(at), dialog.Rule());
        Refresh(static_cast<int>(at));
    }
}

void RulesPage::Open() {
    const int row = Row();
    if (!Own() || row < 0 || row >= static_cast<int>(own_.size())) {
        return;
    }
    RuleDef& rule = own_[static_cast<std::size_t>(row)];
    if (!Removable(rule)) {
        emit IntervalOpened(rule.Kind == RuleKind::Song);
        return;
    }
    RuleDialog dialog(rule, false, choices_, *settings_, *op_, this);
    if (dialog.exec() == QDialog::Accepted) {
        rule = dialog.Rule();
        Refresh(row);
    }
}

void RulesPage::Remove() {
    const int row = Row();
    if (!ui_->removeRule->isEnabled()) {
        return;
    }
    own_.erase(own_.begin() + row);
    Refresh(row);
}

void RulesPage::Move(int from, int to) {
    if (!Own() || from < 0 || to < 0) {
        return;
    }
    Refresh(static_cast<int>(
        MoveRule(own_, static_cast<std::size_t>(from), static_cast<std::size_t>(to))));
}

void RulesPage::AddPreset() {
    const std::size_t at = NewRulePosition(own_, Row());
    if (AddWebcastingCaps(own_, at) > 0) {
        Refresh(static_cast<int>(at));
    }
}

// Enter opens the rule, as a double click does, and Delete removes it; neither reaches
// the dialog's buttons.
bool RulesPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_->ruleList && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Open();
            return true;
        }
        if (key == Qt::Key_Delete) {
            Remove();
            return true;
        }
    }
    if (watched == ui_->ruleList->viewport() && event->type() == QEvent::Resize) {
        FitRows();
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace spindle::gui
