#pragma once

#include <string_view>

namespace spindle {

// How long work shows itself: a caption, a running count, a bar, lines of a log,
// and a Cancel the person may press. Each method may repaint the interface.
class Progress {
public:
    virtual ~Progress() = default;
    virtual void SetText(std::string_view) {}
    virtual void SetCount(long) {}
    virtual void SetBar(long /*position*/, long /*maximum*/) {}
    virtual void AddLine(std::string_view) {}
    virtual bool CancelRequested() { return false; }
};

// For work nobody watches.
class NullProgress final : public Progress {};

}  // namespace spindle
