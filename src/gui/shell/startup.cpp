#include "gui/shell/startup.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QTimer>

#include "forms/shell_rules.h"
#include "gui/shell/main_window.h"
#include "gui/widgets/qt_text.h"

namespace spindle::gui {
namespace {

QPixmap SplashPicture() {
    QPixmap picture(480, 240);
    picture.fill(QColor(0x33, 0x33, 0x33));
    QPainter p(&picture);
    p.setPen(QColor(0xFF, 0x55, 0x00));
    QFont title = p.font();
    title.setPointSize(36);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRect(0, 40, 480, 80), Qt::AlignCenter, QStringLiteral("Spindle"));
    QFont line = p.font();
    line.setPointSize(11);
    line.setBold(false);
    p.setFont(line);
    p.setPen(QColor(0xCC, 0xCC, 0xCC));
    p.drawText(QRect(0, 120, 480, 30), Qt::AlignCenter,
               Tr(N_("Music scheduling for radio stations")) +
                   QStringLiteral("  ·  %1").arg(QStringLiteral(SPINDLE_VERSION)));
    return picture;
}

}  // namespace

SplashWindow::SplashWindow() : QSplashScreen(SplashPicture()) {
    setObjectName(QStringLiteral("splash"));
}

void SplashWindow::SetText(std::string_view text) {
    // Painted at once: loading runs on this thread until the main window appears.
    showMessage(Q(text), Qt::AlignBottom | Qt::AlignHCenter, QColor(0xCC, 0xCC, 0xCC));
}

StartupSequence::StartupSequence(Station& station, UnattendedOperator* unattended, Clock elapsedMs,
                                 bool editorFirst, Operator* person)
    : station_(station),
      unattended_(unattended),
      elapsedMs_(std::move(elapsedMs)),
      editorFirst_(editorFirst),
      person_(person) {
    if (!elapsedMs_) {
        auto timer = std::make_shared<QElapsedTimer>();
        timer->start();
        elapsedMs_ = [timer] { return timer->elapsed(); };
    }
}

StartupSequence::~StartupSequence() = default;

void StartupSequence::Start() {
    splash_ = std::make_unique<SplashWindow>();
    splash_->show();
    splash_->SetText(spindle::tr("Loading ..."));
    station_.Startup = true;
    station_.ProgressSink = splash_.get();
    station_.LoadAll();
    station_.ProgressSink = nullptr;
    ApplyFirstRunPreset(station_);
    window_ = std::make_unique<MainWindow>(station_);
    window_->ShowStartPage();
    splash_->SetText(spindle::tr("Loading ..."));
    // The splash keeps its minimum time without holding up the event loop.
    QTimer::singleShot(static_cast<int>(SplashRemainingMs(elapsedMs_())), this,
                       &StartupSequence::ShowWindow);
}

void StartupSequence::ShowWindow() {
    // First, so the program never has no window.
    if (editorFirst_ && unattended_ == nullptr) {
        window_->ShowEditor(true);
    } else {
        window_->show();
    }
    splash_->close();
    splash_.reset();
    station_.Startup = false;
    emit WindowShown();
    if (unattended_ != nullptr) {
        window_->RunUnattended(unattended_->Lines(), person_);
    }
}

}  // namespace spindle::gui
