#include "cli/console_progress.h"

#include <csignal>
#include <string>

namespace spindle {
namespace {

std::atomic<bool> interrupted{false};

extern "C" void OnInterrupt(int) {
    interrupted = true;
}

}  // namespace

void ConsoleProgress::CatchInterrupts() {
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
}

void ConsoleProgress::AddLine(std::string_view line) {
    if (showBar_ && lastPercent_ >= 0) {
        err_ << "\r\033[K" << std::flush;
        lastPercent_ = -1;
    }
    out_ << line << '\n' << std::flush;
}

void ConsoleProgress::SetBar(long position, long maximum) {
    if (!showBar_ || maximum <= 0) {
        return;
    }
    const int percent = static_cast<int>(100 * position / maximum);
    if (percent == lastPercent_) {
        return;
    }
    lastPercent_ = percent;
    constexpr int kWidth = 40;
    const int filled = percent * kWidth / 100;
    err_ << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
         << std::string(static_cast<std::size_t>(kWidth - filled), ' ') << "] " << percent << "%"
         << std::flush;
}

bool ConsoleProgress::CancelRequested() {
    return interrupted.load();
}

void ConsoleProgress::Finish() {
    if (showBar_ && lastPercent_ >= 0) {
        err_ << "\r\033[K" << std::flush;
        lastPercent_ = -1;
    }
}

}  // namespace spindle
