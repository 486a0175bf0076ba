#include "view/MouseModes.h"

void ScrollState::layout(int32_t pictureWidth, int32_t pictureHeight, int32_t clientWidth,
                         int32_t clientHeight) {
    scrollRangeX = pictureWidth > clientWidth ? pictureWidth - clientWidth : 0;
    scrollRangeY = pictureHeight > clientHeight ? pictureHeight - clientHeight : 0;
    scrollX = 0;
    scrollY = 0;
}

void DragTracker::press(Point at, bool accepted) {
    if (dragging || !accepted)
        return;
    pressPoint = at;
    lastPoint = at;
    dragging = true;
}

bool DragTracker::move(Point to, ScrollState& scroll) {
    if (!dragging)
        return false;
    panTo(to, scroll);
    return true;
}

DragTracker::Release DragTracker::release(Point at, bool placing, ScrollState& scroll) {
    if (!dragging)
        return Release::Ignored;
    dragging = false;
    if (placing && lastPoint == pressPoint)
        return Release::Click;
    panTo(at, scroll);
    return Release::DragEnd;
}

void DragTracker::panTo(Point to, ScrollState& scroll) {
    // The picture follows the mouse; the upper clamp comes first, so a
    // negative range (never produced by layout) still ends at 0.
    scroll.scrollX += lastPoint.x - to.x;
    if (scroll.scrollX > scroll.scrollRangeX)
        scroll.scrollX = scroll.scrollRangeX;
    if (scroll.scrollX < 0)
        scroll.scrollX = 0;
    scroll.scrollY += lastPoint.y - to.y;
    if (scroll.scrollY > scroll.scrollRangeY)
        scroll.scrollY = scroll.scrollRangeY;
    if (scroll.scrollY < 0)
        scroll.scrollY = 0;
    lastPoint = to;
}

void PlacementMode::begin() {
    placedPoints.SetSize(0);
    placing = true;
}

void PlacementMode::click(Point cell, int32_t width, int32_t height) {
    if (cell.x < 0 || cell.x >= width || cell.y < 0 || cell.y >= height)
        return;
    placedPoints.Add(cell);
}
