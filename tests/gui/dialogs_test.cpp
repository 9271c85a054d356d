// The library dialogs offscreen on real data folders: the Category and Spot Group
// properties with their checks, enabling rules and write-back, reached from the main
// window. Screenshots go to the build folder.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <QTreeView>

#include "app/file_view_window.h"
#include "app/group_dialog.h"
#include "app/main_window.h"
#include "gui_support.h"

using namespace spindle;
using spindle::gui::CategoryDialog;
using spindle::gui::MainWindow;
using spindle::gui::SpotGroupDialog;

namespace {

template <typename T>
T* Find(QWidget& form, const char* name) {
    T* child = form.findChild<T*>(name);
    if (child == nullptr) {
        qFatal("no control %s", name);
    }
    return child;
}

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    // A new Category: its refusals keep the dialog open with the focus on the field
    // they concern, one box per missing folder, and OK adds it.
    void aNewCategoryIsCheckedInOrder() {
        test::Fixture f;
        CategoryDialog dialog(*f.station, nullptr);
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(dialog.windowTitle(), QString("New Category"));
        auto* ok = Find<QDialogButtonBox>(dialog, "buttons")->button(QDialogButtonBox::Ok);
        QVERIFY(!ok->isEnabled());  // no name and no folders yet
        auto* name = Find<QLineEdit>(dialog, "name");
        auto* folders = Find<QPlainTextEdit>(dialog, "folders");
        QTest::keyClicks(name, "hits");
        folders->setPlainText(QString::fromStdString(f.dir / "music/Gold"));
        QVERIFY(ok->isEnabled());
        Find<QLineEdit>(dialog, "notes")->setFocus();
        QVERIFY(!dialog.TryAccept());
        QCOMPARE(QString::fromStdString(f.op.Messages.back().Text),
                 QString("Category already exists. Try again."));
        QCOMPARE(QApplication::focusWidget(), name);

        name->setText("Oldies");
        folders->setPlainText(QString::fromStdString(f.dir / "music/Gold") + "\n/gone/a\n/gone/b");
        const std::size_t before = f.op.Messages.size();
        QVERIFY(!dialog.TryAccept());
        QCOMPARE(f.op.Messages.size(), before + 2);
        QCOMPARE(QApplication::focusWidget(), folders);

        // The interval field, its track bar and its label follow each other.
        Find<QComboBox>(dialog, "songRepeatOption")->setCurrentIndex(kRepeatSpecify);
        auto* interval = Find<QLineEdit>(dialog, "songRepeatInterval");
        interval->clear();
        QTest::keyClicks(interval, "150");
        QCOMPARE(Find<QSlider>(dialog, "songRepeatTrackBar")->value(), 5);
        QCOMPARE(Find<QLabel>(dialog, "songRepeatUnit")->text(), QString("(2.5 hours)"));
        QVERIFY(!Find<QLineEdit>(dialog, "artistRepeatInterval")->isEnabled());
        test::Screenshot(dialog, "category-dialog");

        folders->setPlainText(QString::fromStdString(f.dir / "music/Gold"));
        QVERIFY(dialog.TryAccept());
        QCOMPARE(f.station->Categories.size(), std::size_t{3});
        QCOMPARE(f.station->Categories[2]->Name, std::string("Oldies"));
        const auto& oldies = static_cast<const TCategoryDetails&>(*f.station->Categories[2]);
        QCOMPARE(oldies.SongRepeatInterval, std::uint32_t{150});
        QVERIFY(f.station->Changed.Categories);
    }

