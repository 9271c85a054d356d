#include "gui/shell/run_options_page.h"

#include <QPlainTextEdit>

#include <QRegularExpressionValidator>
#include <QSignalBlocker>

#include "forms/group_dialog_rules.h"
#include "forms/options_page_rules.h"
#include "gui/widgets/form_text.h"
#include "gui/widgets/qt_text.h"
#include "ui_run_options_page.h"

namespace spindle::gui {
namespace {

std::uint32_t Minutes(const QLineEdit* field) {
    return field->text().toUInt();
}

}  // namespace

RunOptionsPage::RunOptionsPage(Station& station, QWidget* parent)
    : QWidget(parent), station_(station), ui_(std::make_unique<Ui::RunOptionsPage>()) {
    ui_->setupUi(this);
    TranslateForm(this);
    for (int h = 0; h < 24; ++h) {
        ui_->startHour->addItem(QString("%1:00").arg(h, 2, 10, QChar('0')));
    }
    for (const char* bias : {N_("None"), N_("Light"), N_("Medium"), N_("Heavy")}) {
        ui_->newerTracks->addItem(Tr(bias));
    }
    ShowShortDates(ui_->startDay, station_.Settings());
    auto* digits = new QRegularExpressionValidator(QRegularExpression("[0-9]{0,5}"), this);
    ui_->songInterval->setValidator(digits);
    ui_->artistInterval->setValidator(digits);
    const QString separator = Q(station_.Settings().DecimalSeparator);
    ui_->crossfadeAllowance->setMaxLength(4);
    ui_->crossfadeAllowance->setValidator(new QRegularExpressionValidator(
        QRegularExpression("[0-9]*(" + QRegularExpression::escape(separator) + "[0-9]*)?"), this));

    const std::tuple<QLineEdit*, QSlider*, QLabel*> intervals[] = {
        {ui_->songInterval, ui_->songIntervalSlider, ui_->songIntervalUnit},
        {ui_->artistInterval, ui_->artistIntervalSlider, ui_->artistIntervalUnit}};
    for (const auto& [field, slider, unit] : intervals) {
        slider->setAccessibleName(field->accessibleName());
        connect(field, &QLineEdit::textEdited, this,
                [this, f = field, s = slider, u = unit] { IntervalTyped(f, s, u); });
        connect(slider, &QSlider::valueChanged, this,
                [this, f = field, s = slider, u = unit] { IntervalSlid(f, s, u); });
    }
    auto store = [this] { Store(); };
    connect(ui_->startDay, &QDateEdit::dateChanged, this, store);
    connect(ui_->startHour, &QComboBox::currentIndexChanged, this, store);
    connect(ui_->totalDays, &QSpinBox::valueChanged, this, store);
    connect(ui_->totalHours, &QSpinBox::valueChanged, this, store);
    connect(ui_->incrementHour, &QCheckBox::toggled, this, store);
    connect(ui_->newerTracks, &QComboBox::currentIndexChanged, this, store);
    connect(ui_->timeCheck, &QCheckBox::toggled, this, store);
    connect(ui_->timeCheckMinutes, &QSpinBox::valueChanged, this, store);
    connect(ui_->crossfadeAllowance, &QLineEdit::textEdited, this, store);
    // An emptied field counts as 0 at once and says so once the person leaves it.
    connect(ui_->crossfadeAllowance, &QLineEdit::editingFinished, this, [this] {
        ui_->crossfadeAllowance->setText(Q(NumberFieldText(S(ui_->crossfadeAllowance->text()))));
    });
    connect(ui_->fitHours, &QCheckBox::toggled, this, store);
    connect(ui_->relaxedRuleReport, &QCheckBox::toggled, this, store);
    // The artists are named again when the way of naming them changes.
    auto renamed = [this] {
        Store();
        if (!showing_) {
            station_.RebuildArtists();
        }
    };
    connect(ui_->creditedArtists, &QCheckBox::toggled, this, renamed);
    connect(ui_->artistNames, &QPlainTextEdit::textChanged, this, renamed);
    Show();
}

RunOptionsPage::~RunOptionsPage() = default;

void RunOptionsPage::Show() {
    showing_ = true;
    const Options& o = station_.Opt;
    ui_->startDay->setDate(kDayZero.addDays(o.StartDay));
    ui_->startHour->setCurrentIndex(o.StartHour);
    ui_->totalDays->setValue(o.TotalDays);
    ui_->totalHours->setValue(o.TotalHours);
    ui_->incrementHour->setChecked(o.IncrementHour);
    ui_->songInterval->setText(Q(o.SystemSongInterval));
    ui_->artistInterval->setText(Q(o.SystemArtistInterval));
    IntervalTyped(ui_->songInterval, ui_->songIntervalSlider, ui_->songIntervalUnit);
    IntervalTyped(ui_->artistInterval, ui_->artistIntervalSlider, ui_->artistIntervalUnit);
    ui_->newerTracks->setCurrentIndex(o.NewerTracks);
    ui_->timeCheck->setChecked(o.TimeCheck);
    ui_->timeCheckMinutes->setValue(o.TimeCheckMinutes);
    ui_->crossfadeAllowance->setText(Q(o.CrossfadeAllowance));
    ui_->creditedArtists->setChecked(o.CreditedArtists);
    QStringList names;
    for (const std::string& name : o.ArtistNamesKeptWhole) {
        names << Q(name);
    }
    ui_->artistNames->setPlainText(names.join(QLatin1Char('\n')));
    ui_->fitHours->setChecked(o.FitHours);
    ui_->relaxedRuleReport->setChecked(o.RelaxedRuleReport);
    UpdateEnabling();
    showing_ = false;
}

void RunOptionsPage::IntervalTyped(QLineEdit* field, QSlider* slider, QLabel* unit) {
    field->setText(Q(NumberFieldText(S(field->text()))));
    if (!slider->hasFocus()) {
        const QSignalBlocker quiet(slider);
        slider->setValue(IntervalPosition(Minutes(field)));
    }
    unit->setText(Q(OptionsIntervalUnitLabel(Minutes(field))));
    Store();
}

void RunOptionsPage::IntervalSlid(QLineEdit* field, QSlider* slider, QLabel* unit) {
    field->setText(QString::number(kIntervalScale[static_cast<std::size_t>(slider->value())]));
    unit->setText(Q(OptionsIntervalUnitLabel(Minutes(field))));
    Store();
}

void RunOptionsPage::UpdateEnabling() {
    // The hour moves on only when runs have hours beyond whole days.
    const bool hours = ui_->totalHours->value() != 0;
    ui_->incrementHour->setEnabled(hours);
    if (!hours && ui_->incrementHour->isChecked()) {
        const QSignalBlocker quiet(ui_->incrementHour);
        ui_->incrementHour->setChecked(false);
    }
    ui_->timeCheckMinutes->setEnabled(ui_->timeCheck->isChecked());
    ui_->timeCheckMinutesLabel->setEnabled(ui_->timeCheck->isChecked());
    // Hours are fitted only where time checking keeps them.
    ui_->fitHours->setEnabled(ui_->timeCheck->isChecked());
    ui_->artistNames->setEnabled(ui_->creditedArtists->isChecked());
    ui_->artistNamesLabel->setEnabled(ui_->creditedArtists->isChecked());
}

void RunOptionsPage::Store() {
    if (showing_) {
        return;
    }
    UpdateEnabling();
    Options& o = station_.Opt;
    o.StartDay = kDayZero.daysTo(ui_->startDay->date());
    o.StartHour = ui_->startHour->currentIndex();
    o.TotalDays = ui_->totalDays->value();
    o.TotalHours = ui_->totalHours->value();
    o.IncrementHour = ui_->incrementHour->isChecked();
    o.SystemSongInterval = S(ui_->songInterval->text());
    o.SystemArtistInterval = S(ui_->artistInterval->text());
    o.NewerTracks = ui_->newerTracks->currentIndex();
    o.TimeCheck = ui_->timeCheck->isChecked();
    o.TimeCheckMinutes = ui_->timeCheckMinutes->value();
    o.CrossfadeAllowance = NumberFieldText(S(ui_->crossfadeAllowance->text()));
    o.CreditedArtists = ui_->creditedArtists->isChecked();
    o.ArtistNamesKeptWhole.clear();
    for (const QString& line : ui_->artistNames->toPlainText().split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty()) {
            o.ArtistNamesKeptWhole.push_back(S(line.trimmed()));
        }
    }
    o.FitHours = ui_->fitHours->isChecked();
    o.RelaxedRuleReport = ui_->relaxedRuleReport->isChecked();
    station_.Changed.Options = true;
    emit OptionsEdited();
}

}  // namespace spindle::gui
