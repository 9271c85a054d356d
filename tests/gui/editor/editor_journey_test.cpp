// The Playlist Editor as an operator meets it on a Monday morning: opened with F8 on the
// latest run's log, edited with its own actions, keys and tool windows, saved and checked
// on disk, closed, run again and opened again; the close question's three answers; a log
// that a run made again while it was open. (A log whose hour lines are damaged is refused
// by the save itself: DocumentSave's refused saves.)
#include <filesystem>

#include "base/command_words.h"
#include "base/format.h"
#include "base/format_datetime.h"
#include "base/text_file.h"
#include "gui/editor/editor_window.h"
#include "gui/editor/insert_dialogs.h"
#include "gui/editor/voice_track_window.h"
#include "gui/journey.h"
#include "gui/widgets/progress_window.h"
#include "gui/widgets/worker.h"

using namespace spindle;
using spindle::gui::EditorWindow;
using spindle::gui::MainWindow;
using test::Activate;
using test::Find;
using test::WithDialog;

namespace {

// The demo station after a run, in the main window as the program shows it.
struct Desk {
    Desk() : station(test::DemoStation(dir, true, &op)), window(*station) { window.show(); }
    std::string Log() const {
        return station->Opt.LogFolderPath() + station->Opt.LogBaseName + ".plg";
    }
    // F8 on the main window; the editor it shows.
    EditorWindow& F8() {
        Activate(window);
        QTest::keyClick(&window, Qt::Key_F8);
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* editor = qobject_cast<EditorWindow*>(w); editor && editor->isVisible()) {
                return *editor;
            }
        }
        qFatal("F8 showed no editor");
    }
    // A stand-in program: a shell script of `body`, as a command word.
    std::string Script(const char* name, const std::string& body) {
        const std::string path = dir.Write(name, "#!/bin/sh\n" + body + "\n");
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return QuotedWord(path);
    }
    test::TempDir dir;
    test::ScriptedOperator op;
    std::unique_ptr<Station> station;
    MainWindow window;
};

QTreeView& View(EditorWindow& editor) {
    return *Find<QTreeView>(editor, "fileView");
}

void Key(EditorWindow& editor, QKeySequence keys) {
    Activate(editor);
    QTest::keySequence(&View(editor), keys);
}

void SelectRow(EditorWindow& editor, int row) {
    editor.SelectIds({editor.Rows()[static_cast<std::size_t>(row)].Id});
}

bool ShowsModified(EditorWindow& editor) {
    return std::ranges::any_of(editor.statusBar()->findChildren<QLabel*>(),
                               [](QLabel* l) { return l->text() == "Modified"; });
}

// The live items of a document in log order: type, a timed item's minute, path.
QStringList Live(const PlaylistDocument& doc) {
    QStringList items;
    for (const EditorItem& item : doc.Items()) {
        if (item.State != EditState::Removed) {
            const int minute = PlaylistDocument::IsTimed(item) ? item.Minute : -1;
            items << QString("%1 %2 %3").arg(item.Type).arg(minute).arg(item.Path.c_str());
        }
    }
    return items;
}

// An hour of a playlist file as the document holds it: its start line and its items.
std::string PlaylistHour(const PlaylistDocument& doc, LogHour hour) {
    std::string lines = Format("START OF HOUR %0:.2d:00:00\r\n", hour.Hour);
    for (const HourRow& row : doc.ViewOf(hour).Rows) {
        if (row.Type != kItemHourMarker && row.Type != kItemVoiceTrack) {
            lines += doc.Find(row.Id)->Path + "\r\n";  // files, and Break Notes' texts
        }
    }
    return lines;
}

QStringList OnDisk(const std::string& log) {
    PlaylistDocument doc;
    doc.Load(log, true, FormatSettings::English());
    return Live(doc);
}

