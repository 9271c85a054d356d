// The main window on real data folders, offscreen: the Save actions in step with the
// changed flags, the option pages writing the Options, Create Playlist on the worker, the
// splash, the program in German, and the real program started and closed. The journeys
// (journey_test.cpp) take the operator's ways through it.
#include <clocale>
#include <filesystem>

#include "base/translate.h"
#include "gui/journey.h"
#include "gui/shell/startup.h"
#include "gui/widgets/form_text.h"
#include "gui/widgets/progress_window.h"
#include "station/options.h"

using namespace spindle;
using spindle::gui::MainWindow;

namespace {

using test::DemoStation;
using test::Find;
using test::Fixture;
using test::Screenshot;

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void saveActionsFollowTheChangedFlags() {
        Fixture f;
        MainWindow window(*f.station);
        auto* pages = Find<QTabWidget>(window, "pages");
        pages->setCurrentIndex(static_cast<int>(Page::Rotations));
        QVERIFY(!window.SaveAction()->isEnabled());
        QVERIFY(!window.SaveAllAction()->isEnabled());
        // A rename in place marks the Categories changed: Save All, and Save on its page.
        auto* model = window.View(ListKind::Categories)->model();
        QVERIFY(!model->setData(model->index(0, 0), QString("GOLD"), Qt::EditRole));
        QCOMPARE(QString::fromStdString(f.op.Messages.back().Text),
                 QString("Cannot rename \"Hits\".\n\"GOLD\" already exists."));
        QVERIFY(!window.SaveAllAction()->isEnabled());
        QVERIFY(model->setData(model->index(1, 0), QString("Oldies"), Qt::EditRole));
        QVERIFY(window.SaveAllAction()->isEnabled());
        QVERIFY(!window.SaveAction()->isEnabled());  // the Rotations page has nothing new
        pages->setCurrentIndex(static_cast<int>(Page::Categories));
        QVERIFY(window.SaveAction()->isEnabled());
        window.SaveAction()->trigger();
        QVERIFY(!f.station->Changed.Categories);
        QVERIFY(std::filesystem::exists(f.b.DataFolder() / "Oldies.dat"));
        // Closing with something unsaved asks: Cancel keeps the window.
        window.show();
        f.station->Changed.Rotations = true;
        f.op.QueueAnswer(Answer::Cancel);
        QVERIFY(!window.close());
        QCOMPARE(f.op.Messages.back().Offered, Buttons::YesNoCancel);
    }