    // A Song Intro group has no sort, first item or next item; a Normal one sorted
    // randomly has no first item.
    void spotGroupControlsFollowTheType() {
        test::Fixture f;
        SpotGroupDialog dialog(*f.station,
                               static_cast<TSpotDetails*>(f.station->SpotGroups[0].get()));
        QCOMPARE(dialog.windowTitle(), QString("IDs Spot Group Properties"));
        QVERIFY(!Find<QLineEdit>(dialog, "name")->isEnabled());
        auto* type = Find<QComboBox>(dialog, "groupType");
        type->setCurrentIndex(kSpotSongIntro);
        QVERIFY(!Find<QComboBox>(dialog, "sortType")->isEnabled());
        QVERIFY(!Find<QWidget>(dialog, "firstItem")->isEnabled());
        QVERIFY(!Find<QComboBox>(dialog, "nextItem")->isEnabled());
        type->setCurrentIndex(kSpotNormal);
        Find<QComboBox>(dialog, "sortType")->setCurrentIndex(kSortRandomly);
        QVERIFY(!Find<QWidget>(dialog, "firstItem")->isEnabled());
        Find<QComboBox>(dialog, "sortType")->setCurrentIndex(kSortAllFoldersCombined);
        QVERIFY(Find<QComboBox>(dialog, "nextItem")->isEnabled());
        // The stored average holds until the folders change.
        QCOMPARE(Find<QLabel>(dialog, "averageTime")->text(), QString("00:00:10"));
        Find<QPlainTextEdit>(dialog, "folders")->appendPlainText("/elsewhere");
        QCOMPARE(Find<QLabel>(dialog, "averageTime")->text(), QString("00:00:00"));
        QCOMPARE(Find<QComboBox>(dialog, "nextItem")->count(), 0);
        test::Screenshot(dialog, "spot-group-dialog");
        QVERIFY2(test::UnnamedControls(dialog).isEmpty(),
                 qPrintable(test::UnnamedControls(dialog).join(", ")));
        CategoryDialog category(*f.station, nullptr);
        QVERIFY2(test::UnnamedControls(category).isEmpty(),
                 qPrintable(test::UnnamedControls(category).join(", ")));
    }

    // New from the Categories page opens the dialog; after OK the group's files load
    // behind the loading window and the list shows them.
    void newFromTheMainWindowLoadsTheFiles() {
        test::Fixture f;
        MainWindow window(*f.station);
        window.show();
        window.findChild<QTabWidget*>("pages")->setCurrentIndex(static_cast<int>(Page::Categories));
        QSignalSpy reloaded(&window, &MainWindow::ReloadFinished);
        QTimer::singleShot(0, [&] {
            auto* dialog = window.findChild<CategoryDialog*>("groupDialog");
            QVERIFY(dialog != nullptr);
            Find<QLineEdit>(*dialog, "name")->setText("More");
            Find<QPlainTextEdit>(*dialog, "folders")
                ->setPlainText(QString::fromStdString(f.dir / "music/Hits"));
            dialog->accept();
        });
        window.findChild<QAction*>("actionNew")->trigger();
        QVERIFY(reloaded.wait(30000));
        auto* model = window.View(ListKind::Categories)->model();
        QCOMPARE(model->rowCount(), 3);
        QCOMPARE(model->data(model->index(2, 2)), QVariant(qulonglong(2)));
        // Isolated mode adds no group.
        f.station->Isolated = true;
        window.Refresh();
        QVERIFY(!window.findChild<QAction*>("actionNew")->isEnabled());
    }

    // File List shows the selected group's tracks; a heading clicked twice sorts it the
    // other way; the properties correct a track and mark the track lists to be saved.
    void theFileListSortsAndCorrectsTracks() {
        test::Fixture f;
        MainWindow window(*f.station);
        window.show();
        window.findChild<QTabWidget*>("pages")->setCurrentIndex(static_cast<int>(Page::Categories));
        QTreeView* categories = window.View(ListKind::Categories);
        categories->setCurrentIndex(categories->model()->index(0, 0));  // Hits
        bool checked = false;
        QTimer::singleShot(0, [&] {
            auto* files = window.findChild<gui::FileViewWindow*>("fileViewWindow");
            QVERIFY(files != nullptr);
            QCOMPARE(files->windowTitle(), QString("Hits File List"));
            auto* view = Find<QTreeView>(*files, "fileView");
            QCOMPARE(view->model()->rowCount(), 2);
            files->Model()->ClickColumn(1);
            files->Model()->ClickColumn(1);  // by file name, descending
            QCOMPARE(view->model()->data(view->model()->index(0, 1)).toString(),
                     QString("Other - Tune.mp3"));
            test::Screenshot(*files, "file-list");
            view->setCurrentIndex(view->model()->index(0, 0));
            QTimer::singleShot(0, [&] {
                auto* props = files->findChild<QDialog*>("filePropertiesDialog");
                QVERIFY(props != nullptr);
                QCOMPARE(props->windowTitle(), QString("Other - Tune.mp3 Properties"));
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
        QVERIFY(window.SaveAllAction()->isEnabled());
    }
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
