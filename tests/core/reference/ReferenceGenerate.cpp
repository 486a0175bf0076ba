#include "ReferenceGenerate.h"

#include "core/NUM_Random.h"
#include "tests/support/StencilTables.h"
#include "tests/support/Terrains.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace reference {
namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

uint32_t Tick() {
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch())
            .count());
}

// Mathematical modulo: the same as C's % for the non-negative sums of a sane
// table, and still on the grid for any other.
using testsupport::Wrap;

// Counter word 0 (hitsMain) or 1 (hitsWorker) of a cell: bytes 0-3 or 4-7.
uint32_t Word(const LandCell& cell, int word) {
    uint32_t v;
    std::memcpy(&v, reinterpret_cast<const unsigned char*>(&cell) + 4 * word, 4);
    return v;
}

void SetWord(LandCell& cell, int word, uint32_t v) {
    std::memcpy(reinterpret_cast<unsigned char*>(&cell) + 4 * word, &v, 4);
}

struct GenerationSlice {
    GEO_MakeLand* terrain;
    const GEO_LandCircleArray* landCircles;
    const std::vector<int32_t>* iterationCells;
    const std::vector<int32_t>* iterationCircles;
    const std::vector<double>* iterationRolls;  // nullptr without points
    int64_t first;
    int64_t last;  // inclusive
    ProgressSink progress;
    std::atomic<int32_t>* counter;       // incremented per stamp (the worker's)
    const std::atomic<int32_t>* shared;  // read for reports (the caller's)
    int word;
    std::vector<StampTrace>* trace;
};

void RunGenerationSlice(const GenerationSlice& s) {
    GEO_MakeLand& t = *s.terrain;
    const int32_t width = t.width, height = t.height;
    uint32_t lastReport = Tick();
    for (int64_t i = s.first; i <= s.last; ++i) {
        const int32_t k = (*s.iterationCells)[size_t(i)];
        int32_t x = k % width;
        int32_t y = k / width;
        const GEO_LandCircle circle =
            testsupport::CopyOf(*s.landCircles, (*s.iterationCircles)[size_t(i)]);
        StampTrace trace;
        trace.cell = k;
        trace.circle = (*s.iterationCircles)[size_t(i)];
        if (s.iterationRolls) {
            trace.rolled = true;
            trace.roll = (*s.iterationRolls)[size_t(i)];
        }
        if (s.iterationRolls && t.concentrationRate > (*s.iterationRolls)[size_t(i)]) {
            const int32_t pointCount = t.concentrationPoints.GetSize();
            const Point p = t.concentrationPoints[static_cast<int32_t>(i % pointCount)];
            const Point image = NearestImage(t, p.x, p.y, x, y);
            const auto moveX = static_cast<int64_t>(static_cast<double>(int64_t{image.x} - x) *
                                                    t.concentrationAmount);
            const auto moveY = static_cast<int64_t>(static_cast<double>(int64_t{image.y} - y) *
                                                    t.concentrationAmount);
            x = static_cast<int32_t>(Wrap(moveX + width + x, width));
            y = static_cast<int32_t>(Wrap(moveY + height + y, height));
            trace.pulled = true;
            trace.image = image;
        }
        trace.centre = {x, y};
        if (s.trace)
            (*s.trace)[size_t(i)] = trace;
        for (const Point& offset : circle) {
            const int64_t column = Wrap(int64_t{width} + offset.x + x, width);
            const int64_t row = Wrap(int64_t{height} + offset.y + y, height);
            LandCell& cell = t[static_cast<int32_t>(column + row * width)];
            SetWord(cell, s.word, Word(cell, s.word) + 1u);
        }
        if (s.progress) {
            const uint32_t now = Tick();
            if (now >= static_cast<uint32_t>(lastReport + 200u)) {
                t.progressCount = static_cast<int32_t>(
                    i + (s.shared ? s.shared->load(std::memory_order_acquire) : 0));
                lastReport = now;
                s.progress(t, {static_cast<ProgressPhase>(1), t.progressCount, t.progressTotal});
            }
        } else if (s.counter) {
            s.counter->fetch_add(1, std::memory_order_release);
        }
    }
}

struct NormaliseSlice {
    GEO_MakeLand* terrain;
    int32_t largest;
    int32_t smallest;
    int64_t first;
    int64_t last;  // inclusive
    int64_t regionLimit;
    std::atomic<int32_t>* counter;
};

