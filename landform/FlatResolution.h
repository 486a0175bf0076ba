#pragma once
// Drainage across flats, after Barnes, Lehman and Mulla (2014), "An efficient
// assignment of drainage direction over flat surfaces in raster digital
// elevation models".
//
// A flat is a group of cells of one height, touching by side or corner
// across the wrapping edges (never across open ones). Its cells without a lower neighbour
// (noReceiver) drain along the sum of two breadth-first gradients: towards lower terrain (the
// flat's low edge, its cells that already have a way down) and away from higher terrain (its high
// edge, cells beside higher ground). Water then leaves a filled lake down its middle instead of
// hugging the shore nearest the way out.
//
// Step counts only: integers, so the routes are exact and the same on every
// machine. A flat may hold up to 2^29 cells.

#include "landform/Boundary.h"

#include <cstdint>
#include <vector>

// Gives every unrouted cell of a flat with a low edge a receiver on the flat:
// the neighbour of lowest combined gradient, below its own; among equals, the
// first in reading order. `diagonal` receives 1 where that neighbour is a
// corner one. Unrouted cells of a flat without a way down (a NaN height)
// stay unrouted.
void ResolveFlats(int32_t width, int32_t height, const std::vector<double>& surface,
                  std::vector<uint32_t>& receivers, std::vector<uint8_t>& diagonal,
                  Boundary boundary = Boundary::Wrap);
