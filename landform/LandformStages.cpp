#include "landform/LandformStages.h"

#include "landform/EdgeOutlets.h"
#include "landform/Smoothing.h"

void RunStages(AltitudeGrid& grid, const LandformStages& stages, double waterLevel, bool twoThreads,
               const StageSink& progress) {
    if (stages.smoothRadius > 0)
        Smooth(grid, stages.smoothRadius, twoThreads, progress);
    if (stages.erodeSteps == 0 && stages.thermalSteps == 0)
        return;
    const std::vector<uint8_t> outlets = EdgeOutlets(grid);
    ErodeStreamPower(grid.width, grid.height, grid.altitudes, waterLevel, stages.erodeSteps,
                     stages.erodibility, twoThreads, progress, outlets);
    ErodeThermal(grid.width, grid.height, grid.altitudes, stages.thermalSteps, defaultTalus,
                 twoThreads, progress, outlets);
}

bool SameShaping(const LandformStages& a, const LandformStages& b) {
    return a.smoothRadius == b.smoothRadius && a.erodeSteps == b.erodeSteps &&
           (a.erodeSteps == 0 || a.erodibility == b.erodibility) &&
           a.thermalSteps == b.thermalSteps;
}

LandformStages Followed(const LandformStages& had, const LandformStages& added) {
    LandformStages next = had;
    if (added.smoothRadius > 0)
        next.smoothRadius = added.smoothRadius;
    if (added.erodeSteps > 0) {
        next.erodeSteps = added.erodeSteps;
        next.erodibility = added.erodibility;
    }
    if (added.thermalSteps > 0)
        next.thermalSteps = added.thermalSteps;
    return next;
}
