#pragma once
// Erosion steps beyond the plain stream-power law: each step raises the land
// by the uplift (water, NoData and an open border stay: the base level),
// routes the water by steepest descent and, when asked, across depressions
// (DepressionRouting.h), cuts and fills the channels (SedimentStep.h), by
// areas over one flow direction or many (MultipleFlow.h), and
// lets the hillslopes diffuse (HillslopeDiffusion.h). Only + - * / and sqrt
// in a fixed order: the same bytes on one thread or two.

#include "core/ProgressSink.h"
#include "landform/AltitudeGrid.h"

#include <cstdint>

struct EvolutionLaw {
    int32_t steps = 0;
    double erodibility = 0.01;
    double uplift = 0;       // height units per step
    double deposition = 0;   // G
    double diffusivity = 0;  // D, cells squared per step
    bool crossLakes = false;
    // Areas over multiple flow directions drive the cutting and the
    // deposition (MultipleFlow.h); each cell still cuts towards its
    // steepest receiver. Needs crossLakes.
    bool multipleFlow = false;
};

// Scratch beyond the altitudes, for a memory check: the flow graph (14
// bytes), basins and the pits' cells (8), the deposition's places and
// receivers in stack order (8) and its seven grids of doubles (56),
// diffusion's held flags (1).
constexpr uint64_t evolutionBytesPerCell = 88;

// Each step reported as Eroding; the sink may stop between steps (Stopped),
// the grid then part-eroded.
void EvolveLandscape(AltitudeGrid& grid, const EvolutionLaw& law, double waterLevel,
                     bool twoThreads, const StageSink& progress = {});
