#pragma once
// The colouring written out literally, one cell and one neighbour at a time,
// as the slow oracle for the row-wise renderer. Reads width and height, so
// callers keep them equal to the grid's own size.

#include "core/GEO_MakeLand.h"

COLORREF ReferenceCellColour(const GEO_MakeLand& terrain, int32_t i, bool showRegions);
Picture ReferenceRender(const GEO_MakeLand& terrain, int32_t pictureWidth, int32_t pictureHeight,
                        bool showRegions);
