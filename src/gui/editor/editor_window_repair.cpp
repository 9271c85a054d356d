#include "gui/editor/editor_window.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "base/format.h"
#include "base/format_datetime.h"
#include "base/paths.h"
#include "editor/log_context.h"
#include "editor/regenerate.h"
#include "editor/replacement_list.h"
#include "gui/editor/regenerate_dialogs.h"
#include "gui/editor/replace_track_dialog.h"
#include "gui/widgets/progress_window.h"
#include "gui/widgets/qt_text.h"
#include "gui/widgets/worker.h"
#include "ui_editor_window.h"

// The Playlist Editor's repairs by the station's rules: hours made again on the worker,
// a track replaced from the list of those that fit, and the rules an inserted track breaks.

namespace spindle::gui {
namespace {

// A box lists this many rule lines at most; the rest are counted.
constexpr std::size_t kMostLines = 20;

std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += "\n    " + line;
    }
    return text;
}

}  // namespace

void EditorWindow::ConnectRepairActions() {
    connect(ui_->actionRegenerate, &QAction::triggered, this, &EditorWindow::RegenerateAsked);
    connect(ui_->actionReplaceTrack, &QAction::triggered, this, &EditorWindow::ReplaceTrack);
}

bool EditorWindow::CategoryTrackSelected() const {
    const auto ids = SelectedIds();
    const EditorItem* item = ids.size() == 1 ? doc_.Find(ids.front()) : nullptr;
    return item != nullptr && item->Type == kItemTrack &&
           station_.FindCategory(item->GroupName) != nullptr;
}

std::string EditorWindow::HourText(LogHour hour, int minute) const {
    return FormatDateTime("ddd ddddd hh:nn",
                          doc_.StartDate() + hour.Day + (hour.Hour * 60 + minute) / 1440.0,
                          station_.Settings());
}

void EditorWindow::RegenerateAsked() {
    if (doc_.Empty() || worker_ != nullptr) {
        return;
    }
    RegenerateDialog dialog(Days(), shown_, shown_, this);
    if (dialog.exec() == QDialog::Accepted) {
        Regenerate(dialog.From(), dialog.To());
    }
}

void EditorWindow::StartWork(const QString& title, Worker::Job job,
                             std::function<void(bool)> then) {
    if (progress_ == nullptr) {
        progress_ = new ProgressWindow(this);
    }
    worker_ = new Worker(station_, std::move(job), *progress_);
    connect(worker_, &Worker::Finished, this, [this, then = std::move(then)](bool succeeded) {
        worker_->deleteLater();
        worker_ = nullptr;
        progress_->hide();  // what it found is shown by `then`
        SetEditingEnabled(true);
        then(succeeded);
        if (std::exchange(closeWhenSaved_, false)) {
            close();  // a close asked meanwhile: the unsaved-changes question now
        }
    });
    // The document is the worker's until the work ends: nothing may edit it meanwhile.
    SetEditingEnabled(false);
    progress_->Start(ProgressWindow::Mode::Run);
    progress_->setWindowTitle(title);
    worker_->Start();
}

void EditorWindow::Regenerate(LogHour from, LogHour to) {
    struct Result {
        RegenerateOutcome Outcome;
        std::vector<std::string> Lines;
    };
    auto result = std::make_shared<Result>();
    StartWork(
        Tr(N_("Regenerate Hours")),
        [this, from, to, result](Operator& op, spindle::Progress& progress) {
            RunReport report(op, &progress);
            result->Outcome =
                RegenerateHours(doc_, station_, from, to, report, std::nullopt, rules_.get());
            result->Lines = report.Lines();
            return true;
        },
        [this, from, to, result](bool ended) {
            if (ended) {
                RegenerateFinished(from, to, result->Outcome, result->Lines);
            }
        });
}

void EditorWindow::RegenerateFinished(LogHour from, LogHour to, const RegenerateOutcome& outcome,
                                      const std::vector<std::string>& lines) {
    if (!outcome.Done) {
        station_.Op().Show(MessageKind::Warning,
                           outcome.Problem + "\n\n" + spindle::tr("Nothing was changed."),
                           Buttons::Ok);
        return;
    }
    if (shown_ < from || to < shown_) {
        ShowHour(from);
    }
    Edited(outcome.NewIds);  // the new rows of the hour shown are selected
    if (regenerateResults_ == nullptr) {
        regenerateResults_ = new RegenerateResultsWindow(this);
    }
    regenerateResults_->Show(
        Q(Format(spindle::tr("%0:s to %1:s made again: %2:d tracks in place of %3:d. Undo "
                             "(Ctrl+Z) takes them back."),
                 HourText(from), HourText(to), outcome.TracksAfter, outcome.TracksBefore)),
        outcome.Conflicts, outcome.Relaxed, lines);
}

