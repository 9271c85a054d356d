#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "base/operator.h"

namespace spindle::test {

// An operator whose answers the test queues up front; every message and query it
// sees is recorded. With no answer queued, a message is answered OK (or the first
// button) and a query is cancelled.
class ScriptedOperator : public Operator {
public:
    struct Shown {
        MessageKind Kind;
        std::string Text;
        Buttons Offered;
    };
    struct Asked {
        std::string Title;
        std::string Prompt;
        std::string Initial;
    };

    void QueueAnswer(Answer answer) { answers_.push_back(answer); }
    void QueueReply(std::optional<std::string> reply) { replies_.push_back(std::move(reply)); }

    Answer Show(MessageKind kind, std::string_view text, Buttons buttons) override;
    std::optional<std::string> Query(std::string_view title, std::string_view prompt,
                                     std::string_view initial) override;

    std::vector<Shown> Messages;
    std::vector<Asked> Queries;

private:
    std::deque<Answer> answers_;
    std::deque<std::optional<std::string>> replies_;
};

}  // namespace spindle::test