// Chooses a kind, a group and its first file in the Select dialog.
auto Pick(SelectKind kind, const std::string& group) {
    return [kind, group](gui::SelectItemDialog& select) {
        QVERIFY(select.findChild<QListWidget*>("catSpotList")->count() > 0);  // not empty
        select.ChooseKind(kind);
        select.ChooseGroup(QString::fromStdString(group));
        select.ChooseFile(select.findChild<QListWidget*>("fileList")->item(0)->text());
        select.accept();
    };
}

bool Saved(EditorWindow& editor) {
    QSignalSpy saved(&editor, &EditorWindow::Saved);
    Key(editor, QKeySequence::Save);
    // A refusal is told at once; a save ends on the worker.
    return (!saved.isEmpty() || saved.wait(60000)) && saved.at(0).at(0).toBool();
}

}  // namespace

class EditorJourneyTest : public QObject {
    Q_OBJECT

private slots:
    // Open, delete and undo, cut and paste across hours, instant replace, Replace and
    // Replace All, insert at chosen minutes, drag, record a voice track, save and read
    // the log, its .bak and the day's playlist file; close, run again, open again.
    void theDailyRoutine() {
        Desk desk;
        Station& station = *desk.station;
        const std::string first = test::ReadAll(desk.Log());
        EditorWindow& editor = desk.F8();
        const TDateTime start = editor.Document().StartDate();
        const TDateTime loaded = editor.Document().LastModified();
        QTreeView& view = View(editor);
        QVERIFY(!desk.window.isEnabled());
        QCOMPARE(Live(editor.Document()), OnDisk(desk.Log()));
        QVERIFY(editor.findChild<QToolBar*>()->width() >=
                editor.findChild<QToolBar*>()->sizeHint().width());

        // Del and Shift+Del go on down the hour; Undo gives the row back and, with that,
        // nothing is modified and nothing is left to undo.
        const int rows = view.model()->rowCount();
        SelectRow(editor, 1);
        const std::uint64_t third = editor.Rows()[2].Id;
        for (const QKeySequence& del : {QKeySequence(Qt::Key_Delete), QKeySequence("Shift+Del")}) {
            Key(editor, del);
            QVERIFY(view.model()->rowCount() == rows - 1 && ShowsModified(editor));
            QCOMPARE(editor.SelectedIds(), std::vector<std::uint64_t>{third});
            Key(editor, QKeySequence::Undo);
            QVERIFY(view.model()->rowCount() == rows && !ShowsModified(editor) &&
                    !editor.findChild<QAction*>("actionUndo")->isEnabled());
            SelectRow(editor, 1);
        }

        // Cut in the first hour, paste at the top of the next.
        SelectRow(editor, 2);
        const std::string moved = editor.Document().Find(editor.SelectedIds()[0])->Path;
        Key(editor, QKeySequence::Cut);
        editor.findChild<QAction*>("actionNextHour")->trigger();
        SelectRow(editor, 0);
        Key(editor, QKeySequence::Paste);
        QCOMPARE(editor.Document().Find(editor.Rows()[0].Id)->Path, moved);
        editor.findChild<QAction*>("actionPreviousHour")->trigger();
        QCOMPARE(view.model()->rowCount(), rows - 1);

        // Instant replace: another track of the same Category.
        editor.SelectIds({std::ranges::find(editor.Rows(), kItemTrack, &HourRow::Type)->Id});
        const EditorItem before = *editor.Document().Find(editor.SelectedIds()[0]);
        editor.findChild<QAction*>("actionReplaceAny")->trigger();
        const EditorItem& now = *editor.Document().Find(editor.SelectedIds()[0]);
        QVERIFY(now.Path != before.Path && now.GroupName == before.GroupName);

        // Insert a Category track at minutes 0 and 60, then drag the first copy to the end.
        const std::string category = station.Categories[0]->Name;
        QVERIFY(WithDialog<gui::InsertItemDialog>(
            [&] { editor.findChild<QAction*>("actionInsertItem")->trigger(); },
            [&](gui::InsertItemDialog& insert) {
                WithDialog<gui::SelectItemDialog>([&] { insert.SelectItem(); },
                                                  Pick(SelectKind::Category, category));
                insert.SetOtherPositions(true);
                insert.Check({editor.Shown().Day}, {editor.Shown().Hour}, {0, 60});
                test::Ok(insert);
            }));
        QTRY_VERIFY_WITH_TIMEOUT(!editor.Busy(), 30000);  // the copies judged by the rules
        const std::string song = editor.Select().Chosen().Path;
        QVERIFY(editor.Document().Find(editor.Rows()[0].Id)->Path == song &&
                editor.Document().Find(editor.Rows().back().Id)->Path == song);
        view.model()->dropMimeData(view.model()->mimeData({view.model()->index(0, 0)}),
                                   Qt::MoveAction, -1, -1, {});
        QVERIFY(editor.Document().Find(editor.Rows()[0].Id)->Path != song);

        // Replace, with the row's own name to find: the search goes on to the next copy
        // of that file, not of the replacement.
        SelectRow(editor, view.model()->rowCount() - 2);
        Key(editor, QKeySequence::Find);
        auto* find = Find<QDialog>(editor, "findWindow");
        WithDialog<gui::SelectItemDialog>([&] { Find<QPushButton>(*find, "replaceWith")->click(); },
                                          Pick(SelectKind::Category, station.Categories[1]->Name));
        const std::string with = editor.Select().Chosen().Path;
        const LogHour here = editor.Shown();
        Find<QPushButton>(*find, "replace")->click();
        QCOMPARE(editor.Document().Find(editor.SelectedIds()[0])->Path, song);
        Find<QPushButton>(*find, "replace")->click();
        for (int back : {1, 2}) {  // the search may have gone on to a later hour
            QCOMPARE(
                editor.Document().Find(editor.Document().ViewOf(here).Rows.end()[-back].Id)->Path,
                with);
        }
        // Replace All: every copy of the 7:30 timed spot in the whole log, from a find
        // position after some of them, each keeping its kind and its minute.
        editor.ShowHour({1, 7});
        const auto timed = std::ranges::find_if(
            editor.Rows(), [](const HourRow& r) { return r.Type == kItemTimedSpot; });
        const std::string sponsor = editor.Document().Find(timed->Id)->Path;
        editor.SelectIds({timed->Id});
        const QStringList all = Live(editor.Document());
        const auto copies = std::ranges::count_if(
            all, [&](const QString& s) { return s.endsWith(sponsor.c_str()); });
        WithDialog<gui::SelectItemDialog>([&] { Find<QPushButton>(*find, "replaceWith")->click(); },
                                          Pick(SelectKind::SpotGroup, "Jingles"));
        const std::string jingle = editor.Select().Chosen().Path;
        Find<QPushButton>(*find, "replaceAll")->click();
        QCOMPARE(QString::fromStdString(desk.op.Messages.back().Text),
                 QString("%1 Items replaced.").arg(copies));
        QStringList expected = all;
        for (QString& s : expected) {
            s.replace(sponsor.c_str(), jingle.c_str());
        }
        QCOMPARE(Live(editor.Document()), expected);  // types and minutes as they were
        test::Screenshot(*find, "journey-find-window");

        // A voice track recorded into a folder not made yet, by a stand-in recorder.
        station.Opt.RecordingApp =
            desk.Script("rec.sh", "for last; do :; done\ncp '" +
                                      test::DataPath("audio/plain.wav").string() + "' \"$last\"");
        station.Opt.VoiceTrackFolder = (desk.dir.Path() / "voice").string();
        editor.ShowHour({0, 9});
        editor.findChild<QAction*>("actionVoiceTracks")->trigger();
        auto* tracks = Find<gui::VoiceTrackWindow>(editor, "voiceTrackWindow");
        QSignalSpy recorded(tracks, &gui::VoiceTrackWindow::Recorded);
        Find<QPushButton>(*tracks, "record")->click();
        QVERIFY(recorded.wait(20000) && recorded.at(0).at(0).toBool());
        const EditorItem voice = *editor.Document().Find(editor.SelectedIds().at(0));
        QVERIFY(voice.Path.starts_with(station.Opt.VoiceTrackFolder) && voice.Duration == 3u);
        // A recorder that writes nothing, and one that is not there, change nothing.
        const QStringList kept = Live(editor.Document());
        for (const std::string recorder : {"/bin/true", "/no/such/recorder"}) {
            station.Opt.RecordingApp = recorder;
            Find<QPushButton>(*tracks, "record")->click();
            QTRY_COMPARE(recorded.count(), recorder == "/bin/true" ? 2 : 3);
            QVERIFY(!recorded.back().at(0).toBool() && Live(editor.Document()) == kept);
        }
        QVERIFY(desk.op.Messages.back().Text.find("could not be started") != std::string::npos);
        SelectRow(editor, 0);  // navigation stays locked while Voice Tracking is open
        QVERIFY(!editor.findChild<QAction*>("actionNextHour")->isEnabled());

        // While work runs on the worker, a window that asks on the GUI thread is answered
        // there, not queued to itself.
        std::atomic<bool> go = false;
        gui::ProgressWindow progress;
        gui::Worker worker(
            station, [&](Operator&, Progress&) { return go.wait(false), true; }, progress);
        auto release = qScopeGuard([&] {  // a failed check must not leave the worker waiting
            go = true;
            go.notify_one();
        });
        worker.Start();
        QTRY_VERIFY(&station.Op() != &desk.op);
        QCOMPARE(station.Op().Show(MessageKind::Information, "meanwhile", Buttons::Ok), Answer::Ok);
        QCOMPARE(desk.op.Messages.back().Text, "meanwhile");
        release.dismiss();
        go = true;
        go.notify_one();
        QVERIFY(QSignalSpy(&worker, &gui::Worker::Finished).wait(5000));
        gui::Worker faulty(
            station, [](Operator&, Progress&) -> bool { throw std::runtime_error("disk on fire"); },
            progress);  // a fault in the work is told, and the program goes on
        QSignalSpy ended(&faulty, &gui::Worker::Finished);
        faulty.Start();
        QVERIFY(ended.wait(5000) && !ended.at(0).at(0).toBool());
        QVERIFY(desk.op.Messages.back().Text.ends_with("error: disk on fire"));

        // Save (at a later clock): the tool windows wait; the log is the document, an hour
        // not edited is written as it was read.
        QSignalSpy saved(&editor, &EditorWindow::Saved);
        const auto clock = std::exchange(station.Clock, [loaded] { return loaded + 1.5; });
        Key(editor, QKeySequence::Save);
        QVERIFY(editor.Busy() && !find->isEnabled() && !tracks->isEnabled());
        QVERIFY(saved.wait(60000) && saved.at(0).at(0).toBool());
        station.Clock = clock;
        QVERIFY(find->isEnabled() && !ShowsModified(editor));
        QCOMPARE(test::ReadAll(desk.Log().substr(0, desk.Log().size() - 4) + ".bak"), first);
        QCOMPARE(OnDisk(desk.Log()), Live(editor.Document()));
        // The last hour without the replaced spot was not edited: its lines are as read.
        auto untouched = [&, end = first.size()](const std::string& log) mutable {
            std::size_t at = first.rfind("\nB,", end - 1);
            while (first.substr(at, end - at).find(sponsor) != std::string::npos) {
                end = at;
                at = first.rfind("\nB,", end - 1);
            }
            const std::size_t from = log.find(first.substr(at, first.find('\n', at + 1) - at));
            return log.substr(from, end - at);
        };
        QCOMPARE(untouched(test::ReadAll(desk.Log())), untouched(first));
        QCOMPARE(editor.Document().LastModified(), loaded + 1.5);
        QVERIFY(std::ranges::any_of(editor.statusBar()->findChildren<QLabel*>(), [&](QLabel* l) {
            return l->text().toStdString() ==
                   "Last Modified " + FormatDateTime("ddddd t", editor.Document().LastModified(),
                                                     station.Settings());
        }));
        test::Screenshot(editor, "journey-editor");  // its status bar laid out by now
        const std::string hour = PlaylistHour(editor.Document(), {voice.Day, voice.Hour});
        QVERIFY(hour.find(voice.Path) != std::string::npos);
        QVERIFY(test::ReadAll(station.Opt.PlaylistFolder + "/" +
                              FormatDateTime("mmmdd", start + voice.Day, station.Settings()) +
                              ".ALB")
                    .find(hour + "START OF HOUR") != std::string::npos);

        // Closed, the document goes; a run of the same period again, and F8 shows it.
        editor.close();
        QVERIFY(desk.window.isEnabled() && editor.Document().Empty());
        station.Opt.StartDay = static_cast<std::int64_t>(start);
        QSignalSpy ran(&desk.window, &MainWindow::RunFinished);
        desk.window.findChild<QAction*>("actionCreatePlaylist")->trigger();
        QVERIFY(ran.wait(120000) && ran.at(0).at(0).toBool());
        desk.window.Progress()->close();
        EditorWindow& again = desk.F8();
        QCOMPARE(Live(again.Document()), OnDisk(desk.Log()));
        QVERIFY(!find->isVisible() && !tracks->isVisible());
        Key(again, QKeySequence::Find);  // opening a log closes the last one's tool windows
        QVERIFY(WithDialog<QFileDialog>(
            [&] { Key(again, QKeySequence::Open); },
            [&](QFileDialog& open) {
                Find<QLineEdit>(open, "fileNameEdit")->setText(desk.Log().c_str());
                static_cast<QDialog&>(open).accept();
            }));
        QVERIFY(!find->isVisible());
    }

