#include "support/scripted_operator.h"

namespace spindle::test {

Answer ScriptedOperator::Show(MessageKind kind, std::string_view text, Buttons buttons) {
    Messages.push_back({kind, std::string(text), buttons});
    if (!answers_.empty()) {
        const Answer a = answers_.front();
        answers_.pop_front();
        return a;
    }
    switch (buttons) {
        case Buttons::Cancel:
            return Answer::Cancel;
        case Buttons::YesNo:
        case Buttons::YesNoCancel:
        case Buttons::YesCancelYesToAll:
            return Answer::Yes;
        default:
            return Answer::Ok;
    }
}

std::optional<std::string> ScriptedOperator::Query(std::string_view title, std::string_view prompt,
                                                   std::string_view initial) {
    Queries.push_back({std::string(title), std::string(prompt), std::string(initial)});
    if (replies_.empty()) {
        return std::nullopt;
    }
    auto reply = replies_.front();
    replies_.pop_front();
    return reply;
}

}  // namespace spindle::test
