// A whole generate command: the generation and then the map picture, the
// program's code against the literal generator and renderer, at the default
// and the largest settings, on one and on two threads (Arg). The literal
// renderer has one mode only; its two-thread form colours on a second thread
// but still sets every pixel on the first.

#include "BenchSupport.h"
#include "ReferenceGenerate.h"
#include "ReferenceRender.h"

#include "core/Picture.h"

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

void GenerateRender(benchmark::State& state, GEO_MakeLand& t) {
    t.twoThreads = state.range(0) == 2;
    for (auto _ : state) {
        t.Generate(DiscTable());
        Picture picture(t.width, t.height);
        t.Render(picture, false);
        benchmark::DoNotOptimize(picture.pixels.data());
    }
}

void BM_GenerateRender(benchmark::State& state) {
    GEO_MakeLand t;
    GenerateRender(state, t);
}
BENCHMARK(BM_GenerateRender)->Apply(OneAndTwoThreads)->UseRealTime();

void BM_GenerateRenderReference(benchmark::State& state) {
    GEO_MakeLand t;
    t.twoThreads = state.range(0) == 2;
    for (auto _ : state) {
        reference::Generate(t, DiscTable(), nullptr, nullptr);
        const Picture picture = ReferenceRender(t, t.width, t.height, false);
        benchmark::DoNotOptimize(picture.pixels.data());
    }
}
BENCHMARK(BM_GenerateRenderReference)->Apply(OneAndTwoThreads)->UseRealTime();

void BM_GenerateRenderLargest(benchmark::State& state) {
    GEO_MakeLand t;
    Largest(t);
    GenerateRender(state, t);
}
BENCHMARK(BM_GenerateRenderLargest)->Apply(OneAndTwoThreads)->UseRealTime()->Iterations(1);

// The generation estimated from samples, then the literal renderer over the
// map the generation makes (the program's, byte for byte the same).
void BM_GenerateRenderLargestReference(benchmark::State& state) {
    GEO_MakeLand& map = LargestMap();
    for (auto _ : state) {
        const double generation = ReferenceLargestGenerateSeconds(state.range(0) == 2);
        const auto start = std::chrono::steady_clock::now();
        const Picture picture = ReferenceRender(map, map.width, map.height, false);
        benchmark::DoNotOptimize(picture.pixels.data());
        state.SetIterationTime(
            generation +
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}
BENCHMARK(BM_GenerateRenderLargestReference)
    ->Apply(OneAndTwoThreads)
    ->UseManualTime()
    ->Iterations(1);

}  // namespace
