#pragma once
// Smoothing: three passes of a box blur of radius R that wraps at all four
// edges like the map (with open edges, the window repeats the edge's cells
// instead; NoData cells read as their nearest shore's height and are kept as
// they are). It turns the generator's coarse steps (a disc edge
// is one altitude step wide) into slopes, so heightmaps carry many more distinct levels and relief
// shading shows the land's shape rather than terraces.
//
// Exact everywhere: altitudes are held as integers in units of 2^-40 while
// they are blurred, so every window sum is exact whatever order it is added
// in, and each cell divides once per pass, correctly rounded. The result is
// the same on one thread or two and in WebAssembly, and stays within [0, 1].

#include "core/ProgressSink.h"
#include "landform/AltitudeGrid.h"

#include <cstdint>

constexpr int32_t maxSmoothRadius = 32;
constexpr int32_t smoothPasses = 3;

// Radius 0 leaves the grid untouched, bit for bit; otherwise every altitude
// comes out within [0, 1] (a NaN or an altitude outside counts as the
// nearest of 0 and 1). Throws a CommandFailure of FailureKind::Setting for a
// radius outside 0..maxSmoothRadius. Reports before and after every pass; a
// stop (Stopped) leaves the grid part-smoothed, for the caller to throw away.
void Smooth(AltitudeGrid& grid, int32_t radius, bool twoThreads, const StageSink& progress = {});
