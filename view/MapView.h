#pragma once
// The map window. It owns the terrain and its stencil table for its whole
// life, shows the map at one pixel per cell (panned by dragging when it is
// larger than the window), collects hand-placed concentration points, and
// carries out the map and file commands of the menu.

#include "core/GEO_MakeLand.h"
#include "core/Picture.h"
#include "data/GEO_LandCircle.h"
#include "view/CommandTarget.h"
#include "view/MouseModes.h"

#include <QFrame>

#include <functional>
#include <optional>

class CProgressDialog;
class QDialog;

class MapView : public QFrame, public CommandTarget {
    Q_OBJECT
  public:
    explicit MapView(QWidget* parent = nullptr);
    ~MapView() override;

    bool handlesCommand(int id) const override;
    bool isCommandEnabled(int id) const override;
    void executeCommand(int id) override;

    // Scroll ranges from the shown picture's size and the client area; back
    // to the top-left corner. Does nothing before the first paint.
    void layoutPicture();
    // Grows a new map from the terrain's parameters and renders it.
    void generateAndRender();
    // Renders the existing map again, into the map or the region picture.
    void renderPicture(bool regions);

    // What the progress window shows of a generation phase, and of rendering.
    static void generationProgress(CProgressDialog& window, GEO_MakeLand& terrain,
                                   ProgressPhase phase);
    static void renderProgress(CProgressDialog& window, GEO_MakeLand& terrain, int32_t cellsDone);

    // Runs the view's modal dialogs; tests install their own (default: exec()).
    using DialogRunner = std::function<int(QDialog&)>;
    void setDialogRunner(DialogRunner runner) { dialogRunner_ = std::move(runner); }

    // Read access for the frame and the tests.
    GEO_MakeLand& terrainModel() { return terrain; }
    const GEO_MakeLand& terrainModel() const { return terrain; }
    const ScrollState& scrollState() const { return scroll; }
    const PlacementMode& placementMode() const { return placement; }
    const DragTracker& dragTracker() const { return drag; }
    bool hasMemoryDc() const { return memoryDc; }
    bool isShowingRegions() const { return showRegions; }
    const std::optional<Picture>& mapPictureData() const { return mapPicture; }
    const std::optional<Picture>& regionPictureData() const { return regionPicture; }
    int32_t shownPictureWidth() const { return pictureWidth; }
    // The client area in view coordinates (inside the sunken edge).
    QRect clientRect() const { return contentsRect(); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    void generateCommand();
    void waterLevelCommand();
    void clipboardCommand();
    void regionDisplayCommand();
    void informationCommand();
    void openCommand();
    void saveCommand(bool raw);
    void endPlacementQuestion();
    // Back to the size the terrain had before the parameters dialog.
    void restoreSavedSize();

    int runDialog(QDialog& dialog);
    // Runs an action that may fail; failures go to the common handler.
    void runReporting(const std::function<void()>& action);
    // Size of a picture of the current cells: the grid's own size, or the
    // terrain's width x height while there are none.
    QSize renderSize() const;
    // Client position of a mouse event, and whether the view would get it
    // at all (it never captures the mouse).
    Point clientPoint(const QMouseEvent* event) const;
    bool overClient(Point p) const;

    // Set by the first paint and kept: the state "has been painted once".
    bool memoryDc = false;
    std::optional<Picture> mapPicture;
    int32_t pictureWidth = 0;
    int32_t pictureHeight = 0;
    GEO_LandCircleArray landCircles;
    GEO_MakeLand terrain;
    bool showRegions = false;
    std::optional<Picture> regionPicture;
    PlacementMode placement;
    DragTracker drag;
    ScrollState scroll;
    int32_t savedWidth = 0;
    int32_t savedHeight = 0;

    DialogRunner dialogRunner_;
};