    // The close question: Cancel keeps the window, No throws the edits away and closes.
    // A log a run made again meanwhile is never saved over: No keeps the edits, Yes reads
    // the new log.
    void theLogStaysTheOperatorsOwn() {
        Desk desk;
        const std::string log = desk.Log();
        const std::string first = test::ReadAll(log);
        EditorWindow* editor = &desk.F8();
        auto edit = [&] {
            SelectRow(*editor, 1);
            Key(*editor, QKeySequence(Qt::Key_Delete));
        };
        edit();
        desk.op.QueueAnswer(Answer::Cancel);
        QVERIFY(!editor->close());
        desk.op.QueueAnswer(Answer::No);
        QVERIFY(editor->close());
        QCOMPARE(test::ReadAll(log), first);
        editor = &desk.F8();
        QCOMPARE(Live(editor->Document()), OnDisk(log));

        edit();
        const std::string remade = first.substr(0, first.rfind('\n', first.size() - 2) + 1);
        desk.dir.Write(log, remade);
        desk.op.QueueAnswer(Answer::No);
        QVERIFY(!Saved(*editor));
        QVERIFY(test::ReadAll(log) == remade && editor->Document().Modified());
        desk.op.QueueAnswer(Answer::Yes);
        QVERIFY(!Saved(*editor));
        QVERIFY(!editor->Document().Modified() && Live(editor->Document()) == OnDisk(log));

        desk.dir.Write(log, first);
        editor->close();
        editor = &desk.F8();
        edit();
        QStringList kept = Live(editor->Document());
        desk.op.QueueAnswer(Answer::Yes);
        QVERIFY(!editor->close());  // Yes: it goes once the save has worked
        QTRY_VERIFY_WITH_TIMEOUT(!editor->isVisible(), 60000);
        QCOMPARE(OnDisk(log), kept);

        // The program told to close while the editor saves waits for the save, then goes.
        editor = &desk.F8();
        edit();
        kept = Live(editor->Document());
        Key(*editor, QKeySequence::Save);
        QVERIFY(!desk.window.close() && editor->Busy());
        desk.op.QueueAnswer(Answer::Yes);  // the library's question, for the last uses
        QTRY_VERIFY_WITH_TIMEOUT(!desk.window.isVisible(), 60000);
        QCOMPARE(OnDisk(log), kept);
    }

private:
    test::ModalWatchdog watchdog_;
};

QTEST_MAIN(EditorJourneyTest)
#include "editor_journey_test.moc"
