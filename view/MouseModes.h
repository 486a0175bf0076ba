#pragma once
// The map view's interaction pieces, free of any window: the scroll state
// with its panning rule, the left-button tracker that tells clicks from
// drags, and the hand placement of concentration points.

#include "data/PointArray.h"

#include <cstdint>

struct ScrollState {
    int32_t scrollRangeX = 0;
    int32_t scrollRangeY = 0;
    int32_t scrollX = 0;
    int32_t scrollY = 0;

    // Ranges from how far the picture exceeds the client area; back to the
    // top-left corner.
    void layout(int32_t pictureWidth, int32_t pictureHeight, int32_t clientWidth,
                int32_t clientHeight);
    bool canPan() const { return scrollRangeX > 0 || scrollRangeY > 0; }
};

// Left-button state. The view never captures the mouse: a release outside
// the view is not seen, so `dragging` stays set until a release over it.
class DragTracker {
  public:
    enum class Release { Ignored, Click, DragEnd };

    // A press starts tracking only when the state accepts one.
    void press(Point at, bool accepted);
    // Pans by the distance from the last point while dragging; true if it did.
    bool move(Point to, ScrollState& scroll);
    // Click: no move was taken into account since the press (only counts while
    // placing). Otherwise the release pans once more and ends the drag.
    Release release(Point at, bool placing, ScrollState& scroll);

    bool dragging = false;
    Point pressPoint;
    Point lastPoint;

  private:
    void panTo(Point to, ScrollState& scroll);
};

// Points collected by left clicks before a generation started by hand.
class PlacementMode {
  public:
    void begin();
    void end() { placing = false; }
    // Appends the cell if it lies inside width x height.
    void click(Point cell, int32_t width, int32_t height);

    bool placing = false;
    PointArray placedPoints;
};
