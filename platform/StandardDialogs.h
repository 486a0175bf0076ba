#pragma once
// Qt's standard dialogs (file dialogs, their questions, message boxes) as the
// program's Japanese system shows them.

#include <QString>

// Loads Qt's own Japanese texts whatever the process's locale, and gives every
// message box, Qt's own included, the dialog face. Returns false when Qt's
// translations are not installed (in `translationsDirectory`, by default Qt's
// own): Qt's English texts then stay. Needs the QApplication.
bool PrepareStandardDialogs(const QString& translationsDirectory = QString());
