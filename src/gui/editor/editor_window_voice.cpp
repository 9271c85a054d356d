#include "gui/editor/editor_window.h"

#include <QDesktopServices>
#include <QDialog>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QUrl>
#include <QVBoxLayout>
#include <filesystem>

#include "base/command_words.h"
#include "base/format.h"
#include "editor/preview.h"
#include "editor/voice_tracks.h"
#include "gui/editor/voice_track_window.h"
#include "gui/widgets/qt_text.h"
#include "ui_editor_window.h"

// The Playlist Editor's outside programs: recording a voice track with the station's
// recording program, and playing the selected rows with a preview player.

namespace spindle::gui {
namespace {

// A command's words after the program's own.
QStringList ArgumentsOf(const std::vector<std::string>& words) {
    QStringList arguments;
    for (std::size_t i = 1; i < words.size(); ++i) {
        arguments << Q(words[i]);
    }
    return arguments;
}

// Every window waits behind this modal window while the program records into `path`.
QDialog* MakeRecordingWindow(QWidget* parent, const std::string& path) {
    auto* window = new QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    window->setObjectName(QStringLiteral("recordingWindow"));
    window->setWindowTitle(Tr(N_("Recording...")));
    window->setWindowModality(Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(window);
    layout->addWidget(new QLabel(
        Q(Format(spindle::tr("Recording \"%0:s\".\nClose the recording program to go on."), path)),
        window));
    auto* busy = new QProgressBar(window);
    busy->setRange(0, 0);  // as long as the program takes
    busy->setAccessibleName(window->windowTitle());
    layout->addWidget(busy);
    window->setMinimumWidth(460);
    return window;
}

}  // namespace

void EditorWindow::ConnectVoiceActions() {
    connect(ui_->actionPlay, &QAction::triggered, this, &EditorWindow::PlaySelected);
    connect(ui_->fileView, &QTreeView::activated, this, &EditorWindow::PlaySelected);
    ui_->actionEnablePlay->setChecked(station_.Opt.PlayEnabled);
    connect(ui_->actionEnablePlay, &QAction::toggled, this, [this](bool on) {
        station_.Opt.PlayEnabled = on;
        station_.Changed.Options = true;
        UpdateActions();
    });
    connect(ui_->actionVoiceTrack, &QAction::triggered, this,
            [this] { RecordVoiceTrack(std::nullopt, {}); });
    connect(ui_->actionVoiceTracks, &QAction::triggered, this, [this] {
        if (voiceTracks_ == nullptr) {
            voiceTracks_ = new VoiceTrackWindow(*this);
        }
        voiceTracks_->show();
        voiceTracks_->raise();
    });
}

void EditorWindow::RecordVoiceTrack(std::optional<int> introSeconds,
                                    std::function<void(bool)> done) {
    auto finished = [done](bool made) {
        if (done) {
            done(made);
        }
    };
    if (doc_.Empty() || recorder_ != nullptr) {
        finished(false);
        return;
    }
    const auto ids = SelectedIds();
    const std::optional<std::uint64_t> selected =
        ids.empty() ? std::nullopt : std::optional(ids.front());
    const RecordTarget target = ChooseRecordTarget(doc_, selected, station_.Opt.VoiceTrackFolder,
                                                   shown_, introSeconds, station_.Settings());
    const std::vector<std::string> words = CommandWithFile(station_.Opt.RecordingApp, target.Path);
    if (words.empty()) {
        station_.Op().Show(MessageKind::Error,
                           spindle::tr("No recording program is set.  Choose one in the "
                                       "Options, Advanced."),
                           Buttons::Ok);
        finished(false);
        return;
    }
    if (!target.Again && !WriteVoiceTrackPlaceholder(target.Path)) {
        station_.Op().Show(MessageKind::Error,
                           Format(spindle::tr("Unable to generate Voice Track file\r\n\"%0:s\".  "
                                              "Ensure the Voice Track Folder exists."),
                                  target.Path),
                           Buttons::Ok);
        finished(false);
        return;
    }

    recording_ = MakeRecordingWindow(this, target.Path);
    recorder_ = new QProcess(this);
    UpdateActions();
    auto end = [this, target, selected, finished] { finished(RecordingEnded(target, selected)); };
    connect(recorder_, &QProcess::finished, this, end);
    connect(recorder_, &QProcess::errorOccurred, this,
            [this, words, end](QProcess::ProcessError e) {
                if (e != QProcess::FailedToStart) {
                    return;
                }
                station_.Op().Show(
                    MessageKind::Error,
                    Format(spindle::tr("The recording program \"%0:s\" could not be started: %1:s"),
                           words.front(), S(recorder_->errorString())),
                    Buttons::Ok);
                end();
            });
    recording_->open();
    recorder_->start(Q(words.front()), ArgumentsOf(words));
}

bool EditorWindow::RecordingEnded(const RecordTarget& target,
                                  std::optional<std::uint64_t> selected) {
    recorder_->deleteLater();
    recorder_ = nullptr;
    recording_->hide();  // the modal ends now, before `done` goes on
    recording_->deleteLater();
    recording_ = nullptr;
    bool made = false;
    if (target.Again) {
        made = doc_.SetDuration(*target.Again, Measure(target.Path));
        Edited({*target.Again});
    } else if (RecordingMade(target.Path)) {
        const std::uint64_t id =
            PutRecording(doc_, shown_, selected, target.Path, Measure(target.Path));
        made = id != 0;
        Edited({id});
    } else {
        std::error_code ec;
        std::filesystem::remove(target.Path, ec);  // our empty placeholder: nothing changes
        UpdateActions();
    }
    return made;
}

void EditorWindow::PlaySelected() {
    if (!ui_->actionPlay->isEnabled()) {
        return;
    }
    const std::vector<std::string> files = PreviewFiles(model_->View(), SelectedIds());
    if (files.empty()) {
        return;
    }
    const std::string list = PreviewListPath();
    if (!WritePreviewList(list, files)) {
        station_.Op().Show(MessageKind::Error,
                           Format(spindle::tr("Unable to create \"%0:s\""), list), Buttons::Ok);
        return;
    }
    const std::vector<std::string> words = CommandWithFile(station_.Opt.PlayerCommand, list);
    bool started = false;
    if (words.empty()) {
        started = QDesktopServices::openUrl(QUrl::fromLocalFile(Q(list)));
    } else {
        started = QProcess::startDetached(Q(words.front()), ArgumentsOf(words));
    }
    if (!started) {
        station_.Op().Show(MessageKind::Error,
                           Format(spindle::tr("No player could be started for \"%0:s\".  Choose "
                                              "one in the Options, Advanced, Preview player."),
                                  list),
                           Buttons::Ok);
    }
}

}  // namespace spindle::gui
