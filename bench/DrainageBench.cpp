// Landform stages on a 4096 x 4096 map grown from the default settings, on
// one and on two threads (Arg): the whole drainage and its parts, one
// stream-power step and one talus step, each as nanoseconds per cell; the
// climate with its biomes beside them, to be held within twice a drainage.

#include "BenchSupport.h"

#include "landform/Climate.h"
#include "landform/Erosion.h"
#include "landform/FlatResolution.h"
#include "landform/FlowGraph.h"
#include "landform/FlowRouting.h"
#include "landform/PriorityFlood.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr int32_t side = 4096;
constexpr double cells = double(side) * side;

constexpr double waterLevel = 0.5;

// Seconds per cell (and step), shown with an SI prefix: 40n is 40 ns.
void PerCell(benchmark::State& state, double steps = 1) {
    state.counters["per_cell"] = benchmark::Counter(
        cells * steps, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_Drainage(benchmark::State& state) {
    const std::vector<double>& a = SquareAltitudes(side);
    for (auto _ : state) {
        const FlowGraph d = FlowGraph::Drained(side, side, a, waterLevel, state.range(0) == 2);
        benchmark::DoNotOptimize(d.Area().data());
    }
    PerCell(state);
}
BENCHMARK(BM_Drainage)->Apply(OneAndTwoThreads)->UseRealTime();

void BM_DrainageFill(benchmark::State& state) {
    const std::vector<double>& a = SquareAltitudes(side);
    for (auto _ : state) {
        const std::vector<double> filled = FillDepressions(side, side, a, waterLevel);
        benchmark::DoNotOptimize(filled.data());
    }
    PerCell(state);
}
BENCHMARK(BM_DrainageFill)->Unit(benchmark::kMillisecond)->Repetitions(3)->UseRealTime();

// Temperatures, precipitation with its rain shadows and the biomes: the
// banded winds and one diagonal wind, whose lines wrap across both edges.
void BM_Climate(benchmark::State& state) {
    AltitudeGrid grid(side, side);
    grid.altitudes = SquareAltitudes(side);
    ClimateSettings settings;
    settings.wind = state.range(1) == 0 ? WindFrom::Bands : WindFrom::NE;
    for (auto _ : state) {
        const Climate c = ClimateOf(grid, waterLevel, settings, state.range(0) == 2);
        benchmark::DoNotOptimize(c.biomes.data());
    }
    PerCell(state);
}
BENCHMARK(BM_Climate)
    ->ArgsProduct({{1, 2}, {0, 1}})
    ->ArgNames({"threads", "diagonal"})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->UseRealTime();

// Steepest descent, then the flats, then the areas, on the filled surface.
void BM_DrainageRouting(benchmark::State& state) {
    const std::vector<double> filled =
        FillDepressions(side, side, SquareAltitudes(side), waterLevel);
    std::vector<uint32_t> receivers(filled.size()), area, stack;
    std::vector<uint8_t> diagonal(filled.size());
    ChunkWorker worker(state.range(0) == 2);
    for (auto _ : state) {
        RouteSteepest(side, side, filled.data(), waterLevel, Pits::Unrouted, receivers.data(),
                      diagonal.data(), worker);
        ResolveFlats(side, side, filled, receivers, diagonal);
        Accumulate(receivers, area, &stack);
        benchmark::DoNotOptimize(area.data());
    }
    PerCell(state);
}
BENCHMARK(BM_DrainageRouting)->Apply(OneAndTwoThreads)->UseRealTime();

// Steps in a row on the same map, as the command line runs them.
void BM_StreamPowerStep(benchmark::State& state) {
    std::vector<double> a = SquareAltitudes(side);
    ChunkWorker worker(state.range(0) == 2);
    FlowGraph graph(side, side);
    for (auto _ : state) {
        graph.RouteSteepest(a, waterLevel, worker);
        StreamPowerStep(graph, a, defaultErodibility);
        benchmark::DoNotOptimize(a.data());
    }
    PerCell(state);
}
BENCHMARK(BM_StreamPowerStep)->Apply(OneAndTwoThreads)->UseRealTime();

// Four steps a call, so that the scratch grid and the worker are paid once
// per four steps, much as in a run of many.
void BM_ThermalStep(benchmark::State& state) {
    std::vector<double> a = SquareAltitudes(side);
    for (auto _ : state) {
        ErodeThermal(side, side, a, 4, defaultTalus, state.range(0) == 2);
        benchmark::DoNotOptimize(a.data());
    }
    PerCell(state, 4);
}
BENCHMARK(BM_ThermalStep)->Apply(OneAndTwoThreads)->UseRealTime();

}  // namespace
