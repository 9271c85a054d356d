#include "generator/run_report.h"

namespace spindle {

void RunReport::AddLine(const std::string& text) {
    lines_.push_back(text);
    if (progress_ != nullptr) {
        progress_->AddLine(text);
    }
}

void RunReport::Message(const std::string& text, bool error) {
    AddLine(text);
    ++problems_;
    if (error) {
        errors_ = true;
    }
    if (Unattended()) {
        return;
    }
    if (error) {
        op_.Show(MessageKind::Error, text, Buttons::Cancel);
        status_ = RunStatus::Error;
    } else if (op_.Show(MessageKind::Warning, text, Buttons::OkCancel) == Answer::Cancel) {
        status_ = RunStatus::StopAsked;
    }
}

void RunReport::Fail(const std::string& text) {
    Message(text, true);
    status_ = RunStatus::Error;
}

void RunReport::Problem(const std::string& text) {
    AddLine(text);
    ++problems_;
}

void RunReport::ProcessEvents() {
    op_.ProcessEvents();
    if (progress_ != nullptr && progress_->CancelRequested() && status_ == RunStatus::Running) {
        status_ = RunStatus::StopAsked;
    }
}

void RunReport::SetBar(long position, long maximum) {
    if (progress_ != nullptr) {
        progress_->SetBar(position, maximum);
    }
}

}  // namespace spindle
