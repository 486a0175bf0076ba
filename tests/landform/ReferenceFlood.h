#pragma once
// The plainest priority-flood (Barnes, Lehman and Mulla 2014, algorithm 1):
// every outlet in one priority queue, every other cell raised to at least the
// level of the cell that first reaches it. Slow and obviously right.

#include <cstddef>
#include <cstdint>
#include <vector>

std::vector<double> ReferenceFill(int32_t width, int32_t height,
                                  const std::vector<double>& altitudes, double waterLevel);

// The eight neighbours of (x, y) on the torus, by coordinates.
std::vector<size_t> ReferenceNeighbours(int32_t width, int32_t height, size_t cell);
