#include "gui/widgets/worker.h"

#include <QMetaObject>
#include <exception>

#include "base/format.h"
#include "base/translate.h"
#include "gui/widgets/progress_window.h"
#include "gui/widgets/qt_text.h"

namespace spindle::gui {

Worker::Worker(Station& station, Job job, ProgressWindow& window)
    : station_(station), job_(std::move(job)), gui_(station.Op()), window_(window) {
    connect(this, &Worker::TextSet, &window_, &ProgressWindow::SetText, Qt::QueuedConnection);
    connect(this, &Worker::CountSet, &window_, &ProgressWindow::SetCount, Qt::QueuedConnection);
    connect(this, &Worker::LineAdded, &window_, &ProgressWindow::AddLine, Qt::QueuedConnection);
    connect(this, &Worker::BarMoved, &window_, &ProgressWindow::SetBar, Qt::QueuedConnection);
    connect(
        &thread_, &QThread::started, this, [this] { Run(); }, Qt::DirectConnection);
}

Worker::~Worker() {
    thread_.quit();
    thread_.wait();
}

void Worker::Start() {
    thread_.start();
}

void Worker::Run() {
    station_.SetOperator(*this);
    station_.ProgressSink = this;
    // A fault in the work ends the work, not the program: the person is told what it was.
    auto failed = [this](std::string_view what) {
        succeeded_ = false;
        Show(MessageKind::Error,
             Format(spindle::tr("The work stopped on an unexpected error: %0:s"), what),
             Buttons::Ok);
    };
    try {
        succeeded_ = job_(*this, *this);
    } catch (const std::exception& e) {
        failed(e.what());
    } catch (...) {
        failed("?");
    }
    station_.ProgressSink = nullptr;
    station_.SetOperator(gui_);
    QMetaObject::invokeMethod(
        &window_,
        [this] {
            window_.Finish();
            emit Finished(succeeded_);
        },
        Qt::QueuedConnection);
    thread_.quit();
}

Answer Worker::Show(MessageKind kind, std::string_view text, Buttons buttons) {
    // The Station's operator is this worker while the job runs; a window that asks on
    // the GUI thread meanwhile is answered there, never queued to itself.
    if (QThread::currentThread() == window_.thread()) {
        return gui_.Show(kind, text, buttons);
    }
    Answer answer = Answer::Cancel;
    const std::string message(text);
    QMetaObject::invokeMethod(
        &window_, [&] { answer = gui_.Show(kind, message, buttons); },
        Qt::BlockingQueuedConnection);
    return answer;
}

std::optional<std::string> Worker::Query(std::string_view title, std::string_view prompt,
                                         std::string_view initial) {
    if (QThread::currentThread() == window_.thread()) {
        return gui_.Query(title, prompt, initial);
    }
    std::optional<std::string> reply;
    const std::string t(title), p(prompt), i(initial);
    QMetaObject::invokeMethod(
        &window_, [&] { reply = gui_.Query(t, p, i); }, Qt::BlockingQueuedConnection);
    return reply;
}

void Worker::SetText(std::string_view text) {
    emit TextSet(Q(text));
}

void Worker::SetCount(long count) {
    emit CountSet(count);
}

void Worker::AddLine(std::string_view line) {
    emit LineAdded(Q(line));
}

void Worker::SetBar(long position, long maximum) {
    emit BarMoved(position, maximum);
}

bool Worker::CancelRequested() {
    return window_.StopAsked();
}

}  // namespace spindle::gui
