#pragma once
// What the stage benchmarks share: the disc table, the default and the
// largest settings, maps generated once per process, and the literal
// reference's sampled timing where a full run would take minutes.

#include "core/GEO_MakeLand.h"
#include "data/GEO_LandCircle.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

const GEO_LandCircleArray& DiscTable();

// The largest settings the generation dialog allows, except for the
// processing amount: 0.5 here, where the dialog's largest is a hair above
// (0.5000000237487257). The default settings are those of a fresh terrain.
void Largest(GEO_MakeLand& t);

// Generated maps, made once with the program's generator (byte-identical to
// the reference's). Users change nothing but the thread mode.
GEO_MakeLand& DefaultMap();
GEO_MakeLand& LargestMap();

// The altitudes of a side x side map of the default settings, generated once
// per side; the stage benchmarks copy them.
const std::vector<double>& SquareAltitudes(int32_t side);

// Memory a generation with its picture is allowed: the 16-byte cells, the
// 4-byte pixels and one 16-byte entry per stamp for its drawn values.
double BudgetMegabytes(const GEO_MakeLand& t);

// The reference's region labels of `cells` evenly spread cells of t, on one
// thread or split in two halves as its normalisation splits the grid, in
// seconds scaled up to every cell.
double ReferenceLabelSeconds(const GEO_MakeLand& t, int64_t cells, bool twoThreads);

// The reference's whole generation at the largest settings, in seconds:
// every draw and the totals for real, the stamping of a sample of the stamps
// and the labels of a sample of the cells scaled up to all of them.
double ReferenceLargestGenerateSeconds(bool twoThreads);

// How the stage benchmarks run: argument "threads" 1 and 2, milliseconds,
// three repetitions.
inline void OneAndTwoThreads(benchmark::internal::Benchmark* b) {
    b->ArgName("threads")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Repetitions(3);
}