    // The option pages write into the Options at once and the Options page's Save keeps
    // them: the run's length and intervals (field, slider and label follow each other),
    // the scheduling settings, a playlist preset, the period question bringing the reset
    // period along, HTML switched on asking for the station, changed extensions asking to
    // reload.
    void theOptionPagesEditTheOptions() {
        Fixture f;
        MainWindow window(*f.station);
        window.resize(900, 900);
        test::Activate(window);
        Find<QTabWidget>(window, "pages")->setCurrentIndex(static_cast<int>(Page::Options));
        QVERIFY(!window.SaveAction()->isEnabled());
        auto* song = Find<QLineEdit>(window, "songInterval");
        auto* slider = Find<QSlider>(window, "songIntervalSlider");
        song->clear();
        QTest::keyClicks(song, "150");
        QCOMPARE(slider->value(), 5);  // the first position of at least 150 minutes: 180
        QCOMPARE(Find<QLabel>(window, "songIntervalUnit")->text(), QString("2.5 hours"));
        slider->setFocus();
        slider->setValue(16);
        QCOMPARE(song->text(), QString("2880"));
        auto* hours = Find<QSpinBox>(window, "totalHours");
        auto* increment = Find<QCheckBox>(window, "incrementHour");
        hours->setValue(6);
        increment->setChecked(true);
        hours->setValue(0);
        QVERIFY(!increment->isEnabled() && !f.station->Opt.IncrementHour);
        // The scheduling settings; the artists are named again at once.
        const std::size_t artists = f.station->Artists.Count();
        Find<QPlainTextEdit>(window, "artistNames")->setPlainText("Band & Co");
        Find<QCheckBox>(window, "creditedArtists")->setChecked(true);
        Find<QCheckBox>(window, "fitHours")->setChecked(true);
        QVERIFY(f.station->Opt.CreditedArtists && f.station->Opt.FitHours);
        QCOMPARE(f.station->Opt.ArtistNamesKeptWhole, std::vector<std::string>{"Band & Co"});
        QCOMPARE(f.station->Artists.Count(), artists);

        auto* format = Find<QComboBox>(window, "playlistFormat");
        format->setCurrentIndex(format->findText("M3U Standard"));
        emit format->activated(format->currentIndex());
        QCOMPARE(QString::fromStdString(f.station->Opt.PlaylistFormat), QString("%p/%f%e"));
        QVERIFY(!Find<QLineEdit>(window, "markerString")->isEnabled());
        f.op.QueueAnswer(Answer::Yes);
        Find<QComboBox>(window, "playlistPeriod")->setCurrentIndex(kPeriodWeek);
        QCOMPARE(Find<QComboBox>(window, "timeResetPeriod")->currentIndex(), int{kPeriodWeek});
        QVERIFY(!Find<QGroupBox>(window, "htmlGroup")->isEnabled());
        f.op.QueueReply("Radio Zoë");
        f.op.QueueReply("https://zoe.example");
        Find<QCheckBox>(window, "htmlEnabled")->setChecked(true);
        QVERIFY(Find<QGroupBox>(window, "htmlGroup")->isEnabled());
        QCOMPARE(Find<QLineEdit>(window, "htmlTitle")->text(), QString("Radio Zoë Playlist"));
        QVERIFY(f.station->Opt.HTMLUserFooter.at(0).find("https://zoe.example") !=
                std::string::npos);
        auto* optionPages = Find<QTabWidget>(window, "optionPages");
        optionPages->setCurrentIndex(3);
        Find<QListWidget>(window, "extensions")->setFocus();
        Find<QListWidget>(window, "extensions")->item(0)->setCheckState(Qt::Unchecked);
        f.op.QueueAnswer(Answer::No);
        Find<QLineEdit>(window, "artistDelim")->setFocus();
        QCOMPARE(QString::fromStdString(f.op.Messages.back().Text),
                 QString("File extensions have changed.  Do you wish to reload all files?"));
        QVERIFY(f.op.Messages.back().Offered == Buttons::YesNo);
        const char* shots[] = {"run",      "playlists",       "html",
                               "advanced", "related-artists", "attributes"};
        QCOMPARE(optionPages->count(), static_cast<int>(std::size(shots)));
        for (int i = 0; i < optionPages->count(); ++i) {
            optionPages->setCurrentIndex(i);
            Screenshot(window, QString("options-") + shots[i]);
        }

        window.SaveAction()->trigger();
        QVERIFY(!f.station->Changed.Options);
        const OptionsLoad saved = LoadOptions(f.b.DataFolder(), 0, FormatSettings::English());
        QCOMPARE(saved.Values.SystemSongInterval, std::string("2880"));
        QCOMPARE(saved.Values.TimeResetPeriod, int{kPeriodWeek});
        QVERIFY(saved.Values.HTMLEnabled && saved.Values.FitHours);
        QVERIFY(!saved.Values.Extensions.IsSelected(0));
        QVERIFY(test::ReadAll(f.b.DataFolder() / "ArtistNames.txt").ends_with("Band & Co\n"));
    }

    // Create Playlist on the demo station. The run asks on its own thread; the question
    // reaches the person on the window's thread and the run waits for the answer: Cancel
    // ends it. Cancel in the progress window stops a run. A run works with the rest of the
    // window waiting, its lines reach the progress window, and it ends with the log, the
    // playlists and Generate.log written and the library to be saved.
    void createPlaylistRunsBesideTheWindow() {
        test::TempDir dir;
        std::unique_ptr<Station> station = DemoStation(dir);
        auto& op = static_cast<test::ScriptedOperator&>(station->Op());
        MainWindow window(*station);
        window.show();
        QSignalSpy finished(&window, &MainWindow::RunFinished);
        auto* create = Find<QAction>(window, "actionCreatePlaylist");

        const std::string interval = station->Opt.SystemSongInterval;
        station->Opt.SystemSongInterval = "99999";
        op.Messages.clear();
        op.QueueAnswer(Answer::Cancel);
        create->trigger();
        QVERIFY(finished.wait(60000));
        QCOMPARE(finished.at(0).at(0).toBool(), false);
        QCOMPARE(op.Messages.size(), std::size_t{1});
        QCOMPARE(op.Messages[0].Offered, Buttons::YesCancelYesToAll);
        station->Opt.SystemSongInterval = interval;

        const int days = station->Opt.TotalDays;
        station->Opt.TotalDays = 90;
        create->trigger();
        window.Progress()->Button()->click();  // Cancel
        QVERIFY(finished.wait(60000));
        QCOMPARE(finished.at(1).at(0).toBool(), false);
        auto* lines = window.Progress()->Lines();
        QCOMPARE(lines->item(lines->count() - 1)->text(), QString("Playlist Creation Aborted."));
        QVERIFY(!station->Changed.FileLists);
        station->Opt.TotalDays = days;

        create->trigger();
        QVERIFY(window.Busy());
        QVERIFY(!window.centralWidget()->isEnabled());
        QVERIFY(finished.wait(60000));
        QCOMPARE(finished.at(2).at(0).toBool(), true);
        QVERIFY(window.centralWidget()->isEnabled());
        QCOMPARE(window.Progress()->Button()->text(), QString("OK"));
        Screenshot(*window.Progress(), "progress-window");
        QVERIFY(test::ReadAll(station->Opt.LogFolderPath() + "Generate.log")
                    .find("Playlist files created successfully.") != std::string::npos);
    }

