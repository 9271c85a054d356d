#include "gui/editor/editor_window.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QPrinter>
#include <utility>

#include "base/format.h"
#include "base/format_datetime.h"
#include "base/paths.h"
#include "editor/document_save.h"
#include "generator/run_report.h"
#include "gui/printing/print_dialogs.h"
#include "gui/printing/printing.h"
#include "gui/widgets/progress_window.h"
#include "gui/widgets/qt_text.h"
#include "gui/widgets/worker.h"
#include "ui_editor_window.h"

// The Playlist Editor's way out: opening another log or closing after the unsaved-changes
// question, Save & Create Playlist on the worker, and printing the log and its summaries.

namespace spindle::gui {

void EditorWindow::ConnectFileActions() {
    connect(ui_->actionOpen, &QAction::triggered, this, [this] {
        AskToSave([this] {
            const QString path = QFileDialog::getOpenFileName(this, Tr(N_("Select a Playlist Log")),
                                                              Q(station_.Opt.LogFolderPath()),
                                                              Tr(N_("Playlist Logs (*.plg)")));
            if (!path.isEmpty()) {
                Load(S(path));
            }
        });
    });
    connect(ui_->actionSave, &QAction::triggered, this, [this] { Save({}); });
    connect(ui_->actionClose, &QAction::triggered, this, &QWidget::close);
    connect(ui_->actionPrint, &QAction::triggered, this, &EditorWindow::PrintPlaylist);
    connect(ui_->actionPrintTrackSummary, &QAction::triggered, this,
            [this] { PrintSummary(false); });
    connect(ui_->actionPrintSpotSummary, &QAction::triggered, this, [this] { PrintSummary(true); });
}

void EditorWindow::Save(std::function<void(bool)> then) {
    if (worker_ != nullptr || doc_.Empty()) {
        return;
    }
    const std::string refusal = doc_.SaveRefusal();
    if (!refusal.empty()) {
        station_.Op().Show(MessageKind::Error, refusal, Buttons::Ok);
    }
    if (!refusal.empty() || !LogStillOurs()) {
        emit Saved(false);
        if (then) {
            then(false);
        }
        return;
    }
    if (progress_ == nullptr) {
        progress_ = new ProgressWindow(this);
    }
    auto job = [this](Operator& op, spindle::Progress& progress) {
        RunReport report(op, &progress);
        report.SetBar(0, static_cast<long>(doc_.HourLineCount()));
        return SaveDocument(doc_, station_, base_, report);
    };
    worker_ = new Worker(station_, job, *progress_);
    connect(worker_, &Worker::Finished, this,
            [this, then](bool saved) { SaveFinished(saved, then); });
    // The document is the worker's until it is written: nothing may edit it meanwhile.
    SetEditingEnabled(false);
    progress_->Start(ProgressWindow::Mode::Run);
    worker_->Start();
}

void EditorWindow::SaveFinished(bool saved, const std::function<void(bool)>& then) {
    worker_->deleteLater();
    worker_ = nullptr;
    SetEditingEnabled(true);
    ShowLastModified();
    Edited();
    emit Saved(saved);
    if (then) {
        then(saved);
    }
    if (std::exchange(closeWhenSaved_, false) && saved) {
        close();
    }
}

void EditorWindow::SetEditingEnabled(bool on) {
    centralWidget()->setEnabled(on);
    menuBar()->setEnabled(on);
    ui_->toolBar->setEnabled(on);
    SetToolWindowsEnabled(on);
}

bool EditorWindow::LogStillOurs() {
    if (!doc_.ChangedOnDisk()) {
        return true;
    }
    const std::string path = base_ + ".plg";
    const Answer answer = station_.Op().Show(
        MessageKind::Warning,
        Format(spindle::tr("The Playlist Log \"%0:s\" has changed on disk since it was opened "
                           "(a run may have made it again), so it was not saved over.\n\nOpen "
                           "the log as it is now?  The changes made here will be lost."),
               path),
        Buttons::YesNo);
    if (answer == Answer::Yes) {
        const LogHour shown = shown_;
        Load(path);
        if (doc_.FindFirstOfHour(shown)) {
            ShowHour(shown);  // the operator stays where they were
        }
    }
    return false;
}

Answer EditorWindow::AskSaveQuestion() {
    return station_.Op().Show(
        MessageKind::Warning,
        spindle::tr("Unsaved changes have been made.  Do you wish to save them now?"),
        Buttons::YesNoCancel);
}

void EditorWindow::AskToSave(const std::function<void()>& then) {
    if (!doc_.Modified()) {
        then();
        return;
    }
    switch (AskSaveQuestion()) {
        case Answer::Yes:
            // Only a save that worked lets the window go on: nothing is lost.
            Save([then](bool saved) {
                if (saved) {
                    then();
                }
            });
            break;
        case Answer::No:
            then();
            break;
        default:
            break;
    }
}

void EditorWindow::closeEvent(QCloseEvent* event) {
    if (worker_ != nullptr || recorder_ != nullptr) {
        // A close while the log is saved (a signal, the session ending) comes back once
        // the save has worked.
        closeWhenSaved_ = worker_ != nullptr;
        event->ignore();
        return;
    }
    if (doc_.Modified()) {
        // Answered here, inside the close: a close() from within it would be ignored.
        switch (AskSaveQuestion()) {
            case Answer::Yes:
                event->ignore();
                Save([this](bool saved) {
                    if (saved) {
                        close();
                    }
                });
                return;
            case Answer::No:
                break;  // the edits are thrown away with the document
            default:
                event->ignore();
                return;
        }
    }
    Clear();
    event->accept();
    emit Closed();
}

void EditorWindow::PrintPlaylist() {
    if (doc_.Empty()) {
        return;
    }
    PrintSelectionDialog dialog(station_, Days(), this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const std::string title = PlaylistPrintTitle(station_.Opt);
    std::unique_ptr<QPrinter> printer = dialog.TakePrinter();
    if (!printer) {
        printer = AskForPrinter(Q(title), this);
    }
    if (!printer) {
        return;
    }
    PrinterFontMetrics metrics(*printer);
    PageLayout layout(metrics, PageWidthOf(*printer), PageHeightOf(*printer), title,
                      PlaylistPrintSubtitle(doc_.LastModified(), NowLocal(), station_.Settings()),
                      PrintFooter());
    LayOutPlaylist(layout, doc_, dialog.Selection(), station_.Settings(),
                   station_.Opt.CrossfadeSeconds(station_.Settings()), station_.Opt.KorvelCrossfade,
                   station_.Names());
    PaintLayout(layout, *printer, station_.Op());
}

void EditorWindow::PrintSummary(bool spots) {
    if (doc_.Empty()) {
        return;
    }
    SpotReport report = SpotReport::Groups;
    if (spots) {
        SpotReportDialog choose(this);
        if (choose.exec() != QDialog::Accepted) {
            return;
        }
        report = choose.Report();
    }
    // The summaries lie beside the log: "Track-" or "Spot-" and the log's name.
    const std::string folder = ExtractFilePath(base_);
    const std::string path =
        folder + (spots ? "Spot-" : "Track-") + base_.substr(folder.size()) + ".csv";
    auto printer = AskForPrinter(windowTitle(), this);
    if (!printer) {
        return;
    }
    const auto file = ReadSummaryFile(path);
    if (!file) {
        station_.Op().Show(MessageKind::Error,
                           spots ? spindle::tr("Unable to open Spot Summary Log file.")
                                 : spindle::tr("Unable to open Track Summary Log file."),
                           Buttons::Ok);
        return;
    }
    PrinterFontMetrics metrics(*printer);
    PageLayout layout(metrics, PageWidthOf(*printer), PageHeightOf(*printer), file->Title,
                      SummaryPrintSubtitle(*file, NowLocal(), station_.Settings()), PrintFooter());
    if (spots) {
        LayOutSpotSummary(layout, *file, report);
    } else {
        LayOutTrackSummary(layout, *file);
    }
    PaintLayout(layout, *printer, station_.Op());
}

}  // namespace spindle::gui
