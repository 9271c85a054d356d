#include "gui/editor/find_replace_window.h"
#include "gui/help/help_window.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "base/format.h"
#include "base/paths.h"
#include "gui/editor/editor_window.h"
#include "gui/editor/insert_dialogs.h"
#include "gui/widgets/form_text.h"
#include "gui/widgets/qt_text.h"
#include "station/station.h"

namespace spindle::gui {
namespace {

QPushButton* Button(const char* text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(Tr(text), parent);
    button->setObjectName(QLatin1String(name));
    button->setAccessibleName(button->text().remove(QLatin1Char('&')));
    return button;
}

}  // namespace

FindReplaceWindow::FindReplaceWindow(EditorWindow& editor, SelectItemDialog& select)
    : QDialog(&editor, Qt::Tool), editor_(editor), select_(select) {
    setObjectName(QStringLiteral("findWindow"));
    setWindowTitle(Tr(N_("Find/Replace")));
    QLayout* grid = MakeItemRows();
    QLayout* options = MakeOptionRow();
    QLayout* buttons = MakeButtonColumn();
    auto* left = new QVBoxLayout;
    left->addLayout(grid);
    left->addLayout(options);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);

    connect(findText_, &QLineEdit::textChanged, this, &FindReplaceWindow::UpdateButtons);
    connect(findNext_, &QPushButton::clicked, this, &FindReplaceWindow::FindNext);
    connect(replace_, &QPushButton::clicked, this, &FindReplaceWindow::Replace);
    connect(replaceAll_, &QPushButton::clicked, this, &FindReplaceWindow::ReplaceAll);
    UpdateButtons();
}

// The item to find and its replacement, typed or chosen.
QLayout* FindReplaceWindow::MakeItemRows() {
    auto* grid = new QGridLayout;
    auto* findLabel = new QLabel(Tr(N_("Find what:")), this);
    findText_ = NamedField("findText", Tr(N_("Find what:")), false, this);
    findLabel->setBuddy(findText_);
    auto* selectItem = Button(N_("&Select item"), "selectItem", this);
    selectedItem_ = NamedField("selectedItem", Tr(N_("Selected item")), true, this);
    auto* replaceWith = Button(N_("Replace &with"), "replaceWith", this);
    replaceItem_ = NamedField("replaceItem", Tr(N_("Replacement item")), true, this);
    grid->addWidget(findLabel, 0, 0);
    grid->addWidget(findText_, 0, 1);
    grid->addWidget(selectItem, 1, 0);
    grid->addWidget(selectedItem_, 1, 1);
    grid->addWidget(replaceWith, 2, 0);
    grid->addWidget(replaceItem_, 2, 1);
    connect(selectItem, &QPushButton::clicked, this, &FindReplaceWindow::SelectItem);
    connect(replaceWith, &QPushButton::clicked, this, &FindReplaceWindow::ReplaceWith);
    return grid;
}

// The direction, Circular and Clear Items.
QLayout* FindReplaceWindow::MakeOptionRow() {
    auto* direction = new QGroupBox(Tr(N_("Direction")), this);
    up_ = new QRadioButton(Tr(N_("Up")), direction);
    up_->setObjectName(QStringLiteral("up"));
    auto* down = new QRadioButton(Tr(N_("Down")), direction);
    down->setObjectName(QStringLiteral("down"));
    down->setChecked(true);
    auto* directionLayout = new QHBoxLayout(direction);
    directionLayout->addWidget(up_);
    directionLayout->addWidget(down);
    circular_ = new QCheckBox(Tr(N_("Circular")), this);
    circular_->setObjectName(QStringLiteral("circular"));
    auto* clear = Button(N_("Clear Items"), "clearItems", this);
    auto* options = new QHBoxLayout;
    options->addWidget(direction);
    options->addWidget(circular_);
    options->addStretch();
    options->addWidget(clear);
    connect(clear, &QPushButton::clicked, this, &FindReplaceWindow::ClearItems);
    return options;
}

