#include "BenchSupport.h"

#include "ReferenceGenerate.h"

#include "core/ParameterLimits.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

GEO_MakeLand Generated(bool largest) {
    GEO_MakeLand t;
    if (largest)
        Largest(t);
    t.Generate(DiscTable());
    return t;
}

}  // namespace

const GEO_LandCircleArray& DiscTable() {
    static const GEO_LandCircleArray table = GEO_LandCircleArray::Built();
    return table;
}

void Largest(GEO_MakeLand& t) {
    t.width = t.height = limits::maxSize;
    t.processAmount = 0.5;
    t.unitAmount = limits::maxUnitAmount;
    t.concentrationPointCount = limits::maxPoints;
}

GEO_MakeLand& DefaultMap() {
    static GEO_MakeLand map = Generated(false);
    return map;
}

GEO_MakeLand& LargestMap() {
    static GEO_MakeLand map = Generated(true);
    return map;
}

double BudgetMegabytes(const GEO_MakeLand& t) {
    const double cells = double(t.width) * double(t.height);
    const double stamps = double(int32_t(double(int32_t(cells)) * t.processAmount));
    return (16 * cells + 4 * cells + 16 * stamps) / (1024.0 * 1024.0);
}

double ReferenceLabelSeconds(const GEO_MakeLand& t, int64_t cells, bool twoThreads) {
    const int64_t all = int64_t{t.width} * t.height;
    const int64_t stride = std::max<int64_t>(1, all / cells);
    const auto label = [&](int64_t first, int64_t end, int64_t& sum) {
        for (int64_t i = first; i < end; i += stride)
            sum +=
                reference::NearestConcentrationPoint(t, int32_t(i % t.width), int32_t(i / t.width));
    };
    int64_t sums[2] = {0, 0};
    const auto start = Clock::now();
    if (twoThreads) {
        const int64_t half = all / 2 / stride * stride;
        std::thread worker([&] { label(half, all, sums[1]); });
        label(0, half, sums[0]);
        worker.join();
    } else {
        label(0, all, sums[0]);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    benchmark::DoNotOptimize(sums);
    return seconds * double(stride);
}

double ReferenceLargestGenerateSeconds(bool twoThreads) {
    constexpr int64_t stampSample = 45000;  // 1 % of the stamps
    constexpr int64_t cellSample = 30000;
    GEO_MakeLand t;
    Largest(t);
    t.twoThreads = twoThreads;
    reference::Options options;
    options.stampLimit = stampSample;
    options.regionLimit = 0;
    reference::Timings spent;
    reference::Generate(t, DiscTable(), nullptr, nullptr, options, &spent);
    const double stampScale = double(t.progressTotal) / double(stampSample);
    return spent.drawing + spent.stamping * stampScale + spent.totals + spent.regions +
           ReferenceLabelSeconds(t, cellSample, twoThreads);
}

const std::vector<double>& SquareAltitudes(int32_t side) {
    static std::map<int32_t, std::vector<double>> made;
    std::vector<double>& a = made[side];
    if (a.empty()) {
        GEO_MakeLand t;
        t.width = t.height = side;
        t.twoThreads = 1;
        t.Generate(DiscTable());
        a.resize(size_t(t.GetSize()));
        for (size_t i = 0; i < a.size(); ++i)
            a[i] = t[int32_t(i)].altitude;
    }
    return a;
}
