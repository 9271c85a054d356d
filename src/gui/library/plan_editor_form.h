#pragma once

#include <QAction>
#include <QDialog>
#include <QLineEdit>

#include "base/format.h"
#include "forms/plan_editors.h"
#include "gui/widgets/qt_text.h"
#include "station/station.h"

// What the Rotation and Schedule editors share: their list actions, their header and the
// check of a new entry's name.

namespace spindle::gui::plan_form {

// An action of a list's own menu, heard while the list has the focus.
inline QAction* AddAction(QWidget* owner, const char* text, const QKeySequence& keys) {
    auto* action = new QAction(Tr(text), owner);
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    owner->addAction(action);
    return action;
}

// The caption, name and notes of a Rotation or Schedule editor: a new entry's name is
// typed, an existing one's stays as it is.
template <typename Details>
void ShowHeader(QDialog* dialog, const Details& edited, bool isNew, const char* newCaption,
                const char* propertiesCaption, QLineEdit* name, QLineEdit* notes) {
    dialog->setWindowTitle(isNew ? Tr(newCaption)
                                 : Q(Format(spindle::tr(propertiesCaption), edited.Name)));
    name->setText(Q(edited.Name));
    name->setEnabled(isNew);
    notes->setText(Q(edited.Notes));
}

// OK of an editor for a new entry: a refused name is said and the focus goes to it.
inline bool NameRefused(Station& station, ListKind kind, bool isNew, QLineEdit* name) {
    if (!isNew) {
        return false;
    }
    const Verdict v = CheckNewPlanName(station, kind, S(name->text()));
    if (v.Ok()) {
        return false;
    }
    station.Op().Show(MessageKind::Error, v.Message, Buttons::Ok);
    name->setFocus();
    return true;
}

}  // namespace spindle::gui::plan_form