    // The splash keeps its minimum time by the clock it is given, and the window opens on
    // the start page (an "/R" start is the real program's test below).
    void startupKeepsTheSplash() {
        Fixture f;
        std::int64_t elapsed = 3900;
        Station station(f.b.DataFolder(), f.op, FormatSettings::English());
        spindle::gui::StartupSequence startup(station, nullptr, [&] { return elapsed; });
        QSignalSpy shown(&startup, &spindle::gui::StartupSequence::WindowShown);
        startup.Start();
        QVERIFY(startup.Splash()->isVisible());
        QCOMPARE(station.Categories.size(), std::size_t{2});
        Screenshot(*startup.Splash(), "splash");
        QTest::qWait(30);
        QVERIFY(shown.isEmpty());
        QVERIFY(shown.wait(5000));  // the last 100 ms
        QVERIFY(startup.Splash() == nullptr);
        QCOMPARE(startup.Window()->CurrentPage(), Page::Options);
    }

    // In German: the program's captions, menus and messages from its catalogue, Qt's own
    // buttons from Qt's; English again afterwards.
    void theProgramSpeaksTheOperatorsLanguage() {
        Fixture f;
        const QByteArray all = qgetenv("LC_ALL");
        qunsetenv("LC_ALL");
        qputenv("LANG", "de_DE.UTF-8");
        QVERIFY(std::setlocale(LC_ALL, "") != nullptr);
        InitTranslation(SPINDLE_LOCALE_DIR);
        QTranslator qt;
        QVERIFY(gui::InstallQtTranslations(qt, QLocale(QLocale::German)));
        {
            MainWindow window(*f.station);
            window.show();
            QCOMPARE(window.menuBar()->actions().front()->text(), QString("&Datei"));
            QCOMPARE(Find<QTabWidget>(window, "pages")->tabText(0), QString("Kategorien"));
            Find<QTabWidget>(window, "pages")->setCurrentIndex(static_cast<int>(Page::Categories));
            test::Select(window, ListKind::Categories);
            Find<QAction>(window, "actionDelete")->trigger();
            QCOMPARE(
                QString::fromStdString(f.op.Messages.back().Text),
                QString("\"Hits\" wird in der Rotation \"Morning\" verwendet.  Entfernen Sie es "
                        "dort und versuchen Sie es erneut."));
            QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
            QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QString("Abbrechen"));
            Screenshot(window, "main-window-de");
        }
        QApplication::removeTranslator(&qt);
        qputenv("LC_ALL", all);
        std::setlocale(LC_ALL, "");
        MainWindow english(*f.station);
        QCOMPARE(english.menuBar()->actions().front()->text(), QString("&File"));
    }

    // The real program on the demo station: "/R" runs, saves with the start moved on and
    // ends by itself; one whose run fails stays open holding the data folder, and a
    // SIGTERM closes it cleanly with the status of a failed run.
    void theProgramStartsAndClosesCleanly() {
        test::TempDir dir;
        const Options demo = DemoStation(dir)->Opt;
        QProcess gui;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        gui.setProcessEnvironment(env);
        gui.start(SPINDLE_GUI_PATH, {"/R", "--data", QString::fromStdString(dir / "demo/data")});
        QVERIFY(gui.waitForFinished(60000));
        QCOMPARE(gui.exitCode(), 0);
        QVERIFY(test::ReadAll(dir.Path() / "demo/data/Logs/Generate.log")
                    .find("Playlist files created successfully.") != std::string::npos);
        const OptionsLoad saved =
            LoadOptions(dir.Path() / "demo/data", 0, FormatSettings::English());
        QCOMPARE(saved.Values.StartDay, demo.StartDay + demo.TotalDays);  // saved, moved on
        // A run that cannot make its day leaves the window open, holding the data folder;
        // a SIGTERM closes it, and the exit status says the run failed.
        std::filesystem::remove(dir.Path() / "demo/data/Schedules.dat");
        gui.start(SPINDLE_GUI_PATH, {"/R", "--data", QString::fromStdString(dir / "demo/data")});
        QVERIFY(gui.waitForStarted(10000));
        const std::filesystem::path lock = dir.Path() / "demo/data/.spindle.lock";
        QTRY_VERIFY_WITH_TIMEOUT(
            std::filesystem::exists(lock) && test::ReadAll(lock).find("spindle (desktop)") == 0,
            30000);
        QTest::qWait(1500);
        gui.terminate();
        QVERIFY(gui.waitForFinished(30000));
        QCOMPARE(gui.exitStatus(), QProcess::NormalExit);
        QCOMPARE(gui.exitCode(), 1);
    }

private:
    test::ModalWatchdog watchdog_;
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
