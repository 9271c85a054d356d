#pragma once

class QLabel;
class QString;
class QWidget;

namespace spindle::gui {

// Makes the controls of a form speak as a screen reader expects on Linux, where Qt's own
// accessible objects fall short: a combo box is named by its label (Qt names it by its
// value), a date or time field offers Increase and Decrease and a value, and digits typed
// into a date or time field where no part is selected fill it from its first part.
void MakeAccessible(QWidget* form);

// Shows `value` in a label that a caption names ("Files"), so that a reader says the
// caption and then the value ("Files: 182").
void ShowValue(QLabel* label, const QString& value);

}  // namespace spindle::gui
