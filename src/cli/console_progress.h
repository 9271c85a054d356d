#pragma once

#include <atomic>
#include <ostream>

#include "base/progress.h"

namespace spindle {

// The progress window of a run on a console: its lines on standard output as they
// come, and, on a terminal, a bar on standard error. Ctrl-C asks the run to stop.
class ConsoleProgress final : public Progress {
public:
    ConsoleProgress(std::ostream& out, std::ostream& err, bool showBar)
        : out_(out), err_(err), showBar_(showBar) {}

    void AddLine(std::string_view line) override;
    void SetBar(long position, long maximum) override;
    bool CancelRequested() override;
    // Ends the bar's line.
    void Finish();

    // Installs the Ctrl-C handler that CancelRequested reports.
    static void CatchInterrupts();

private:
    std::ostream& out_;
    std::ostream& err_;
    bool showBar_;
    int lastPercent_ = -1;
};

}  // namespace spindle
