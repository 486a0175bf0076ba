// Stamping and normalisation (the region labels included): the program's
// generator against the literal reference, at the default and the largest
// settings, on one and on two threads (Arg). Compare medians.

#include "BenchSupport.h"
#include "ReferenceGenerate.h"

#include <benchmark/benchmark.h>

namespace {

void BM_Generate(benchmark::State& state) {
    GEO_MakeLand t;
    t.twoThreads = state.range(0) == 2;
    for (auto _ : state)
        t.Generate(DiscTable());
    state.SetItemsProcessed(state.iterations() * t.progressTotal);
}
BENCHMARK(BM_Generate)->Apply(OneAndTwoThreads)->UseRealTime();

void BM_GenerateReference(benchmark::State& state) {
    GEO_MakeLand t;
    t.twoThreads = state.range(0) == 2;
    for (auto _ : state)
        reference::Generate(t, DiscTable(), nullptr, nullptr);
    state.SetItemsProcessed(state.iterations() * t.progressTotal);
}
BENCHMARK(BM_GenerateReference)->Apply(OneAndTwoThreads)->UseRealTime();

void BM_GenerateLargest(benchmark::State& state) {
    GEO_MakeLand t;
    Largest(t);
    t.twoThreads = state.range(0) == 2;
    for (auto _ : state)
        t.Generate(DiscTable());
    state.SetItemsProcessed(state.iterations() * t.progressTotal);
}
BENCHMARK(BM_GenerateLargest)->Apply(OneAndTwoThreads)->UseRealTime()->Iterations(1);

// A full run would take about ten minutes: an estimate from samples.
void BM_GenerateLargestReference(benchmark::State& state) {
    for (auto _ : state)
        state.SetIterationTime(ReferenceLargestGenerateSeconds(state.range(0) == 2));
}
BENCHMARK(BM_GenerateLargestReference)->Apply(OneAndTwoThreads)->UseManualTime()->Iterations(1);

}  // namespace