void EditorWindow::ReplaceTrack() {
    const auto ids = SelectedIds();
    if (ids.size() != 1 || worker_ != nullptr) {
        return;
    }
    const std::uint64_t id = ids.front();
    struct Found {
        ReplacementList List;
        std::vector<std::string> Now;
    };
    auto found = std::make_shared<Found>();
    StartWork(
        Tr(N_("Replace Track")),
        [this, id, found](Operator& op, spindle::Progress& progress) {
            RunReport report(op, &progress);
            found->List = ListReplacements(doc_, station_, id, report, rules_.get());
            found->Now = RuleBreaksOf(doc_, station_, id, rules_.get());
            return !progress.CancelRequested();
        },
        [this, id, found](bool go) {
            if (go) {
                ChooseReplacement(id, found->List, found->Now);
            }
        });
}

void EditorWindow::ChooseReplacement(std::uint64_t id, const ReplacementList& list,
                                     const std::vector<std::string>& now) {
    if (!list.Problem.empty()) {
        station_.Op().Show(MessageKind::Warning, list.Problem, Buttons::Ok);
        return;
    }
    if (list.Candidates.empty()) {
        station_.Op().Show(
            MessageKind::Information,
            Format(spindle::tr("No other track of %0:s could take this one's place."),
                   list.Category),
            Buttons::Ok);
        return;
    }
    const std::string name = ExtractFileName(doc_.Find(id)->Path);
    std::string summary = Format(
        spindle::tr("The tracks of %0:s that could play in place of \"%1:s\" at %2:s."),
        list.Category, name, FormatDateTime("ddd ddddd hh:nn", list.Slot, station_.Settings()));
    summary += "\n";
    summary += now.empty() ? std::string(spindle::tr("It breaks no rule where it stands."))
                           : spindle::tr("Where it stands it breaks:") + Lines(now);
    ReplaceTrackDialog dialog(list, Q(summary), this);
    if (dialog.exec() != QDialog::Accepted || !dialog.Chosen()) {
        return;
    }
    const ReplacementCandidate& chosen = list.Candidates[*dialog.Chosen()];
    doc_.BeginEdit();
    const std::uint64_t placed =
        doc_.Replace(id, chosen.Path, chosen.Duration, list.Category, kItemTrack,
                     [this](const std::string& path) { return Measure(path); });
    Edited(placed != 0 ? std::vector<std::uint64_t>{placed} : std::vector<std::uint64_t>{});
    if (placed != 0 && !chosen.Clean()) {
        station_.Op().Show(MessageKind::Warning,
                           Format(spindle::tr("\"%0:s\" plays there now, and breaks these rules:"),
                                  ExtractFileName(chosen.Path)) +
                               Lines(chosen.Breaks) + "\n\n" +
                               spindle::tr("Undo (Ctrl+Z) takes it back."),
                           Buttons::Ok);
    }
}

void EditorWindow::TellRuleBreaks(const std::vector<std::uint64_t>& ids) {
    struct Found {
        std::vector<std::string> Lines;
        std::size_t More = 0;
        std::size_t Checked = 0;
    };
    auto found = std::make_shared<Found>();
    StartWork(
        Tr(N_("Checking the Rules")),
        [this, ids, found](Operator&, spindle::Progress& progress) {
            for (const std::uint64_t id : ids) {
                progress.SetBar(static_cast<long>(found->Checked), static_cast<long>(ids.size()));
                if (progress.CancelRequested()) {
                    break;
                }
                ++found->Checked;
                const EditorItem* item = doc_.Find(id);
                if (item == nullptr) {
                    continue;
                }
                const std::string when =
                    HourText({item->Day, item->Hour}, std::min(item->Minute, 59));
                for (const std::string& rule : RuleBreaksOf(doc_, station_, id, rules_.get())) {
                    if (found->Lines.size() < kMostLines) {
                        found->Lines.push_back(when + "  " + rule);
                    } else {
                        ++found->More;
                    }
                }
            }
            return true;
        },
        [this, count = ids.size(), found](bool) {
            ToldRuleBreaks(found->Lines, found->More, found->Checked, count);
        });
}

void EditorWindow::ToldRuleBreaks(const std::vector<std::string>& lines, std::size_t more,
                                  std::size_t checked, std::size_t count) {
    std::string text;
    if (!lines.empty()) {
        text = spindle::tr(
                   "The track is inserted, but breaks the station's rules where it "
                   "plays:") +
               Lines(lines);
        if (more > 0) {
            text += "\n    " + Format(spindle::tr("and %0:d more"), static_cast<long long>(more));
        }
    }
    if (checked < count) {
        text += (text.empty() ? "" : "\n\n") +
                Format(spindle::tr("The check was stopped after %0:d of the %1:d tracks "
                                   "inserted."),
                       static_cast<long long>(checked), static_cast<long long>(count));
    }
    if (text.empty()) {
        return;
    }
    text += "\n\n";
    text += spindle::tr(
        "Undo (Ctrl+Z) takes the insertion back; Replace... lists the tracks "
        "that would fit.");
    station_.Op().Show(MessageKind::Warning, text, Buttons::Ok);
}

}  // namespace spindle::gui
