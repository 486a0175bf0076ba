#pragma once
// Stencil tables shared by the generation tests.

#include "core/GEO_MakeLand.h"
#include "data/GEO_LandCircle.h"

#include <cstdint>
#include <random>
#include <vector>

// The program's own table of 200 discs, built once.
const GEO_LandCircleArray& ProgramTable();

GEO_LandCircleArray TableOf(const std::vector<std::vector<Point>>& circles);

// Tables no rasterization of ours produces but a cache file may hold:
// duplicate offsets, gaps and unsorted rows, spans wider than the grid,
// offsets far beyond it, empty circles.
GEO_LandCircleArray HostileTable(std::mt19937& rng, int32_t circles);
