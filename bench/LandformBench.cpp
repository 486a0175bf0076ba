// Smoothing at 4096 x 4096: its cost per pass against one copy of the
// altitude grid; and what it does to the default map's heights at radius 0
// (the generator's own) and 3: distinct 16-bit levels, the share of equal
// 4-neighbours, and the mean step across the wrap seam against the interior's.

#include "BenchSupport.h"

#include "core/HeightSample.h"
#include "landform/AltitudeGrid.h"
#include "landform/Smoothing.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace {

constexpr int32_t side = 4096;

const AltitudeGrid& LargeGrid() {
    static const AltitudeGrid grid = [] {
        AltitudeGrid g(side, side);
        std::mt19937_64 random(7);
        for (double& v : g.altitudes)
            v = double(random() % 80) / 79.0;
        return g;
    }();
    return grid;
}

// A fresh copy each time, as a stage's input is: allocation included.
void BM_AltitudeGridCopy(benchmark::State& state) {
    for (auto _ : state) {
        AltitudeGrid copy = LargeGrid();
        benchmark::DoNotOptimize(copy.altitudes.data());
    }
}
BENCHMARK(BM_AltitudeGridCopy)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3);

// Args: threads, radius. The time is per pass: a whole smoothing over its passes.
void BM_SmoothPass(benchmark::State& state) {
    AltitudeGrid grid = LargeGrid();
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        Smooth(grid, int32_t(state.range(1)), state.range(0) == 2);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(took.count() / smoothPasses);
    }
    state.SetItemsProcessed(state.iterations() * int64_t(side) * side);
}
BENCHMARK(BM_SmoothPass)
    ->ArgNames({"threads", "radius"})
    ->ArgsProduct({{1, 2}, {3, 32}})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Repetitions(3);

// The mean altitude step across the cut between columns cx and cx + 1 and
// the cut between rows cy and cy + 1, wrapped.
double CutStep(const AltitudeGrid& g, int32_t cx, int32_t cy) {
    const int32_t w = g.width, h = g.height;
    cx = (cx % w + w) % w;
    cy = (cy % h + h) % h;
    double sum = 0;
    for (int32_t y = 0; y < h; ++y)
        sum += std::fabs(g.at((cx + 1) % w, y) - g.at(cx, y));
    for (int32_t x = 0; x < w; ++x)
        sum += std::fabs(g.at(x, (cy + 1) % h) - g.at(x, cy));
    return sum / double(w + h);
}

// Arg: radius. Figures of the heights, not a timing. The seam's step is given
// against the whole interior's and, since the land's roughness varies from
// place to place, against the 16 cuts nearest to it; the cut through the
// middle of the map against the interior shows how much it varies.
void BM_HeightLevels(benchmark::State& state) {
    AltitudeGrid grid = AltitudesOf(DefaultMap());
    Smooth(grid, int32_t(state.range(0)), false);
    const int32_t w = grid.width, h = grid.height;
    std::vector<bool> seen(65536);
    int64_t levels = 0, equal = 0;
    double steps = 0;
    for (auto _ : state) {
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) {
                const double a = grid.at(x, y);
                const uint16_t s = HeightSample(a);
                levels += seen[s] ? 0 : 1;
                seen[s] = true;
                for (const double b : {grid.at((x + 1) % w, y), grid.at(x, (y + 1) % h)}) {
                    equal += HeightSample(b) == s ? 1 : 0;
                    steps += std::fabs(b - a);
                }
            }
    }
    const double seam = CutStep(grid, w - 1, h - 1);
    const double inner = (steps - seam * double(w + h)) / (2.0 * double(w) * double(h) - (w + h));
    double near = 0;
    for (int32_t d = 1; d <= 8; ++d)
        near += CutStep(grid, w - 1 + d, h - 1 + d) + CutStep(grid, w - 1 - d, h - 1 - d);
    near /= 16;
    state.counters["levels"] = double(levels);
    state.counters["equal_share"] = double(equal) / (2.0 * double(w) * double(h));
    state.counters["seam_per_inner"] = seam / inner;
    state.counters["seam_per_near"] = seam / near;
    state.counters["middle_per_inner"] = CutStep(grid, w / 2, h / 2) / inner;
}
BENCHMARK(BM_HeightLevels)->ArgName("radius")->Arg(0)->Arg(3)->Iterations(1);

// Arg: radius. One map's seam may lie in gentle or rough land; over the
// default settings' maps of seeds 1 to 8 the seam's steps against the
// interior's, and a middle cut's for comparison.
void BM_SeamSteps(benchmark::State& state) {
    double seam = 0, middle = 0, inner = 0;
    for (auto _ : state) {
        for (uint64_t seed = 1; seed <= 8; ++seed) {
            GEO_MakeLand map;
            map.seed = seed;
            map.twoThreads = 1;
            map.Generate(DiscTable());
            AltitudeGrid grid = AltitudesOf(map);
            Smooth(grid, int32_t(state.range(0)), true);
            const int32_t w = grid.width, h = grid.height;
            seam += CutStep(grid, w - 1, h - 1);
            middle += CutStep(grid, w / 2, h / 2);
            for (int32_t k = 0; k < 64; ++k)
                inner += CutStep(grid, k * (w / 64), k * (h / 64)) / 64;
        }
    }
    state.counters["seam_per_inner"] = seam / inner;
    state.counters["middle_per_inner"] = middle / inner;
}
BENCHMARK(BM_SeamSteps)->ArgName("radius")->Arg(0)->Arg(3)->Iterations(1);

}  // namespace
