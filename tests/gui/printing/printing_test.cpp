// Printing offscreen to PDF files, read back with pdftotext and pdfinfo: the playlist
// from the editor's document, the track and spot summaries, the missing-intros list.
// The first page of each kind of print is saved as a PNG for a person to look at.
#include <QPrinter>
#include <filesystem>

#include "base/list_text.h"
#include "base/paths.h"
#include "base/text_file.h"
#include "gui/editor/editor_window.h"
#include "gui/journey.h"
#include "gui/printing/print_dialogs.h"
#include "gui/printing/printing.h"
#include "support/process.h"

using namespace spindle;

namespace {

QString Run(const std::vector<std::string>& argv) {
    return QString::fromStdString(test::RunProcess(argv).Out);
}

// The text of a PDF, and its first page as a PNG under the screenshots.
QString PdfText(const QString& pdf, const QString& shot) {
    Run({"/usr/bin/pdftoppm", "-png", "-r", "50", "-f", "1", "-l", "1", "-singlefile",
         pdf.toStdString(), SPINDLE_SCREENSHOT_DIR "/" + shot.toStdString()});
    return Run({"/usr/bin/pdftotext", "-layout", pdf.toStdString(), "-"});
}

int PdfPages(const QString& pdf) {
    const auto match =
        QRegularExpression("Pages:\\s+(\\d+)").match(Run({"/usr/bin/pdfinfo", pdf.toStdString()}));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

}  // namespace

class PrintingTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QDir().mkpath(SPINDLE_SCREENSHOT_DIR);
        station_ = test::DemoStation(dir_, true, &op_);
        QVERIFY(!station_->Categories.empty());
        // Every print goes to the PDF file the test names next.
        gui::ChoosePrinter() = [this](QPrinter& printer, QWidget*) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf_);
            return true;
        };
    }

    // From the document, so an unsaved edit prints; three hours on page 1, the fourth on
    // page 2; From after To is refused with the dialog kept open. (What each row prints,
    // a Break Note's text whole among them, is the layout's: Prints in prints_test.cpp.)
    void thePlaylistPrintsFromTheDocument() {
        gui::EditorWindow editor(*station_);
        editor.OpenLog(station_->Opt.LogFolderPath() + station_->Opt.LogBaseName + ".plg");
        const auto rows = editor.Rows();
        editor.SelectIds({rows[1].Id});
        editor.findChild<QAction*>("actionDelete")->trigger();  // not saved
        const std::string deleted = editor.Document().Find(rows[1].Id)->Path;
        const LogHour first = editor.Shown();
        auto print = [&](PrintSelection selection, const QString& name) {
            pdf_ = QString::fromStdString(dir_ / name.toStdString());
            QTimer::singleShot(0, [&, selection] {
                auto* dialog =
                    qobject_cast<gui::PrintSelectionDialog*>(QApplication::activeModalWidget());
                dialog->SetSelection({1, 0, 0, 23, true});
                dialog->accept();  // refused: the first day after the last
                QVERIFY(dialog->isVisible());
                dialog->SetSelection(selection);
                test::Screenshot(*dialog, "print-selection");
                dialog->accept();
            });
            editor.findChild<QAction*>("actionPrint")->trigger();
        };
        print({first.Day, first.Day, first.Hour, first.Hour + 3, true}, "playlist.pdf");
        QCOMPARE(QString::fromStdString(op_.Messages.back().Text),
                 QString("The first day to print comes after the last one."));
        QCOMPARE(PdfPages(pdf_), 2);
        const QString text = PdfText(pdf_, "print-playlist");
        QVERIFY(text.contains(QString::fromStdString(PlaylistPrintTitle(station_->Opt))));
        QVERIFY(text.contains("Page 2"));
        QVERIFY(text.contains(QRegularExpression("\\(\\d+:\\d\\d\\)")));
        QVERIFY(text.contains(QRegularExpression("\\{[^}]+\\}")));  // a spot's group
        QVERIFY(!text.contains(QString::fromStdString(BaseNameNoExt(deleted))));
    }

    // The summaries as the run wrote them; each spot report's grand total is the file's.
    // A PDF file that cannot be made is said to the operator.
    void theSummariesPrint() {
        gui::EditorWindow editor(*station_);
        const std::string base = station_->Opt.LogFolderPath() + station_->Opt.LogBaseName;
        editor.OpenLog(base + ".plg");
        pdf_ = QString::fromStdString(dir_ / "no folder/tracks.pdf");
        const std::size_t said = op_.Messages.size();
        editor.findChild<QAction*>("actionPrintTrackSummary")->trigger();
        QCOMPARE(op_.Messages.size(), said + 1);
        QCOMPARE(QString::fromStdString(op_.Messages.back().Text),
                 "Unable to print to \"" + pdf_ + "\".");
        pdf_ = QString::fromStdString(dir_ / "tracks.pdf");
        editor.findChild<QAction*>("actionPrintTrackSummary")->trigger();
        const QString tracks = PdfText(pdf_, "print-track-summary");
        QVERIFY(tracks.contains("Artist"));
        QVERIFY(tracks.contains("Used Count"));
        const auto trackLines = ReadTextLines(station_->Opt.LogFolderPath() + "Track-" +
                                              station_->Opt.LogBaseName + ".csv");
        QVERIFY(trackLines && trackLines->size() > 1);
        const auto row = DecodeListText((*trackLines)[1]);  // the first row: its title prints
        QVERIFY2(tracks.contains(QString::fromStdString(row[1])), row[1].c_str());

        const auto lines = ReadTextLines(station_->Opt.LogFolderPath() + "Spot-" +
                                         station_->Opt.LogBaseName + ".csv");
        QVERIFY(lines && !lines->empty());
        const auto grand = DecodeListText(lines->back());
        QCOMPARE(QString::fromStdString(grand[1]), QString("Grand Total"));
        const QString airTime = QTime(0, 0).addSecs(std::stoi(grand[2])).toString("h:mm:ss");
        const char* shots[] = {"print-spot-groups", "print-spot-files", "print-spot-detailed"};
        for (int report = 0; report < 3; ++report) {
            pdf_ = QString::fromStdString(dir_ / ("spots" + std::to_string(report) + ".pdf"));
            QTimer::singleShot(0, [report] {
                auto* dialog =
                    qobject_cast<gui::SpotReportDialog*>(QApplication::activeModalWidget());
                dialog->SetReport(static_cast<SpotReport>(report));
                dialog->accept();
            });
            editor.findChild<QAction*>("actionPrintSpotSummary")->trigger();
            const QString text = PdfText(pdf_, shots[report]);
            const QRegularExpression total("Grand Total\\s+" + QString::fromStdString(grand[3]) +
                                           "\\s+" + airTime);
            QVERIFY2(text.contains(total), qPrintable(text.right(300)));
        }
    }

    void missingIntrosListAndPrint() {
        gui::MissingIntrosWindow window(*station_, nullptr);
        window.Choose(QString::fromStdString(station_->Categories[0]->Name), "Song Intros",
                      IntroMatch::SongsOnly);
        QVERIFY(!window.Lines().isEmpty());
        window.show();
        test::Screenshot(window, "missing-intros");
        pdf_ = QString::fromStdString(dir_ / "missing.pdf");
        QVERIFY(window.Print());
        const std::string file =
            (station_->DataFolder() / "Missing Intros and Outros.txt").string();
        QVERIFY(std::filesystem::exists(file));
        const QString text = PdfText(pdf_, "print-missing-intros");
        QVERIFY(text.contains("Spot Group: Song Intros"));
        QVERIFY(text.contains(window.Lines().front()));
    }

private:
    test::TempDir dir_;
    test::ScriptedOperator op_;
    std::unique_ptr<Station> station_;
    QString pdf_;
    test::ModalWatchdog watchdog_;
};

QTEST_MAIN(PrintingTest)
#include "printing_test.moc"
