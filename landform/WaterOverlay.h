#pragma once
// Lakes and rivers drawn over a map's picture in the colour of shallow water,
// a river the wider the more it drains: a disc of radius r around each river
// cell, r the largest whole number with (r + 1)^2 x threshold <= its drained
// area, at most maxRiverRadius. Only land pixels change, so the sea keeps
// its depth colours. Integer arithmetic only: the same pixels everywhere.

#include "core/Picture.h"
#include "landform/Boundary.h"
#include "landform/FlowGraph.h"

#include <cstdint>
#include <vector>

constexpr int32_t maxRiverRadius = 3;
constexpr uint32_t waterOverlayPixel = 0xFF3070E0u;

// The picture is the map's, one pixel per cell. A wide river's disc wraps
// round the edges of a wrapping map and stops at an open edge.
void DrawWaters(Picture& picture, const std::vector<double>& altitudes, const FlowGraph& flow,
                const std::vector<uint8_t>& lakes, const std::vector<uint8_t>& rivers,
                double waterLevel, uint32_t threshold, Boundary boundary = Boundary::Wrap);
