#include "base/unattended_operator.h"

namespace spindle {

Answer UnattendedOperator::Show(MessageKind kind, std::string_view text, Buttons buttons) {
    lines_.emplace_back(text);
    if (sink_) {
        sink_(kind, lines_.back());
    }
    switch (buttons) {
        case Buttons::Ok:
        case Buttons::OkCancel:
            return Answer::Ok;
        case Buttons::Cancel:
            return Answer::Cancel;
        default:
            return Answer::Yes;
    }
}

std::optional<std::string> UnattendedOperator::Query(std::string_view, std::string_view,
                                                     std::string_view) {
    return std::nullopt;
}

}  // namespace spindle
