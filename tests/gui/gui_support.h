#pragma once
// What the desktop program's Qt tests share: a small station loaded as the program loads
// it, the demo station, and screenshots for a person to look at.
// The whole of Qt Widgets and Qt Test: the tests reach into every kind of control.
#include <QtTest>
#include <QtWidgets>
#include <memory>

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

// The controls a person can tab to, and the toolbars' buttons, whose name a screen reader
// could not say: none, or one that lost a "&" of its caption ("Save  Create Playlist").
inline QStringList UnnamedControls(QWidget& form) {
    QStringList unnamed;
    for (QWidget* w : form.findChildren<QWidget*>()) {
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
        QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(w);
        const QString name = spoken != nullptr ? spoken->text(QAccessible::Name) : QString();
        // On Linux a combo box's name is its value; its label is told by relation.
        if (w->inherits("QComboBox") && spoken != nullptr &&
            !spoken->relations(QAccessible::Label).isEmpty()) {
            continue;
        }
        if (name.trimmed().isEmpty() || name.contains(QStringLiteral("  "))) {
            unnamed << w->objectName() + " (" + w->metaObject()->className() + ") \"" + name + "\"";
        }
    }
    return unnamed;
}

}  // namespace spindle::test
