// The map commands, the two long operations and their progress callbacks.

#include "view/MapView.h"

#include "core/PointMarks.h"
#include "data/Failures.h"
#include "data/StencilCacheFile.h"
#include "dialogs/CGenerateDialog.h"
#include "dialogs/CInfoDialog.h"
#include "dialogs/CProgressDialog.h"
#include "dialogs/CWaterLevelDialog.h"
#include "platform/MessageBox.h"
#include "resources/MenuTable.h"
#include "resources/Strings.h"
#include "resources/ViewStrings.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QProgressBar>

#include <algorithm>
#include <new>

namespace {

// The progress window of one long operation: created hidden, destroyed on
// every way out of the operation; its sink hands the reports to the view's
// callbacks together with the window.
class ProgressWindow {
  public:
    explicit ProgressWindow(QWidget* view) : dialog_(new CProgressDialog(view)) {}
    ~ProgressWindow() { close(); }
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    void close() {
        delete dialog_;
        dialog_ = nullptr;
    }

    ProgressSink sink() {
        return [this](GEO_MakeLand& terrain, const ProgressReport& report) {
            if (!dialog_)
                return true;
            if (report.phase == ProgressPhase::Rendering)
                MapView::renderProgress(*dialog_, terrain, report.done);
            else
                MapView::generationProgress(*dialog_, terrain, report.phase);
            return true;  // the program has no way to stop an operation
        };
    }

  private:
    CProgressDialog* dialog_;
};

// A picture of the given size, or nothing when it cannot be had: drawing
// failures end an operation without a message.
std::optional<Picture> makePicture(QSize size) {
    if (size.width() <= 0 || size.height() <= 0)
        return Picture(0, 0);
    try {
        return Picture(size.width(), size.height());
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    } catch (const std::length_error&) {
        return std::nullopt;
    }
}

// A progress bar of range 0..0 would show Qt's busy animation; the platform
// bar shows an empty bar instead.
void setBarRange(QProgressBar* bar, int32_t maximum) {
    bar->setRange(0, maximum > 0 ? maximum : 1);
    bar->setValue(0);
}

// Qt ignores positions outside the range; the bar should stop at its ends instead.
void setBarPosition(QProgressBar* bar, int32_t position) {
    if (position < bar->minimum())
        position = bar->minimum();
    if (position > bar->maximum())
        position = bar->maximum();
    bar->setValue(position);
}

QString percentText(int32_t done, int32_t total) {
    return QString::asprintf(ViewStrings::StatusPercentFormat,
                             double(done) / double(total) * 100.0);
}

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

}  // namespace

void MapView::runReporting(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception&) {
        // Anything else still ends the command with a message, not a crash.
        ReportFailure(this, FailureInFlight());
    }
}

bool MapView::handlesCommand(int id) const {
    switch (id) {
    case CommandId::Generate:
    case CommandId::WaterLevel:
    case CommandId::CopyToClipboard:
    case CommandId::RegionDisplay:
    case CommandId::Move:
    case CommandId::Information:
    case CommandId::FileOpen:
    case CommandId::FileSave:
    case CommandId::RawSave:
        return true;
    default:
        return false;
    }
}

bool MapView::isCommandEnabled(int id) const {
    const bool hasCells = terrain.GetSize() > 0;
    switch (id) {
    case CommandId::Generate:
        return mapPicture.has_value();
    case CommandId::WaterLevel:
    case CommandId::FileOpen:
    case CommandId::FileSave:
        return true;
    case CommandId::CopyToClipboard:
    case CommandId::Information:
        return memoryDc && hasCells;
    case CommandId::RegionDisplay:
        return hasCells && terrain.concentrationPoints.GetSize() > 0;
    case CommandId::RawSave:
        return hasCells;
    default:
        return false;  // Move and anything unknown
    }
}

void MapView::executeCommand(int id) {
    if (!handlesCommand(id) || !isCommandEnabled(id))
        return;
    runReporting([this, id] {
        switch (id) {
        case CommandId::Generate:
            generateCommand();
            break;
        case CommandId::WaterLevel:
            waterLevelCommand();
            break;
        case CommandId::CopyToClipboard:
            clipboardCommand();
            break;
        case CommandId::RegionDisplay:
            regionDisplayCommand();
            break;
        case CommandId::Information:
            informationCommand();
            break;
        case CommandId::FileOpen:
            openCommand();
            break;
        case CommandId::FileSave:
            saveCommand(false);
            break;
        case CommandId::RawSave:
            saveCommand(true);
            break;
        default:
            break;
        }
    });
}

int MapView::runDialog(QDialog& dialog) {
    return dialogRunner_ ? dialogRunner_(dialog) : dialog.exec();
}

QSize MapView::renderSize() const {
    const GEO_MakeLand::GridSize size = terrain.CellGridSize();
    return QSize(size.width, size.height);
}

