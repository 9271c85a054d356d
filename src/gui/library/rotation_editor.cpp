#include "gui/library/rotation_editor.h"
#include "gui/help/help_window.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QPushButton>
#include <algorithm>

#include "base/text_case.h"
#include "gui/library/plan_editor_form.h"
#include "gui/library/plan_lists.h"
#include "gui/widgets/accessible_controls.h"
#include "gui/widgets/form_text.h"
#include "gui/widgets/qt_text.h"
#include "ui_rotation_editor.h"

namespace spindle::gui {

using namespace plan_form;
namespace {

template <typename List>
std::vector<std::string> SortedNames(const List& list) {
    std::vector<std::string> names;
    for (const auto& entry : list) {
        names.push_back(entry->Name);
    }
    std::sort(names.begin(), names.end(), TextLess{});
    return names;
}

}  // namespace

RotationEditor::RotationEditor(Station& station, TRotationDetails* existing, QWidget* parent)
    : QDialog(parent),
      station_(station),
      existing_(existing),
      ui_(std::make_unique<Ui::RotationEditor>()) {
    ui_->setupUi(this);
    TranslateForm(this);
    if (existing_ != nullptr) {
        edited_ = *existing_;
    }
    ShowHeader(this, edited_, existing_ == nullptr, N_("New Rotation"),
               N_("%0:s Rotation Properties"), ui_->name, ui_->notes);
    ui_->cbDefault->setChecked(edited_.Default);
    SetUpGroupLists();
    SetUpRotationList();
    ConnectItemActions();
    connect(ui_->name, &QLineEdit::textChanged, this, [this] { UpdateActions(); });
    connect(ui_->buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui_->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    AddHelpButton(ui_->buttons, this, QStringLiteral("library.html#rotation"));
    Rebuild(static_cast<int>(edited_.Items.size()) - 1);
}

void RotationEditor::SetUpGroupLists() {
    ui_->categoryList->SetKind(kGroupMime, QStringLiteral("C"));
    ui_->spotList->SetKind(kGroupMime, QStringLiteral("S"));
    for (const std::string& name : SortedNames(station_.Categories)) {
        ui_->categoryList->addItem(Q(name));
    }
    for (const std::string& name : SortedNames(station_.SpotGroups)) {
        ui_->spotList->addItem(Q(name));
    }
}

void RotationEditor::SetUpRotationList() {
    ui_->rotationList->SetMovable(true);
    // A double click or Enter puts the group in after the selected item, so an hour built
    // one group after another keeps its order; by keyboard too.
    auto insertAfter = [this](bool category, QListWidgetItem* item) {
        const int row = ui_->rotationList->currentRow();
        InsertGroup(category, item->text(),
                    row < 0 ? static_cast<int>(edited_.Items.size()) : row + 1);
    };
    connect(ui_->categoryList, &QListWidget::itemActivated, this,
            [insertAfter](QListWidgetItem* item) { insertAfter(true, item); });
    connect(ui_->spotList, &QListWidget::itemActivated, this,
            [insertAfter](QListWidgetItem* item) { insertAfter(false, item); });
    connect(ui_->rotationList, &DropTargetList::NameDropped, this,
            [this](const QString& mime, const QString& text, int row) {
                if (mime == QLatin1String(kGroupMime) && text.size() > 1) {
                    InsertGroup(text.front() == QLatin1Char('C'), text.mid(1), row);
                }
            });
    connect(ui_->rotationList, &DropTargetList::RowMoved, this, &RotationEditor::MoveItem);
    connect(ui_->rotationList, &QListWidget::currentRowChanged, this, [this] { UpdateActions(); });
    connect(ui_->rotationList, &QListWidget::itemDoubleClicked, this, [this] {
        const int row = ui_->rotationList->currentRow();
        const std::string& text = edited_.Items[static_cast<std::size_t>(row)].Text;
        const RotationItemKind kind = ClassifyRotationItem(text);
        if (kind == RotationItemKind::BreakNote || kind == RotationItemKind::TimedBreakNote) {
            EditBreakNote();
        } else if (kind == RotationItemKind::TimedSpotGroup) {
            EditTime();
        }
    });
}

void RotationEditor::ConnectItemActions() {
    const std::pair<QPushButton*, void (RotationEditor::*)()> buttons[] = {
        {ui_->insertBreakNote, &RotationEditor::InsertBreakNote},
        {ui_->editBreakNote, &RotationEditor::EditBreakNote},
        {ui_->timedEvent, &RotationEditor::EditTime},
        {ui_->insertVoiceTrack, &RotationEditor::InsertVoiceTrack},
        {ui_->deleteItem, &RotationEditor::DeleteSelected}};
    for (const auto& [button, handler] : buttons) {
        connect(button, &QPushButton::clicked, this, handler);
    }
    // The list's own menu and keys, as the buttons offer them.
    ui_->rotationList->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(AddAction(ui_->rotationList, N_("Insert &Break Note"), Qt::CTRL | Qt::Key_B),
            &QAction::triggered, this, &RotationEditor::InsertBreakNote);
    connect(AddAction(ui_->rotationList, N_("Edit Break Note"), {}), &QAction::triggered, this,
            &RotationEditor::EditBreakNote);
    connect(AddAction(ui_->rotationList, N_("Convert to Timed Event"), Qt::CTRL | Qt::Key_T),
            &QAction::triggered, this, &RotationEditor::EditTime);
    connect(AddAction(ui_->rotationList, N_("Insert Voice Track Marker"), Qt::CTRL | Qt::Key_V),
            &QAction::triggered, this, &RotationEditor::InsertVoiceTrack);
    connect(AddAction(ui_->rotationList, N_("Delete"), Qt::Key_Delete), &QAction::triggered, this,
            &RotationEditor::DeleteSelected);
}

RotationEditor::~RotationEditor() = default;

int RotationEditor::InsertionIndex() const {
    const int row = ui_->rotationList->currentRow();
    return row < 0 ? static_cast<int>(edited_.Items.size()) : row;
}

void RotationEditor::Rebuild(int select) {
    const std::uint32_t total = RecomputeRotationTimes(edited_.Items);
    ShowValue(ui_->approxTime, Q(ApproxTimeLabel(total, station_.Settings())));
    ui_->rotationList->clear();
    for (const RotationItem& item : edited_.Items) {
        auto* row = new QListWidgetItem(Q(item.Text), ui_->rotationList);
        if (station_.Opt.UseColour) {
            const bool spot = item.Object != nullptr && item.Object->Kind() == GroupKind::SpotGroup;
            row->setForeground(item.Object == nullptr ? QColor(Qt::blue)
                               : spot                 ? QColor(Qt::red)
                                                      : QColor(0, 102, 0));
        }
    }
    if (!edited_.Items.empty()) {
        ui_->rotationList->setCurrentRow(
            std::clamp(select, 0, static_cast<int>(edited_.Items.size()) - 1));
    }
    UpdateActions();
}

void RotationEditor::UpdateActions() {
    const int row = ui_->rotationList->currentRow();
    const std::string text = row >= 0 && row < static_cast<int>(edited_.Items.size())
                                 ? edited_.Items[static_cast<std::size_t>(row)].Text
                                 : std::string();
    const bool note = text.find("** ") != std::string::npos;
    ui_->insertBreakNote->setEnabled(!station_.Opt.BreakNoteString.empty());
    ui_->editBreakNote->setEnabled(note);
    ui_->timedEvent->setEnabled(CanBeTimed(text));
    ui_->timedEvent->setText(TimedMinute(text) >= 0 ? Tr(N_("Edit Time"))
                                                    : Tr(N_("Convert to Timed Event")));
    ui_->deleteItem->setEnabled(row >= 0);
    const QList<QAction*> actions = ui_->rotationList->actions();
    actions[0]->setEnabled(ui_->insertBreakNote->isEnabled());
    actions[1]->setEnabled(note);
    actions[2]->setEnabled(ui_->timedEvent->isEnabled());
    actions[2]->setText(ui_->timedEvent->text());
    actions[4]->setEnabled(row >= 0);
    ui_->buttons->button(QDialogButtonBox::Ok)->setEnabled(!ui_->name->text().isEmpty());
}

void RotationEditor::InsertGroup(bool category, const QString& name, int at) {
    TCustomDetails* group = category ? static_cast<TCustomDetails*>(station_.FindCategory(S(name)))
                                     : station_.FindSpotGroup(S(name));
    if (group == nullptr) {
        return;
    }
    const std::string text =
        category ? MakeCategoryItem(group->Name) : MakeSpotGroupItem(group->Name);
    at = std::clamp(at, 0, static_cast<int>(edited_.Items.size()));
    edited_.Items.insert(edited_.Items.begin() + at, RotationItem{text, group});
    Rebuild(at);
}

void RotationEditor::MoveItem(int from, int to) {
    if (from < 0 || from >= static_cast<int>(edited_.Items.size())) {
        return;
    }
    MoveRotationItem(edited_.Items, static_cast<std::size_t>(from),
                     static_cast<std::size_t>(std::max(to, 0)));
    Rebuild(to > from ? to - 1 : to);
}

void RotationEditor::DeleteSelected() {
    const int row = ui_->rotationList->currentRow();
    if (row < 0 || row >= static_cast<int>(edited_.Items.size())) {
        return;
    }
    edited_.Items.erase(edited_.Items.begin() + row);
    Rebuild(row);
}

void RotationEditor::InsertBreakNote() {
    if (station_.Opt.BreakNoteString.empty()) {
        return;
    }
    const auto text = station_.Op().Query(spindle::tr("Break Note Entry"),
                                          spindle::tr("Enter a Break Note description"), "");
    if (!text) {
        return;
    }
    const int at = InsertionIndex();
    edited_.Items.insert(edited_.Items.begin() + at,
                         RotationItem{MakeBreakNoteItem(*text), nullptr});
    Rebuild(at);
}

void RotationEditor::InsertVoiceTrack() {
    const auto answer =
        station_.Op().Query(spindle::tr("Voice Track Duration (seconds)"),
                            spindle::tr("Enter the estimated duration of the Voice Track"), "0");
    if (!answer) {
        return;
    }
    const int at = InsertionIndex();
    edited_.Items.insert(edited_.Items.begin() + at,
                         RotationItem{VoiceTrackItemFor(*answer), nullptr});
    Rebuild(at);
}

void RotationEditor::EditBreakNote() {
    const int row = ui_->rotationList->currentRow();
    if (row < 0) {
        return;
    }
    RotationItem& item = edited_.Items[static_cast<std::size_t>(row)];
    if (item.Text.find("** ") == std::string::npos) {
        return;
    }
    const auto text = station_.Op().Query(spindle::tr("Break Note Entry"),
                                          spindle::tr("Enter a Break Note description"),
                                          BreakNoteText(item.Text));
    if (text) {
        item.Text = WithBreakNoteText(item.Text, *text);
        Rebuild(row);
    }
}

void RotationEditor::EditTime() {
    const int row = ui_->rotationList->currentRow();
    if (row < 0) {
        return;
    }
    RotationItem& item = edited_.Items[static_cast<std::size_t>(row)];
    if (!CanBeTimed(item.Text)) {
        return;
    }
    const auto answer = station_.Op().Query(
        S(ui_->timedEvent->text()), spindle::tr("Enter the minute for the Timed Event (0-60)"),
        std::to_string(OfferedMinute(item.Text)));
    if (!answer) {
        return;
    }
    if (const auto timed = WithMinute(item.Text, *answer)) {
        item.Text = *timed;
        Rebuild(row);
    }
}

void RotationEditor::accept() {
    edited_.Name = S(ui_->name->text());
    edited_.Notes = S(ui_->notes->text());
    edited_.Default = ui_->cbDefault->isChecked();
    if (NameRefused(station_, ListKind::Rotations, existing_ == nullptr, ui_->name)) {
        return;
    }
    if (const Verdict v = CheckRotationDefault(station_, existing_, edited_); !v.Ok()) {
        station_.Op().Show(MessageKind::Warning, v.Message, Buttons::Ok);
        ui_->cbDefault->setChecked(true);
        ui_->cbDefault->setFocus();
        return;
    }
    if (const std::string warning = SilentRotationWarning(edited_);
        !warning.empty() &&
        station_.Op().Show(MessageKind::Warning, warning, Buttons::YesNo) != Answer::Yes) {
        return;
    }
    result_ = &ApplyRotation(station_, existing_, edited_);
    QDialog::accept();
}

}  // namespace spindle::gui
