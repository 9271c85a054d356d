#include "gui/widgets/accessible_controls.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QVariant>

namespace spindle::gui {
namespace {

// A combo box named by its label; its value is its value. Its child is the list it
// pops up, as in Qt's own.
class NamedComboBox : public QAccessibleWidget {
public:
    explicit NamedComboBox(QComboBox* combo) : QAccessibleWidget(combo, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value ||
            (t == QAccessible::Name && widget()->accessibleName().isEmpty())) {
            return Combo()->currentText();
        }
        return QAccessibleWidget::text(t);
    }
    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override {
        return index == 0 ? QAccessible::queryAccessibleInterface(Combo()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child != nullptr && child->object() == Combo()->view() ? 0 : -1;
    }
    QStringList actionNames() const override {
        return QStringList{showMenuAction(), pressAction()} << QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == showMenuAction() || action == pressAction()) {
            Combo()->showPopup();
        } else {
            QAccessibleWidget::doAction(action);
        }
    }

private:
    QComboBox* Combo() const { return static_cast<QComboBox*>(widget()); }
};

// A date or time field: Increase and Decrease step the part the cursor is in, its value
// counts minutes (a time) or days (a date) from the field's least, and its text is the
// text of its editor.
class SteppedDateTime : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit SteppedDateTime(QDateTimeEdit* edit) : QAccessibleWidget(edit, QAccessible::SpinBox) {}

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::ValueInterface) {
            return static_cast<QAccessibleValueInterface*>(this);
        }
        if (t == QAccessible::TextInterface || t == QAccessible::EditableTextInterface) {
            QAccessibleInterface* editor =
                QAccessible::queryAccessibleInterface(Edit()->findChild<QLineEdit*>());
            return editor != nullptr ? editor->interface_cast(t) : nullptr;
        }
        return QAccessibleWidget::interface_cast(t);
    }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Value ? Edit()->text() : QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override {
        return QStringList{increaseAction(), decreaseAction()} << QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == increaseAction() || action == decreaseAction()) {
            Edit()->stepBy(action == increaseAction() ? 1 : -1);
        } else {
            QAccessibleWidget::doAction(action);
        }
    }
    QVariant currentValue() const override { return Units(Edit()->dateTime()); }
    void setCurrentValue(const QVariant& value) override {
        const QDateTime least = Edit()->minimumDateTime();
        Edit()->setDateTime(Time() ? least.addSecs(value.toLongLong() * 60)
                                   : least.addDays(value.toLongLong()));
    }
    QVariant maximumValue() const override { return Units(Edit()->maximumDateTime()); }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    QDateTimeEdit* Edit() const { return static_cast<QDateTimeEdit*>(widget()); }
    bool Time() const {
        return (Edit()->displayedSections() & QDateTimeEdit::DateSections_Mask) == 0;
    }
    qint64 Units(const QDateTime& at) const {
        const QDateTime least = Edit()->minimumDateTime();
        return Time() ? least.secsTo(at) / 60 : least.daysTo(at);
    }
};

QAccessibleInterface* Factory(const QString& className, QObject* object) {
    if (className == QLatin1String("QComboBox")) {
        return new NamedComboBox(static_cast<QComboBox*>(object));
    }
    if (className == QLatin1String("QDateTimeEdit")) {
        return new SteppedDateTime(static_cast<QDateTimeEdit*>(object));
    }
    return nullptr;
}

// Digits typed into a date or time field that shows its whole value with no part selected
// would be refused, the field being full: they fill the part the cursor is in, or from the
// first part when the cursor is at either end, as typing after Tab does.
const QString kTypedDigits = QStringLiteral("typedDigits");

class TypedDigits : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* edit = qobject_cast<QDateTimeEdit*>(watched);
        auto* editor = edit != nullptr ? edit->findChild<QLineEdit*>() : nullptr;
        if (event->type() != QEvent::KeyPress || editor == nullptr || editor->hasSelectedText() ||
            editor->text() != edit->locale().toString(edit->dateTime(), edit->displayFormat())) {
            return false;
        }
        const QString typed = static_cast<QKeyEvent*>(event)->text();
        if (typed.size() != 1 || !typed[0].isDigit()) {
            return false;
        }
        const int cursor = editor->cursorPosition();
        const bool end = cursor == 0 || cursor == editor->text().size();
        edit->setCurrentSectionIndex(end ? 0 : edit->currentSectionIndex());
        edit->setSelectedSection(edit->currentSection());
        return false;
    }
};

}  // namespace

void MakeAccessible(QWidget* form) {
    static const bool installed = [] {
        QAccessible::installFactory(&Factory);
        return true;
    }();
    static_cast<void>(installed);
    for (QDateTimeEdit* edit : form->findChildren<QDateTimeEdit*>()) {
        if (edit->findChild<QObject*>(kTypedDigits, Qt::FindDirectChildrenOnly) == nullptr) {
            auto* typed = new TypedDigits(edit);
            typed->setObjectName(kTypedDigits);
            edit->installEventFilter(typed);
        }
    }
}

void ShowValue(QLabel* label, const QString& value) {
    label->setText(value);
    label->setAccessibleDescription(value);
}

}  // namespace spindle::gui
