#pragma once

#include <QObject>
#include <QSplashScreen>
#include <cstdint>
#include <functional>
#include <memory>

#include "base/progress.h"
#include "base/unattended_operator.h"
#include "station/station.h"

namespace spindle::gui {

class MainWindow;

// The splash window: the program's name and what is loading now.
class SplashWindow : public QSplashScreen, public Progress {
    Q_OBJECT

public:
    SplashWindow();
    void SetText(std::string_view text) override;
};

// The program's start: the library loads behind the splash (its progress on the splash,
// no other window), the first-run preset, the main window on the page the library calls
// for once the splash has had its minimum time, and with "r" the unattended run. The
// clock is a seam: tests pass one that says the time is up.
class StartupSequence : public QObject {
    Q_OBJECT

public:
    using Clock = std::function<std::int64_t()>;  // milliseconds since loading began
    // `unattended` is the operator of an "r" start (its lines become the run's first
    // lines); nullptr for a start with a person at the screen.
    // `editorFirst`: the Playlist Editor is the program's window ("e"). `person` answers
    // once an "r" run that did not finish leaves the window open.
    StartupSequence(Station& station, UnattendedOperator* unattended, Clock elapsedMs = {},
                    bool editorFirst = false, Operator* person = nullptr);
    ~StartupSequence() override;

    // Loads and shows the splash; the main window follows on its own.
    void Start();
    MainWindow* Window() const { return window_.get(); }
    SplashWindow* Splash() const { return splash_.get(); }

signals:
    void WindowShown();

private:
    void ShowWindow();

    Station& station_;
    UnattendedOperator* unattended_;
    Clock elapsedMs_;
    bool editorFirst_;
    Operator* person_;
    std::unique_ptr<SplashWindow> splash_;
    std::unique_ptr<MainWindow> window_;
};

}  // namespace spindle::gui
