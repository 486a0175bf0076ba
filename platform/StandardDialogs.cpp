#include "platform/StandardDialogs.h"

#include "platform/DialogBuilder.h"
#include "resources/DialogTemplates.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

bool PrepareStandardDialogs(const QString& translationsDirectory) {
    // Left to fontconfig, box texts with digits or half-width katakana would
    // fall back to a fixed-width face; the size stays the system's.
    QFont face = QApplication::font();
    face.setFamily(DialogFont(DialogFontName, DialogFontPointSize).family());
    QApplication::setFont(face, "QMessageBox");

    static QTranslator* const translator = new QTranslator(QCoreApplication::instance());
    QCoreApplication::removeTranslator(translator);
    const QString directory = translationsDirectory.isEmpty()
                                  ? QLibraryInfo::path(QLibraryInfo::TranslationsPath)
                                  : translationsDirectory;
    if (!translator->load(QStringLiteral("qtbase_ja"), directory))
        return false;
    QCoreApplication::installTranslator(translator);
    return true;
}
