#include "gui/library/rule_dialog.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>
#include <QTimeEdit>

#include "base/paths.h"
#include "forms/rule_form.h"
#include "gui/widgets/accessible_controls.h"
#include "gui/widgets/form_text.h"
#include "gui/widgets/qt_text.h"
#include "rules/rule_sentence.h"
#include "rules/rule_words.h"
#include "ui_rule_dialog.h"

namespace spindle::gui {
namespace {

// The dates of a window are days of any year: the pickers keep to a leap year.
constexpr int kPickerYear = 2000;

int MonthDay(const QDate& date) {
    return date.month() * 100 + date.day();
}

QDate PickerDate(int monthDay) {
    return QDate(kPickerYear, monthDay / 100, monthDay % 100);
}

int Minute(const QTime& time) {
    return time.hour() * 60 + time.minute();
}

QTime PickerTime(int minute) {
    return QTime((minute / 60) % 24, minute % 60);
}

}  // namespace

RuleDialog::RuleDialog(const RuleDef& rule, bool adding, RuleChoices choices,
                       const FormatSettings& settings, Operator& op, QWidget* parent)
    : QDialog(parent),
      ui_(std::make_unique<Ui::RuleDialog>()),
      choices_(std::move(choices)),
      settings_(settings),
      op_(op) {
    ui_->setupUi(this);
    SetUpChoices();
    TranslateForm(this);
    setWindowTitle(adding ? Tr(N_("New Rule")) : Tr(N_("Edit Rule")));
    ui_->kind->setEnabled(adding);
    connect(ui_->buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui_->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(ui_->kind, &QComboBox::currentIndexChanged, this, [this] { KindChosen(); });
    connect(ui_->matchAttribute, &QComboBox::currentIndexChanged, this,
            [this] { FillValues(ui_->matchAttribute, ui_->matchValue, {}); });
    connect(ui_->nextAttribute, &QComboBox::currentIndexChanged, this,
            [this] { FillValues(ui_->nextAttribute, ui_->nextValue, {}); });
    // Any change of a field shows which fields apply and what the rule now says.
    for (QComboBox* combo : findChildren<QComboBox*>()) {
        connect(combo, &QComboBox::currentIndexChanged, this, [this] { Update(); });
    }
    for (QAbstractButton* button : findChildren<QAbstractButton*>()) {
        connect(button, &QAbstractButton::toggled, this, [this] { Update(); });
    }
    for (QSpinBox* spin : findChildren<QSpinBox*>()) {
        connect(spin, &QSpinBox::valueChanged, this, [this] { Update(); });
    }
    for (QDateTimeEdit* edit : findChildren<QDateTimeEdit*>()) {
        connect(edit, &QDateTimeEdit::dateTimeChanged, this, [this] { Update(); });
    }
    Show(rule);
    (adding ? static_cast<QWidget*>(ui_->kind) : ui_->buttons)->setFocus();
}

RuleDialog::~RuleDialog() = default;

void RuleDialog::SetUpChoices() {
    for (const RuleKind kind : AddableKinds()) {
        ui_->kind->addItem(Q(RuleKindName(kind)), static_cast<int>(kind));
    }
    for (const AttributeDef& attribute : choices_.Attributes) {
        ui_->matchAttribute->addItem(Q(attribute.Name));
        ui_->nextAttribute->addItem(Q(attribute.Name));
    }
    for (const std::string& track : choices_.Tracks) {
        ui_->track->addItem(Q(ExtractFileName(track)), Q(track));
    }
    for (const char* of : {N_("track"), N_("artist"), N_("album")}) {
        ui_->of->addItem(Tr(of));
    }
    for (const char* bound : {N_("at least"), N_("at most")}) {
        ui_->bound->addItem(Tr(bound));
    }
    for (const char* share : {N_("percent of the hour's songs"), N_("songs")}) {
        ui_->share->addItem(Tr(share));
    }
    ui_->fromDate->setDateRange(QDate(kPickerYear, 1, 1), QDate(kPickerYear, 12, 31));
    ui_->toDate->setDateRange(QDate(kPickerYear, 1, 1), QDate(kPickerYear, 12, 31));
    static constexpr std::array<int, 7> kMondayFirst{1, 2, 3, 4, 5, 6, 0};
    for (const int day : kMondayFirst) {
        auto* box = new QCheckBox(Q(settings_.ShortDayNames[day]), this);
        box->setObjectName(QStringLiteral("weekday%1").arg(day));
        box->setAccessibleName(Q(settings_.LongDayNames[day]));
        ui_->weekdays->addWidget(box);
        weekdays_[static_cast<std::size_t>(day)] = box;
    }
    ui_->weekdays->addStretch();
}

void RuleDialog::Show(const RuleDef& rule) {
    showing_ = true;
    const int kind = ui_->kind->findData(static_cast<int>(rule.Kind));
    ui_->kind->setCurrentIndex(std::max(kind, 0));
    ShowMatch(ui_->matchAttribute, ui_->matchValue, rule.Match);
    ShowMatch(ui_->nextAttribute, ui_->nextValue, rule.Next);
    if (!rule.Track.empty() && ui_->track->findData(Q(rule.Track)) < 0) {
        ui_->track->addItem(Q(ExtractFileName(rule.Track)), Q(rule.Track));
    }
    ui_->track->setCurrentIndex(std::max(ui_->track->findData(Q(rule.Track)), 0));
    (rule.Track.empty() ? ui_->matchChoice : ui_->trackChoice)->setChecked(true);
    ui_->of->setCurrentIndex(static_cast<int>(rule.Of));
    ui_->bound->setCurrentIndex(rule.AtMost ? 1 : 0);
    ui_->share->setCurrentIndex(rule.Percent ? 0 : 1);
    ui_->count->setValue(rule.Count);
    ui_->days->setValue(rule.Days);
    ShowSpan(rule);
    ShowWindow(rule.Allowed);
    showing_ = false;
    Update();
}

void RuleDialog::ShowSpan(const RuleDef& rule) {
    const RuleForm form = FormOf(rule.Kind);
    ui_->spanUnit->clear();
    const auto add = [&](const char* name, Unit unit) {
        ui_->spanUnit->addItem(Tr(name), static_cast<int>(unit));
    };
    if (form.ItemsOrTime) {
        add(N_("items"), Unit::Items);
    }
    if (form.PerDay) {
        add(N_("calendar day"), Unit::Day);
    }
    add(N_("minutes"), Unit::Minutes);
    add(N_("hours"), Unit::Hours);
    Unit unit = rule.Minutes % 60 == 0 ? Unit::Hours : Unit::Minutes;
    int span = unit == Unit::Hours ? rule.Minutes / 60 : rule.Minutes;
    if (form.ItemsOrTime && rule.Count > 0) {
        unit = Unit::Items;
        span = rule.Count;
    } else if (form.PerDay && rule.PerDay) {
        unit = Unit::Day;
        span = 1;
    }
    ui_->spanUnit->setCurrentIndex(ui_->spanUnit->findData(static_cast<int>(unit)));
    ui_->span->setValue(span);
}

void RuleDialog::ShowWindow(const TimeWindow& window) {
    ui_->datesCheck->setChecked(window.FromDate != 0);
    ui_->fromDate->setDate(window.FromDate != 0 ? PickerDate(window.FromDate)
                                                : QDate(kPickerYear, 1, 1));
    ui_->toDate->setDate(window.ToDate != 0 ? PickerDate(window.ToDate)
                                            : QDate(kPickerYear, 12, 31));
    for (std::size_t day = 0; day < weekdays_.size(); ++day) {
        weekdays_[day]->setChecked((window.Weekdays & (1u << day)) != 0);
    }
    ui_->hoursCheck->setChecked(window.FromMinute != window.ToMinute);
    ui_->fromTime->setTime(PickerTime(window.FromMinute));
    ui_->toTime->setTime(PickerTime(window.ToMinute));
}

void RuleDialog::ShowMatch(QComboBox* attribute, QComboBox* value, const AttributeMatch& match) {
    // A rule may name an attribute the station no longer has: shown, and refused at OK.
    if (!match.Attribute.empty() && attribute->findText(Q(match.Attribute)) < 0) {
        attribute->addItem(Q(match.Attribute));
    }
    const QSignalBlocker quiet(attribute);
    attribute->setCurrentIndex(match.Attribute.empty() ? std::min(attribute->count() - 1, 0)
                                                       : attribute->findText(Q(match.Attribute)));
    FillValues(attribute, value, match.Value);
}

void RuleDialog::FillValues(QComboBox* attribute, QComboBox* value, const std::string& chosen) {
    const QSignalBlocker quiet(value);
    value->clear();
    for (const AttributeDef& a : choices_.Attributes) {
        if (Q(a.Name) == attribute->currentText()) {
            for (const std::string& v : a.Values) {
                value->addItem(Q(v));
            }
        }
    }
    if (!chosen.empty() && value->findText(Q(chosen)) < 0) {
        value->addItem(Q(chosen));
    }
    value->setCurrentIndex(chosen.empty() ? std::min(value->count() - 1, 0)
                                          : value->findText(Q(chosen)));
    Update();
}

// Another kind keeps what the fields have in common and starts the rest afresh.
void RuleDialog::KindChosen() {
    if (showing_) {
        return;
    }
    const RuleDef shown = Rule();
    RuleDef fresh = NewRule(static_cast<RuleKind>(ui_->kind->currentData().toInt()));
    fresh.Match = shown.Match;
    fresh.Next = shown.Next;
    fresh.Track = shown.Track;
    fresh.Allowed = shown.Allowed;
    Show(fresh);
}

// Shows the rows the kind has, and the sentence the rule reads as.
void RuleDialog::Update() {
    if (showing_) {
        return;
    }
    const RuleDef rule = Rule();
    const RuleForm form = FormOf(rule.Kind);
    const bool transition = rule.Kind == RuleKind::Transition;
    ui_->matchLabel->setText(transition ? Tr(N_("After a track with")) : Tr(N_("Tracks with")));
    ui_->matchAttribute->setAccessibleName(ui_->matchLabel->text());
    ui_->spanLabel->setText(rule.Kind == RuleKind::Cap ? Tr(N_("Per")) : Tr(N_("Within")));
    ui_->countLabel->setText(form.Share ? Tr(N_("Amount")) : Tr(N_("At most")));
    ui_->count->setAccessibleName(ui_->countLabel->text());
    ui_->count->setMaximum(form.Share && rule.Percent ? 100 : rule_words::kLargest);
    ui_->span->setAccessibleName(ui_->spanLabel->text());
    ui_->trackChoice->setEnabled(ui_->track->count() > 0);
    const bool oneTrack = form.TrackOrMatch && ui_->trackChoice->isChecked();
    const std::pair<QWidget*, bool> rows[] = {
        {ui_->appliesLabel, form.TrackOrMatch},
        {ui_->matchLabel, form.Match || (form.TrackOrMatch && !oneTrack)},
        {ui_->nextLabel, form.Next},
        {ui_->trackLabel, oneTrack},
        {ui_->ofLabel, form.Of},
        {ui_->boundLabel, form.Share},
        {ui_->countLabel, form.Count},
        {ui_->shareLabel, form.Share},
        {ui_->spanLabel, form.Minutes},
        {ui_->daysLabel, form.Days},
        {ui_->datesCheck, form.Window},
        {ui_->weekdaysLabel, form.Window},
        {ui_->hoursCheck, form.Window},
    };
    bool changed = false;
    for (const auto& [row, shown] : rows) {
        changed = changed || ui_->form->isRowVisible(row) != shown;
        ui_->form->setRowVisible(row, shown);
    }
    ui_->span->setEnabled(ui_->spanUnit->currentData().toInt() != static_cast<int>(Unit::Day));
    for (QWidget* w : std::initializer_list<QWidget*>{ui_->fromDate, ui_->toDate, ui_->datesTo}) {
        w->setEnabled(ui_->datesCheck->isChecked());
    }
    for (QWidget* w : std::initializer_list<QWidget*>{ui_->fromTime, ui_->toTime, ui_->hoursTo}) {
        w->setEnabled(ui_->hoursCheck->isChecked());
    }
    ShowValue(ui_->sentence, Q(RuleSentence(rule, settings_)));
    if (changed) {
        adjustSize();
    }
}

RuleDef RuleDialog::Rule() const {
    RuleDef rule;
    rule.Kind = static_cast<RuleKind>(ui_->kind->currentData().toInt());
    const RuleForm form = FormOf(rule.Kind);
    if (form.TrackOrMatch && ui_->trackChoice->isChecked()) {
        rule.Track = S(ui_->track->currentData().toString());
    } else if (form.Match || form.TrackOrMatch) {
        rule.Match = {S(ui_->matchAttribute->currentText()), S(ui_->matchValue->currentText())};
    }
    if (form.Next) {
        rule.Next = {S(ui_->nextAttribute->currentText()), S(ui_->nextValue->currentText())};
    }
    if (form.Of) {
        rule.Of = static_cast<CapOf>(ui_->of->currentIndex());
    }
    if (form.Count) {
        rule.Count = ui_->count->value();
    }
    if (form.Share) {
        rule.AtMost = ui_->bound->currentIndex() == 1;
        rule.Percent = ui_->share->currentIndex() == 0;
    }
    if (form.Days) {
        rule.Days = ui_->days->value();
    }
    if (form.Minutes) {
        TakeSpan(rule);
    }
    if (form.Window) {
        rule.Allowed = TakeWindow();
    }
    return rule;
}

void RuleDialog::TakeSpan(RuleDef& rule) const {
    const int span = ui_->span->value();
    switch (static_cast<Unit>(ui_->spanUnit->currentData().toInt())) {
        case Unit::Items:
            rule.Count = span;
            break;
        case Unit::Day:
            rule.PerDay = true;
            break;
        case Unit::Minutes:
            rule.Minutes = span;
            break;
        case Unit::Hours:
            rule.Minutes = span * 60;
            break;
    }
}

TimeWindow RuleDialog::TakeWindow() const {
    TimeWindow window;
    if (ui_->datesCheck->isChecked()) {
        window.FromDate = MonthDay(ui_->fromDate->date());
        window.ToDate = MonthDay(ui_->toDate->date());
    }
    window.Weekdays = 0;
    for (std::size_t day = 0; day < weekdays_.size(); ++day) {
        if (weekdays_[day]->isChecked()) {
            window.Weekdays |= static_cast<std::uint8_t>(1u << day);
        }
    }
    if (ui_->hoursCheck->isChecked()) {
        window.FromMinute = Minute(ui_->fromTime->time());
        window.ToMinute = Minute(ui_->toTime->time());
    }
    return window;
}

QWidget* RuleDialog::FieldWidget(const std::string& field) const {
    const std::pair<const char*, QWidget*> fields[] = {
        {"Match", ui_->matchAttribute}, {"Next", ui_->nextAttribute}, {"Track", ui_->track},
        {"Count", ui_->count},          {"Minutes", ui_->span},       {"Days", ui_->days},
        {"Window", ui_->datesCheck}};
    for (const auto& [name, widget] : fields) {
        if (field == name) {
            return widget;
        }
    }
    return ui_->kind->isEnabled() ? static_cast<QWidget*>(ui_->kind) : ui_->buttons;
}

void RuleDialog::SetPlacement(const QString& text) {
    auto* placement = new QLabel(text, this);
    placement->setObjectName(QStringLiteral("placement"));
    placement->setWordWrap(true);
    ui_->dialogLayout->insertWidget(ui_->dialogLayout->indexOf(ui_->sentence) + 1, placement);
}

void RuleDialog::accept() {
    const Verdict verdict = CheckRule(Rule(), choices_.Attributes);
    if (!verdict.Ok()) {
        op_.Show(MessageKind::Error, verdict.Message, Buttons::Ok);
        FieldWidget(verdict.Field)->setFocus();
        return;
    }
    QDialog::accept();
}

}  // namespace spindle::gui
