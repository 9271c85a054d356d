#pragma once

#include <QPointer>
#include <QWidget>

#include "base/operator.h"

namespace spindle::gui {

// The desktop program's Operator: message boxes of the four kinds with the button sets
// the core asks for, and one-line queries.
class GuiOperator : public Operator {
public:
    explicit GuiOperator(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }

    Answer Show(MessageKind kind, std::string_view text, Buttons buttons) override;
    std::optional<std::string> Query(std::string_view title, std::string_view prompt,
                                     std::string_view initial) override;

private:
    QPointer<QWidget> parent_;
};

}  // namespace spindle::gui
