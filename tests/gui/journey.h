#pragma once
// Journeys drive the desktop program as an operator does: the main window's actions,
// menus and keys, and the windows those open. A modal window is answered from inside its
// own exec() by the step the journey gave for it; one nobody answers fails the test at
// once instead of waiting for CTest's timeout.
#include <functional>
#include <memory>

#include "gui/shell/main_window.h"
#include "gui_support.h"

namespace spindle::test {

// A control of a form by its object name; a missing one ends the test program.
template <typename T>
T* Find(QWidget& form, const char* name) {
    T* child = form.findChild<T*>(name);
    if (child == nullptr) {
        qFatal("no control %s", name);
    }
    return child;
}

// Shows a window and makes it the active one: offscreen there is no window manager to
// give the focus back when a window closes.
inline void Activate(QWidget& window) {
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

// The names a library list shows, in its order.
inline QStringList Names(gui::MainWindow& window, ListKind kind) {
    QStringList names;
    const QAbstractItemModel* model = window.View(kind)->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        names << model->index(row, 0).data().toString();
    }
    return names;
}

// The modal window in front, if any (a menu or a tooltip is not one).
inline QWidget* ModalInFront() {
    QWidget* modal = QApplication::activeModalWidget();
    return modal != nullptr && modal->isVisible() ? modal : nullptr;
}

// Fails the test when a modal window stays open longer than `seconds` with nobody
// answering it, and closes it so the test goes on to its end and says what it was.
class ModalWatchdog : public QObject {
public:
    explicit ModalWatchdog(int seconds = 20) : seconds_(seconds) {
        timer_.setInterval(250);
        connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
        timer_.start();
    }

private:
    void Tick() {
        QWidget* modal = ModalInFront();
        if (modal != watched_) {
            watched_ = modal;
            since_.start();
            return;
        }
        if (modal != nullptr && since_.elapsed() > seconds_ * 1000) {
            const QString what = modal->objectName() + " \"" + modal->windowTitle() + "\"";
            QTest::qFail(qPrintable("a modal window was left open: " + what), __FILE__, __LINE__);
            modal->close();
            if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                dialog->reject();
            }
            watched_ = nullptr;
        }
    }

    int seconds_;
    QTimer timer_;
    QPointer<QWidget> watched_;
    QElapsedTimer since_;
};

// Triggers `open` (an action, a key, a click) and runs `step` on the modal window of
// type T it opens, from inside that window's exec(). Returns false when none opened;
// `step` should close the window (accept, reject, a button), else it is rejected after.
template <typename T = QDialog, typename Step>
bool WithDialog(const std::function<void()>& open, const Step& step, int waitMs = 5000) {
    bool seen = false;
    QElapsedTimer clock;
    clock.start();
    auto timer = std::make_unique<QTimer>();
    timer->setInterval(10);
    QObject::connect(timer.get(), &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<T*>(ModalInFront());
        if (dialog == nullptr || seen) {
            if (clock.elapsed() > waitMs) {
                timer->stop();
            }
            return;
        }
        seen = true;
        timer->stop();
        step(*dialog);
        if (dialog->isVisible()) {
            dialog->reject();
        }
    });
    timer->start();
    open();
    // A window that is not modal (or an action that opens nothing) returns at once.
    static_cast<void>(QTest::qWaitFor([&] { return seen || !timer->isActive(); }, waitMs + 500));
    return seen;
}

// What an action can change that an operator sees, as words: the page, the view style,
// what is to be saved, the messages asked, the windows open, a name edited in place and
// the lists' contents.
inline QStringList StateOf(gui::MainWindow& window, const Station& station,
                           const ScriptedOperator& op) {
    const ChangedFlags& c = station.Changed;
    QStringList s{QString::number(static_cast<int>(window.CurrentPage())),
                  QString::number(static_cast<int>(window.CurrentViewStyle())),
                  QStringLiteral("%1%2%3%4%5%6%7")
                      .arg(c.Options)
                      .arg(c.Categories)
                      .arg(c.Spots)
                      .arg(c.Rotations)
                      .arg(c.Schedules)
                      .arg(c.FileLists)
                      .arg(c.Related),
                  QString::number(op.Messages.size() + op.Queries.size())};
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w != &window) {
            s << "window " + w->objectName() + w->windowTitle();
        }
    }
    for (const ListKind kind :
         {ListKind::Categories, ListKind::SpotGroups, ListKind::Rotations, ListKind::Schedules}) {
        for (auto* edit : window.ShownView(kind)->findChildren<QLineEdit*>()) {
            s << (edit->isVisible() ? "editing" : "");
        }
        s << Names(window, kind);
    }
    return s;
}

// Triggers every enabled action of the main window in turn (but Exit), each from the
// state `prepare` sets up, and returns the names of those that opened nothing and
// changed nothing. A window an action opens counts as its answer and is closed; the
// controls in it that a screen reader could not name are added to `unnamed`, and its
// screenshot is saved for a person to look at.
inline QStringList ActionsThatDoNothing(gui::MainWindow& window, const Station& station,
                                        ScriptedOperator& op, const std::function<void()>& prepare,
                                        QStringList& unnamed) {
    auto name = [&](QWidget& w) {
        Screenshot(w, "window-" + (w.objectName().isEmpty() ? w.metaObject()->className()
                                                            : w.objectName()));
        for (const QString& control : UnnamedControls(w)) {
            unnamed << w.objectName() + ": " + control;
        }
    };
    name(window);
    QStringList idle;
    for (QAction* action : window.findChildren<QAction*>()) {
        prepare();
        if (action->objectName() == "actionExit" || action->isSeparator() || action->menu() ||
            !action->isEnabled() || action->objectName().isEmpty()) {
            continue;
        }
        const QStringList before = StateOf(window, station, op);
        QSignalSpy ran(&window, &gui::MainWindow::RunFinished);
        QSignalSpy reloaded(&window, &gui::MainWindow::ReloadFinished);
        const bool opened = WithDialog([&] { action->trigger(); },
                                       [&](QDialog& d) {
                                           name(d);
                                           d.reject();
                                       },
                                       300);
        if (window.Busy() || !ran.isEmpty() || !reloaded.isEmpty()) {  // work on the worker
            if (!QTest::qWaitFor([&] { return !window.Busy(); }, 60000)) {
                idle << action->objectName() + " (its work never ended)";
            }
            window.Progress()->close();
            continue;
        }
        const QStringList after = StateOf(window, station, op);
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w != &window && w->isVisible() &&
                !before.contains("window " + w->objectName() + w->windowTitle())) {
                name(*w);
                w->close();
            }
        }
        if (!opened && before == after) {
            idle << action->objectName();
        }
    }
    return idle;
}

}  // namespace spindle::test
