#pragma once
// Where water goes on an altitude grid that wraps at all four edges:
// depressions filled to their spill height, one receiver per cell and the
// drained area of every cell.
//
// Filling is the priority-flood of Barnes, Lehman and Mulla (2014),
// "Priority-Flood: An optimal depression-filling and watershed-labeling
// algorithm for digital elevation models", in its improved form: cells
// that the flood raises go to a plain pit queue instead of the priority
// queue. A filled depression is exactly flat at its spill height (no
// epsilon gradient); its cells are routed towards the way out by
// breadth-first distance across the flat.
//
// Outlets are the cells at or below the water level (the water of the
// map's picture); a map with none drains to its lowest cell, the first in
// row-major order among equals.
//
// Cell indices are 32-bit: up to 2^32 - 2 cells (the largest map has 2^28).

#include <cstdint>
#include <optional>
#include <vector>

struct Drainage {
    std::vector<double> filled;       // never below the altitude
    std::vector<uint32_t> receivers;  // an outlet is its own receiver
    std::vector<uint32_t> area;       // cells draining through a cell, itself included
};

// What Drain holds beyond the altitudes at its peak, for a memory check: the
// result's 16 bytes a cell, a byte of donor counts and the flood's queues
// (17 to 18 bytes a cell measured on 4096 x 4096 maps).
constexpr uint64_t drainageBytesPerCell = 20;

Drainage Drain(int32_t width, int32_t height, const std::vector<double>& altitudes,
               double waterLevel, bool twoThreads);

// The stages of Drain, for tests and benchmarks.

// The outlet of a map without water: its lowest cell. None when some cell is
// at or below the water level.
std::optional<uint32_t> SoleOutlet(const std::vector<double>& altitudes, double waterLevel);

std::vector<double> FillDepressions(int32_t width, int32_t height,
                                    const std::vector<double>& altitudes, double waterLevel);

// Gives every unrouted cell (noReceiver) of a flat a receiver on the same
// flat one step nearer to the flat's routed cells; among equals, the first
// neighbour in reading order.
void RouteFlats(int32_t width, int32_t height, const std::vector<double>& filled,
                std::vector<uint32_t>& receivers);
