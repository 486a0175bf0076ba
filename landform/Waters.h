#pragma once
// Rivers and lakes of a drained map: masks (one byte a cell, 1 or 0) that
// engines texture with, and the figures a report gives.

#include "landform/Boundary.h"
#include "landform/FlowGraph.h"

#include <cstdint>
#include <vector>

// Cells the filling raised: they lie under a lake's surface, which is above
// the water level as only land is ever raised. None on a graph routed
// without filling.
std::vector<uint8_t> LakeMask(const std::vector<double>& altitudes, const FlowGraph& flow);

// Land cells (above the water level) outside the lakes that drain at least
// `threshold` cells.
std::vector<uint8_t> RiverMask(const std::vector<double>& altitudes, const FlowGraph& flow,
                               const std::vector<uint8_t>& lakes, double waterLevel,
                               uint32_t threshold);

struct WaterFigures {
    int64_t riverCells = 0;
    int64_t lakeCount = 0;  // groups of lake cells touching by side or corner
    int64_t lakeCells = 0;
    // The most land cells draining into one outlet, over all land cells (0
    // without land).
    double largestBasinShare = 0;
};

WaterFigures CountWaters(int32_t width, int32_t height, const std::vector<double>& altitudes,
                         const FlowGraph& flow, const std::vector<uint8_t>& lakes,
                         const std::vector<uint8_t>& rivers, double waterLevel,
                         Boundary boundary = Boundary::Wrap);
