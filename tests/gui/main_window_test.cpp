// The main window on real data folders, offscreen: the start page, the Save actions in
// step with the changed flags, renames and deletes refused with their texts, the close
// question, and the real program started and closed. Screenshots of every page go to
// the build folder for a person to look at.
#include <QAction>
#include <QDir>
#include <QProcess>
#include <QTabWidget>
#include <QTest>
#include <QTreeView>
#include <filesystem>

#include "app/main_window.h"
#include "library/rotation.h"
#include "support/scripted_operator.h"
#include "support/station_builder.h"

using namespace spindle;
using spindle::gui::MainWindow;

namespace {

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

void Screenshot(QWidget& window, const QString& name) {
    QDir().mkpath(SPINDLE_SCREENSHOT_DIR);
    window.grab().save(QString(SPINDLE_SCREENSHOT_DIR) + "/" + name + ".png");
}

void Select(MainWindow& window, ListKind kind, int row) {
    QTreeView* view = window.View(kind);
    view->setCurrentIndex(view->model()->index(row, 0));
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void opensOnThePageTheLibraryCallsFor() {
        Fixture noSchedule(false);
        MainWindow first(*noSchedule.station);
        first.ShowStartPage();
        QCOMPARE(first.CurrentPage(), Page::Rotations);
        Fixture full;
        MainWindow window(*full.station);
        window.ShowStartPage();
        QCOMPARE(window.CurrentPage(), Page::Options);
        window.resize(900, 520);
        window.show();
        auto* pages = window.findChild<QTabWidget*>("pages");
        const char* names[] = {"categories", "spot-groups", "rotations", "schedules", "options"};
        for (int i = 0; i < pages->count(); ++i) {
            pages->setCurrentIndex(i);
            Screenshot(window, QString("main-window-") + names[i]);
        }
        QCOMPARE(window.View(ListKind::Categories)->model()->rowCount(), 2);
        QCOMPARE(window.View(ListKind::Categories)
                     ->model()
                     ->data(window.View(ListKind::Categories)->model()->index(0, 2)),
                 QVariant(qulonglong(2)));
        QCOMPARE(window.View(ListKind::Schedules)->model()->headerData(2, Qt::Horizontal),
                 QVariant(QString("Monday")));
    }

    void saveActionsFollowTheChangedFlags() {
        Fixture f;
        MainWindow window(*f.station);
        auto* pages = window.findChild<QTabWidget*>("pages");
        pages->setCurrentIndex(static_cast<int>(Page::Rotations));
        QVERIFY(!window.SaveAction()->isEnabled());
        QVERIFY(!window.SaveAllAction()->isEnabled());
        // A rename in place marks the Categories changed: Save All, and Save on its page.
        auto* model = window.View(ListKind::Categories)->model();
        QVERIFY(model->setData(model->index(1, 0), QString("Oldies"), Qt::EditRole));
        QVERIFY(window.SaveAllAction()->isEnabled());
        QVERIFY(!window.SaveAction()->isEnabled());  // the Rotations page has nothing new
        pages->setCurrentIndex(static_cast<int>(Page::Categories));
        QVERIFY(window.SaveAction()->isEnabled());
        window.SaveAction()->trigger();
        QVERIFY(!f.station->Changed.Categories);
        QVERIFY(std::filesystem::exists(f.b.DataFolder() / "Oldies.dat"));
    }

    void refusalsCarryTheirTexts() {
        Fixture f;
        MainWindow window(*f.station);
        auto* model = window.View(ListKind::Categories)->model();
        QVERIFY(!model->setData(model->index(0, 0), QString("GOLD"), Qt::EditRole));
        QCOMPARE(QString::fromStdString(f.op.Messages.back().Text),
                 QString("Cannot rename \"Hits\".\n\"GOLD\" already exists."));
        auto* pages = window.findChild<QTabWidget*>("pages");
        pages->setCurrentIndex(static_cast<int>(Page::Categories));
        Select(window, ListKind::Categories, 0);
        window.findChild<QAction*>("actionDelete")->trigger();
        QCOMPARE(QString::fromStdString(f.op.Messages.back().Text),
                 QString("\"Hits\" is currently used in Rotation \"Morning\".  Remove it and try "
                         "again."));
        QCOMPARE(f.station->Categories.size(), std::size_t{2});
    }

    void theCloseQuestionAndAFailedSave() {
        Fixture f;
        MainWindow window(*f.station);
        window.show();
        f.station->Changed.Rotations = true;
        f.op.QueueAnswer(Answer::Cancel);
        QVERIFY(!window.close());
        QCOMPARE(f.op.Messages.back().Offered, Buttons::YesNoCancel);
        // Yes with a save that fails keeps the window open.
        std::filesystem::remove(f.b.DataFolder() / "Rotations.bak");
        std::filesystem::create_directories(f.b.DataFolder() / "Rotations.bak/blocked");
        f.op.QueueAnswer(Answer::Yes);
        QVERIFY(!window.close());
        QVERIFY(f.station->Changed.Rotations);
        std::filesystem::remove_all(f.b.DataFolder() / "Rotations.bak");
        f.op.QueueAnswer(Answer::Yes);
        QVERIFY(window.close());
        QVERIFY(!f.station->Changed.Any());
    }

    // The real program on a saved station: it starts, holds the data folder, and a
    // SIGTERM closes it cleanly.
    void theProgramStartsAndClosesCleanly() {
        test::TempDir dir;
        QProcess cli;
        cli.start(SPINDLE_CLI_PATH, {"make-demo", QString::fromStdString(dir / "demo")});
        QVERIFY(cli.waitForFinished(60000));
        cli.start(SPINDLE_CLI_PATH, {"-r", "--data", QString::fromStdString(dir / "demo/data")});
        QVERIFY(cli.waitForFinished(60000));
        QProcess gui;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        gui.setProcessEnvironment(env);
        gui.start(SPINDLE_GUI_PATH, {"--data", QString::fromStdString(dir / "demo/data")});
        QVERIFY(gui.waitForStarted(10000));
        const std::filesystem::path lock = dir.Path() / "demo/data/.spindle.lock";
        QTRY_VERIFY_WITH_TIMEOUT(
            std::filesystem::exists(lock) && test::ReadAll(lock).find("spindle (desktop)") == 0,
            30000);
        QTest::qWait(1500);
        gui.terminate();
        QVERIFY(gui.waitForFinished(30000));
        QCOMPARE(gui.exitStatus(), QProcess::NormalExit);
        QCOMPARE(gui.exitCode(), 0);
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
