#include "landform/LandformStages.h"

#include "landform/Smoothing.h"

void RunStages(AltitudeGrid& grid, const LandformStages& stages, double waterLevel, bool twoThreads,
               const StageSink& progress) {
    if (stages.smoothRadius > 0)
        Smooth(grid, stages.smoothRadius, twoThreads, progress);
    ErodeStreamPower(grid.width, grid.height, grid.altitudes, waterLevel, stages.erodeSteps,
                     stages.erodibility, twoThreads, progress);
    ErodeThermal(grid.width, grid.height, grid.altitudes, stages.thermalSteps, defaultTalus,
                 twoThreads, progress);
}
