#include "gui/library/plan_editors.h"
#include "gui/help/help_window.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QMenu>
#include <QPushButton>
#include <algorithm>
#include <tuple>

#include "base/format.h"
#include "base/text_case.h"
#include "gui/library/plan_lists.h"
#include "gui/widgets/form_text.h"
#include "gui/widgets/qt_text.h"
#include "ui_rotation_editor.h"
#include "ui_schedule_editor.h"
#include "ui_timed_spot_dialog.h"

namespace spindle::gui {
namespace {

// The Timed Spots copied in this run, as texts: their groups are found again on Paste.
std::vector<std::string>& TimedSpotClipboard() {
    static std::vector<std::string> copied;
    return copied;
}

template <typename List>
std::vector<std::string> SortedNames(const List& list) {
    std::vector<std::string> names;
    for (const auto& entry : list) {
        names.push_back(entry->Name);
    }
    std::sort(names.begin(), names.end(), TextLess{});
    return names;
}

QAction* AddAction(QWidget* owner, const char* text, const QKeySequence& keys) {
    auto* action = new QAction(Tr(text), owner);
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    owner->addAction(action);
    return action;
}

// The caption, name and notes of a Rotation or Schedule editor: a new entry's name is
// typed, an existing one's stays as it is.
template <typename Details>
void ShowHeader(QDialog* dialog, const Details& edited, bool isNew, const char* newCaption,
                const char* propertiesCaption, QLineEdit* name, QLineEdit* notes) {
    dialog->setWindowTitle(isNew ? Tr(newCaption)
                                 : Q(Format(spindle::tr(propertiesCaption), edited.Name)));
    name->setText(Q(edited.Name));
    name->setEnabled(isNew);
    notes->setText(Q(edited.Notes));
}

// OK of an editor for a new entry: a refused name is said and the focus goes to it.
bool NameRefused(Station& station, ListKind kind, bool isNew, QLineEdit* name) {
    if (!isNew) {
        return false;
    }
    const Verdict v = CheckNewPlanName(station, kind, S(name->text()));
    if (v.Ok()) {
        return false;
    }
    station.Op().Show(MessageKind::Error, v.Message, Buttons::Ok);
    name->setFocus();
    return true;
}

}  // namespace

// ---- Rotation editor ----

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
    ui_->categoryList->SetKind(kGroupMime, QStringLiteral("C"));
    ui_->spotList->SetKind(kGroupMime, QStringLiteral("S"));
    for (const std::string& name : SortedNames(station_.Categories)) {
        ui_->categoryList->addItem(Q(name));
    }
    for (const std::string& name : SortedNames(station_.SpotGroups)) {
        ui_->spotList->addItem(Q(name));
    }
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
    connect(ui_->name, &QLineEdit::textChanged, this, [this] { UpdateActions(); });
    connect(ui_->buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui_->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    AddHelpButton(ui_->buttons, this, QStringLiteral("library.html#rotation"));
    Rebuild(static_cast<int>(edited_.Items.size()) - 1);
}

RotationEditor::~RotationEditor() = default;

int RotationEditor::InsertionIndex() const {
    const int row = ui_->rotationList->currentRow();
    return row < 0 ? static_cast<int>(edited_.Items.size()) : row;
}

void RotationEditor::Rebuild(int select) {
    const std::uint32_t total = RecomputeRotationTimes(edited_.Items);
    ui_->approxTime->setText(Q(ApproxTimeLabel(total, station_.Settings())));
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
    result_ = &ApplyRotation(station_, existing_, edited_);
    QDialog::accept();
}

// ---- Schedule editor ----

ScheduleEditor::ScheduleEditor(Station& station, TScheduleDetails* existing, QWidget* parent)
    : QDialog(parent),
      station_(station),
      existing_(existing),
      ui_(std::make_unique<Ui::ScheduleEditor>()) {
    ui_->setupUi(this);
    TranslateForm(this);
    if (existing_ != nullptr) {
        edited_ = *existing_;
    }
    ShowHeader(this, edited_, existing_ == nullptr, N_("New Schedule"),
               N_("%0:s Schedule Properties"), ui_->name, ui_->notes);
    QCheckBox* days[] = {ui_->monday, ui_->tuesday,  ui_->wednesday, ui_->thursday,
                         ui_->friday, ui_->saturday, ui_->sunday};
    for (std::size_t d = 0; d < 7; ++d) {
        days[d]->setChecked(edited_.Days[d]);
        connect(days[d], &QCheckBox::toggled, this, [this, d](bool on) { edited_.Days[d] = on; });
    }
    auto setDays = [days](int count) {
        for (int d = 0; d < 7; ++d) {
            days[d]->setChecked(d < count);
        }
    };
    connect(ui_->allDays, &QPushButton::clicked, this, [setDays] { setDays(7); });
    connect(ui_->weekDays, &QPushButton::clicked, this, [setDays] { setDays(5); });
    connect(ui_->noDays, &QPushButton::clicked, this, [setDays] { setDays(0); });

    ui_->rotationList->SetKind(kRotationMime, QString());
    ui_->rotationList->addItem(QString::fromLatin1(kDefaultRotationPlaceholder));
    for (const auto& r : station_.Rotations) {
        ui_->rotationList->addItem(Q(r->Name));
    }
    ui_->rotationList->setCurrentRow(0);
    connect(ui_->rotationList, &QListWidget::itemActivated, this, [this] {
        Attach(ui_->rotationList->currentRow(), ui_->scheduleList->currentRow(), true);
    });
    connect(ui_->scheduleList, &QListWidget::itemDoubleClicked, this, [this] {
        Attach(ui_->rotationList->currentRow(), ui_->scheduleList->currentRow(), true);
    });
    connect(ui_->attach, &QPushButton::clicked, this, [this] {
        Attach(ui_->rotationList->currentRow(), ui_->scheduleList->currentRow(), true);
    });
    connect(ui_->attachAll, &QPushButton::clicked, this,
            [this] { AttachToAll(ui_->rotationList->currentRow()); });
    connect(ui_->scheduleList, &DropTargetList::NameDropped, this,
            [this](const QString& mime, const QString& name, int row) {
                if (mime != QLatin1String(kRotationMime)) {
                    return;
                }
                const auto found = ui_->rotationList->findItems(name, Qt::MatchExactly);
                if (!found.isEmpty()) {
                    Attach(ui_->rotationList->row(found.first()), row, false);
                }
            });
    for (QWidget* list :
         {static_cast<QWidget*>(ui_->rotationList), static_cast<QWidget*>(ui_->scheduleList)}) {
        list->setContextMenuPolicy(Qt::ActionsContextMenu);
        connect(AddAction(list, N_("Attach To Schedule"), Qt::Key_Insert), &QAction::triggered,
                this, [this] {
                    Attach(ui_->rotationList->currentRow(), ui_->scheduleList->currentRow(), true);
                });
        connect(AddAction(list, N_("Attach To Entire Schedule"), Qt::SHIFT | Qt::Key_Insert),
                &QAction::triggered, this,
                [this] { AttachToAll(ui_->rotationList->currentRow()); });
    }

    connect(ui_->newSpot, &QPushButton::clicked, this, [this] { EditTimedSpot(true); });
    connect(ui_->spotProperties, &QPushButton::clicked, this, [this] { EditTimedSpot(false); });
    connect(ui_->quickSpotList, &QListWidget::itemDoubleClicked, this,
            [this] { EditTimedSpot(false); });
    connect(ui_->deleteSpot, &QPushButton::clicked, this, [this] {
        const int row = ui_->quickSpotList->currentRow();
        if (row >= 0) {
            edited_.TimedSpots.erase(edited_.TimedSpots.begin() + row);
            ShowTimedSpots({});
        }
    });
    connect(ui_->copySpots, &QPushButton::clicked, this, &ScheduleEditor::CopyAll);
    connect(ui_->pasteSpots, &QPushButton::clicked, this, &ScheduleEditor::Paste);
    connect(ui_->addTime, &QPushButton::clicked, this, &ScheduleEditor::AddTime);
    // The Timed Spot list's menu and keys press the buttons, so they are enabled as
    // the buttons are.
    ui_->quickSpotList->setContextMenuPolicy(Qt::ActionsContextMenu);
    const std::tuple<QPushButton*, const char*, QList<QKeySequence>> spotKeys[] = {
        {ui_->newSpot, N_("New"), {Qt::SHIFT | Qt::Key_Insert}},
        {ui_->spotProperties,
         N_("Properties"),
         {Qt::ALT | Qt::Key_Return, Qt::ALT | Qt::Key_Enter}},
        {ui_->deleteSpot, N_("Delete"), {Qt::Key_Delete}},
        {ui_->copySpots, N_("Copy All"), {Qt::CTRL | Qt::Key_C}},
        {ui_->pasteSpots, N_("Paste"), {Qt::CTRL | Qt::Key_V}},
        {ui_->addTime, N_("Add Time to All"), {Qt::ALT | Qt::Key_T}}};
    for (const auto& [button, text, keys] : spotKeys) {
        QAction* action = AddAction(ui_->quickSpotList, text, {});
        action->setShortcuts(keys);
        connect(action, &QAction::triggered, button, &QAbstractButton::click);
        spotActions_.emplace_back(action, button);
    }
    // Alt+T is heard anywhere in the editor, as a button's access key would be.
    spotActions_.back().first->setShortcutContext(Qt::WindowShortcut);
    connect(ui_->quickSpotList, &QListWidget::currentRowChanged, this, [this] { UpdateActions(); });
    connect(ui_->name, &QLineEdit::textChanged, this, [this] { UpdateActions(); });
    connect(ui_->buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui_->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    AddHelpButton(ui_->buttons, this, QStringLiteral("library.html#schedule"));
    ShowHours(0);
    ShowTimedSpots({});
}

ScheduleEditor::~ScheduleEditor() = default;

void ScheduleEditor::ShowHours(int select) {
    ui_->scheduleList->clear();
    for (const ScheduleHour& hour : edited_.Hours) {
        ui_->scheduleList->addItem(Q(hour.Text));
    }
    ui_->scheduleList->setCurrentRow(std::clamp(select, 0, 23));
}

void ScheduleEditor::ShowTimedSpots(const std::string& select) {
    ui_->quickSpotList->clear();
    for (const TimedSpot& spot : edited_.TimedSpots) {
        ui_->quickSpotList->addItem(Q(spot.Text));
        if (spot.Text == select) {
            ui_->quickSpotList->setCurrentRow(ui_->quickSpotList->count() - 1);
        }
    }
    UpdateActions();
}

void ScheduleEditor::UpdateActions() {
    const bool selected = ui_->quickSpotList->currentRow() >= 0;
    ui_->spotProperties->setEnabled(selected);
    ui_->deleteSpot->setEnabled(selected);
    ui_->copySpots->setEnabled(!edited_.TimedSpots.empty());
    ui_->pasteSpots->setEnabled(!TimedSpotClipboard().empty());
    for (const auto& [action, button] : spotActions_) {
        action->setEnabled(button->isEnabled());
    }
    ui_->buttons->button(QDialogButtonBox::Ok)->setEnabled(!ui_->name->text().isEmpty());
}

TRotationDetails* ScheduleEditor::RotationAt(int rotationRow) const {
    // The first entry stands for the Default Rotation.
    return rotationRow <= 0 ? nullptr
                            : station_.Rotations[static_cast<std::size_t>(rotationRow - 1)].get();
}

void ScheduleEditor::Attach(int rotationRow, int hour, bool moveOn) {
    if (rotationRow < 0) {
        return;
    }
    if (hour < 0) {
        hour = 23;  // nothing selected: the last hour
    }
    hour = std::min(hour, 23);
    TRotationDetails* rotation = RotationAt(rotationRow);
    AttachRotation(edited_.Hours[static_cast<std::size_t>(hour)], rotation);
    ShowHours(moveOn && hour < 23 ? hour + 1 : hour);
}

void ScheduleEditor::AttachToAll(int rotationRow) {
    if (rotationRow < 0) {
        return;
    }
    TRotationDetails* rotation = RotationAt(rotationRow);
    for (ScheduleHour& hour : edited_.Hours) {
        AttachRotation(hour, rotation);
    }
    ShowHours(ui_->scheduleList->currentRow());
}

void ScheduleEditor::EditTimedSpot(bool isNew) {
    const int row = ui_->quickSpotList->currentRow();
    if (!isNew && row < 0) {
        return;
    }
    TimedSpotDialog dialog(
        station_, isNew ? nullptr : &edited_.TimedSpots[static_cast<std::size_t>(row)], this);
    dialog.setObjectName(QStringLiteral("timedSpotDialog"));
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const TimedSpot entry = dialog.Entry();
    if (isNew) {
        edited_.TimedSpots.push_back(entry);
    } else {
        edited_.TimedSpots[static_cast<std::size_t>(row)] = entry;
    }
    edited_.SortTimedSpots();
    ShowTimedSpots(entry.Text);
}

void ScheduleEditor::CopyAll() {
    std::vector<std::string>& copied = TimedSpotClipboard();
    copied.clear();
    for (const TimedSpot& spot : edited_.TimedSpots) {
        copied.push_back(spot.Text);
    }
    UpdateActions();
}

void ScheduleEditor::Paste() {
    std::vector<std::string> missing;
    edited_.TimedSpots = PasteTimedSpots(station_, TimedSpotClipboard(), missing);
    edited_.SortTimedSpots();
    for (const std::string& name : missing) {
        station_.Op().Show(
            MessageKind::Warning,
            Format(spindle::tr("Spot Group \"%0:s\" no longer exists; its Timed Spot "
                               "is left out."),
                   name),
            Buttons::Ok);
    }
    ShowTimedSpots({});
}

void ScheduleEditor::AddTime() {
    std::string initial = "0";
    for (;;) {
        const auto answer =
            station_.Op().Query(spindle::tr("Add Time To All Timed Spots"),
                                spindle::tr("Minutes to Add (negative to subtract)"), initial);
        if (!answer || *answer == "0") {
            return;
        }
        const QString text = Q(*answer).trimmed();
        bool number = false;
        const int minutes = text.toInt(&number);
        if (number) {
            if (!AddTimeToAll(edited_.TimedSpots, minutes)) {
                station_.Op().Show(
                    MessageKind::Error,
                    spindle::tr("A Timed Spot's time cannot be read; nothing was changed."),
                    Buttons::Ok);
            }
            ShowTimedSpots({});
            return;
        }
        station_.Op().Show(
            MessageKind::Error,
            Format(spindle::tr("\"%0:s\" is not a whole number of minutes."), *answer),
            Buttons::Ok);
        initial = *answer;
    }
}

void ScheduleEditor::accept() {
    edited_.Name = S(ui_->name->text());
    edited_.Notes = S(ui_->notes->text());
    if (NameRefused(station_, ListKind::Schedules, existing_ == nullptr, ui_->name)) {
        return;
    }
    result_ = &ApplySchedule(station_, existing_, edited_);
    QDialog::accept();
}

// ---- Timed Spot ----

TimedSpotDialog::TimedSpotDialog(const Station& station, const TimedSpot* existing, QWidget* parent)
    : QDialog(parent), station_(station), ui_(std::make_unique<Ui::TimedSpotDialog>()) {
    ui_->setupUi(this);
    TranslateForm(this);
    setWindowTitle(existing == nullptr ? Tr(N_("New Timed Spot"))
                                       : Tr(N_("Timed Spot Properties")));
    for (const TSpotDetails* group : TimedSpotGroups(station_)) {
        ui_->spotCombo->addItem(Q(group->Name));
    }
    ui_->spotCombo->addItem(QString::fromLatin1(kBreakNoteEntry));
    ui_->spotCombo->setCurrentIndex(-1);
    if (existing != nullptr) {
        ui_->time->setText(Q(existing->Text.substr(0, 5)));
        const std::string name = ScheduleEntryName(existing->Text);
        if (name.rfind(kBreakNoteEntry, 0) == 0) {
            ui_->spotCombo->setCurrentText(QString::fromLatin1(kBreakNoteEntry));
            ui_->breakNote->setText(Q(name.substr(std::string(kBreakNoteEntry).size())));
        } else {
            ui_->spotCombo->setCurrentText(Q(name));
        }
    }
    connect(ui_->spotCombo, &QComboBox::currentIndexChanged, this, [this] { UpdateOk(); });
    connect(ui_->time, &QLineEdit::textChanged, this, [this] { UpdateOk(); });
    connect(ui_->buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui_->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    AddHelpButton(ui_->buttons, this, QStringLiteral("library.html#timed-spot"));
    UpdateOk();
}

TimedSpotDialog::~TimedSpotDialog() = default;

void TimedSpotDialog::UpdateOk() {
    const bool note = ui_->spotCombo->currentText() == QLatin1String(kBreakNoteEntry);
    ui_->breakNote->setVisible(note);
    ui_->breakNoteLabel->setVisible(note);
    ui_->buttons->button(QDialogButtonBox::Ok)
        ->setEnabled(ui_->spotCombo->currentIndex() >= 0 &&
                     TimedSpotTimeValid(S(ui_->time->text())));
}

TimedSpot TimedSpotDialog::Entry() const {
    return MakeTimedSpot(station_, S(ui_->time->text()), S(ui_->spotCombo->currentText()),
                         S(ui_->breakNote->text()));
}

}  // namespace spindle::gui
