#include "gui/widgets/form_text.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QTabWidget>
#include <QTranslator>

#include "base/format_datetime.h"
#include "gui/widgets/accessible_controls.h"
#include "gui/widgets/qt_text.h"

namespace spindle::gui {
namespace {

QString Translated(const QString& text) {
    return text.isEmpty() ? text : Q(tr(S(text).c_str()));
}

// A caption as it reads: a mnemonic's "&" goes, a "&&" is one "&".
QString Plain(const QString& text) {
    QString plain;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size()) {
            ++i;
        }
        plain += text[i];
    }
    return plain;
}

}  // namespace

void TranslateForm(QWidget* form) {
    for (QWidget* w : form->findChildren<QWidget*>()) {
        w->setAccessibleName(Translated(w->accessibleName()));
        w->setToolTip(Translated(w->toolTip()));
    }
    for (QGroupBox* box : form->findChildren<QGroupBox*>()) {
        box->setTitle(Translated(box->title()));
    }
    for (QAbstractButton* button : form->findChildren<QAbstractButton*>()) {
        button->setText(Translated(button->text()));
        if (button->accessibleName().isEmpty() && button->text() != QStringLiteral("...")) {
            button->setAccessibleName(Plain(button->text()));
        }
    }
    for (QTabWidget* tabs : form->findChildren<QTabWidget*>()) {
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setTabText(i, Translated(tabs->tabText(i)));
        }
    }
    for (QMenu* menu : form->findChildren<QMenu*>()) {
        menu->setTitle(Translated(menu->title()));
    }
    for (QAction* action : form->findChildren<QAction*>()) {
        if (!action->isSeparator() && action->menu() == nullptr) {
            action->setText(Translated(action->text()));
        }
    }
    for (QLabel* label : form->findChildren<QLabel*>()) {
        label->setText(Translated(label->text()));
        if (QWidget* buddy = label->buddy()) {
            buddy->setAccessibleName(Plain(label->text()));
            // A chooser button beside the field is named after it.
            if (auto* browse = buddy->parentWidget()->findChild<QAbstractButton*>(
                    buddy->objectName() + QStringLiteral("Browse"))) {
                browse->setAccessibleName(Plain(label->text()));
            }
        }
    }
    MakeAccessible(form);
}

QLineEdit* NamedField(const char* objectName, const QString& accessibleName, bool readOnly,
                      QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QLatin1String(objectName));
    field->setAccessibleName(accessibleName);
    field->setReadOnly(readOnly);
    return field;
}

void ShowShortDates(QDateEdit* picker, const FormatSettings& settings) {
    picker->setDisplayFormat(Q(ShortDatePickerPattern(settings)));
}

bool InstallQtTranslations(QTranslator& translator, const QLocale& locale) {
    if (!translator.load(locale, QStringLiteral("qt"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        return false;
    }
    QApplication::installTranslator(&translator);
    return true;
}

}  // namespace spindle::gui
