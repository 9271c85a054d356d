#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/operator.h"

namespace spindle {

// The operator of an unattended run: no boxes. Each message becomes a line of the
// run's message list (and goes to the sink, when one is set); a message is answered
// with OK or Yes, a query is cancelled.
class UnattendedOperator : public Operator {
public:
    using Sink = std::function<void(MessageKind, const std::string&)>;

    UnattendedOperator() = default;
    explicit UnattendedOperator(Sink sink) : sink_(std::move(sink)) {}

    Answer Show(MessageKind kind, std::string_view text, Buttons buttons) override;
    std::optional<std::string> Query(std::string_view title, std::string_view prompt,
                                     std::string_view initial) override;
    bool Unattended() const override { return true; }

    const std::vector<std::string>& Lines() const { return lines_; }

private:
    Sink sink_;
    std::vector<std::string> lines_;
};

}  // namespace spindle
