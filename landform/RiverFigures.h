#pragma once
// How river-like a drained map is, by the laws real rivers follow:
// - slope-area: over channel cells, log S fitted against log A by least
//   squares, S = ks A^(-theta); the stream-power law's steady state has
//   theta = m / n (0.5 here), real rivers 0.35-0.65 (Flint's law);
// - Hack's law: over the largest basins (the 50 largest, each at least the
//   threshold), the longest flow path L against the basin's area A,
//   L ~ A^h, with h about 0.5-0.6 in nature;
// - drainage density: the channels' length over the land cells, per cell.
// Channel cells are the river mask's (RiverMask, Waters.h). A slope is the
// drop to the receiver over its distance (1 or sqrt 2), on the heights as
// they stand; cells without a drop stay out of the fit. Logarithms come
// from ExactLog.h, sums run in cell order: the same figures everywhere.

#include "landform/FlowGraph.h"

#include <cstdint>
#include <vector>

struct RiverFigures {
    // NaN where too few points (fewer than 3) make a fit.
    double slopeAreaConcavity = 0;  // theta
    double slopeAreaSteepness = 0;  // ks
    double hackExponent = 0;
    double drainageDensity = 0;
};

RiverFigures MeasureRivers(const std::vector<double>& altitudes, const FlowGraph& flow,
                           const std::vector<uint8_t>& rivers, double waterLevel,
                           uint32_t threshold);
