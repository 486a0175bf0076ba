#pragma once
// Orange discs marking concentration points: the disc of diameter 10 whose
// square spans x - 5 .. x + 4 and y - 5 .. y + 4, cut off at the picture edge.
// The desktop view and the command-line pictures both draw them with this.

#include "core/Picture.h"
#include "data/PointArray.h"

constexpr COLORREF pointMarkColour = RGB(255, 128, 0);

void DrawPointMarks(Picture& picture, const PointArray& points);
