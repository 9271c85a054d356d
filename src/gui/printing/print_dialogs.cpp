#include "gui/printing/print_dialogs.h"
#include "gui/help/help_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "base/datetime.h"
#include "base/format.h"
#include "base/format_datetime.h"
#include "base/safe_file.h"
#include "gui/printing/printing.h"
#include "gui/widgets/qt_text.h"
#include "station/station.h"

namespace spindle::gui {
namespace {

QComboBox* Combo(const char* name, const QStringList& items, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->addItems(items);
    return box;
}

void AddRow(QFormLayout* form, const char* label, QWidget* field) {
    auto* text = new QLabel(Tr(label), field->parentWidget());
    text->setBuddy(field);
    field->setAccessibleName(text->text().remove(QLatin1Char('&')));
    form->addRow(text, field);
}

QStringList HourNames() {
    QStringList hours;
    for (int h = 0; h < 24; ++h) {
        hours << QString("%1:00").arg(h, 2, 10, QChar('0'));
    }
    return hours;
}

}  // namespace

// ---- PrintSelectionDialog ----

PrintSelectionDialog::PrintSelectionDialog(Station& station, const QStringList& days,
                                           QWidget* parent)
    : QDialog(parent), station_(station) {
    setObjectName(QStringLiteral("printSelection"));
    setWindowTitle(Tr(N_("Print Selection")));
    auto* form = new QFormLayout;
    dayFrom_ = Combo("dayFrom", days, this);
    dayTo_ = Combo("dayTo", days, this);
    dayTo_->setCurrentIndex(static_cast<int>(days.size()) - 1);
    hourFrom_ = Combo("hourFrom", HourNames(), this);
    hourTo_ = Combo("hourTo", HourNames(), this);
    hourTo_->setCurrentIndex(23);
    AddRow(form, N_("&From day"), dayFrom_);
    AddRow(form, N_("&To day"), dayTo_);
    AddRow(form, N_("From &hour"), hourFrom_);
    AddRow(form, N_("To h&our"), hourTo_);
    spots_ = new QCheckBox(Tr(N_("Include Spots")), this);
    spots_->setObjectName(QStringLiteral("includeSpots"));
    spots_->setChecked(true);
    form->addRow(spots_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* setup = buttons->addButton(Tr(N_("Printer Setup")), QDialogButtonBox::ActionRole);
    setup->setObjectName(QStringLiteral("printerSetup"));
    connect(setup, &QPushButton::clicked, this, [this] {
        if (auto chosen = AskForPrinter(windowTitle(), this)) {
            printer_ = std::move(chosen);
        }
    });
    AddHelpButton(buttons, this, QStringLiteral("editor.html#printing"));
    connect(buttons, &QDialogButtonBox::accepted, this, &PrintSelectionDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

PrintSelectionDialog::~PrintSelectionDialog() = default;

PrintSelection PrintSelectionDialog::Selection() const {
    return {dayFrom_->currentIndex(), dayTo_->currentIndex(), hourFrom_->currentIndex(),
            hourTo_->currentIndex(), spots_->isChecked()};
}

void PrintSelectionDialog::SetSelection(const PrintSelection& s) {
    dayFrom_->setCurrentIndex(s.DayFrom);
    dayTo_->setCurrentIndex(s.DayTo);
    hourFrom_->setCurrentIndex(s.HourFrom);
    hourTo_->setCurrentIndex(s.HourTo);
    spots_->setChecked(s.IncludeSpots);
}

std::unique_ptr<QPrinter> PrintSelectionDialog::TakePrinter() {
    return std::move(printer_);
}

void PrintSelectionDialog::accept() {
    // From after To would print nothing: said, with the focus on the field to mend.
    if (const auto problem = SelectionProblem(Selection())) {
        station_.Op().Show(MessageKind::Error, *problem, Buttons::Ok);
        (Selection().DayFrom > Selection().DayTo ? dayFrom_ : hourFrom_)->setFocus();
        return;
    }
    QDialog::accept();
}

// ---- SpotReportDialog ----

SpotReportDialog::SpotReportDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("spotReport"));
    setWindowTitle(Tr(N_("Print Selection")));
    auto* group = new QGroupBox(Tr(N_("Report type")), this);
    auto* inner = new QVBoxLayout(group);
    for (const char* text :
         {N_("Spot Group Summary  (least detail)"), N_("Spot File Summary      (more detail)"),
          N_("Spot Detailed Summary")}) {
        auto* choice = new QRadioButton(Tr(text), group);
        choice->setObjectName(QStringLiteral("report%1").arg(choices_.size()));
        inner->addWidget(choice);
        choices_.push_back(choice);
    }
    choices_.front()->setChecked(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    AddHelpButton(buttons, this, QStringLiteral("editor.html#printing"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);
}

SpotReport SpotReportDialog::Report() const {
    for (std::size_t i = 0; i < choices_.size(); ++i) {
        if (choices_[i]->isChecked()) {
            return static_cast<SpotReport>(i);
        }
    }
    return SpotReport::Groups;
}

void SpotReportDialog::SetReport(SpotReport report) {
    choices_[static_cast<std::size_t>(report)]->setChecked(true);
}

// ---- MissingIntrosWindow ----

MissingIntrosWindow::MissingIntrosWindow(Station& station, QWidget* parent)
    : QDialog(parent), station_(station) {
    setObjectName(QStringLiteral("missingIntros"));
    setWindowTitle(Tr(N_("Missing Intros/Outros")));
    QStringList categories;
    for (const auto& c : station_.Categories) {
        categories << Q(c->Name);
    }
    QStringList groups;
    for (const auto& g : station_.SpotGroups) {
        if (g->GroupType != kSpotNormal) {
            groups << Q(g->Name);
        }
    }
    categories_ = Combo("categories", categories, this);
    groups_ = Combo("introSpots", groups, this);
    match_ = Combo(
        "match", {Tr(N_("Songs or Artists")), Tr(N_("Songs only")), Tr(N_("Artists only"))}, this);
    auto* form = new QFormLayout;
    AddRow(form, N_("&Category"), categories_);
    AddRow(form, N_("&Intro/Outro Spot Group"), groups_);
    AddRow(form, N_("&Match"), match_);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("list"));
    list_->setAccessibleName(Tr(N_("Songs without an intro or outro")));
    progress_ = new QProgressBar(this);
    progress_->setAccessibleName(Tr(N_("Progress")));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    AddHelpButton(buttons, this, QStringLiteral("library.html#missing-intros"));
    QPushButton* print = buttons->addButton(Tr(N_("Print")), QDialogButtonBox::ActionRole);
    print->setObjectName(QStringLiteral("print"));
    connect(print, &QPushButton::clicked, this, &MissingIntrosWindow::Print);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(list_, 1);
    layout->addWidget(progress_);
    layout->addWidget(buttons);
    for (QComboBox* box : {categories_, groups_, match_}) {
        connect(box, &QComboBox::currentIndexChanged, this, &MissingIntrosWindow::Recompute);
    }
    resize(520, 480);
    Recompute();
}

void MissingIntrosWindow::Choose(const QString& category, const QString& group, IntroMatch match) {
    categories_->setCurrentText(category);
    groups_->setCurrentText(group);
    match_->setCurrentIndex(static_cast<int>(match));
    Recompute();
}

void MissingIntrosWindow::Recompute() {
    list_->clear();
    const TCategoryDetails* category = station_.FindCategory(S(categories_->currentText()));
    const TSpotDetails* group = station_.FindSpotGroup(S(groups_->currentText()));
    if (category == nullptr || group == nullptr) {
        progress_->setValue(0);
        return;
    }
    progress_->setRange(0, static_cast<int>(category->Files.size()));
    const auto lines =
        MissingIntros(*category, *group, static_cast<IntroMatch>(match_->currentIndex()),
                      station_.Opt.Names(), [this](std::size_t done) {
                          if (done % 256 == 0) {
                              progress_->setValue(static_cast<int>(done));
                          }
                      });
    progress_->setValue(progress_->maximum());
    for (const std::string& line : lines) {
        list_->addItem(Q(line));
    }
}

QStringList MissingIntrosWindow::Lines() const {
    QStringList lines;
    for (int i = 0; i < list_->count(); ++i) {
        lines << list_->item(i)->text();
    }
    return lines;
}

bool MissingIntrosWindow::Print() {
    std::vector<std::string> lines;
    for (const QString& line : Lines()) {
        lines.push_back(S(line));
    }
    const std::string text =
        MissingIntrosText(S(categories_->currentText()), S(groups_->currentText()), lines);
    const auto file = station_.DataFolder() / "Missing Intros and Outros.txt";
    if (!ReplaceFile(file, text)) {
        station_.Op().Show(MessageKind::Error,
                           Format(spindle::tr("Unable to create \"%0:s\""), file.string()),
                           Buttons::Ok);
        return false;
    }
    const QString title = windowTitle();
    auto printer = AskForPrinter(title, this);
    if (!printer) {
        return false;
    }
    PrinterFontMetrics metrics(*printer);
    PageLayout layout(metrics, PageWidthOf(*printer), PageHeightOf(*printer), S(title),
                      FormatDateTime("dddddd, t", NowLocal(), station_.Settings()), PrintFooter());
    std::vector<std::string> printed;
    std::string line;
    for (const char c : text) {
        if (c == '\n') {
            printed.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    LayOutTextLines(layout, printed);
    return PaintLayout(layout, *printer, station_.Op());
}

}  // namespace spindle::gui
