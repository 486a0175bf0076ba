#pragma once
// Hydraulic erosion by water droplets, after Beyer (2015), "Implementation
// of a method for hydraulic erosion": each droplet starts on a random cell,
// runs downhill with some inertia over the bilinear surface, takes up
// sediment while it can carry more (its capacity grows with the drop, its
// speed and its water) and drops it where it slows or climbs; it
// evaporates as it goes and lays down what it still carries when it stops.
// Sediment taken up comes from a small brush around the droplet, sediment
// dropped goes to the four corners of its cell, so the heights plus what the
// droplets carry stay the same. A droplet that reaches water, NoData or an
// open border takes its sediment out with it.
//
// Deterministic: the droplets run one after another, their starts drawn
// from the project's 48-bit congruential source seeded from the map's seed,
// and they use only + - * / and sqrt.

#include "core/ProgressSink.h"
#include "landform/AltitudeGrid.h"

#include <cstdint>

constexpr int32_t maxDroplets = int32_t{1} << 26;  // 67,108,864

// Each 65,536 droplets reported as Eroding; the sink may stop between them
// (Stopped), the grid then part-eroded.
void ErodeDroplets(AltitudeGrid& grid, int32_t droplets, uint64_t seed, double waterLevel,
                   const StageSink& progress = {});
