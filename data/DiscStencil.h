#pragma once
// Our rasterization of discs. A pixel (x, y) of a d x d square belongs to the
// filled disc when its centre lies in the inscribed circle; the outline is the
// filled pixels with a 4-neighbour outside the disc. Stencils are the interior
// (outline excluded); point marks use the whole filled disc.

#include "data/PointArray.h"

bool InsideFilledDisc(int32_t d, int32_t x, int32_t y);

// Offsets of the interior of the disc of diameter d, relative to pixel
// (d/2, d/2), row by row.
PointArray BuildDiscStencil(int32_t d);
