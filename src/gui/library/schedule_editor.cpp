#include "gui/library/schedule_editor.h"
#include "gui/help/help_window.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QPushButton>
#include <algorithm>
#include <tuple>

#include "base/format.h"
#include "gui/library/plan_editor_form.h"
#include "gui/library/plan_lists.h"
#include "gui/widgets/form_text.h"
#include "gui/widgets/qt_text.h"
#include "ui_schedule_editor.h"
#include "ui_timed_spot_dialog.h"

namespace spindle::gui {

using namespace plan_form;
namespace {

// The Timed Spots copied in this run, as texts: their groups are found again on Paste.
std::vector<std::string>& TimedSpotClipboard() {
    static std::vector<std::string> copied;
    return copied;
}

}  // namespace

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
    SetUpDays();
    SetUpRotationList();
    SetUpTimedSpots();
    connect(ui_->quickSpotList, &QListWidget::currentRowChanged, this, [this] { UpdateActions(); });
    connect(ui_->name, &QLineEdit::textChanged, this, [this] { UpdateActions(); });
    connect(ui_->buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui_->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    AddHelpButton(ui_->buttons, this, QStringLiteral("library.html#schedule"));
    ShowHours(0);
    ShowTimedSpots({});
}

void ScheduleEditor::SetUpDays() {
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
}

void ScheduleEditor::SetUpRotationList() {
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
}

void ScheduleEditor::SetUpTimedSpots() {
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
    if (const std::string warning = SilentScheduleWarning(station_, edited_);
        !warning.empty() &&
        station_.Op().Show(MessageKind::Warning, warning, Buttons::YesNo) != Answer::Yes) {
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
