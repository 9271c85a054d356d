#pragma once

#include <QString>
#include <filesystem>

class QDialogButtonBox;
class QWidget;

namespace spindle::gui {

// Where the help pages are (the installed or the built "spindle/help" folder).
void SetHelpFolder(const std::filesystem::path& folder);

// Shows a help page ("editor.html", "editor.html#voice-tracks") in the one help window.
void ShowHelp(const QString& page);
// The page a window's help opens; F1 and Help buttons take it from the window in front.
void SetHelpPage(QWidget* window, const QString& page);
QString HelpPageOf(const QWidget* window);
// Adds a Help button to a dialog's buttons that opens its page.
void AddHelpButton(QDialogButtonBox* buttons, QWidget* dialog, const QString& page);
// F1 anywhere in the program opens the help of the window in front.
void InstallHelpKey();
// The help window, once shown; nullptr before.
QWidget* HelpWindow();

}  // namespace spindle::gui
