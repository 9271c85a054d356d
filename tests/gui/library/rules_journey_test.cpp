// A Category's rules as an operator sets them: opened from the main window, the Rules
// page of the Category dialog turned from the station's list to the Category's own, the
// webcasting caps added and one dragged down, a window on one track added above the
// repeat intervals, OK; Create Playlist then keeps the window over the song interval.
#include <filesystem>

#include "gui/journey.h"
#include "gui/library/plan_lists.h"
#include "gui/library/rule_dialog.h"
#include "outputs/playlist_log.h"
#include "stationdb/station_db.h"

using namespace spindle;
using spindle::gui::MainWindow;
using test::Find;
using test::Rows;
using test::WithDialog;

namespace {

const QString kArtist = "Artist repeat interval (set on the Category page)";
const QString kSong = "Song repeat interval (set on the Category page)";
const QString kArtistCap = "At most 4 tracks of one artist in any 3 hours";
const QString kAlbumCap = "At most 3 tracks of one album in any 3 hours";

}  // namespace

class RulesJourneyTest : public QObject {
    Q_OBJECT

private slots:
    void aRuleSetInTheCategoryDialogHoldsInARun() {
        test::Fixture f;
        f.station->Opt.SystemSongInterval = "120";  // only the window's rank keeps it
        f.station->Opt.TotalDays = 1;
        f.station->Schedules[0]->Days.fill(true);
        const QDate away = QDate::currentDate().addDays(3);  // the one day Band may play
        MainWindow window(*f.station);
        test::Activate(window);
        test::Select(window, ListKind::Categories,
                     static_cast<int>(test::Names(window, ListKind::Categories).indexOf("Hits")));

        auto window3 = [&](gui::RuleDialog& r) {
            auto* kind = Find<QComboBox>(r, "kind");
            kind->setCurrentIndex(kind->findText("Attribute run"));
            auto* ok = Find<QDialogButtonBox>(r, "buttons")->button(QDialogButtonBox::Ok);
            ok->click();  // the station has no attributes: refused, on its field
            QVERIFY(r.isVisible());
            QVERIFY(f.op.Messages.back().Text.find("no attributes") != std::string::npos);
            QCOMPARE(r.focusWidget(), Find<QComboBox>(r, "matchAttribute"));
            // A quota asks whether at least or at most, and whether a share or a number.
            kind->setCurrentIndex(kind->findText("Content quota"));
            QVERIFY(Find<QComboBox>(r, "bound")->isVisible());
            QCOMPARE(Find<QLabel>(r, "countLabel")->text(), QString("Amount"));
            QVERIFY(Find<QLabel>(r, "sentence")->text().startsWith("At least 30% of each hour"));
            Find<QComboBox>(r, "bound")->setCurrentIndex(1);
            Find<QComboBox>(r, "share")->setCurrentIndex(1);
            Find<QSpinBox>(r, "count")->setValue(2);
            QVERIFY(Find<QLabel>(r, "sentence")->text().startsWith("At most 2 songs with"));
            test::Screenshot(r, "rule-dialog-quota");
            kind->setCurrentIndex(kind->findText("Time window"));
            QVERIFY(!Find<QComboBox>(r, "bound")->isVisible());
            Find<QRadioButton>(r, "trackChoice")->click();
            auto* track = Find<QComboBox>(r, "track");
            track->setCurrentIndex(track->findText("Band - Song.mp3"));
            Find<QCheckBox>(r, "datesCheck")->click();
            for (const char* date : {"fromDate", "toDate"}) {
                Find<QDateEdit>(r, date)->setDate(QDate(2000, away.month(), away.day()));
            }
            QCOMPARE(Find<QLabel>(r, "sentence")->text(),
                     QString("Band - Song.mp3 plays only %1 %2")
                         .arg(away.day())
                         .arg(QLocale::c().monthName(away.month(), QLocale::ShortFormat)));
            // Hours typed into a field clicked anywhere, and stepped by a screen reader.
            Find<QCheckBox>(r, "hoursCheck")->click();
            auto* from = Find<QTimeEdit>(r, "fromTime");
            QTest::mouseClick(from->findChild<QLineEdit*>(), Qt::LeftButton, {}, QPoint(3, 5));
            QTest::keyClicks(from, "0630");
            QCOMPARE(from->time(), QTime(6, 30));
            auto* until = Find<QTimeEdit>(r, "toTime");
            until->setFocus();
            QTest::keyClicks(until, "18:00");
            QCOMPARE(until->time(), QTime(18, 0));
            QAccessible::queryAccessibleInterface(until)->actionInterface()->doAction(
                QAccessibleActionInterface::increaseAction());
            QVERIFY(until->time() > QTime(18, 0));
            test::Screenshot(r, "rule-dialog");
            Find<QCheckBox>(r, "hoursCheck")->click();
            QVERIFY2(test::UnnamedControls(r).isEmpty(),
                     qPrintable(test::UnnamedControls(r).join(", ")));
            QVERIFY(Find<QLabel>(r, "placement")->text().startsWith("It goes below \"" + kSong));
            ok->click();
        };
        auto rulesPage = [&](QDialog& d) {
            test::Screenshot(d, "category-dialog");
            auto* pages = Find<QTabWidget>(d, "pages");
            QTest::mouseClick(pages->tabBar(), Qt::LeftButton, {},
                              pages->tabBar()->tabRect(1).center());
            auto* list = Find<gui::DropTargetList>(d, "ruleList");
            QVERIFY(Find<QRadioButton>(d, "useStation")->isChecked());
            QCOMPARE(Rows(*list), (QStringList{kArtist, kSong}));
            QVERIFY(!list->isEnabled());
            Find<QRadioButton>(d, "useOwn")->click();
            // Nothing chosen: added rules go below the intervals, never above them.
            Find<QPushButton>(d, "addPreset")->click();
            QCOMPARE(Rows(*list), (QStringList{kArtist, kSong, kArtistCap, kAlbumCap}));
            std::unique_ptr<QMimeData> mime(list->model()->mimeData({list->model()->index(2, 0)}));
            QVERIFY(list->Drop(mime.get(), QPoint(5, list->viewport()->height() - 2)));
            QCOMPARE(Rows(*list), (QStringList{kArtist, kSong, kAlbumCap, kArtistCap}));
            list->setCurrentRow(1);
            QTest::keyClick(list, Qt::Key_Delete);  // the song interval stays
            QVERIFY(!Find<QPushButton>(d, "removeRule")->isEnabled());
            list->setCurrentRow(3);
            Find<QPushButton>(d, "removeRule")->click();
            list->setCurrentRow(-1);
            QVERIFY(WithDialog<gui::RuleDialog>([&] { Find<QPushButton>(d, "addRule")->click(); },
                                                window3));
            QCOMPARE(Rows(*list).at(2).left(11), QString("Band - Song"));
            for (int up = 0; up < 2; ++up) {
                Find<QPushButton>(d, "moveUp")->click();
            }
            QCOMPARE(Rows(*list).mid(1), (QStringList{kArtist, kSong, kAlbumCap}));
            test::Screenshot(d, "category-rules");
            // Every rule reads whole: no row cut short, none with a blank line under it.
            for (int row = 0; row < list->count(); ++row) {
                const QRect shown = list->visualItemRect(list->item(row));
                const int lines = list->fontMetrics().lineSpacing();
                const int needed = list->fontMetrics()
                                       .boundingRect(shown.adjusted(4, 0, -4, 0), Qt::TextWordWrap,
                                                     list->item(row)->text())
                                       .height();
                QVERIFY2(shown.height() >= needed && shown.height() < needed + lines,
                         qPrintable(list->item(row)->text()));
            }
            QVERIFY2(test::UnnamedControls(d).isEmpty(),
                     qPrintable(test::UnnamedControls(d).join(", ")));
            QVERIFY(!std::filesystem::exists(StationDb::FileIn(f.b.DataFolder())));
            test::Ok(d);
        };
        QVERIFY(WithDialog([&] { Find<QAction>(window, "actionOpen")->trigger(); }, rulesPage));
        QTRY_VERIFY(!window.Busy());
        const auto stored =
            StationDb(f.b.DataFolder(), StationDb::Mode::IfExists).Rules().Value["Hits"];
        QCOMPARE(stored.size(), std::size_t{4});
        QVERIFY(stored[0].starts_with("window track ") &&
                stored[0].find("Band - Song.mp3") != std::string::npos);
        QCOMPARE(stored[3], std::string("cap album 3 per 3 hours"));

        QSignalSpy finished(&window, &MainWindow::RunFinished);
        Find<QAction>(window, "actionCreatePlaylist")->trigger();
        QVERIFY(finished.wait(60000));
        QVERIFY(finished.at(0).at(0).toBool());
        window.Progress()->close();
        LogContents log;
        QCOMPARE(
            ReadPlaylistLog(f.station->Opt.LogFolderPath() + f.station->Opt.LogBaseName + ".plg",
                            FormatSettings::English(), log),
            LogReadError::None);
        int band = 0, other = 0;
        for (const LogLine& line : log.Lines) {
            band += line.Text.find("Band - Song") != std::string::npos;
            other += line.Text.find("Other - Tune") != std::string::npos;
        }
        QCOMPARE(band, 0);
        QVERIFY(other >= 20);
    }

private:
    test::ModalWatchdog watchdog_;
};

QTEST_MAIN(RulesJourneyTest)
#include "rules_journey_test.moc"
