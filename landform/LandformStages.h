#pragma once
// The stages a map's altitudes pass through after generation, and the order
// they run in. Every stage is off by default, so that a map without stages is
// exactly the generator's.

#include "landform/AltitudeGrid.h"

#include <cstdint>

struct LandformStages {
    int32_t smoothRadius = 0;  // 0..maxSmoothRadius, 0 = off

    bool Active() const { return smoothRadius > 0; }
};

// Runs the active stages on the grid, in order; the same bytes on one thread
// or two.
void RunStages(AltitudeGrid& grid, const LandformStages& stages, bool twoThreads);