QLayout* FindReplaceWindow::MakeButtonColumn() {
    findNext_ = Button(N_("&Find Next"), "findNext", this);
    findNext_->setDefault(true);
    replace_ = Button(N_("&Replace"), "replace", this);
    replaceAll_ = Button(N_("Replace &All"), "replaceAll", this);
    auto* close = Button(N_("Close"), "close", this);
    auto* help = Button(N_("Help"), "help", this);
    SetHelpPage(this, QStringLiteral("editor.html#find"));
    connect(help, &QPushButton::clicked, this,
            [] { ShowHelp(QStringLiteral("editor.html#find")); });
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {findNext_, replace_, replaceAll_, close, help}) {
        buttons->addWidget(b);
    }
    buttons->addStretch();
    connect(close, &QPushButton::clicked, this, &QDialog::hide);
    return buttons;
}

bool FindReplaceWindow::Up() const {
    return up_->isChecked();
}

void FindReplaceWindow::UpdateButtons() {
    findNext_->setEnabled(!findText_->text().isEmpty());
    replaceAll_->setEnabled(!selectedItem_->text().isEmpty());
    // Replace works on the row found or selected, not on an item chosen by name.
    replace_->setEnabled(replaceAll_->isEnabled() && findItemPath_.empty());
}

void FindReplaceWindow::Reset(const QString& selected) {
    findItemPath_.clear();
    replaceItem_->clear();
    replacement_ = Replacement{};
    selectedItem_->setText(selected);
    UpdateButtons();
}

void FindReplaceWindow::RowChosen(const QString& fileName) {
    findItemPath_.clear();
    selectedItem_->setText(fileName);
    UpdateButtons();
}

void FindReplaceWindow::NotFound() {
    editor_.ResetFindPosition();
    findItemPath_.clear();
    selectedItem_->clear();
    UpdateButtons();
}

void FindReplaceWindow::FindNext() {
    const QString needle = findText_->text().isEmpty() ? selectedItem_->text() : findText_->text();
    if (editor_.FindNext(needle, Up(), circular_->isChecked())) {
        selectedItem_->setText(editor_.FoundName());
        UpdateButtons();
    } else {
        NotFound();
    }
}

void FindReplaceWindow::Replace() {
    editor_.ReplaceFound(replacement_);
    FindNext();
}

void FindReplaceWindow::ReplaceAll() {
    const int count = editor_.ReplaceAll(findItemPath_, selectedItem_->text(), replacement_);
    const std::string word =
        replacement_.Path.empty() ? spindle::tr("deleted.") : spindle::tr("replaced.");
    editor_.CurrentStation().Op().Show(
        MessageKind::Information, Format(spindle::tr("%0:d Items %1:s"), count, word), Buttons::Ok);
    NotFound();
}

void FindReplaceWindow::SelectItem() {
    if (select_.exec() == QDialog::Accepted && select_.Complete()) {
        selectedItem_->setText(Q(ExtractFileName(select_.Chosen().Shown)));
        findItemPath_ = select_.Chosen().Path;
    } else {
        selectedItem_->clear();
        findItemPath_.clear();
    }
    UpdateButtons();
}

void FindReplaceWindow::ReplaceWith() {
    if (select_.exec() == QDialog::Accepted && select_.Complete()) {
        replaceItem_->setText(Q(ExtractFileName(select_.Chosen().Shown)));
        replacement_ = ReplacementFor(select_.Chosen());
    } else {
        replaceItem_->clear();
        replacement_ = Replacement{};
    }
}

void FindReplaceWindow::ClearItems() {
    findText_->clear();
    replaceItem_->clear();
    selectedItem_->clear();
    findItemPath_.clear();
    replacement_ = Replacement{};
    UpdateButtons();
}

}  // namespace spindle::gui
