#pragma once

class QDateEdit;
class QLineEdit;
class QLocale;
class QString;
class QTranslator;
class QWidget;

namespace spindle {
struct FormatSettings;
}

namespace spindle::gui {

// Gives a form made from a .ui file the program's own texts: every label, button, check
// box, group caption, tab and action text goes through the catalogue (the .ui texts are
// the catalogue's keys). Then every control gets an accessible name, its label's text
// or its own, so screen readers and UI automation find it by name (see MakeAccessible).
void TranslateForm(QWidget* form);

// A text field made in code, found by its object name and named for screen readers.
QLineEdit* NamedField(const char* objectName, const QString& accessibleName, bool readOnly,
                      QWidget* parent);

// A date picker shows its date in the short form every list and window of the program
// uses, not in Qt's own form for the locale.
void ShowShortDates(QDateEdit* picker, const FormatSettings& settings);

// Installs Qt's own texts (standard buttons, file and print dialogs) in the language of
// the environment, from Qt's catalogues; false when there are none for it.
bool InstallQtTranslations(QTranslator& translator, const QLocale& locale);

}  // namespace spindle::gui
