#include "landform/LandformStages.h"

#include "landform/DropletErosion.h"
#include "landform/EdgeOutlets.h"
#include "landform/LandscapeEvolution.h"
#include "landform/Smoothing.h"

void RunStages(AltitudeGrid& grid, const LandformStages& stages, double waterLevel, bool twoThreads,
               const StageSink& progress, uint64_t seed) {
    if (stages.smoothRadius > 0)
        Smooth(grid, stages.smoothRadius, twoThreads, progress);
    if (stages.erodeSteps == 0 && stages.thermalSteps == 0 && stages.droplets == 0)
        return;
    const std::vector<uint8_t> outlets = EdgeOutlets(grid);
    if (stages.Evolves()) {
        const EvolutionLaw law{stages.erodeSteps,  stages.erodibility, stages.uplift,
                               stages.deposition,  stages.diffusion,   true,
                               stages.multipleFlow};
        EvolveLandscape(grid, law, waterLevel, twoThreads, progress);
    } else {
        ErodeStreamPower(grid.width, grid.height, grid.altitudes, waterLevel, stages.erodeSteps,
                         stages.erodibility, twoThreads, progress, outlets);
    }
    ErodeDroplets(grid, stages.droplets, seed, waterLevel, progress);
    ErodeThermal(grid.width, grid.height, grid.altitudes, stages.thermalSteps, defaultTalus,
                 twoThreads, progress, outlets);
}

bool SameShaping(const LandformStages& a, const LandformStages& b) {
    return a.smoothRadius == b.smoothRadius && a.erodeSteps == b.erodeSteps &&
           (a.erodeSteps == 0 ||
            (a.erodibility == b.erodibility && a.uplift == b.uplift &&
             a.deposition == b.deposition && a.diffusion == b.diffusion &&
             a.crossLakes == b.crossLakes && a.multipleFlow == b.multipleFlow)) &&
           a.thermalSteps == b.thermalSteps && a.droplets == b.droplets;
}

LandformStages Followed(const LandformStages& had, const LandformStages& added) {
    LandformStages next = had;
    if (added.smoothRadius > 0)
        next.smoothRadius = added.smoothRadius;
    if (added.erodeSteps > 0) {
        next.erodeSteps = added.erodeSteps;
        next.erodibility = added.erodibility;
        next.uplift = added.uplift;
        next.deposition = added.deposition;
        next.diffusion = added.diffusion;
        next.crossLakes = added.crossLakes;
        next.multipleFlow = added.multipleFlow;
    }
    if (added.droplets > 0)
        next.droplets = added.droplets;
    if (added.thermalSteps > 0)
        next.thermalSteps = added.thermalSteps;
    return next;
}
