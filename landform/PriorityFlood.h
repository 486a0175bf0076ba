#pragma once
// Depressions of an altitude grid that wraps at all four edges, filled to
// their spill height by the priority-flood of Barnes, Lehman and Mulla
// (2014), "Priority-Flood: An optimal depression-filling and
// watershed-labeling algorithm for digital elevation models", in its
// improved form: cells that the flood raises go to a plain pit queue instead
// of the priority queue. A filled depression is exactly flat at its spill
// height (no epsilon gradient); landform/FlatResolution.h routes across it.
//
// Outlets are the cells at or below the water level (the water of the
// map's picture) and those `outlets` marks (landform/EdgeOutlets.h: the
// border of a map with open edges, NoData); a map with none drains to its
// lowest cell, the first in row-major order among equals.

#include "landform/Boundary.h"

#include <cstdint>
#include <optional>
#include <vector>

// The outlet of a map without water: its lowest cell. None when some cell is
// at or below the water level.
std::optional<uint32_t> SoleOutlet(const std::vector<double>& altitudes, double waterLevel);

std::vector<double> FillDepressions(int32_t width, int32_t height,
                                    const std::vector<double>& altitudes, double waterLevel,
                                    const std::vector<uint8_t>& outlets = {},
                                    Boundary boundary = Boundary::Wrap);
