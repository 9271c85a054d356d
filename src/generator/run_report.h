#pragma once

#include <string>
#include <vector>

#include "base/operator.h"
#include "base/progress.h"

namespace spindle {

enum class RunStatus { Running = 0, StopAsked = 1, Error = 2 };

// The progress window of a generation run: its lines, its bar, its Cancel, and the
// run status that messages and Cancel set.
class RunReport {
public:
    RunReport(Operator& op, Progress* progress) : op_(op), progress_(progress) {}

    bool Unattended() const { return op_.Unattended(); }
    Operator& Op() const { return op_; }

    // A line of the progress window, and nothing else.
    void AddLine(const std::string& text);
    // A run message: a line, and unless unattended a box. An error box has only
    // Cancel, so it stops the run; a warning box stops it when Cancel is pressed.
    // Either way the message counts as a problem of the run.
    void Message(const std::string& text, bool error);
    // An error that ends the pass: reported as Message does, and the run stops
    // whether or not anybody is there to see a box.
    void Fail(const std::string& text);
    // A line the operator must see although the run goes on (a relaxed repeat rule,
    // a skipped item, a file without a playing time).
    void Problem(const std::string& text);
    void ClearLines() { lines_.clear(); }
    const std::vector<std::string>& Lines() const { return lines_; }

    RunStatus Status() const { return status_; }
    void SetStatus(RunStatus status) { status_ = status; }
    bool Stopped() const { return status_ != RunStatus::Running; }
    // Lets the interface catch up and notices a Cancel.
    void ProcessEvents();
    void SetBar(long position, long maximum);
    // Whether any error was reported during the run (also when no box stopped it).
    bool ErrorsReported() const { return errors_; }
    // How many messages and problem lines the run reported.
    long Problems() const { return problems_; }

private:
    Operator& op_;
    Progress* progress_;
    std::vector<std::string> lines_;
    RunStatus status_ = RunStatus::Running;
    bool errors_ = false;
    long problems_ = 0;
};

}  // namespace spindle
