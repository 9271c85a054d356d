#pragma once

#include <QObject>
#include <QThread>
#include <functional>

#include "base/operator.h"
#include "base/progress.h"
#include "station/station.h"

namespace spindle::gui {

class ProgressWindow;

// Long work (a generation run, a reload of files) on a thread of its own. Its caption,
// count, lines and bar reach the progress window through queued signals; a question the
// work must ask (the repeat warning, an error box) is put to the person on the GUI thread
// while the work waits for the answer; the progress window's Cancel is the stop the core
// checks for. While the job works the Station's own messages and loading progress go
// through the worker too, so they reach the person on the GUI thread. The GUI thread
// never waits for the work and runs no nested event loop.
class Worker : public QObject, private Operator, private Progress {
    Q_OBJECT

public:
    // The job receives the Operator and the Progress to report through; it says whether
    // it succeeded.
    using Job = std::function<bool(Operator&, Progress&)>;
    Worker(Station& station, Job job, ProgressWindow& window);
    ~Worker() override;

    // Starts the job; Finished follows on the GUI thread.
    void Start();

signals:
    void TextSet(const QString& text);
    void CountSet(qlonglong count);
    void LineAdded(const QString& line);
    void BarMoved(qlonglong position, qlonglong maximum);
    void Finished(bool succeeded);

private:
    // Operator, called on the worker thread.
    Answer Show(MessageKind kind, std::string_view text, Buttons buttons) override;
    std::optional<std::string> Query(std::string_view title, std::string_view prompt,
                                     std::string_view initial) override;
    bool Unattended() const override { return gui_.Unattended(); }
    // Progress, called on the worker thread.
    void SetText(std::string_view text) override;
    void SetCount(long count) override;
    void AddLine(std::string_view line) override;
    void SetBar(long position, long maximum) override;
    bool CancelRequested() override;

    void Run();

    Station& station_;
    Job job_;
    Operator& gui_;
    ProgressWindow& window_;
    QThread thread_;
    bool succeeded_ = false;
};

}  // namespace spindle::gui
