#include "gui/widgets/progress_window.h"

#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "base/format.h"
#include "gui/widgets/qt_text.h"

namespace spindle::gui {

ProgressWindow::ProgressWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint),
      caption_(new QLabel(this)),
      count_(new QLabel(this)),
      lines_(new QListWidget(this)),
      bar_(new QProgressBar(this)),
      button_(new QPushButton(this)),
      flush_(new QTimer(this)) {
    flush_->setSingleShot(true);
    flush_->setInterval(50);
    connect(flush_, &QTimer::timeout, this, &ProgressWindow::ShowPendingLines);
    lines_->setUniformItemSizes(true);
    lines_->setAccessibleName(Tr(N_("Messages")));
    bar_->setAccessibleName(Tr(N_("Progress")));
    caption_->setAlignment(Qt::AlignCenter);
    count_->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption_);
    layout->addWidget(count_);
    layout->addWidget(lines_);
    layout->addWidget(bar_);
    layout->addWidget(button_, 0, Qt::AlignRight);
    connect(button_, &QPushButton::clicked, this, &ProgressWindow::reject);
}

void ProgressWindow::Start(Mode mode) {
    mode_ = mode;
    stopAsked_ = false;
    running_ = true;
    const bool run = mode == Mode::Run;
    setWindowTitle(run ? Tr(N_("Create Playlist")) : Tr(N_("Loading Files")));
    caption_->clear();
    count_->clear();
    caption_->setVisible(!run);
    count_->setVisible(!run);
    lines_->setVisible(run);
    bar_->setVisible(run);
    button_->setVisible(run);
    pending_.clear();
    lines_->clear();
    bar_->setRange(0, 1);
    bar_->setValue(0);
    button_->setText(Tr(N_("Cancel")));
    button_->setAccessibleName(button_->text());
    if (run) {
        resize(560, 360);
    } else {
        resize(420, 120);
    }
    show();
}

void ProgressWindow::SetText(const QString& text) {
    caption_->setText(text);
}

void ProgressWindow::SetCount(qlonglong count) {
    count_->setText(Q(Format(spindle::tr("%0:d files"), static_cast<long long>(count))));
}

void ProgressWindow::AddLine(const QString& line) {
    pending_ << line;
    if (!flush_->isActive()) {
        flush_->start();
    }
}

void ProgressWindow::ShowPendingLines() {
    flush_->stop();
    if (pending_.isEmpty()) {
        return;
    }
    lines_->addItems(pending_);
    pending_.clear();
    lines_->scrollToBottom();
}

void ProgressWindow::SetBar(qlonglong position, qlonglong maximum) {
    bar_->setRange(0, static_cast<int>(std::max<qlonglong>(maximum, 1)));
    bar_->setValue(static_cast<int>(position));
}

void ProgressWindow::Finish() {
    ShowPendingLines();
    running_ = false;
    if (mode_ == Mode::Loading) {
        hide();
        return;
    }
    button_->setText(Tr(N_("OK")));
    button_->setAccessibleName(button_->text());
}

void ProgressWindow::reject() {
    // While the run works, Cancel (or closing) asks it to stop; afterwards it closes.
    // Loading has no Cancel: a half-loaded group would lose its files.
    if (mode_ == Mode::Loading) {
        return;
    }
    stopAsked_ = true;
    if (!running_) {
        QDialog::reject();
    }
}

}  // namespace spindle::gui
