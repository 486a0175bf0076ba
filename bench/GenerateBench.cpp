// Generation and colouring, the program's code against the literal reference.
// Figures to compare are medians over repetitions; every benchmark reports the
// process's peak resident memory so far (benchmarks run in the order below,
// smallest first).

#include "ReferenceGenerate.h"

#include "core/GEO_MakeLand.h"
#include "core/NUM_Random.h"
#include "core/Picture.h"
#include "core/RegionLabels.h"
#include "data/DiscStencil.h"
#include "data/GEO_LandCircle.h"

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

const GEO_LandCircleArray& Table() {
    static const GEO_LandCircleArray table = [] {
        GEO_LandCircleArray t;
        for (int32_t d = 1; d <= GEO_LandCircleArray::stencilCount; ++d) t.AddCircle(BuildDiscStencil(d));
        return t;
    }();
    return table;
}

double PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

void Largest(GEO_MakeLand& t) {
    t.width = t.height = 3000;
    t.processAmount = 0.5;
    t.unitAmount = 200;
    t.concentrationPointCount = 255;
}

void Generate(GEO_MakeLand& t, bool reference) {
    if (reference) reference::Generate(t, Table(), nullptr, nullptr);
    else t.Generate(Table());
}

// Args: reference (0/1), threads (1/2).
void BM_DefaultGenerate(benchmark::State& state) {
    const bool reference = state.range(0) != 0;
    GEO_MakeLand t;
    t.twoThreads = state.range(1) == 2;
    for (auto _ : state) Generate(t, reference);
    state.SetItemsProcessed(state.iterations() * t.progressTotal);
    state.counters["peak_MB"] = PeakMegabytes();
}
BENCHMARK(BM_DefaultGenerate)
    ->ArgNames({"reference", "threads"})
    ->Args({0, 1})->Args({0, 2})->Args({1, 1})->Args({1, 2})
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3);

// Generation and then the picture, as the generate command does it.
void BM_DefaultGenerateRender(benchmark::State& state) {
    const bool reference = state.range(0) != 0;
    GEO_MakeLand t;
    t.twoThreads = state.range(1) == 2;
    for (auto _ : state) {
        Generate(t, reference);
        Picture picture(t.width, t.height);
        t.Render(picture, false);
        benchmark::DoNotOptimize(picture.pixels.data());
    }
    state.counters["peak_MB"] = PeakMegabytes();
}
BENCHMARK(BM_DefaultGenerateRender)
    ->ArgNames({"reference", "threads"})
    ->Args({0, 1})->Args({0, 2})->Args({1, 1})->Args({1, 2})
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3);

void BM_DefaultRender(benchmark::State& state) {
    GEO_MakeLand t;
    t.twoThreads = state.range(0) == 2;
    t.Generate(Table());
    Picture picture(t.width, t.height);
    for (auto _ : state) t.Render(picture, false);
    state.SetItemsProcessed(state.iterations() * t.GetSize());
}
BENCHMARK(BM_DefaultRender)->ArgName("threads")->Arg(1)->Arg(2)
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3);

// Region labels of the default grid for a number of points: the labels
// alone, and as the generator uses them, stored into every cell's region.
std::vector<Point> RandomPoints(int64_t count, int32_t w, int32_t h) {
    NUM_AdvancedRandom random;
    random.SetSeed(1, 0);
    std::vector<Point> points;
    for (int64_t i = 0; i < count; ++i) {
        const int32_t y = random.NextInt(h);
        points.push_back({random.NextInt(w), y});
    }
    return points;
}

void BM_RegionLabels(benchmark::State& state) {
    const int32_t w = 1280, h = 1024;
    const std::vector<Point> points = RandomPoints(state.range(0), w, h);
    LabelScratch scratch;
    for (auto _ : state) {
        RegionLabeller labeller(points.data(), int32_t(points.size()), w, h);
        for (int32_t slot = 0; slot < labeller.ColumnCount(); ++slot) labeller.PrepareColumn(slot, scratch);
        for (int32_t y = 0; y < h; y += RegionLabeller::blockRows)
            benchmark::DoNotOptimize(labeller.LabelRows(y, std::min(RegionLabeller::blockRows, h - y), scratch));
    }
    state.SetItemsProcessed(state.iterations() * int64_t{w} * h);
}
BENCHMARK(BM_RegionLabels)->ArgName("points")->Arg(4)->Arg(255)
    ->Unit(benchmark::kMillisecond)->Repetitions(5);

