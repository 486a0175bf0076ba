#pragma once
// The stages a map's altitudes pass through after generation, and the order
// they run in: smoothing, stream-power erosion, droplets, talus erosion. Every stage is
// off by default, so that a map without stages is exactly the generator's.

#include "landform/AltitudeGrid.h"
#include "landform/Erosion.h"

#include <cstdint>

constexpr int32_t maxErosionSteps = 1000;

struct LandformStages {
    int32_t smoothRadius = 0;  // 0..maxSmoothRadius, 0 = off
    int32_t erodeSteps = 0;    // stream-power steps, 0..maxErosionSteps
    double erodibility = defaultErodibility;
    int32_t thermalSteps = 0;  // talus steps, 0..maxErosionSteps
    // Erosion's further laws (landform/LandscapeEvolution.h), all off by
    // default; any of them routes the water across lakes while eroding.
    double uplift = 0;
    double deposition = 0;
    double diffusion = 0;
    bool crossLakes = false;
    int32_t droplets = 0;  // after the stream-power erosion, 0..maxDroplets
    // Drained areas over multiple flow directions, for erosion and the flow layer.
    bool multipleFlow = false;

    bool Active() const {
        return smoothRadius > 0 || erodeSteps > 0 || droplets > 0 || thermalSteps > 0;
    }
    // Whether erosion runs beyond the plain stream-power law.
    bool Evolves() const {
        return uplift > 0 || deposition > 0 || diffusion > 0 || crossLakes || multipleFlow;
    }
};

// Whether the two give the same heights from the same map and water: K
// matters only with erosion.
bool SameShaping(const LandformStages& a, const LandformStages& b);

// The stages a map records once `added` has run on a map shaped by `had`:
// each stage that `added` runs replaces the one `had` names.
LandformStages Followed(const LandformStages& had, const LandformStages& added);

// Runs the active stages on the grid, in order; the same bytes on one thread
// or two. Erosion takes the cells at or below the water level as its base.
// Every stage reports its passes or steps to the sink, which may stop them
// (Stopped); the grid is then part-shaped, for the caller to throw away.
// The droplets' starts are drawn from `seed`, the map's.
void RunStages(AltitudeGrid& grid, const LandformStages& stages, double waterLevel, bool twoThreads,
               const StageSink& progress = {}, uint64_t seed = 0);