void MapView::generateCommand() {
    savedWidth = terrain.width;
    savedHeight = terrain.height;
    {
        CGenerateDialog dialog(&terrain, this);
        if (runDialog(dialog) != QDialog::Accepted)
            return;
    }
    const QString title = text(Strings::GenerateCaption);
    if (terrain.manualPlacement) {
        const MessageAnswer keep = ShowMessage(this, text(ViewStrings::KeepPlacementQuestion),
                                               MessageIcon::Question, MessageButtons::YesNo, title);
        if (keep != MessageAnswer::Yes) {
            placement.begin();
            layoutPicture();
            update();
            ShowMessage(this, text(ViewStrings::PlacementInstruction), MessageIcon::Information,
                        MessageButtons::Ok, text(ViewStrings::PlacementTitle));
            return;
        }
    }
    const MessageAnswer create = ShowMessage(this, text(ViewStrings::CreateQuestion),
                                             MessageIcon::Question, MessageButtons::YesNo, title);
    if (create == MessageAnswer::Yes) {
        generateAndRender();
    } else {
        restoreSavedSize();
    }
}

void MapView::restoreSavedSize() {
    terrain.width = savedWidth;
    terrain.height = savedHeight;
}

void MapView::generateAndRender() {
    ProgressWindow progress(this);
    landCircles.LoadOrBuild(stencilCacheFile);
    terrain.Generate(landCircles, nullptr, progress.sink());
    pictureWidth = terrain.width;
    pictureHeight = terrain.height;
    layoutPicture();
    mapPicture.reset();
    std::optional<Picture> fresh = makePicture(QSize(terrain.width, terrain.height));
    if (!fresh)
        return;
    terrain.Render(*fresh, false, progress.sink());
    mapPicture = std::move(fresh);
    layoutPicture();
    progress.close();
    showRegions = false;
    regionPicture.reset();
    update();
}

void MapView::renderPicture(bool regions) {
    ProgressWindow progress(this);
    if (!regions) {
        regionPicture.reset();
        showRegions = false;
    }
    std::optional<Picture>& target = regions ? regionPicture : mapPicture;
    target.reset();
    std::optional<Picture> fresh = makePicture(renderSize());
    if (!fresh)
        return;
    terrain.Render(*fresh, regions, progress.sink());
    if (regions)
        DrawPointMarks(*fresh, terrain.concentrationPoints);
    target = std::move(fresh);
    layoutPicture();
    update();
}

void MapView::generationProgress(CProgressDialog& dialog, GEO_MakeLand& terrain,
                                 ProgressPhase phase) {
    switch (phase) {
    case ProgressPhase::Preparing:
        setBarRange(dialog.progressBar(), terrain.progressTotal);
        dialog.phaseLabel = text(Strings::ProgressPhase);
        dialog.statusText = text(ViewStrings::StatusPreparing);
        break;
    case ProgressPhase::Stamping:
        setBarPosition(dialog.progressBar(), terrain.progressCount);
        if (terrain.progressTotal > 0)
            dialog.statusText = percentText(terrain.progressCount, terrain.progressTotal);
        break;
    case ProgressPhase::Normalising:
        setBarPosition(dialog.progressBar(), terrain.progressTotal);
        dialog.statusText = text(ViewStrings::StatusNormalising);
        break;
    default:
        return;
    }
    dialog.transferToControls();
    dialog.showAndRepaint();
}

void MapView::renderProgress(CProgressDialog& dialog, GEO_MakeLand& terrain, int32_t cellsDone) {
    const int32_t cells = terrain.GetSize();
    if (cellsDone == 0) {
        setBarRange(dialog.progressBar(), cells);
        dialog.phaseLabel = text(ViewStrings::PhaseRender);
        dialog.statusText = text(ViewStrings::StatusRenderStart);
    } else {
        setBarPosition(dialog.progressBar(), cellsDone);
        if (cells > 0)
            dialog.statusText = percentText(cellsDone, cells);
    }
    dialog.transferToControls();
    dialog.showAndRepaint();
}

void MapView::waterLevelCommand() {
    const double before = terrain.waterLevel;
    CWaterLevelDialog dialog(&terrain, this);
    if (runDialog(dialog) != QDialog::Accepted)
        return;
    if (terrain.GetSize() > 0 && terrain.waterLevel != before)
        renderPicture(false);
}

void MapView::clipboardCommand() {
    // The whole shown picture at one pixel per cell, whatever the window shows.
    const QSize size = renderSize();
    if (size.width() <= 0 || size.height() <= 0)
        return;
    const std::optional<Picture>& source = showRegions ? regionPicture : mapPicture;
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        return;  // no memory for the copy: nothing is handed over
    image.fill(Qt::black);
    if (source) {
        const int w = std::min(size.width(), source->width);
        const int h = std::min(size.height(), source->height);
        for (int y = 0; y < h; ++y)
            std::copy_n(source->pixels.data() + size_t(y) * size_t(source->width), w,
                        reinterpret_cast<uint32_t*>(image.scanLine(y)));
    }
    QGuiApplication::clipboard()->setImage(image);
}

void MapView::regionDisplayCommand() {
    if (!showRegions && !regionPicture)
        renderPicture(true);
    showRegions = !showRegions;
    update();
}

void MapView::informationCommand() {
    // No parent of its own: the main window owns the box.
    CInfoDialog dialog(&terrain, window());
    runDialog(dialog);
}
