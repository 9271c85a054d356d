#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace spindle {

enum class MessageKind { Warning, Error, Information, Confirmation };

// The buttons a message offers; an answer is one of them.
enum class Buttons { Ok, OkCancel, Cancel, YesNo, YesNoCancel, YesCancelYesToAll };

enum class Answer { Ok, Cancel, Yes, No, YesToAll };

// Every message box, one-line query and "let the interface catch up" of the program
// goes through an Operator, so the same rules run under the desktop program, the
// unattended command line and the tests.
class Operator {
public:
    virtual ~Operator() = default;
    virtual Answer Show(MessageKind kind, std::string_view text, Buttons buttons) = 0;
    // nullopt when the person cancels.
    virtual std::optional<std::string> Query(std::string_view title, std::string_view prompt,
                                             std::string_view initial) = 0;
    virtual void ProcessEvents() {}
    // True when nobody is there to answer: the unattended run.
    virtual bool Unattended() const { return false; }
};

}  // namespace spindle
