#include "app/run_worker.h"

#include <QMetaObject>

#include "app/progress_window.h"
#include "app/qt_text.h"
#include "generator/run_report.h"
#include "outputs/generation.h"

namespace spindle::gui {

RunWorker::RunWorker(Station& station, Operator& gui, ProgressWindow& window)
    : station_(station), gui_(gui), window_(window) {
    connect(this, &RunWorker::LineAdded, &window_, &ProgressWindow::AddLine, Qt::QueuedConnection);
    connect(this, &RunWorker::BarMoved, &window_, &ProgressWindow::SetBar, Qt::QueuedConnection);
    connect(
        &thread_, &QThread::started, this, [this] { Run(); }, Qt::DirectConnection);
}

RunWorker::~RunWorker() {
    thread_.quit();
    thread_.wait();
}

void RunWorker::Start() {
    window_.Start();
    thread_.start();
}

void RunWorker::Run() {
    RunReport report(*this, this);
    generated_ = RunGeneration(station_, report);
    QMetaObject::invokeMethod(
        &window_,
        [this] {
            window_.Finish();
            emit Finished(generated_);
        },
        Qt::QueuedConnection);
    thread_.quit();
}

Answer RunWorker::Show(MessageKind kind, std::string_view text, Buttons buttons) {
    Answer answer = Answer::Cancel;
    const std::string message(text);
    QMetaObject::invokeMethod(
        &window_, [&] { answer = gui_.Show(kind, message, buttons); },
        Qt::BlockingQueuedConnection);
    return answer;
}

std::optional<std::string> RunWorker::Query(std::string_view title, std::string_view prompt,
                                            std::string_view initial) {
    std::optional<std::string> reply;
    const std::string t(title), p(prompt), i(initial);
    QMetaObject::invokeMethod(
        &window_, [&] { reply = gui_.Query(t, p, i); }, Qt::BlockingQueuedConnection);
    return reply;
}

void RunWorker::AddLine(std::string_view line) {
    emit LineAdded(Q(line));
}

void RunWorker::SetBar(long position, long maximum) {
    emit BarMoved(position, maximum);
}

bool RunWorker::CancelRequested() {
    return window_.StopAsked();
}

}  // namespace spindle::gui
