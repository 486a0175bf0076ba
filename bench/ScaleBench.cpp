// Linear cost: the largest settings (process amount 0.5, unit amount 200,
// 255 points) on the dialog's largest grid and on one seven times its cells,
// one and two threads. Time per cell should not grow with the grid, and both
// thread modes must grow the same bytes at every size. The CPU time of the
// whole process is kept beside the real time: on a busy machine it is the
// steadier of the two.

#include "BenchSupport.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <map>

namespace {

uint64_t Digest(const GEO_MakeLand& t) {
    uint64_t h = 14695981039346656037u;  // FNV-1a over the cell bytes
    const auto* bytes = reinterpret_cast<const unsigned char*>(t.GetData());
    const size_t n = sizeof(LandCell) * size_t(t.GetSize());
    for (size_t i = 0; i < n; ++i)
        h = (h ^ bytes[i]) * 1099511628211u;
    return h;
}

// Arguments: size, threads.
void BM_GenerateScale(benchmark::State& state) {
    static std::map<int64_t, uint64_t> digests;  // by size, from whichever mode ran first
    GEO_MakeLand t;
    Largest(t);
    t.width = t.height = int32_t(state.range(0));
    t.twoThreads = state.range(1) == 2;
    for (auto _ : state)
        t.Generate(DiscTable());
    const uint64_t digest = Digest(t);
    const auto [known, fresh] = digests.emplace(state.range(0), digest);
    if (!fresh && known->second != digest) {
        state.SkipWithError("one and two threads grew different maps");
        return;
    }
    const double cells = double(t.width) * double(t.height);
    state.counters["ns_per_cell"] = benchmark::Counter(
        cells * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_GenerateScale)
    ->ArgNames({"size", "threads"})
    ->Args({3000, 1})
    ->Args({3000, 2})
    ->Args({8192, 1})
    ->Args({8192, 2})
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(1)
    ->Repetitions(3);

}  // namespace
