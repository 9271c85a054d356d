#include "gui/shell/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPushButton>
#include <utility>

#include "base/translate.h"
#include "generator/run_report.h"
#include "gui/editor/editor_window.h"
#include "gui/shell/library_list_model.h"
#include "gui/widgets/progress_window.h"
#include "gui/widgets/worker.h"
#include "outputs/generation.h"
#include "ui_main_window.h"

// The main window's work: saving, runs, reloads on the worker, the Playlist Editor and
// closing.

namespace spindle::gui {

void MainWindow::ReloadGroup(TCustomDetails& group) {
    StartWork(
        ProgressWindow::Mode::Loading,
        [this, &group](Operator&, spindle::Progress&) {
            station_.ReloadFiles(group);
            return true;
        },
        [this](bool) {
            Refresh();
            emit ReloadFinished();
        });
}

void MainWindow::Save() {
    TakeRelatedText();
    SavePage(station_, CurrentPage());
    ShowOptions();
    UpdateActions();
}

void MainWindow::SaveAll() {
    TakeRelatedText();
    station_.SaveAll();  // moves the run's start on: the Run page shows the new one
    ShowOptions();
    UpdateActions();
}

void MainWindow::Terminate() {
    if (worker_ != nullptr) {
        // Stop the work as its Cancel does; the window closes once it has ended.
        closeAfterWork_ = true;
        progress_->Button()->click();
    } else if (!isVisible() && editor_ && editor_->isVisible()) {
        editor_->close();  // "e": the editor is the program's window
    } else {
        if (progress_ != nullptr) {
            progress_->hide();  // the close question must not sit behind it
        }
        close();
    }
}

void MainWindow::CreatePlaylist() {
    TakeRelatedText();
    StartRun({}, [this](bool generated) {
        ShowOptions();
        UpdateCounts();
        UpdateActions();
        emit RunFinished(generated);
    });
}

void MainWindow::RunUnattended(std::vector<std::string> loadLines, Operator* person) {
    StartRun(std::move(loadLines), [this, person](bool generated) {
        const bool saved = station_.SaveAll(true);
        ShowOptions();
        UpdateActions();
        unattendedDone_ = generated && saved;
        if (unattendedDone_) {
            emit RunFinished(generated);
            close();
            return;
        }
        // The window stays open for a person: from now on questions are asked again.
        if (person != nullptr) {
            station_.SetOperator(*person);
        }
        emit RunFinished(generated);
    });
}

void MainWindow::StartRun(std::vector<std::string> firstLines, std::function<void(bool)> done) {
    StartWork(
        ProgressWindow::Mode::Run,
        [this, lines = std::move(firstLines)](Operator& op, spindle::Progress& progress) {
            RunReport report(op, &progress);
            for (const std::string& line : lines) {
                report.Problem(line);
            }
            return RunGeneration(station_, report);
        },
        std::move(done));
}

void MainWindow::ReloadFiles() {
    if (TCustomDetails* group = SelectedGroup()) {
        ReloadGroup(*group);
    }
}

void MainWindow::ReloadAllFiles() {
    StartWork(
        ProgressWindow::Mode::Loading,
        [this](Operator&, spindle::Progress&) {
            station_.ReloadAllFiles();
            return true;
        },
        [this](bool) {
            Refresh();
            emit ReloadFinished();
        });
}

void MainWindow::StartWork(ProgressWindow::Mode mode,
                           std::function<bool(Operator&, spindle::Progress&)> job,
                           std::function<void(bool)> done) {
    if (worker_ != nullptr) {
        return;
    }
    if (progress_ == nullptr) {
        progress_ = new ProgressWindow(this);
    }
    person_ = &station_.Op();
    worker_ = new Worker(station_, std::move(job), *progress_);
    connect(worker_, &Worker::Finished, this, [this, done = std::move(done)](bool succeeded) {
        worker_->deleteLater();  // waits for its thread to end
        worker_ = nullptr;
        SetBusy(false);
        done(succeeded);
        if (closeAfterWork_) {
            closeAfterWork_ = false;
            Terminate();
        }
    });
    SetBusy(true);
    progress_->Start(mode);
    worker_->Start();
}

EditorWindow* MainWindow::ShowEditor(bool alone) {
    if (!editor_) {
        editor_ = std::make_unique<EditorWindow>(station_);
        editor_->setObjectName(QStringLiteral("playlistEditor"));
        connect(editor_.get(), &EditorWindow::Saved, this,
                [this](bool saved) { closeAfterEditor_ = closeAfterEditor_ && saved; });
        connect(editor_.get(), &EditorWindow::Closed, this, [this, alone] {
            setEnabled(true);
            Refresh();
            if (!alone) {
                if (std::exchange(closeAfterEditor_, false)) {
                    close();  // Exit waited for the editor's save
                }
                return;
            }
            // The editor was the program's only window: the close question is asked
            // here, and a save that fails (or Cancel) leaves the main window to finish.
            TakeRelatedText();
            if (MayClose(station_)) {
                QApplication::quit();
            } else {
                ShowOptions();
                show();
            }
        });
    }
    setEnabled(false);
    editor_->show();
    editor_->raise();
    const Options& o = station_.Opt;
    if (editor_->Document().Empty() && !o.LogBaseName.empty()) {
        editor_->OpenLog(o.LogFolderPath() + o.LogBaseName + ".plg");
    }
    return editor_.get();
}

void MainWindow::SetBusy(bool busy) {
    // The library is the run's while it works: nothing else may touch it.
    for (LibraryListModel* model : models_) {
        model->Freeze(busy);
    }
    centralWidget()->setEnabled(!busy);
    menuBar()->setEnabled(!busy);
    ui_->toolBar->setEnabled(!busy);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The editor's own question comes first; its unsaved edits are never dropped.
    if (editor_ && editor_->isVisible() && !editor_->close()) {
        // "Yes" saves on the worker first; the program closes once that has worked.
        closeAfterEditor_ = editor_->Busy();
        event->ignore();
        return;
    }
    if (worker_ != nullptr) {
        // The library is the work's until it ends; the person is told how to get out.
        event->ignore();
        if (!closeAfterWork_) {
            person_->Show(MessageKind::Information,
                          spindle::tr("Spindle is at work. Press Cancel in its window to stop "
                                      "it, then close."),
                          Buttons::Ok);
        }
        return;
    }
    TakeRelatedText();
    if (MayClose(station_)) {
        event->accept();
    } else {
        event->ignore();
        ShowOptions();  // a save that failed may have moved the start on all the same
        UpdateActions();
    }
}

}  // namespace spindle::gui
