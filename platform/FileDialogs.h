#pragma once
// The platform's open and save dialogs behind one seam, so tests answer them.

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QFileDialog;
class QWidget;

struct FileDialogRequest {
    enum class Kind { Open, Save } kind = Kind::Open;
    QWidget* owner = nullptr;
    QString filter;         // the program's "Text (*.x)|*.x|...||" form
    QString defaultSuffix;  // "ld"
    QString initialName;    // "LandData"
};

using FileDialogAnswerer = std::function<std::optional<QString>(const FileDialogRequest&)>;

// Returns the chosen full path, or nothing when the user cancelled. Save asks
// before replacing an existing file; neither shows a read-only option; open
// does not insist that the file exists. In a save dialog a name without an
// extension takes the chosen file type's, or defaultSuffix for "All Files".
std::optional<QString> AskFileName(const FileDialogRequest& request);

// The name filters handed to the dialog: each shown text followed by the
// patterns Qt matches ("*.*" becomes "*", so names without a dot match too).
QStringList QtNameFiltersFromProgramFilter(const QString& filter);

// Sets up a dialog as AskFileName shows it: Qt's own dialog on every system.
void ConfigureFileDialog(QFileDialog& dialog, const FileDialogRequest& request);

void SetFileDialogAnswerer(FileDialogAnswerer answerer);
