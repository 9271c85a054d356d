#pragma once

#include <QObject>
#include <QThread>

#include "base/operator.h"
#include "base/progress.h"
#include "library/station.h"

namespace spindle::gui {

class ProgressWindow;

// A generation run of the Station on a thread of its own. Its lines and bar reach the
// progress window through queued signals; a question the run must ask (the repeat
// warning, an error box) is put to the person on the GUI thread while the run waits
// for the answer; the progress window's Cancel is the stop the core checks for.
class RunWorker : public QObject, private Operator, private Progress {
    Q_OBJECT

public:
    RunWorker(Station& station, Operator& gui, ProgressWindow& window);
    ~RunWorker() override;

    // Starts the run; Finished follows on the GUI thread.
    void Start();
    bool Generated() const { return generated_; }

signals:
    void LineAdded(const QString& line);
    void BarMoved(qlonglong position, qlonglong maximum);
    void Finished(bool generated);

private:
    // Operator, called on the worker thread.
    Answer Show(MessageKind kind, std::string_view text, Buttons buttons) override;
    std::optional<std::string> Query(std::string_view title, std::string_view prompt,
                                     std::string_view initial) override;
    // Progress, called on the worker thread.
    void AddLine(std::string_view line) override;
    void SetBar(long position, long maximum) override;
    bool CancelRequested() override;

    void Run();

    Station& station_;
    Operator& gui_;
    ProgressWindow& window_;
    QThread thread_;
    bool generated_ = false;
};

}  // namespace spindle::gui
