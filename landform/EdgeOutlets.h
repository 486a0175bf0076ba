#pragma once
// The cells where water leaves a grid by its edges rather than by its water:
// with open edges every border cell; wherever it holds NoData, those cells
// and every cell beside one, so that the land around a hole drains off the
// map there as it does at the border. Outlets keep their height: no stage
// fills, routes through or erodes them.

#include "landform/AltitudeGrid.h"

#include <cstdint>
#include <vector>

// 1 for an outlet by the edges; empty for a wrapping grid without NoData,
// whose only outlets are its water.
std::vector<uint8_t> EdgeOutlets(const AltitudeGrid& grid);
