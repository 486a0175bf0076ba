#pragma once
// The ends of the parameters' ranges that code beyond the parameter table
// (core/ParameterTable.h) names: benchmarks and fuzzers. (The generator's own
// guards are wider: they only keep it safe.)

#include <cstddef>
#include <cstdint>

namespace limits {
constexpr int32_t minSize = 100, maxSize = 3000;
// glenvar-cli goes beyond the dialog: 16384 x 16384 cells still count in 32
// bits (2^28 cells) and fit a machine with a few GiB to spare.
constexpr int32_t maxCliSize = 16384;
constexpr int32_t minUnitAmount = 1, maxUnitAmount = 200;  // the stencil table's size
constexpr int32_t minPoints = 0, maxPoints = 255;
// Points placed by hand: as many as a cell's 16-bit region label can tell apart.
constexpr size_t maxHandPoints = 65536;
// The slider's end as the dialog writes it: 500 steps of the single-precision
// 0.001, 0.5000000237487257, a hair above 0.5.
constexpr double maxProcessAmount = 500 * static_cast<double>(0.001f);
}  // namespace limits
