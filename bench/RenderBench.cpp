// The picture of a generated map: the program's renderer on one and on two
// threads against the literal renderer (one mode only), plain and with
// regions, on the default and the largest map; and, at 3000 x 3000, the
// cheapest pass that reads every 16-byte cell and writes every pixel.

#include "BenchSupport.h"
#include "ReferenceRender.h"

#include "core/Picture.h"

#include <benchmark/benchmark.h>

namespace {

// Args: threads, regions (0/1).
void Render(benchmark::State& state, GEO_MakeLand& map) {
    map.twoThreads = state.range(0) == 2;
    Picture picture(map.width, map.height);
    for (auto _ : state) {
        map.Render(picture, state.range(1) != 0);
        benchmark::DoNotOptimize(picture.pixels.data());
    }
    state.SetItemsProcessed(state.iterations() * map.GetSize());
}

void RenderReference(benchmark::State& state, const GEO_MakeLand& map) {
    for (auto _ : state) {
        const Picture picture = ReferenceRender(map, map.width, map.height, state.range(0) != 0);
        benchmark::DoNotOptimize(picture.pixels.data());
    }
    state.SetItemsProcessed(state.iterations() * map.GetSize());
}

void BM_Render(benchmark::State& state) {
    Render(state, DefaultMap());
}
BENCHMARK(BM_Render)
    ->ArgNames({"threads", "regions"})
    ->ArgsProduct({{1, 2}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(3);

void BM_RenderReference(benchmark::State& state) {
    RenderReference(state, DefaultMap());
}
BENCHMARK(BM_RenderReference)
    ->ArgName("regions")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(3);

void BM_RenderLargest(benchmark::State& state) {
    Render(state, LargestMap());
}
BENCHMARK(BM_RenderLargest)
    ->ArgNames({"threads", "regions"})
    ->ArgsProduct({{1, 2}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(3);

void BM_RenderLargestReference(benchmark::State& state) {
    RenderReference(state, LargestMap());
}
BENCHMARK(BM_RenderLargestReference)
    ->ArgName("regions")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(3);

void BM_PlainPassLargest(benchmark::State& state) {
    const GEO_MakeLand& map = LargestMap();
    Picture picture(map.width, map.height);
    for (auto _ : state) {
        const LandCell* cells = map.GetData();
        uint32_t* out = picture.pixels.data();
        for (int32_t i = 0; i < map.GetSize(); ++i)
            out[i] = 0xFF000000u | uint32_t(cells[i].altitude * 255.0) | cells[i].region;
        benchmark::DoNotOptimize(picture.pixels.data());
    }
    state.SetItemsProcessed(state.iterations() * map.GetSize());
}
BENCHMARK(BM_PlainPassLargest)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3);

}  // namespace
