#include "app/progress_window.h"

#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/qt_text.h"

namespace spindle::gui {

ProgressWindow::ProgressWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint),
      lines_(new QListWidget(this)),
      bar_(new QProgressBar(this)),
      button_(new QPushButton(this)) {
    setWindowTitle(Tr(N_("Create Playlist")));
    lines_->setAccessibleName(Tr(N_("Messages")));
    bar_->setAccessibleName(Tr(N_("Progress")));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lines_);
    layout->addWidget(bar_);
    layout->addWidget(button_, 0, Qt::AlignRight);
    connect(button_, &QPushButton::clicked, this, &ProgressWindow::reject);
    resize(560, 360);
}

void ProgressWindow::Start() {
    stopAsked_ = false;
    running_ = true;
    lines_->clear();
    bar_->setRange(0, 1);
    bar_->setValue(0);
    button_->setText(Tr(N_("Cancel")));
    button_->setAccessibleName(button_->text());
    show();
}

void ProgressWindow::AddLine(const QString& line) {
    lines_->addItem(line);
    lines_->scrollToBottom();
}

void ProgressWindow::SetBar(qlonglong position, qlonglong maximum) {
    bar_->setRange(0, static_cast<int>(std::max<qlonglong>(maximum, 1)));
    bar_->setValue(static_cast<int>(position));
}

void ProgressWindow::Finish() {
    running_ = false;
    button_->setText(Tr(N_("OK")));
    button_->setAccessibleName(button_->text());
}

void ProgressWindow::reject() {
    // While the run works, Cancel (or closing) asks it to stop; afterwards it closes.
    stopAsked_ = true;
    if (!running_) {
        QDialog::reject();
    }
}

}  // namespace spindle::gui