void RunNormaliseSlice(const NormaliseSlice& s) {
    GEO_MakeLand& t = *s.terrain;
    const int32_t pointCount = t.concentrationPoints.GetSize();
    for (int64_t i = s.first; i <= s.last; ++i) {
        LandCell& cell = t[static_cast<int32_t>(i)];
        const auto total = static_cast<int32_t>(Word(cell, 0));
        const auto above =
            static_cast<int32_t>(static_cast<uint32_t>(total) - static_cast<uint32_t>(s.smallest));
        const auto spread = static_cast<int32_t>(static_cast<uint32_t>(s.largest) -
                                                 static_cast<uint32_t>(s.smallest));
        cell.altitude = static_cast<double>(above) / static_cast<double>(spread);
        if (pointCount > 0 && (s.regionLimit < 0 || i < s.regionLimit)) {
            const int32_t region = NearestConcentrationPoint(t, static_cast<int32_t>(i % t.width),
                                                             static_cast<int32_t>(i / t.width));
            cell.region = static_cast<uint16_t>(region);
        }
        if (s.counter)
            s.counter->fetch_add(1, std::memory_order_release);
    }
}

void WaitFor(const std::atomic<int32_t>& counter, int64_t target, GEO_MakeLand& t,
             const ProgressSink& progress, uint32_t& lastReport, int64_t offset) {
    while (counter.load(std::memory_order_acquire) < target) {
        if (progress) {
            const uint32_t now = Tick();
            if (now >= static_cast<uint32_t>(lastReport + 200u)) {
                t.progressCount =
                    static_cast<int32_t>(counter.load(std::memory_order_acquire) + offset);
                lastReport = now;
                progress(t, {static_cast<ProgressPhase>(1), t.progressCount, t.progressTotal});
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

}  // namespace

void Generate(GEO_MakeLand& t, const GEO_LandCircleArray& landCircles, NUM_Random* source,
              const ProgressSink& progress, const Options& options, Timings* timings) {
    Timings spent;
    auto start = Clock::now();

    // Phase 0 with the stamp count, then a cleared grid.
    const int32_t cellCount = static_cast<int32_t>(int64_t{t.width} * t.height);
    const auto s = static_cast<int32_t>(static_cast<double>(cellCount) * t.processAmount);
    t.progressTotal = s;
    t.progressCount = 0;
    if (progress)
        progress(t, {static_cast<ProgressPhase>(0), t.progressCount, t.progressTotal});
    t.SetSize(0);
    t.SetSize(cellCount);

    // Seeding and the concentration points.
    NUM_Random& random = source ? *source : defaultRandom;
    if (!t.keepRandomState)
        random.SetSeed(static_cast<uint32_t>(t.seed), static_cast<uint32_t>(t.seed >> 32));
    if (!t.manualPlacement) {
        t.concentrationPoints.SetSize(t.concentrationPointCount);
        for (int32_t i = 0; i < t.concentrationPointCount; ++i) {
            const int32_t y = random.NextInt(t.height);
            const int32_t x = random.NextInt(t.width);
            t.concentrationPoints[i] = {x, y};
        }
    }
    const int32_t pointCount = t.concentrationPoints.GetSize();

    // Every draw for every stamp, before any is stamped.
    std::vector<int32_t> iterationCells(static_cast<size_t>(s)),
        iterationCircles(static_cast<size_t>(s));
    std::vector<double> iterationRolls(pointCount > 0 ? size_t(s) : 0);
    for (int32_t i = 0; i < s; ++i) {
        iterationCells[size_t(i)] = random.NextInt(cellCount);
        iterationCircles[size_t(i)] = random.NextInt(t.unitAmount);
        if (pointCount > 0)
            iterationRolls[size_t(i)] = random.NextDouble();
    }
    if (options.trace)
        options.trace->assign(size_t(s), StampTrace{});
    spent.drawing = Since(start);
    start = Clock::now();

    // Stamping, on one thread or split in two halves.
    const int64_t stamped = options.stampLimit < 0 ? s : std::min<int64_t>(s, options.stampLimit);
    GenerationSlice slice{&t,
                          &landCircles,
                          &iterationCells,
                          &iterationCircles,
                          pointCount > 0 ? &iterationRolls : nullptr,
                          0,
                          stamped - 1,
                          progress,
                          nullptr,
                          nullptr,
                          0,
                          options.trace};
    if (!t.twoThreads) {
        if (progress)
            progress(t, {static_cast<ProgressPhase>(1), t.progressCount, t.progressTotal});
        RunGenerationSlice(slice);
    } else {
        const int64_t half = stamped / 2;
        std::atomic<int32_t> counter{0};
        GenerationSlice a = slice;
        a.last = half - 1;
        a.shared = &counter;
        GenerationSlice b = slice;
        b.first = half;
        b.progress = nullptr;
        b.counter = &counter;
        b.word = 1;
        if (progress)
            progress(t, {static_cast<ProgressPhase>(1), t.progressCount, t.progressTotal});
        std::thread worker([&b] { RunGenerationSlice(b); });
        RunGenerationSlice(a);
        uint32_t lastReport = Tick();
        WaitFor(counter, stamped - half, t, progress, lastReport, half);
        worker.join();
    }

    // The draws are done with; phase 2.
    iterationCells = {};
    iterationCircles = {};
    iterationRolls = {};
    t.progressCount = s > 0 ? s : 0;
    if (progress)
        progress(t, {static_cast<ProgressPhase>(2), t.progressCount, t.progressTotal});
    spent.stamping = Since(start);
    start = Clock::now();

    // Totals, then normalisation and regions.
    int32_t largest = 0;
    int32_t smallest = 2147483647;
    for (int32_t i = 0; i < cellCount; ++i) {
        LandCell& cell = t[i];
        const auto total = static_cast<int32_t>(Word(cell, 0) + Word(cell, 1));
        SetWord(cell, 0, static_cast<uint32_t>(total));
        if (total > largest)
            largest = total;
        if (total < smallest)
            smallest = total;
    }
    spent.totals = Since(start);
    start = Clock::now();
    if (cellCount > 0) {
        if (largest <= smallest) {
            for (int32_t i = 0; i < cellCount; ++i)
                std::memset(&t[i], 0, 8);
        } else {
            NormaliseSlice all{&t,     largest, smallest, 0, cellCount - 1, options.regionLimit,
                               nullptr};
            if (!t.twoThreads) {
                RunNormaliseSlice(all);
            } else {
                const int32_t d = cellCount / 2;
                std::atomic<int32_t> counter{0};
                NormaliseSlice a = all;
                a.last = d - 1;
                NormaliseSlice b = all;
                b.first = d;
                b.counter = &counter;
                std::thread worker([&b] { RunNormaliseSlice(b); });
                RunNormaliseSlice(a);
                while (counter.load(std::memory_order_acquire) < cellCount - d)
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                worker.join();
            }
        }
    }
    spent.regions = Since(start);
    t.gridWidth = t.width;
    t.gridHeight = t.height;

    // Phase 3.
    if (progress)
        progress(t, {static_cast<ProgressPhase>(3), t.progressCount, t.progressTotal});
    if (timings)
        *timings = spent;
}

Point NearestImage(const GEO_MakeLand& t, int32_t px, int32_t py, int32_t x, int32_t y) {
    static const int order[9][2] = {{0, 0},   {0, -1}, {0, 1},  {-1, 0}, {1, 0},
                                    {-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
    int64_t bestDistance = -1;
    Point best;
    for (const auto& ab : order) {
        const int64_t cx = int64_t{px} + ab[0] * int64_t{t.width};
        const int64_t cy = int64_t{py} + ab[1] * int64_t{t.height};
        const int64_t distance = std::abs(cx - x) + std::abs(cy - y);
        if (bestDistance < 0 || distance < bestDistance) {
            bestDistance = distance;
            best = {static_cast<int32_t>(cx), static_cast<int32_t>(cy)};
        }
    }
    return best;
}

int32_t NearestConcentrationPoint(const GEO_MakeLand& t, int32_t x, int32_t y, Point* image) {
    static const int order[9][2] = {{0, 0},   {0, -1}, {0, 1},  {-1, 0}, {1, 0},
                                    {-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
    int32_t nearest = -1;
    int64_t bestDistance = -1;
    Point best;
    for (int32_t i = 0; i < t.concentrationPoints.GetSize(); ++i) {
        const Point p = t.concentrationPoints[i];
        for (const auto& ab : order) {
            const int64_t cx = int64_t{p.x} + ab[0] * int64_t{t.width};
            const int64_t cy = int64_t{p.y} + ab[1] * int64_t{t.height};
            const int64_t distance = std::abs(cx - x) + std::abs(cy - y);
            if (bestDistance < 0 || distance < bestDistance) {
                bestDistance = distance;
                nearest = i;
                best = {static_cast<int32_t>(cx), static_cast<int32_t>(cy)};
            }
        }
    }
    if (image && nearest >= 0)
        *image = best;
    return nearest;
}

}  // namespace reference
