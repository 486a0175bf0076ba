// Erosion's further laws on a 4096 x 4096 map grown from the default
// settings, on one and two threads (Arg), as nanoseconds per cell and step:
// a stream-power step with deposition and water routed across depressions,
// and a hillslope diffusion step; and a million droplets on 1024 x 1024.

#include "BenchSupport.h"

#include "landform/DepressionRouting.h"
#include "landform/DropletErosion.h"
#include "landform/FlowGraph.h"
#include "landform/HillslopeDiffusion.h"
#include "landform/SedimentStep.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr int32_t side = 4096;
constexpr double cells = double(side) * side;
constexpr double waterLevel = 0.5;

void PerCell(benchmark::State& state) {
    state.counters["per_cell"] = benchmark::Counter(
        cells, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// One step of the law with deposition and water across lakes, as erosion runs it.
struct LawStep {
    explicit LawStep(bool twoThreads) : worker(twoThreads) {}
    void Run(std::vector<double>& a) {
        graph.RouteSteepest(a, waterLevel, worker);
        router.Route(graph, a, waterLevel, {});
        step.Run(graph, a, SedimentLaw{0.01, 1.0});
    }
    ChunkWorker worker;
    FlowGraph graph{side, side};
    DepressionRouter router{GridNeighbours(side, side, Boundary::Wrap)};
    SedimentStep step;
};

// Times steps in a row on `a` (after one untimed when `warm`), counting the
// deposition's rounds and the pits crossed.
void TimeLawSteps(benchmark::State& state, std::vector<double>& a, bool warm) {
    LawStep step(state.range(0) == 2);
    if (warm)
        step.Run(a);
    int64_t rounds = 0, pits = 0;
    for (auto _ : state) {
        step.Run(a);
        rounds += step.step.Rounds();
        pits += step.router.PitsCrossed();
        benchmark::DoNotOptimize(a.data());
    }
    PerCell(state);
    state.counters["rounds"] =
        benchmark::Counter(double(rounds), benchmark::Counter::kAvgIterations);
    state.counters["pits"] = benchmark::Counter(double(pits), benchmark::Counter::kAvgIterations);
}

// Steps in a row on the same map, as the command line runs them; the rounds
// the deposition needed are counted too.
void BM_SedimentStep(benchmark::State& state) {
    std::vector<double> a = SquareAltitudes(side);
    TimeLawSteps(state, a, false);
}
BENCHMARK(BM_SedimentStep)->Apply(OneAndTwoThreads)->UseRealTime();

// The same further on: the map after ten steps, when few pits are left, and
// one step left out of the timing so that memory is in place, as from the
// command line's second step on.
void BM_SedimentStepSettled(benchmark::State& state) {
    static const std::vector<double> settled = [] {
        std::vector<double> a = SquareAltitudes(side);
        LawStep step(false);
        for (int s = 0; s < 10; ++s)
            step.Run(a);
        return a;
    }();
    std::vector<double> a = settled;
    TimeLawSteps(state, a, true);
}
BENCHMARK(BM_SedimentStepSettled)->Apply(OneAndTwoThreads)->UseRealTime();

void BM_DiffusionStep(benchmark::State& state) {
    std::vector<double> a = SquareAltitudes(side);
    ChunkWorker worker(state.range(0) == 2);
    HillslopeDiffusion diffusion(side, side, Boundary::Wrap, {});
    for (auto _ : state) {
        diffusion.Step(a, waterLevel, 1.0, worker);
        benchmark::DoNotOptimize(a.data());
    }
    PerCell(state);
}
BENCHMARK(BM_DiffusionStep)->Apply(OneAndTwoThreads)->UseRealTime();

// A million droplets on the default settings' map grown at 1024 x 1024,
// with the default water level (Arg 0; droplets starting on water end at
// once) or none (Arg 1: every droplet runs).
void BM_Droplets(benchmark::State& state) {
    static const AltitudeGrid grown = [] {
        GEO_MakeLand t;
        t.width = t.height = 1024;
        t.Generate(DiscTable());
        return AltitudesOf(t);
    }();
    const double level = state.range(0) == 0 ? GEO_MakeLand().waterLevel : -1.0;
    for (auto _ : state) {
        AltitudeGrid grid = grown;
        ErodeDroplets(grid, 1000000, 3, level);
        benchmark::DoNotOptimize(grid.altitudes.data());
    }
}
BENCHMARK(BM_Droplets)
    ->ArgName("dry")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3);

}  // namespace