void BM_RegionLabelsIntoGrid(benchmark::State& state) {
    const int32_t w = 1280, h = 1024;
    const std::vector<Point> points = RandomPoints(state.range(0), w, h);
    std::vector<LandCell> grid(size_t{w} * size_t{h});
    LabelScratch scratch;
    for (auto _ : state) {
        RegionLabeller labeller(points.data(), int32_t(points.size()), w, h);
        for (int32_t slot = 0; slot < labeller.ColumnCount(); ++slot) labeller.PrepareColumn(slot, scratch);
        for (int32_t y = 0; y < h; y += RegionLabeller::blockRows) {
            const int32_t count = std::min(RegionLabeller::blockRows, h - y);
            const int32_t* labels = labeller.LabelRows(y, count, scratch);
            for (int32_t r = 0; r < count; ++r) {
                LandCell* row = grid.data() + size_t(y + r) * size_t{w};
                const int32_t* line = labels + size_t(r) * labeller.RowStride();
                for (int32_t x = 0; x < w; ++x) row[x].region = uint16_t(line[x]);
            }
        }
        benchmark::DoNotOptimize(grid.data());
    }
    state.SetItemsProcessed(state.iterations() * int64_t{w} * h);
}
BENCHMARK(BM_RegionLabelsIntoGrid)->ArgName("points")->Arg(4)->Arg(255)
    ->Unit(benchmark::kMillisecond)->Repetitions(5);

// The largest settings the dialog allows. The picture is made once at the end
// so that the peak memory counts grid, picture and per-stamp tables together.
void BM_LargestGenerate(benchmark::State& state) {
    GEO_MakeLand t;
    Largest(t);
    t.twoThreads = state.range(0) == 2;
    for (auto _ : state) t.Generate(Table());
    Picture picture(t.width, t.height);
    t.Render(picture, false);
    state.SetItemsProcessed(state.iterations() * t.progressTotal);
    state.counters["peak_MB"] = PeakMegabytes();
    const double cells = double(t.GetSize()), stamps = double(t.progressTotal);
    state.counters["budget_MB"] = (16 * cells + 4 * cells + 16 * stamps) / (1024.0 * 1024.0);
}
BENCHMARK(BM_LargestGenerate)->ArgName("threads")->Arg(1)->Arg(2)
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(3);

// The reference at the largest settings would take minutes: it stamps a
// sample of the stamps and labels a sample of the cells, and the time of each
// part is scaled up to the whole. The result is an estimate of one run.
void BM_LargestGenerateReference(benchmark::State& state) {
    constexpr int64_t stampSample = 45000;  // 1 % of the stamps
    constexpr int64_t cellSample = 30000;
    for (auto _ : state) {
        GEO_MakeLand t;
        Largest(t);
        reference::Options options;
        options.stampLimit = stampSample;
        options.regionLimit = 0;
        reference::Timings spent;
        reference::Generate(t, Table(), nullptr, nullptr, options, &spent);

        const auto start = std::chrono::steady_clock::now();
        const int64_t cells = t.GetSize(), stride = cells / cellSample;
        int64_t sum = 0;
        for (int64_t i = 0; i < cells; i += stride)
            sum += reference::NearestConcentrationPoint(t, int32_t(i % t.width), int32_t(i / t.width));
        benchmark::DoNotOptimize(sum);
        const double labelling =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

        const double scale = double(t.progressTotal) / double(stampSample);
        const double estimate = spent.drawing + spent.stamping * scale + spent.totals +
                                spent.regions + labelling * double(stride);
        state.SetIterationTime(estimate);
        state.counters["stamp_scale"] = scale;
    }
}
BENCHMARK(BM_LargestGenerateReference)
    ->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(3);

}  // namespace

BENCHMARK_MAIN();
