// Journeys through the desktop program as an operator makes them: from the main window,
// with its actions, menus and keys and the windows those open, never a window the test
// built itself. A first station from an empty data folder; the edits that must survive a
// save, a run that fails and a close; a run's log mended in the Playlist Editor; every
// enabled action of every page doing something.
#include <filesystem>

#include "base/unattended_operator.h"
#include "gui/editor/editor_window.h"
#include "gui/editor/insert_dialogs.h"
#include "gui/editor/regenerate_dialogs.h"
#include "gui/editor/replace_track_dialog.h"
#include "gui/journey.h"
#include "gui/library/plan_lists.h"
#include "gui/reports/reports_dialog.h"
#include "gui/shell/startup.h"
#include "station/options.h"
#include "stationdb/station_db.h"
#include "support/audio_files.h"

using namespace spindle;
using spindle::gui::MainWindow;

namespace {

using test::Activate;
using test::Find;
using test::Names;
using test::Ok;
using test::Select;
using test::WithDialog;

void ShowPage(MainWindow& window, Page page) {
    Activate(window);
    auto* pages = Find<QTabWidget>(window, "pages");
    QTest::mouseClick(pages->tabBar(), Qt::LeftButton, {},
                      pages->tabBar()->tabRect(static_cast<int>(page)).center());
    QCOMPARE(window.CurrentPage(), page);
}

QPushButton* Button(QWidget& window, const QString& text) {
    for (QPushButton* button : window.findChildren<QPushButton*>()) {
        if (button->text() == text) {
            return button;
        }
    }
    qFatal("no button %s", qPrintable(text));
}

// The program's start on a data folder, with the splash's time already up.
struct Started {
    Started(const std::filesystem::path& data, Operator& op)
        : station(data, op, FormatSettings::English()),
          startup(station, nullptr, [] { return std::int64_t{100000}; }) {
        QSignalSpy shown(&startup, &gui::StartupSequence::WindowShown);
        startup.Start();
        shown.wait(5000);
    }
    MainWindow& Window() { return *startup.Window(); }
    Station station;
    gui::StartupSequence startup;
};

}  // namespace

