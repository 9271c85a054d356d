#include "gui/editor/regenerate_dialogs.h"
#include "gui/help/help_window.h"

#include <QPushButton>

#include "gui/widgets/form_text.h"
#include "gui/widgets/qt_text.h"
#include "ui_regenerate_dialog.h"
#include "ui_regenerate_results.h"

namespace spindle::gui {
namespace {

void Fill(QListWidget* list, const std::vector<std::string>& lines) {
    list->clear();
    for (const std::string& line : lines) {
        list->addItem(Q(line));
    }
}

}  // namespace

RegenerateDialog::RegenerateDialog(const QStringList& days, LogHour from, LogHour to,
                                   QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::RegenerateDialog>()) {
    ui_->setupUi(this);
    TranslateForm(this);
    setWindowTitle(Tr(N_("Regenerate Hours")));
    for (QComboBox* day : {ui_->fromDay, ui_->toDay}) {
        day->addItems(days);
        day->setMaxVisibleItems(24);
    }
    for (QComboBox* hour : {ui_->fromHour, ui_->toHour}) {
        for (int h = 0; h < 24; ++h) {
            hour->addItem(QString("%1:00").arg(h, 2, 10, QChar('0')));
        }
        hour->setMaxVisibleItems(24);
    }
    ui_->fromDay->setCurrentIndex(from.Day);
    ui_->fromHour->setCurrentIndex(from.Hour);
    ui_->toDay->setCurrentIndex(to.Day);
    ui_->toHour->setCurrentIndex(to.Hour);
    QPushButton* ok = ui_->buttons->button(QDialogButtonBox::Ok);
    ok->setText(Tr(N_("&Regenerate")));
    ok->setAccessibleName(Tr(N_("Regenerate")));
    connect(ui_->buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui_->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    AddHelpButton(ui_->buttons, this, QStringLiteral("editor.html#regenerate"));
}

RegenerateDialog::~RegenerateDialog() = default;

LogHour RegenerateDialog::From() const {
    return {ui_->fromDay->currentIndex(), ui_->fromHour->currentIndex()};
}

LogHour RegenerateDialog::To() const {
    return {ui_->toDay->currentIndex(), ui_->toHour->currentIndex()};
}

RegenerateResultsWindow::RegenerateResultsWindow(QWidget* parent)
    : QDialog(parent, Qt::Tool), ui_(std::make_unique<Ui::RegenerateResults>()) {
    ui_->setupUi(this);
    TranslateForm(this);
    setObjectName(QStringLiteral("regenerateResults"));
    setWindowTitle(Tr(N_("Hours Made Again")));
    connect(ui_->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    AddHelpButton(ui_->buttons, this, QStringLiteral("editor.html#regenerate"));
}

RegenerateResultsWindow::~RegenerateResultsWindow() = default;

void RegenerateResultsWindow::Show(const QString& summary,
                                   const std::vector<std::string>& conflicts,
                                   const std::vector<std::string>& relaxed,
                                   const std::vector<std::string>& messages) {
    ui_->summary->setText(summary);
    Fill(ui_->conflicts, conflicts);
    if (conflicts.empty()) {
        ui_->conflicts->addItem(Tr(N_("No track after these hours breaks a rule.")));
    }
    Fill(ui_->relaxed, relaxed);
    Fill(ui_->messages, messages);
    // Lists with nothing to say take no room.
    ui_->relaxedLabel->setVisible(!relaxed.empty());
    ui_->relaxed->setVisible(!relaxed.empty());
    ui_->messagesLabel->setVisible(!messages.empty());
    ui_->messages->setVisible(!messages.empty());
    show();
    raise();
    activateWindow();
    ui_->conflicts->setFocus();
}

}  // namespace spindle::gui
