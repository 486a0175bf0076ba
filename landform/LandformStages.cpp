#include "landform/LandformStages.h"

#include "landform/Smoothing.h"

void RunStages(AltitudeGrid& grid, const LandformStages& stages, double waterLevel,
               bool twoThreads) {
    if (stages.smoothRadius > 0)
        Smooth(grid, stages.smoothRadius, twoThreads);
    ErodeStreamPower(grid.width, grid.height, grid.altitudes, waterLevel, stages.erodeSteps,
                     stages.erodibility, twoThreads);
    ErodeThermal(grid.width, grid.height, grid.altitudes, stages.thermalSteps, defaultTalus,
                 twoThreads);
}
