#include "platform/FileDialogs.h"

#include <QFileDialog>
#include <QRegularExpression>
#include <QStringList>

#include <optional>

namespace {

FileDialogAnswerer& InstalledAnswerer() {
    static FileDialogAnswerer answerer;
    return answerer;
}

struct FilterEntry {
    QString display;
    QString patterns;  // ";"-separated, as the program writes them
};

// "A|*.a|B|*.b||": pairs of display text and patterns; the empty tail ends it.
QList<FilterEntry> ParseProgramFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QList<FilterEntry> entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty())
            break;
        entries.append({parts[i], parts[i + 1]});
    }
    return entries;
}

// Qt matches "*.*" only against names with a dot; the program means every file.
QString QtPatterns(const QString& patterns) {
    QStringList result;
    for (QString pattern : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        pattern = pattern.trimmed();
        result.append(pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern);
    }
    return result.join(QLatin1Char(' '));
}

// "Data Files (*.dat) (*.dat)" -> "dat"; nothing when the filter does not end
// in one plain extension ("(*)", "(*.*)" and the like).
std::optional<QString> SingleExtension(const QString& nameFilter) {
    static const QRegularExpression oneExtension(QStringLiteral(R"(\(\*\.(\w+)\)\s*$)"));
    const QRegularExpressionMatch match = oneExtension.match(nameFilter);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1);
}

}  // namespace

void ConfigureFileDialog(QFileDialog& dialog, const FileDialogRequest& request) {
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(request.kind == FileDialogRequest::Kind::Save ? QFileDialog::AcceptSave
                                                                       : QFileDialog::AcceptOpen);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    dialog.setNameFilters(QtNameFiltersFromProgramFilter(request.filter));
    if (request.kind == FileDialogRequest::Kind::Save) {
        // As the platform's own save dialog does, a name typed without an
        // extension takes the chosen file type's: a raw save offered as
        // "*.dat" must not land on "LandData.ld" and replace a map file.
        const auto followFilter = [&dialog, fallback = request.defaultSuffix](const QString& nameFilter) {
            dialog.setDefaultSuffix(SingleExtension(nameFilter).value_or(fallback));
        };
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, followFilter);
        followFilter(dialog.selectedNameFilter());
    } else {
        dialog.setDefaultSuffix(request.defaultSuffix);
    }
    if (!request.initialName.isEmpty())
        dialog.selectFile(request.initialName);
}

namespace {

std::optional<QString> ShowRealDialog(const FileDialogRequest& request) {
    QFileDialog dialog(request.owner);
    ConfigureFileDialog(dialog, request);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.first().isEmpty())
        return std::nullopt;
    return files.first();
}

}  // namespace

QString QtFilterFromProgramFilter(const QString& filter) {
    QStringList displays;
    for (const FilterEntry& entry : ParseProgramFilter(filter))
        displays.append(entry.display);
    return displays.join(QStringLiteral(";;"));
}

// The dialog shows each entry's own text and filters by the trailing group,
// which HideNameFilterDetails keeps out of sight.
QStringList QtNameFiltersFromProgramFilter(const QString& filter) {
    QStringList filters;
    for (const FilterEntry& entry : ParseProgramFilter(filter))
        filters.append(entry.display + QStringLiteral(" (") + QtPatterns(entry.patterns) +
                       QLatin1Char(')'));
    return filters;
}

std::optional<QString> AskFileName(const FileDialogRequest& request) {
    if (const FileDialogAnswerer& answerer = InstalledAnswerer())
        return answerer(request);
    return ShowRealDialog(request);
}

void SetFileDialogAnswerer(FileDialogAnswerer answerer) {
    InstalledAnswerer() = std::move(answerer);
}