class JourneyTest : public QObject {
    Q_OBJECT

private slots:
    // A new operator's first station: a Category and a Spot Group from folders of audio,
    // a Rotation built in its editor, a Schedule that uses it, two days' options, Create
    // Playlist, Save All, close; started again, the program shows it all.
    void aFirstStationFromAnEmptyDataFolder() {
        test::TempDir dir;
        for (const char* name : {"A - One", "B - Two", "C - Three", "D - Four"}) {
            test::WriteMp3(dir, std::string("music/") + name + ".mp3", 240);
        }
        test::WriteMp3(dir, "spots/Station ID.mp3", 10);
        const std::filesystem::path data = dir / "data";
        std::filesystem::create_directories(data);
        test::ScriptedOperator op;
        {
            Started program(data, op);
            MainWindow& window = program.Window();
            Activate(window);
            QCOMPARE(window.CurrentPage(), Page::Categories);
            test::Screenshot(window, "journey-first-start");
            QSignalSpy reloaded(&window, &MainWindow::ReloadFinished);
            const struct {
                Page page;
                const char* name;
                const char* folder;
            } groups[] = {{Page::Categories, "Hits", "music"}, {Page::SpotGroups, "IDs", "spots"}};
            for (const auto& g : groups) {
                ShowPage(window, g.page);
                QVERIFY(WithDialog([&] { QTest::keySequence(&window, QKeySequence::New); },
                                   [&](QDialog& d) {
                                       Find<QLineEdit>(d, "name")->setText(g.name);
                                       Find<QPlainTextEdit>(d, "folders")
                                           ->setPlainText(QString::fromStdString(dir / g.folder));
                                       Ok(d);
                                   }));
                QVERIFY(reloaded.wait(30000));
            }
            QCOMPARE(Names(window, ListKind::Categories), QStringList{"Hits"});

            ShowPage(window, Page::Rotations);
            QVERIFY(WithDialog([&] { Find<QAction>(window, "actionNew")->trigger(); },
                               [&](QDialog& d) {
                                   QCOMPARE(d.windowTitle(), QString("New Rotation"));
                                   QTest::keyClicks(Find<QLineEdit>(d, "name"), "Hour");
                                   auto* spots = Find<QListWidget>(d, "spotList");
                                   const QPoint at = spots->visualItemRect(spots->item(0)).center();
                                   QTest::mouseClick(spots->viewport(), Qt::LeftButton, {}, at);
                                   QTest::mouseDClick(spots->viewport(), Qt::LeftButton, {}, at);
                                   auto* categories = Find<QListWidget>(d, "categoryList");
                                   categories->setFocus();
                                   categories->setCurrentRow(0);
                                   QTest::keyClick(categories, Qt::Key_Return);  // by keyboard
                                   QVERIFY(d.isVisible());  // Enter is not OK there
                                   test::Screenshot(d, "journey-rotation-editor");
                                   Ok(d);
                               }));
            QCOMPARE(Names(window, ListKind::Rotations), QStringList{"Hour"});
            QCOMPARE(program.station.Rotations[0]->Items.at(1).Text, std::string("00:00:10\tHits"));
            // The Default Rotation keeps the part: unticked, OK says how to move it.
            Select(window, ListKind::Rotations);
            QVERIFY(WithDialog([&] { Find<QAction>(window, "actionOpen")->trigger(); },
                               [&](QDialog& d) {
                                   auto* isDefault = Find<QCheckBox>(d, "cbDefault");
                                   isDefault->setChecked(false);
                                   Ok(d);
                                   QVERIFY(d.isVisible() && isDefault->isChecked());
                                   QVERIFY(op.Messages.back().Text.starts_with(
                                       "\"Hour\" is the Default Rotation"));
                                   Ok(d);
                               }));

            ShowPage(window, Page::Schedules);
            QVERIFY(WithDialog([&] { Find<QAction>(window, "actionNew")->trigger(); },
                               [&](QDialog& d) {
                                   QTest::keyClicks(Find<QLineEdit>(d, "name"), "Week");
                                   Find<QPushButton>(d, "allDays")->click();
                                   Ok(d);
                               }));
            QCOMPARE(Names(window, ListKind::Schedules), QStringList{"Week"});

            ShowPage(window, Page::Options);
            Find<QSpinBox>(window, "totalDays")->setValue(2);
            const double start = program.station.Opt.StartDay;
            QSignalSpy finished(&window, &MainWindow::RunFinished);
            QTest::keyClick(&window, Qt::Key_F9);
            QVERIFY(finished.wait(60000));
            QVERIFY(finished.at(0).at(0).toBool());
            window.Progress()->close();
            Find<QAction>(window, "actionSaveAll")->trigger();
            QCOMPARE(program.station.Opt.StartDay, start + 2);
            // The Run page shows the start moved on in the lists' short form, and an edit
            // there keeps it: the crossfade allowance emptied counts as 0.
            QCOMPARE(
                Find<QDateEdit>(window, "startDay")->text(),
                QDate(1899, 12, 30).addDays(static_cast<qint64>(start) + 2).toString("M/d/yyyy"));
            auto* crossfade = Find<QLineEdit>(window, "crossfadeAllowance");
            QTest::keyClick(crossfade, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(crossfade, Qt::Key_Backspace);
            QCOMPARE(program.station.Opt.CrossfadeAllowance, std::string("0"));
            QTest::keyClick(crossfade, Qt::Key_Return);
            QCOMPARE(crossfade->text(), QString("0"));
            Find<QAction>(window, "actionSave")->trigger();
            QCOMPARE(LoadOptions(data, 0, FormatSettings::English()).Values.StartDay, start + 2);
            const std::size_t asked = op.Messages.size();
            QVERIFY(window.close());
            QCOMPARE(op.Messages.size(), asked);  // nothing left unsaved to ask about
        }
        Started again(data, op);
        MainWindow& window = again.Window();
        QCOMPARE(window.CurrentPage(), Page::Options);
        QCOMPARE(window.View(ListKind::Categories)->model()->index(0, 2).data(),
                 QVariant(qulonglong(4)));
        const char* pages[][2] = {{"Hits", "categories"},
                                  {"IDs", "spot-groups"},
                                  {"Hour", "rotations"},
                                  {"Week", "schedules"}};
        for (int i = 0; i < 4; ++i) {
            ShowPage(window, static_cast<Page>(i));
            QCOMPARE(Names(window, static_cast<ListKind>(i)), QStringList{pages[i][0]});
            test::Screenshot(window, QString("main-window-") + pages[i][1]);
        }
    }

    // An empty data folder offers a ready-made station: the demo fills it, in place.
    void anEmptyDataFolderOffersTheDemo() {
        test::TempDir dir;
        test::ScriptedOperator op;
        Started program(dir.Path(), op);
        MainWindow& window = program.Window();
        Activate(window);
        QVERIFY(Button(window, "New Category...")->isVisible());
        Button(window, "Make a demo station")->click();
        QCOMPARE(window.CurrentPage(), Page::Options);
        QCOMPARE(Names(window, ListKind::Categories).size(), 5);
        QVERIFY(HoldsStation(dir.Path()));
        QVERIFY(!Button(window, "New Category...")->isVisibleTo(&window));
    }

    // What the operator typed or set survives what follows it: Related Artists saved by
    // key, a Rotation opened and changed from its page, Stay on top and hints applied at
    // once, a close during a run explained. (A Schedule opened from its page and changed
    // is the Schedule editor's test in dialogs_test.cpp.)
    void editsReachTheStationAndStay() {
        test::Fixture f;
        MainWindow window(*f.station);
        Activate(window);
        ShowPage(window, Page::Options);
        auto* related = Find<QPlainTextEdit>(window, "relatedArtists");
        Find<QTabWidget>(window, "optionPages")->setCurrentIndex(4);
        related->setFocus();
        // Saved by Save and by Save All while the text still has the focus.
        for (const QKeySequence& keys :
             {QKeySequence(QKeySequence::Save), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)}) {
            QTest::keyClicks(related, "Band;Other");
            QTest::keyClick(related, Qt::Key_Return);
            QTest::keySequence(&window, keys);
            QVERIFY(test::ReadAll(f.b.DataFolder() / "Related.dat").ends_with("Band;Other;\r\n"));
            QVERIFY(!f.station->Changed.Any());
        }

        // Open (Enter) on a Rotation opens its editor with the entry.
        ShowPage(window, Page::Rotations);
        window.View(ListKind::Rotations)->setFocus();
        Select(window, ListKind::Rotations);
        // In the editor, a group dropped on the hour and an item moved by drag.
        auto editHour = [&](QDialog& d) {
            QCOMPARE(d.windowTitle(), QString("Morning Rotation Properties"));
            Find<QLineEdit>(d, "notes")->setText("Weekday mornings");
            auto* hour = Find<gui::DropTargetList>(d, "rotationList");
            for (const char* from : {"categoryList", "rotationList"}) {  // Gold; IDs to the end
                auto* list = Find<QListWidget>(d, from);
                std::unique_ptr<QMimeData> mime(
                    list->model()->mimeData({list->model()->index(0, 0)}));
                QVERIFY(hour->Drop(mime.get(), QPoint(5, hour->viewport()->height() - 2)));
            }
            test::Screenshot(d, "rotation-editor");
            Ok(d);
        };
        QVERIFY(WithDialog(
            [&] { QTest::keyClick(window.View(ListKind::Rotations), Qt::Key_Return); }, editHour));
        QCOMPARE(f.station->Rotations[0]->Items.at(1).Text, std::string("00:03:20\tGold"));
        QCOMPARE(f.station->Rotations[0]->Items.at(2).Text, std::string("00:06:20\t{IDs}"));
        QCOMPARE(f.station->Rotations[0]->Notes, std::string("Weekday mornings"));
        Activate(window);
        QTest::keySequence(&window, QKeySequence::Save);
        QVERIFY(test::ReadAll(f.b.DataFolder() / "Rotations.dat").find("00:03:20\tGold") !=
                std::string::npos);

        ShowPage(window, Page::Options);
        Find<QTabWidget>(window, "optionPages")->setCurrentIndex(3);
        Find<QCheckBox>(window, "stayOnTop")->setChecked(true);
        QVERIFY(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(window.isVisible());
        auto* hinted = Find<QCheckBox>(window, "toolTips");
        hinted->setToolTip("hint");
        QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), hinted->mapToGlobal(QPoint(2, 2)));
        for (const bool hints : {false, true}) {  // in every window, as the option says
            hinted->setChecked(hints);
            QApplication::sendEvent(hinted, &help);
            QTRY_COMPARE(QToolTip::isVisible(), hints);
        }

