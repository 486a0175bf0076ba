#include "landform/LandscapeEvolution.h"

#include "landform/DepressionRouting.h"
#include "landform/EdgeOutlets.h"
#include "landform/FlowGraph.h"
#include "landform/HillslopeDiffusion.h"
#include "landform/MultipleFlow.h"
#include "landform/SedimentStep.h"

namespace {

void Uplift(AltitudeGrid& grid, double uplift, double waterLevel) {
    const bool open = grid.boundary == Boundary::Open;
    for (int32_t y = 0; y < grid.height; ++y)
        for (int32_t x = 0; x < grid.width; ++x) {
            const size_t c = size_t(y) * size_t(grid.width) + size_t(x);
            double& h = grid.altitudes[c];
            const bool held = !(h > waterLevel) || (!grid.noData.empty() && grid.noData[c]) ||
                              (open && OnBorder(x, y, grid.width, grid.height));
            if (!held)
                h += uplift;
        }
}

}  // namespace

void EvolveLandscape(AltitudeGrid& grid, const EvolutionLaw& law, double waterLevel,
                     bool twoThreads, const StageSink& progress) {
    if (law.steps <= 0 || grid.altitudes.empty())
        return;
    ReportOrStop(progress, {ProgressPhase::Eroding, 0, law.steps});
    ChunkWorker worker(twoThreads);
    FlowGraph graph(grid.width, grid.height);
    DepressionRouter router(GridNeighbours(grid.width, grid.height, grid.boundary));
    SedimentStep sediment;
    HillslopeDiffusion diffusion(grid.width, grid.height, grid.boundary, grid.noData);
    const SedimentLaw sedimentLaw{law.erodibility, law.deposition};
    std::vector<double> area;
    // Border and NoData cells of an open grid keep their water and height.
    const std::vector<uint8_t> outlets = EdgeOutlets(grid);
    for (int32_t s = 0; s < law.steps; ++s) {
        if (law.uplift > 0)
            Uplift(grid, law.uplift, waterLevel);
        graph.RouteSteepest(grid.altitudes, waterLevel, worker, outlets);
        if (law.crossLakes)
            router.Route(graph, grid.altitudes, waterLevel, grid.noData);
        if (law.multipleFlow && law.crossLakes) {
            area =
                MultipleFlowAreaWhileEroding(graph, grid.altitudes, router.Basins(), router.Grid());
            sediment.Run(graph, grid.altitudes, sedimentLaw, &area);
        } else {
            sediment.Run(graph, grid.altitudes, sedimentLaw);
        }
        diffusion.Step(grid.altitudes, waterLevel, law.diffusivity, worker);
        ReportOrStop(progress, {ProgressPhase::Eroding, s + 1, law.steps});
    }
}
