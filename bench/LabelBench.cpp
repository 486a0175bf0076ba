// Region labels: the program's labelling, stored into every cell's region,
// against the literal nearest point over nine copies (whose labels are only
// summed: one store beside 36 to 2295 distances), on the default map and at
// the largest settings, on one and on two threads (Arg). Then the program's
// labels on the default grid for 4 and for 255 points, alone and as stored
// into the grid.

#include "BenchSupport.h"
#include "ReferenceGenerate.h"

#include "core/ChunkShare.h"
#include "core/NUM_Random.h"
#include "core/RegionLabels.h"
#include "tests/support/Terrains.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

namespace {

// Labels every cell of grid, shared with a worker as the generator shares
// its rows.
void LabelInto(std::vector<LandCell>& grid, const std::vector<Point>& points, int32_t w, int32_t h,
               bool twoThreads) {
    ChunkWorker worker(twoThreads);
    RegionLabeller labeller(points.data(), int32_t(points.size()), w, h);
    LabelScratch mainScratch, workerScratch;
    for (int32_t slot = 0; slot < labeller.ColumnCount(); ++slot)
        labeller.PrepareColumn(slot);
    constexpr int32_t block = RegionLabeller::blockRows;
    const auto chunk = [&](int32_t c, LabelScratch& scratch) {
        const int32_t y = c * block, count = std::min(block, h - y);
        const int32_t* labels = labeller.LabelRows(y, count, scratch);
        for (int32_t r = 0; r < count; ++r) {
            LandCell* row = grid.data() + size_t(y + r) * size_t(w);
            const int32_t* line = labels + size_t(r) * labeller.RowStride();
            for (int32_t x = 0; x < w; ++x)
                row[x].region = uint16_t(line[x]);
        }
    };
    worker.Share((h + block - 1) / block, [&](int32_t c, int64_t) { chunk(c, mainScratch); },
                 [&](int32_t c) -> int64_t {
                     chunk(c, workerScratch);
                     return 1;
                 },
                 [](int64_t) {});
}

using testsupport::PointsOf;

void Labels(benchmark::State& state, const GEO_MakeLand& map) {
    const std::vector<Point> points = PointsOf(map);
    std::vector<LandCell> grid(size_t(map.width) * size_t(map.height));
    for (auto _ : state) {
        LabelInto(grid, points, map.width, map.height, state.range(0) == 2);
        benchmark::DoNotOptimize(grid.data());
    }
    state.SetItemsProcessed(state.iterations() * int64_t(grid.size()));
}

void BM_LabelsStage(benchmark::State& state) {
    Labels(state, DefaultMap());
}
BENCHMARK(BM_LabelsStage)->Apply(OneAndTwoThreads)->UseRealTime();

void BM_LabelsStageReference(benchmark::State& state) {
    const GEO_MakeLand& map = DefaultMap();
    for (auto _ : state)
        state.SetIterationTime(ReferenceLabelSeconds(map, map.GetSize(), state.range(0) == 2));
}
BENCHMARK(BM_LabelsStageReference)->Apply(OneAndTwoThreads)->UseManualTime();

void BM_LabelsStageLargest(benchmark::State& state) {
    Labels(state, LargestMap());
}
BENCHMARK(BM_LabelsStageLargest)->Apply(OneAndTwoThreads)->UseRealTime();

// Every cell would take about a minute: 30000 cells, scaled.
void BM_LabelsStageLargestReference(benchmark::State& state) {
    const GEO_MakeLand& map = LargestMap();
    for (auto _ : state)
        state.SetIterationTime(ReferenceLabelSeconds(map, 30000, state.range(0) == 2));
}
BENCHMARK(BM_LabelsStageLargestReference)->Apply(OneAndTwoThreads)->UseManualTime()->Iterations(1);

// The same grid, 4 or 255 points: how the cost grows with the points.
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

void BM_Labels(benchmark::State& state) {
    const int32_t w = 1280, h = 1024;
    const std::vector<Point> points = RandomPoints(state.range(0), w, h);
    LabelScratch scratch;
    for (auto _ : state) {
        RegionLabeller labeller(points.data(), int32_t(points.size()), w, h);
        for (int32_t slot = 0; slot < labeller.ColumnCount(); ++slot)
            labeller.PrepareColumn(slot);
        for (int32_t y = 0; y < h; y += RegionLabeller::blockRows)
            benchmark::DoNotOptimize(
                labeller.LabelRows(y, std::min(RegionLabeller::blockRows, h - y), scratch));
    }
    state.SetItemsProcessed(state.iterations() * int64_t{w} * h);
}
BENCHMARK(BM_Labels)
    ->ArgName("points")
    ->Arg(4)
    ->Arg(255)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5);

void BM_LabelsIntoGrid(benchmark::State& state) {
    const int32_t w = 1280, h = 1024;
    const std::vector<Point> points = RandomPoints(state.range(0), w, h);
    std::vector<LandCell> grid(size_t{w} * size_t{h});
    for (auto _ : state) {
        LabelInto(grid, points, w, h, false);
        benchmark::DoNotOptimize(grid.data());
    }
    state.SetItemsProcessed(state.iterations() * int64_t{w} * h);
}
BENCHMARK(BM_LabelsIntoGrid)
    ->ArgName("points")
    ->Arg(4)
    ->Arg(255)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5);

}  // namespace
