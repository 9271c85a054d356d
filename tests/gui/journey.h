#pragma once
// What the desktop program's Qt tests share: a small station loaded as the program loads
// it, the demo station, screenshots for a person to look at, and journeys.
// Journeys drive the desktop program as an operator does: the main window's actions,
// menus and keys, and the windows those open. A modal window is answered from inside its
// own exec() by the step the journey gave for it; one nobody answers fails the test at
// once instead of waiting for CTest's timeout.
// The whole of Qt Widgets and Qt Test: the tests reach into every kind of control.
#include <QtTest>
#include <QtWidgets>
#include <functional>
#include <memory>

#include "gui/shell/main_window.h"
#include "station/rotation.h"
#include "station/station.h"
#include "support/scripted_operator.h"
#include "support/station_builder.h"

namespace spindle::test {

// A station with two Categories, a Spot Group, a Rotation using them and, when asked,
// a Schedule; loaded again from its files as the program loads it.
struct Fixture {
    explicit Fixture(bool withSchedule = true) : b(dir) {
        b.AddCategory("Hits", {b.MusicFolder("Hits", {"Band - Song", "Other - Tune"}, 200)});
        b.AddCategory("Gold", {b.MusicFolder("Gold", {"Old - Hit"}, 180)});
        b.AddSpotGroup("IDs", {b.SpotFolder("IDs", {"ID"}, 10)});
        b.AddRotation("Morning", {MakeSpotGroupItem("IDs"), MakeCategoryItem("Hits")}, true);
        if (withSchedule) {
            b.AddSchedule("Week", "1111100", "...DEFAULT...");
        }
        b.Save();
        station = std::make_unique<Station>(b.DataFolder(), op, FormatSettings::English());
        station->LoadAll();
        station->Changed = ChangedFlags{};
    }
    test::TempDir dir;
    test::StationBuilder b;
    test::ScriptedOperator op;
    std::unique_ptr<Station> station;
};

inline void Screenshot(QWidget& window, const QString& name) {
    QDir().mkpath(SPINDLE_SCREENSHOT_DIR);
    window.grab().save(QString(SPINDLE_SCREENSHOT_DIR) + "/" + name + ".png");
}

// The demo station, written by the real program (and run by it once, when `run`), and
// loaded as the desktop program loads it, with `op` when given.
inline std::unique_ptr<Station> DemoStation(const test::TempDir& dir, bool run = false,
                                            Operator* op = nullptr) {
    static test::ScriptedOperator quiet;
    const QString data = QString::fromStdString(dir / "demo/data");
    QProcess cli;
    cli.start(SPINDLE_CLI_PATH, {"make-demo", QString::fromStdString(dir / "demo")});
    cli.waitForFinished(60000);
    if (run) {
        cli.start(SPINDLE_CLI_PATH, {"-r", "--data", data});
        cli.waitForFinished(120000);
    }
    auto station = std::make_unique<Station>(data.toStdString(), op != nullptr ? *op : quiet,
                                             FormatSettings::English());
    station->LoadAll();
    station->Changed = ChangedFlags{};
    return station;
}

// What a screen reader could not say right of a form: a control a person can tab to (or a
// toolbar's button) with no name, one that lost a "&" of its caption ("Save  Create
// Playlist"), a combo box named by its value instead of its label, a field described by
// its placeholder, and a value named by its caption that does not tell its value.
inline QStringList UnnamedControls(QWidget& form) {
    QStringList unnamed;
    for (QWidget* w : form.findChildren<QWidget*>()) {
        QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(w);
        const QString said = spoken != nullptr ? spoken->text(QAccessible::Description) : QString();
        const QVariant placeholder = w->property("placeholderText");
        const auto* label = qobject_cast<QLabel*>(w);
        if ((!placeholder.toString().isEmpty() && said == placeholder.toString()) ||
            (label != nullptr && !label->accessibleName().isEmpty() &&
             label->accessibleName() != label->text() && said != label->text())) {
            unnamed << w->objectName() + " described \"" + said + "\"";
        }
        // Parts of a composite control (a spin box's or combo box's editor) speak
        // through the control.
        const QWidget* parent = w->parentWidget();
        const bool part = parent != nullptr &&
                          (parent->inherits("QAbstractSpinBox") || parent->inherits("QComboBox") ||
                           w->inherits("QComboBoxListView"));
        const bool tool = qobject_cast<const QToolBar*>(parent) != nullptr &&
                          !w->inherits("QLabel") && !w->inherits("QToolBarExtension") &&
                          !w->inherits("QToolBarSeparator");
        const bool reachable = tool || ((w->focusPolicy() & Qt::TabFocus) != 0 && !part &&
                                        qobject_cast<QTabBar*>(w) == nullptr &&
                                        !w->inherits("QScrollBar") && !w->inherits("QMenu"));
        if (!reachable || !w->isVisibleTo(&form)) {
            continue;
        }
        const QString name = spoken != nullptr ? spoken->text(QAccessible::Name) : QString();
        if (name.trimmed().isEmpty() || name.contains(QStringLiteral("  ")) ||
            (w->inherits("QComboBox") && name != w->accessibleName())) {
            unnamed << w->objectName() + " (" + w->metaObject()->className() + ") \"" + name + "\"";
        }
    }
    return unnamed;
}

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

// Selects the entry at `row` of a library list as a screen reader does, through the
// accessibility interface (no click, no current entry); the actions then act on it.
inline void Select(gui::MainWindow& window, ListKind kind, int row = 0) {
    QAbstractItemView* view = window.ShownView(kind);
    view->clearSelection();
    QAccessibleInterface* cell =
        QAccessible::queryAccessibleInterface(view)->tableInterface()->cellAt(row, 0);
    if (cell != nullptr) {  // an action walked before may have deleted the entry
        cell->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        QCOMPARE(view->currentIndex().row(), row);
    }
}

// Presses a dialog's OK.
inline void Ok(QWidget& dialog) {
    Find<QDialogButtonBox>(dialog, "buttons")->button(QDialogButtonBox::Ok)->click();
}

// The rows of a list, in its order.
inline QStringList Rows(const QListWidget& list) {
    QStringList rows;
    for (int row = 0; row < list.count(); ++row) {
        rows << list.item(row)->text();
    }
    return rows;
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
    QString changed;
    for (const bool flag :
         {c.Options, c.Categories, c.Spots, c.Rotations, c.Schedules, c.FileLists, c.Related}) {
        changed += flag ? '1' : '0';
    }
    QStringList s{QString::number(static_cast<int>(window.CurrentPage())),
                  QString::number(static_cast<int>(window.CurrentViewStyle())), changed,
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
