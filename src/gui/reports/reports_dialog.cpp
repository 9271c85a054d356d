#include "gui/reports/reports_dialog.h"

#include <QDate>
#include <QFileDialog>
#include <QHeaderView>
#include <QTableWidgetItem>

#include "base/format.h"
#include "base/safe_file.h"
#include "base/translate.h"
#include "gui/widgets/accessible_controls.h"
#include "gui/widgets/qt_text.h"
#include "station/station.h"
#include "ui_reports_dialog.h"

namespace spindle::gui {
namespace {

QDate ToQDate(std::int64_t day) {
    return QDate(1899, 12, 30).addDays(day);
}

std::int64_t FromQDate(const QDate& date) {
    return QDate(1899, 12, 30).daysTo(date);
}

}  // namespace

ReportsDialog::ReportsDialog(Station& station, QWidget* parent)
    : QDialog(parent), station_(station), ui_(std::make_unique<Ui::ReportsDialog>()) {
    ui_->setupUi(this);
    setWindowTitle(Tr(N_("Reports of Use")));
    for (const UseReport report : AllUseReports()) {
        ui_->format->addItem(Q(UseReportTitle(report)), static_cast<int>(report));
    }
    const auto today = static_cast<std::int64_t>(DateOf(station_.Clock()));
    SetDays(LastWeekOf(today));
    StationDb db(station_.DataFolder(), StationDb::Mode::IfExists);
    if (db.IsOpen()) {
        const DbRead<ReportSettings> kept = LoadReportSettings(db);
        ui_->service->setText(Q(kept.Value.Service));
        ui_->transmission->setText(Q(kept.Value.Transmission));
        ui_->channel->setText(Q(kept.Value.Channel));
    }
    ui_->rows->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    ui_->save->setEnabled(false);
    connect(ui_->lastWeek, &QPushButton::clicked, this,
            [this, today] { SetDays(LastWeekOf(today)); });
    connect(ui_->lastMonth, &QPushButton::clicked, this,
            [this, today] { SetDays(LastMonthOf(today)); });
    connect(ui_->show, &QPushButton::clicked, this, &ReportsDialog::ShowReport);
    // What is saved is what is shown: a changed choice is shown again first.
    const auto stale = [this] { ui_->save->setEnabled(false); };
    connect(ui_->fromDate, &QDateEdit::dateChanged, this, stale);
    connect(ui_->toDate, &QDateEdit::dateChanged, this, stale);
    connect(ui_->format, &QComboBox::currentIndexChanged, this, stale);
    connect(ui_->withSpots, &QCheckBox::toggled, this, stale);
    for (QLineEdit* name : {ui_->service, ui_->transmission, ui_->channel}) {
        connect(name, &QLineEdit::textChanged, this, stale);
    }
    connect(ui_->save, &QPushButton::clicked, this, &ReportsDialog::SaveReport);
    MakeAccessible(this);
}

ReportsDialog::~ReportsDialog() = default;

void ReportsDialog::SetDays(const ReportDays& days) {
    ui_->fromDate->setDate(ToQDate(days.First));
    ui_->toDate->setDate(ToQDate(days.Last));
}

UseReportRequest ReportsDialog::Request() const {
    UseReportRequest request;
    request.Report = static_cast<UseReport>(ui_->format->currentData().toInt());
    request.From = ClockSeconds(static_cast<TDateTime>(FromQDate(ui_->fromDate->date())));
    request.To = ClockSeconds(static_cast<TDateTime>(FromQDate(ui_->toDate->date()) + 1));
    request.WithSpots = ui_->withSpots->isChecked();
    request.Settings = {S(ui_->service->text()), S(ui_->transmission->text()),
                        S(ui_->channel->text())};
    return request;
}

void ReportsDialog::ShowReport() {
    UseReportRequest request = Request();
    if (request.To <= request.From) {
        station_.Op().Show(MessageKind::Error, spindle::tr("The last day is before the first."),
                           Buttons::Ok);
        ui_->toDate->setFocus();
        return;
    }
    StationDb db(station_.DataFolder(), StationDb::Mode::OrCreate);
    DbRead<UseReportTable> made;
    if (!db.IsOpen()) {
        made.Problem = db.Problem();
    } else if (const DbStatus kept = SaveReportSettings(db, request.Settings); !kept) {
        made.Problem = kept.Problem;
    } else {
        made = ReportFromDatabase(db, request);
    }
    if (!made) {
        station_.Op().Show(MessageKind::Error, made.Problem, Buttons::Ok);
        return;
    }
    table_ = std::move(made.Value);
    shownRequest_ = request;
    const auto& rows = table_.Rows;
    ui_->rows->clear();
    ui_->rows->setRowCount(rows.empty() ? 0 : static_cast<int>(rows.size() - 1));
    ui_->rows->setColumnCount(rows.empty() ? 0 : static_cast<int>(rows[0].size()));
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            if (r == 0) {
                ui_->rows->setHorizontalHeaderItem(static_cast<int>(c),
                                                   new QTableWidgetItem(Q(rows[r][c])));
            } else {
                ui_->rows->setItem(static_cast<int>(r - 1), static_cast<int>(c),
                                   new QTableWidgetItem(Q(rows[r][c])));
            }
        }
    }
    std::string said = Format(spindle::tr("%0:d rows. %1:s"),
                              static_cast<long long>(ui_->rows->rowCount()), table_.Basis);
    for (const std::string& warning : table_.Warnings) {
        said += " " + warning;
    }
    ShowValue(ui_->basis, Q(said));
    ui_->save->setEnabled(true);
}

void ReportsDialog::SaveReport() {
    const QString suggested = Q(station_.Opt.LogFolderPath() + UseReportName(shownRequest_.Report) +
                                "-" + S(ui_->fromDate->date().toString(Qt::ISODate)) + ".txt");
    const QString path = QFileDialog::getSaveFileName(
        this, Tr(N_("Save Report")), suggested,
        Tr(N_("Tab-separated text (*.txt *.tsv);;Comma-separated values (*.csv)")));
    if (path.isEmpty()) {
        return;
    }
    UseReportRequest request = shownRequest_;
    request.Csv = path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive);
    if (!ReplaceFile(S(path), UseReportText(table_, request))) {
        station_.Op().Show(MessageKind::Error,
                           Format(spindle::tr("Unable to create \"%0:s\""), S(path)), Buttons::Ok);
    }
}

}  // namespace spindle::gui