        // Closing while a run works says why it stays; a SIGTERM stops the run, then closes.
        f.station->Opt.TotalDays = 60;
        Find<QAction>(window, "actionCreatePlaylist")->trigger();
        QVERIFY(window.Busy());
        const std::size_t before = f.op.Messages.size();
        QVERIFY(!window.close());
        QCOMPARE(f.op.Messages.size(), before + 1);
        QVERIFY(f.op.Messages.back().Text.find("Cancel") != std::string::npos);
        f.op.QueueAnswer(Answer::No);  // the close question after the run
        window.Terminate();
        QTRY_VERIFY_WITH_TIMEOUT(!window.isVisible(), 60000);
        QVERIFY(!window.Busy());
    }

    // An "r" start whose run fails leaves the window to a person: questions are asked
    // again, not answered Yes by the unattended run.
    void aFailedUnattendedRunHandsTheWindowBack() {
        test::Fixture f(false);  // no Schedule: the run cannot make a day
        UnattendedOperator unattended;
        f.station->SetOperator(unattended);
        MainWindow window(*f.station);
        window.show();
        QSignalSpy finished(&window, &MainWindow::RunFinished);
        window.RunUnattended({}, &f.op);
        QVERIFY(finished.wait(60000));
        QVERIFY(!finished.at(0).at(0).toBool());
        QVERIFY(window.isVisible());
        window.Progress()->close();
        const double lastUsed = f.station->Categories[0]->Files[0].LastUsed;
        f.op.QueueAnswer(Answer::Cancel);
        Find<QAction>(window, "actionClearLastScheduled")->trigger();
        QVERIFY(!f.op.Messages.empty());
        QCOMPARE(f.op.Messages.back().Offered, Buttons::OkCancel);
        QCOMPARE(f.station->Categories[0]->Files[0].LastUsed, lastUsed);
    }

    // Reports of Use from the File menu: last week's census of the demo's saved run, shown,
    // saved as CSV and read back row for row.
    void aReportOfLastWeekSavedAndReadBack() {
        test::TempDir dir;
        auto station = test::DemoStation(dir, true);
        // The day the run moved the start on to: its week is the last one.
        station->Clock = [day = station->Opt.StartDay] { return static_cast<TDateTime>(day); };
        MainWindow window(*station);
        window.show();
        const QString file = QString::fromStdString(dir / "census.csv");
        int shown = 0;
        QVERIFY(WithDialog<gui::ReportsDialog>(
            [&] { Find<QAction>(window, "actionReports")->trigger(); },
            [&](gui::ReportsDialog& reports) {
                QCOMPARE(test::UnnamedControls(reports), QStringList());
                Find<QPushButton>(reports, "lastWeek")->click();
                auto* format = Find<QComboBox>(reports, "format");
                format->setCurrentIndex(
                    format->findText("Webcasting census (one row per performance)"));
                Find<QPushButton>(reports, "show")->click();
                shown = Find<QTableWidget>(reports, "rows")->rowCount();
                test::Screenshot(reports, "reports-of-use");
                QVERIFY(WithDialog<QFileDialog>(
                    [&] { Find<QPushButton>(reports, "save")->click(); },
                    [&](QFileDialog& save) {
                        Find<QLineEdit>(save, "fileNameEdit")->setText(file);
                        static_cast<QDialog&>(save).accept();
                    }));
                reports.reject();
            }));
        QVERIFY(shown > 0);
        const std::string text = test::ReadAll(file.toStdString());
        QVERIFY(text.starts_with("\"NAME_OF_SERVICE\""));
        QVERIFY(text.substr(0, text.find('\n')).find("DATE_OF_PERFORMANCE") != std::string::npos);
        QCOMPARE(static_cast<int>(std::count(text.begin(), text.end(), '\n')), shown + 1);
    }

    // An attribute defined on its Options page (the page alone makes no database) and set
    // on two tracks at once in the File List: its column shows it, the database keeps it.
    void anAttributeSetOnTracksInTheFileList() {
        test::Fixture f;
        MainWindow window(*f.station);
        ShowPage(window, Page::Options);
        auto* options = Find<QTabWidget>(window, "optionPages");
        options->setCurrentIndex(options->indexOf(Find<QWidget>(window, "AttributesPage")));
        const std::filesystem::path data = f.b.DataFolder();
        QVERIFY(!std::filesystem::exists(StationDb::FileIn(data)));
        QVERIFY(WithDialog([&] { Find<QPushButton>(window, "addAttribute")->click(); },
                           [&](QDialog& d) {
                               QTest::keyClicks(Find<QLineEdit>(d, "name"), "Vocal");
                               Ok(d);  // refused, the reason beside the values
                               QVERIFY(d.isVisible());
                               QVERIFY(!Find<QLabel>(d, "valuesVerdict")->text().isEmpty());
                               test::Screenshot(d, "attribute-dialog");
                               auto* values = Find<QPlainTextEdit>(d, "values");
                               QTest::keyClicks(values, "Female");
                               QTest::keyClick(values, Qt::Key_Return);
                               QTest::keyClicks(values, "Male");
                               Ok(d);
                           }));
        QCOMPARE(Find<QTreeWidget>(window, "attributeList")->topLevelItem(0)->text(1),
                 QString("Female, Male"));
        test::Screenshot(window, "options-attributes");

        ShowPage(window, Page::Categories);
        Select(window, ListKind::Categories,
               static_cast<int>(Names(window, ListKind::Categories).indexOf("Hits")));
        QVERIFY(WithDialog(
            [&] { Find<QAction>(window, "actionFileList")->trigger(); },
            [&](QDialog& files) {
                auto* view = Find<QTreeView>(files, "fileView");
                for (const int row : {0, 1}) {
                    QTest::mouseClick(view->viewport(), Qt::LeftButton,
                                      row == 0 ? Qt::NoModifier : Qt::ShiftModifier,
                                      view->visualRect(view->model()->index(row, 1)).center());
                }
                QVERIFY(WithDialog([&] { Find<QPushButton>(files, "setAttribute")->click(); },
                                   [&](QDialog& d) {
                                       Find<QComboBox>(d, "value")->setCurrentText("Male");
                                       Ok(d);
                                   }));
                const QAbstractItemModel* m = view->model();
                QCOMPARE(m->headerData(5, Qt::Horizontal).toString(), QString("Vocal"));
                QCOMPARE(m->index(0, 5).data().toString(), QString("Male"));
                QCOMPARE(m->index(1, 5).data().toString(), QString("Male"));
                test::Screenshot(files, "file-list-attributes");
                files.accept();
            }));
        StationDb db(data, StationDb::Mode::IfExists);
        const auto hits = std::ranges::find(f.station->Categories, std::string("Hits"),
                                            [](const auto& c) { return c->Name; });
        QCOMPARE((*hits)->Files.size(), std::size_t{2});
        for (const FileRec& file : (*hits)->Files) {
            QCOMPARE(db.AttributesOf(file.FileName).Value.at("Vocal"), std::string("Male"));
        }

        // Removed only once no rule names it, and only when the operator says Yes.
        QVERIFY(db.SetRules("Hits", {"separate Vocal=Male 2 items"}));
        ShowPage(window, Page::Options);
        auto* remove = Find<QPushButton>(window, "removeAttribute");
        remove->click();
        QVERIFY(f.op.Messages.back().Text.find(
                    "Category \"Hits\": No two tracks with Vocal Male") != std::string::npos);
        QVERIFY(db.SetRules("Hits", {}));
        f.op.QueueAnswer(Answer::Yes);
        remove->click();
        QCOMPARE(Find<QTreeWidget>(window, "attributeList")->topLevelItemCount(), 0);
        QVERIFY(db.AttributesOf((*hits)->Files[0].FileName).Value.empty());
    }

    // A run's log mended in the Playlist Editor (F8): two hours made again, the later track
    // they now crowd listed, Undo gives the old hours back; then a track replaced from the
    // list of those that could take its place, and one inserted, each told what it breaks.
    void hoursMadeAgainAndATrackReplaced() {
        test::TempDir dir;
        test::StationBuilder b(dir);  // five tracks, four an hour, 70 minutes apart
        b.AddCategory(
            "Hits", {b.MusicFolder(
                        "Hits", {"A - One", "B - Two", "C - Three", "D - Four", "E - Five"}, 900)});
        b.AddRotation("Hour", {MakeCategoryItem("Hits")}, true);
        b.AddSchedule("Week", "1111111", "...DEFAULT...");
        test::RunFrom(b.Opt(), b.Opt().StartDay, 6, 3);
        b.Opt().SystemSongInterval = "70";
        b.Opt().CrossfadeAllowance = "0";
        b.Save();
        test::ScriptedOperator op;
        Station station(b.DataFolder(), op, FormatSettings::English());
        station.Random.Seed(1);  // the order the tracks are shuffled into
        station.LoadAll();
        station.FixedSeed = 1;  // the run's choices, and those of the hours made again
        MainWindow window(station);
        QSignalSpy ran(&window, &MainWindow::RunFinished);
        Activate(window);
        Find<QAction>(window, "actionCreatePlaylist")->trigger();
        QVERIFY(ran.wait(60000));
        window.Progress()->close();
        Activate(window);
        QTest::keyClick(&window, Qt::Key_F8);
        const QWidgetList windows = QApplication::topLevelWidgets();
        auto& editor = *qobject_cast<gui::EditorWindow*>(
            *std::ranges::find(windows, QString("playlistEditor"), &QObject::objectName));
        auto act = [&](const char* name) { Find<QAction>(editor, name)->trigger(); };
        auto ids = [&] {
            QList<std::uint64_t> shown;
            for (const HourRow& row : editor.Rows()) {
                shown << row.Id;
            }
            return shown;
        };
        const auto before = ids();

        auto regenerate = [&](gui::RegenerateDialog& d) {
            QCOMPARE(test::UnnamedControls(d), QStringList());
            QCOMPARE(Find<QComboBox>(d, "fromHour")->currentText(), QString("06:00"));
            Find<QComboBox>(d, "toHour")->setCurrentIndex(7);
            test::Screenshot(d, "regenerate-hours");
            Ok(d);
        };
        QVERIFY(WithDialog<gui::RegenerateDialog>([&] { act("actionRegenerate"); }, regenerate));
        QTRY_VERIFY_WITH_TIMEOUT(!editor.Busy(), 60000);
        QCOMPARE(editor.Shown(), (LogHour{0, 6}));
        QVERIFY(std::ranges::none_of(ids(), [&](auto id) { return before.contains(id); }));
        auto& results = *Find<QDialog>(editor, "regenerateResults");
        QVERIFY(results.isVisible());
        QCOMPARE(test::UnnamedControls(results), QStringList());
        test::Screenshot(results, "regenerate-results");
        // Made greedily, the hours come to 7:45 with every track too near: D, which now
        // plays too near its own play at 8:00.
        const QStringList conflicts = test::Rows(*Find<QListWidget>(results, "conflicts"));
        QCOMPARE(conflicts.size(), 1);
        QVERIFY(conflicts[0].contains("08:00  D - Four.mp3 (Hits): song played 15 min ago"));
        QVERIFY(test::Rows(*Find<QListWidget>(results, "relaxed")).join("").contains("07:45  D"));
        act("actionUndo");
        QCOMPARE(ids(), before);

        // C, at 6:15, replaced with E, which plays again at 7:00: every track is too near.
        editor.SelectIds({editor.Rows()[2].Id});
        auto replace = [&](gui::ReplaceTrackDialog& d) {
            QCOMPARE(test::UnnamedControls(d), QStringList());
            Find<QCheckBox>(d, "cleanOnly")->setChecked(true);
            QCOMPARE(Find<QTreeWidget>(d, "candidates")->topLevelItemCount(), 0);
            QVERIFY(Find<QLabel>(d, "nothingShown")->text().startsWith("Every track of Hits"));
            Find<QCheckBox>(d, "cleanOnly")->setChecked(false);
            QTest::keyClicks(Find<QLineEdit>(d, "search"), "five");
            QCOMPARE(Find<QTreeWidget>(d, "candidates")->topLevelItemCount(), 1);
            test::Screenshot(d, "replace-track");
            QTest::keyClick(Find<QLineEdit>(d, "search"), Qt::Key_Return);
        };
        QVERIFY(WithDialog<gui::ReplaceTrackDialog>([&] { act("actionReplaceTrack"); }, replace));
        QVERIFY(editor.Document().Find(editor.Rows()[2].Id)->Path.ends_with("E - Five.mp3"));
        QVERIFY(op.Messages.back().Text.find("song plays 45 min later") != std::string::npos);

        // D inserted at the top of the hour, 45 minutes before its own play.
        editor.SelectIds({editor.Rows()[1].Id});
        auto insert = [&](gui::InsertItemDialog& d) {
            WithDialog<gui::SelectItemDialog>([&] { d.SelectItem(); },
                                              [](gui::SelectItemDialog& select) {
                                                  select.ChooseGroup("Hits");
                                                  select.ChooseFile("D - Four");
                                                  select.accept();
                                              });
            Ok(d);
        };
        QVERIFY(WithDialog<gui::InsertItemDialog>([&] { act("actionInsertItem"); }, insert));
        QTRY_VERIFY_WITH_TIMEOUT(!editor.Busy(), 30000);
        QVERIFY(op.Messages.back().Text.starts_with("The track is inserted, but breaks"));
    }

    // Every action enabled on a page with an entry selected opens a window, asks, or
    // changes something an operator can see; every control of every window it opens
    // has a name a screen reader can say.
    void everyEnabledActionDoesSomething() {
        for (const Page page : {Page::Categories, Page::SpotGroups, Page::Rotations,
                                Page::Schedules, Page::Options}) {
            test::Fixture f;
            MainWindow window(*f.station);
            window.show();
            auto prepare = [&] {
                ShowPage(window, page);
                if (page != Page::Options) {
                    Select(window, static_cast<ListKind>(page));
                }
            };
            QStringList unnamed;
            const QStringList idle =
                test::ActionsThatDoNothing(window, *f.station, f.op, prepare, unnamed);
            QVERIFY2(idle.isEmpty(),
                     qPrintable(QString::number(static_cast<int>(page)) + ": " + idle.join(", ")));
            QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join("\n")));
        }
    }

private:
    test::ModalWatchdog watchdog_;  // a window nobody answers fails the test at once
};

QTEST_MAIN(JourneyTest)
#include "journey_test.moc"
