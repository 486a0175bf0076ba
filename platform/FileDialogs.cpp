#include "platform/FileDialogs.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QLocale>
#include <QRegularExpression>
#include <QStringList>
#include <QStyle>
#include <QThread>
#include <QTreeView>
#include <QWindow>

#include <algorithm>
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

// Qt sizes the size and date columns for English samples and leaves the list
// narrower than its columns, so sizes ("468…KiB") and dates end cut or behind
// a scroll bar. Both columns get room for their widest text, and each time the
// dialog is shown, once its layout is known, it grows until every column fits.
class FileColumnsFitter : public QObject {
  public:
    FileColumnsFitter(QFileDialog& dialog, QTreeView& tree)
        : QObject(&dialog), dialog_(dialog), tree_(tree) {
        const QLocale locale = QLocale::system();
        QStringList sizes;
        for (qint64 unit = 1; unit <= (qint64{1} << 40); unit <<= 10)
            sizes.append(locale.formattedDataSize(1023 * unit + unit * 99 / 100));
        const QDateTime latest(QDate(2000, 12, 28), QTime(20, 58, 58));
        widen(1, sizes);
        widen(3, {locale.toString(latest, QLocale::ShortFormat)});
        dialog.installEventFilter(this);
    }

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show)
            fit();
        return false;
    }

  private:
    void widen(int section, const QStringList& samples) {
        QHeaderView* header = tree_.header();
        const QFontMetrics metrics(tree_.font());
        int width = metrics.horizontalAdvance(
            header->model()->headerData(section, Qt::Horizontal).toString());
        for (const QString& sample : samples)
            width = std::max(width, metrics.horizontalAdvance(sample));
        // Cell margins, and the header's sort arrow.
        width += 4 * metrics.averageCharWidth();
        header->resizeSection(section, std::max(width, header->sectionSize(section)));
    }

    void fit() {
        const int needed = tree_.header()->length() + 2 * tree_.frameWidth() +
                           tree_.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &tree_);
        const int missing = needed - tree_.width();
        // Before QDialog's own show handling, which then centres the grown dialog.
        if (missing > 0)
            dialog_.resize(dialog_.width() + missing, dialog_.height());
    }

    QFileDialog& dialog_;
    QTreeView& tree_;
};

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
        const auto followFilter = [&dialog,
                                   fallback = request.defaultSuffix](const QString& nameFilter) {
            dialog.setDefaultSuffix(SingleExtension(nameFilter).value_or(fallback));
        };
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, followFilter);
        followFilter(dialog.selectedNameFilter());
    } else {
        dialog.setDefaultSuffix(request.defaultSuffix);
    }
    if (!request.initialName.isEmpty())
        dialog.selectFile(request.initialName);
    if (auto* tree = dialog.findChild<QTreeView*>(QStringLiteral("treeView")))
        new FileColumnsFitter(dialog, *tree);  // owned by the dialog
}

namespace {

// Notes that the window system asked a window to repaint part of it.
class ExposeWatch : public QObject {
  public:
    bool seen = false;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Expose)
            seen = true;
        return false;
    }
};

// The caller may hold the thread for seconds once the dialog is closed (a
// large map is read without dispatching input), and until then the owner's
// window would keep showing the closed dialog. So wait here, dispatching no
// input, until the window system has taken the dialog away and the owner has
// repainted what it covered, or a short while at most.
void AwaitUncovered(QWidget* owner, const QRect& dialogArea) {
    QWidget* window = owner ? owner->window() : nullptr;
    QWindow* handle = window ? window->windowHandle() : nullptr;
    if (!handle || !window->isVisible() || !window->frameGeometry().intersects(dialogArea))
        return;
    ExposeWatch watch;
    handle->installEventFilter(&watch);
    QElapsedTimer timer;
    timer.start();
    while (!watch.seen && timer.elapsed() < 250) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        QThread::msleep(5);
    }
    handle->removeEventFilter(&watch);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

std::optional<QString> ShowRealDialog(const FileDialogRequest& request) {
    QFileDialog dialog(request.owner);
    ConfigureFileDialog(dialog, request);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    AwaitUncovered(request.owner, dialog.frameGeometry());
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.first().isEmpty())
        return std::nullopt;
    return files.first();
}

}  // namespace

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
