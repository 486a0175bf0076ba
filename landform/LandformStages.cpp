#include "landform/LandformStages.h"

#include "landform/Smoothing.h"

void RunStages(AltitudeGrid& grid, const LandformStages& stages, bool twoThreads) {
    if (stages.smoothRadius > 0)
        Smooth(grid, stages.smoothRadius, twoThreads);
}
