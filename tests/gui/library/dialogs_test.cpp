// The library dialogs offscreen on real data folders: the Category and Spot Group
// properties with their checks, enabling rules and write-back, reached from the main
// window. Screenshots go to the build folder.
#include <algorithm>

#include "gui/help/help_window.h"
#include "gui/journey.h"
#include "gui/library/file_view_window.h"
#include "gui/library/group_dialog.h"
#include "gui/library/plan_lists.h"
#include "gui/library/rotation_editor.h"
#include "gui/library/schedule_editor.h"

using namespace spindle;
using spindle::gui::CategoryDialog;
using spindle::gui::MainWindow;

using spindle::test::Find;
using spindle::test::Select;
using spindle::test::WithDialog;

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    // A new Category from its page: a refusal keeps the dialog open with the focus on the
    // field it concerns, one box per missing folder; Help and F1 open its own page.
    void aNewCategoryIsCheckedInOrder() {
        test::Fixture f;
        MainWindow window(*f.station);
        window.show();
        gui::SetHelpFolder(SPINDLE_HELP_DIR);
        auto step = [&](CategoryDialog& dialog) {
            auto* ok = Find<QDialogButtonBox>(dialog, "buttons")->button(QDialogButtonBox::Ok);
            QVERIFY(!ok->isEnabled());  // no name and no folders yet
            auto* name = Find<QLineEdit>(dialog, "name");
            auto* folders = Find<QPlainTextEdit>(dialog, "folders");
            QTest::keyClicks(name, "hits");
            folders->setPlainText("/gone/a\n/gone/b");
            ok->click();
            QCOMPARE(QApplication::focusWidget(), name);  // a taken name is refused first
            name->setText("Oldies");
            const std::size_t before = f.op.Messages.size();
            ok->click();
            QCOMPARE(f.op.Messages.size(), before + 2);
            QCOMPARE(QApplication::focusWidget(), folders);

            Find<QDialogButtonBox>(dialog, "buttons")->button(QDialogButtonBox::Help)->click();
            auto* help = gui::HelpWindow()->findChild<QTextBrowser*>("helpBrowser");
            QCOMPARE(help->source().fileName() + "#" + help->source().fragment(),
                     QString("library.html#category"));
            help->setSource(QUrl());
            QApplication::setActiveWindow(&dialog);
            QTest::keyClick(folders, Qt::Key_F1);
            QCOMPARE(help->source().fragment(), QString("category"));
            dialog.reject();
        };
        QVERIFY(WithDialog<CategoryDialog>(
            [&] { window.findChild<QAction*>("actionNew")->trigger(); }, step));
        QCOMPARE(f.station->Categories.size(), std::size_t{2});
    }

    // An opened Category shows the station's "System Default" intervals, offers the
    // extensions of the Options and, its folders changed, keeps what is known of the files
    // the scan still finds; the File List shows its tracks, sorted by a heading, and
    // corrects one.
    void openedGroupsTheFileListAndTheOptions() {
        test::Fixture f;
        Options& o = f.station->Opt;
        o.SystemSongInterval = "240";
        o.SystemArtistInterval = "90";
        o.Extensions.Select("MP2", false);
        auto& hits = static_cast<TCategoryDetails&>(*f.station->Categories[0]);
        hits.SongRepeatInterval = 200;
        for (FileRec& track : hits.Files) {
            track.LastUsed = 46000.5;
        }
        MainWindow window(*f.station);
        window.show();
        QSignalSpy reloaded(&window, &MainWindow::ReloadFinished);
        Select(window, ListKind::Categories);
        QVERIFY(WithDialog<CategoryDialog>(
            [&] { window.findChild<QAction*>("actionOpen")->trigger(); },
            [&](CategoryDialog& d) {
                auto* song = Find<QLineEdit>(d, "songRepeatInterval");
                auto* artist = Find<QLineEdit>(d, "artistRepeatInterval");
                QVERIFY(song->text() == "240" && artist->text() == "90" && !artist->isEnabled());
                auto* option = Find<QComboBox>(d, "songRepeatOption");
                option->setCurrentIndex(kRepeatSpecify);
                QCOMPARE(song->text(), QString("200"));  // its own, once specified
                song->clear();
                QTest::keyClicks(song, "150");  // the track bar and the label follow
                QCOMPARE(Find<QSlider>(d, "songRepeatTrackBar")->value(), 5);
                QCOMPARE(Find<QLabel>(d, "songRepeatUnit")->text(), QString("(2.5 hours)"));
                option->setCurrentIndex(kRepeatSystemDefault);
                QCOMPARE(song->text(), QString("240"));
                QVERIFY(WithDialog<QFileDialog>([&] { Find<QPushButton>(d, "addFiles")->click(); },
                                                [](QFileDialog& files) {
                                                    QVERIFY(files.nameFilters().value(0).startsWith(
                                                        "All supported files (*.mp3 "));
                                                    files.reject();
                                                }));
                Find<QPlainTextEdit>(d, "folders")
                    ->appendPlainText(QString::fromStdString(f.dir / "music/Gold"));
                d.accept();
            }));
        QCOMPARE(hits.SongRepeatOption, std::uint8_t{kRepeatSystemDefault});
        QCOMPARE(hits.SongRepeatInterval, std::uint32_t{150});  // kept while unused
        QVERIFY(reloaded.wait(30000));
        QCOMPARE(hits.Files.size(), std::size_t{3});
        QCOMPARE(std::count_if(hits.Files.begin(), hits.Files.end(),
                               [](const FileRec& t) { return t.LastUsed == 46000.5; }),
                 2);
        // File List shows the selected group's tracks; a heading clicked twice sorts it the
        // other way; the properties correct a track and mark the track lists to be saved.
        f.station->Changed = ChangedFlags{};
        Select(window, ListKind::Categories);  // Hits
        bool checked = false;
        QTimer::singleShot(0, [&] {
            auto* files = Find<gui::FileViewWindow>(window, "fileViewWindow");
            QCOMPARE(files->windowTitle(), QString("Hits File List"));
            auto* view = Find<QTreeView>(*files, "fileView");
            QCOMPARE(view->model()->rowCount(), 3);
            emit view->header()->sectionClicked(1);
            emit view->header()->sectionClicked(1);  // by file name, descending
            QCOMPARE(view->model()->data(view->model()->index(0, 1)).toString(),
                     QString("Other - Tune.mp3"));
            test::Screenshot(*files, "file-list");
            view->setCurrentIndex(view->model()->index(0, 0));
            QTimer::singleShot(0, [&] {
                auto* props = Find<QDialog>(*files, "filePropertiesDialog");
                // The date in the short form the list shows ("12/9/2025 12:00").
                QCOMPARE(Find<QDateEdit>(*props, "eLastDate")->text(), QString("12/9/2025"));
                Find<QTimeEdit>(*props, "eDuration")->setTime(QTime(0, 3, 35));
                Find<QPushButton>(*props, "btNever")->click();
                test::Screenshot(*props, "file-properties");
                props->accept();
            });
            QVERIFY(files->EditSelected());
            QCOMPARE(view->model()->data(view->model()->index(0, 2)).toString(),
                     QString("00:03:35"));
            QCOMPARE(view->model()->data(view->model()->index(0, 3)).toString(),
                     QString("     Never"));
            checked = true;
            files->accept();
        });
        window.findChild<QAction*>("actionFileList")->trigger();
        QVERIFY(checked);
        QVERIFY(f.station->Changed.FileLists);
        // Isolated mode adds no group.
        f.station->Isolated = true;
        window.Refresh();
        QVERIFY(!window.findChild<QAction*>("actionNew")->isEnabled());
    }

    // The Schedule editor from its page: all days chosen, a Rotation dropped on an hour,
    // the Timed Spots edited by keys as by their buttons (the Timed Spot dialog's OK waits
    // for a valid time), and OK and Save write Schedules.dat.
    void theScheduleEditorEditsAndSaves() {
        test::Fixture f;
        MainWindow window(*f.station);
        window.show();
        window.findChild<QTabWidget*>("pages")->setCurrentIndex(static_cast<int>(Page::Schedules));
        Select(window, ListKind::Schedules);
        auto timedSpot = [](const char* time) {
            return [time](gui::TimedSpotDialog& d) {
                auto* ok = Find<QDialogButtonBox>(d, "buttons")->button(QDialogButtonBox::Ok);
                Find<QComboBox>(d, "spotCombo")->setCurrentText("IDs");
                auto* field = Find<QLineEdit>(d, "time");
                field->setText("10:61");
                QVERIFY(!ok->isEnabled());
                field->setText(time);
                QVERIFY(ok->isEnabled());
                test::Screenshot(d, "timed-spot-dialog");
                ok->click();
            };
        };
        const struct {
            QKeyCombination Keys;
            std::function<void(gui::TimedSpotDialog&)> Answer;  // the dialog the key opens
            QStringList Spots;
        } keys[] = {
            {Qt::SHIFT | Qt::Key_Insert, timedSpot("07:05"), {"07:05\tIDs"}},
            {Qt::ALT | Qt::Key_Return, timedSpot("08:00"), {"08:00\tIDs"}},
            {Qt::ALT | Qt::Key_T, nullptr, {"08:05\tIDs"}},  // five minutes added
            {Qt::CTRL | Qt::Key_C, nullptr, {"08:05\tIDs"}},
            {Qt::Key_Delete, nullptr, {}},
            {Qt::CTRL | Qt::Key_V, nullptr, {"08:05\tIDs"}},
        };
        f.op.QueueReply("5");
        QVERIFY(WithDialog<gui::ScheduleEditor>(
            [&] { window.findChild<QAction*>("actionOpen")->trigger(); },
            [&](gui::ScheduleEditor& editor) {
                Find<QPushButton>(editor, "allDays")->click();
                auto* rotations = Find<QListWidget>(editor, "rotationList");
                auto* hours = Find<gui::DropTargetList>(editor, "scheduleList");
                std::unique_ptr<QMimeData> mime(
                    rotations->model()->mimeData({rotations->model()->index(1, 0)}));
                QVERIFY(hours->Drop(mime.get(), hours->visualItemRect(hours->item(5)).center()));
                QCOMPARE(hours->item(5)->text(), QString("05:00\tMorning"));
                auto* list = Find<QListWidget>(editor, "quickSpotList");
                for (const auto& k : keys) {
                    editor.activateWindow();  // again once a Timed Spot dialog closed
                    QVERIFY(QTest::qWaitForWindowActive(&editor));
                    list->setFocus();
                    const QString key = QKeySequence(k.Keys).toString();  // for the messages
                    auto press = [&] {
                        QTest::keyClick(list, k.Keys.key(), k.Keys.keyboardModifiers());
                    };
                    QVERIFY2(k.Answer ? WithDialog<gui::TimedSpotDialog>(press, k.Answer)
                                      : (press(), true),
                             qPrintable(key));
                    const QStringList shown = test::Rows(*list);
                    QVERIFY2(shown == k.Spots, qPrintable(key + ": " + shown.join(", ")));
                    list->setCurrentRow(0);
                }
                editor.resize(900, 560);
                test::Screenshot(editor, "schedule-editor");
                // An hour of a Rotation with nothing on the air: No keeps the editor open.
                f.station->FindRotation("Morning")->Items = {{MakeBreakNoteItem("Talk")}};
                f.op.QueueAnswer(Answer::No);
                test::Ok(editor);
                QVERIFY(editor.isVisible());
                QVERIFY2(f.op.Messages.back().Text.find("05:00, 06:00") != std::string::npos,
                         f.op.Messages.back().Text.c_str());
                test::Ok(editor);
            }));
        QVERIFY(f.station->Schedules[0]->Days[6]);
        window.SaveAction()->trigger();
        const std::string saved = test::ReadAll(f.b.DataFolder() / "Schedules.dat");
        QVERIFY(saved.find("05:00\tMorning") != std::string::npos);
        QVERIFY(saved.find("08:05\tIDs") != std::string::npos);
    }

private:
    test::ModalWatchdog watchdog_;
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
