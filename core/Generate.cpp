#include "core/GEO_MakeLand.h"

#include "core/ChunkShare.h"
#include "core/NUM_Random.h"
#include "core/RandomDraws.h"
#include "core/RegionLabels.h"
#include "core/StencilSpans.h"
#include "core/TorusMath.h"
#include "data/Failures.h"
#include "data/GEO_LandCircle.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <typeinfo>
#include <vector>

namespace {

// Everything Generate takes from the terrain, read once and checked, so that
// a callback cannot pull the ground from under a running generation.
struct Plan {
    int32_t width;
    int32_t height;
    int32_t cells;
    int32_t stamps;
    int32_t unitAmount;
    int32_t pointCount;
    double rate;
    double amount;
    uint64_t seed;
    bool keepRandomState;
    bool manualPlacement;
    bool twoThreads;
};

std::string Number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", v);
    return text;
}

[[noreturn]] void Refuse(const std::string& why) {
    throw std::invalid_argument("cannot generate: " + why);
}

Plan CheckedPlan(const GEO_MakeLand& t, int32_t circleCount) {
    if (t.width < 1)
        Refuse("width must be at least 1, not " + std::to_string(t.width));
    if (t.height < 1)
        Refuse("height must be at least 1, not " + std::to_string(t.height));
    const int64_t cells = int64_t{t.width} * t.height;
    if (cells > INT32_MAX)
        Refuse("a grid of " + std::to_string(t.width) + " x " + std::to_string(t.height) +
               " cells is larger than 2147483647 cells");
    if (t.unitAmount < 1 || t.unitAmount > circleCount)
        Refuse("unitAmount must lie in 1.." + std::to_string(circleCount) +
               " (the land circles at hand), not " + std::to_string(t.unitAmount));
    if (!std::isfinite(t.processAmount) || t.processAmount < 0)
        Refuse("processAmount must be a finite number of at least 0, not " +
               Number(t.processAmount));
    const double stamps = static_cast<double>(static_cast<int32_t>(cells)) * t.processAmount;
    if (!(stamps < 2147483648.0))
        Refuse("processAmount " + Number(t.processAmount) + " asks for " + Number(stamps) +
               " stamps, more than 2147483647");
    if (!(t.concentrationAmount >= 0.0 && t.concentrationAmount <= 1.0))
        Refuse("concentrationAmount must lie in [0, 1], not " + Number(t.concentrationAmount));
    if (t.concentrationPointCount < 0)
        Refuse("concentrationPointCount must be at least 0, not " +
               std::to_string(t.concentrationPointCount));
    // Points beyond both the cell count and the 65536 regions a cell can
    // name give no map anything; from a damaged file such a count would ask
    // for gigabytes before anything could be said.
    const int64_t mostPoints = std::max<int64_t>(cells, 65536);
    if (!t.manualPlacement && t.concentrationPointCount > mostPoints)
        Refuse("concentrationPointCount " + std::to_string(t.concentrationPointCount) +
               " is more than " + std::to_string(mostPoints) +
               " (the cells of the grid, or 65536)");
    return {t.width,
            t.height,
            static_cast<int32_t>(cells),
            static_cast<int32_t>(stamps),
            t.unitAmount,
            t.concentrationPointCount,
            t.concentrationRate,
            t.concentrationAmount,
            t.seed,
            t.keepRandomState != 0,
            t.manualPlacement != 0,
            t.twoThreads != 0};
}

// A stamp once drawn and pulled: its centre cell and its land circle.
struct Stamp {
    int32_t cell;
    int32_t circle;
};

// The centre moved toward the nearest copy of the point. Differences are
// formed in 64 bits and wrapped by mathematical modulo: for points on the
// grid this is the literal int32 formula, and a point anywhere else still
// lands the stamp on the grid.
int32_t PulledCell(int32_t cell, const Point& p, const Plan& plan) {
    const int64_t w = plan.width, h = plan.height;
    const int64_t x = cell % plan.width, y = cell / plan.width;
    const TorusImage image = NearestTorusImage(p.x, p.y, x, y, w, h);
    const int64_t dx = static_cast<int64_t>(static_cast<double>(image.x - x) * plan.amount);
    const int64_t dy = static_cast<int64_t>(static_cast<double>(image.y - y) * plan.amount);
    return static_cast<int32_t>(FloorMod(dy + h + y, h) * w + FloorMod(dx + w + x, w));
}

template <class NextBits>
void DrawStamps(NextBits&& next, const Plan& plan, const Point* points, int32_t pointCount,
                Stamp* out) {
    const Divisor cells(static_cast<uint32_t>(plan.cells));
    const Divisor circles(static_cast<uint32_t>(plan.unitAmount));
    for (int32_t i = 0; i < plan.stamps; ++i) {
        int32_t cell = DrawBelow(next, plan.cells, cells);
        const int32_t circle = DrawBelow(next, plan.unitAmount, circles);
        if (pointCount > 0) {
            const double roll = DrawUnit(next);
            if (plan.rate > roll)
                cell = PulledCell(cell, points[i % pointCount], plan);
        }
        out[i] = {cell, circle};
    }
}

void DrawAllStamps(NUM_Random& source, const Plan& plan, const PointArray& points, Stamp* out) {
    // The usual source is stepped inline; any other goes through its virtuals.
    // Both run the same draw rules (RandomDraws.h).
    if (typeid(source) == typeid(NUM_AdvancedRandom)) {
        auto& lcg = static_cast<NUM_AdvancedRandom&>(source);
        uint64_t state = lcg.state;
        DrawStamps([&state](int32_t bits) { return LcgNext(state, bits); }, plan, points.GetData(),
                   points.GetSize(), out);
        lcg.state = state;
    } else {
        DrawStamps([&source](int32_t bits) { return source.Next(bits); }, plan, points.GetData(),
                   points.GetSize(), out);
    }
}

// Stamps in bands of rows, left to right within a band, so that consecutive
// stamps touch neighbouring counters. On grids of odd shape the bands widen
// and the columns coarsen until there are no more buckets than stamps (or
// 65536): the order only speeds things up, and its table must stay small.
std::unique_ptr<Stamp[]> InLocalityOrder(const Stamp* stamps, const Plan& plan,
                                         const Divisor& byWidth) {
    const int64_t w = plan.width, h = plan.height;
    const int64_t limit = std::max<int64_t>(plan.stamps, 65536);
    int bandShift = 5;  // bands of 32 rows
    while (((h - 1) >> bandShift) + 1 > limit)
        ++bandShift;
    const int64_t bands = ((h - 1) >> bandShift) + 1;
    int columnShift = 0;
    while (bands * (((w - 1) >> columnShift) + 1) > limit)
        ++columnShift;
    const int64_t columns = ((w - 1) >> columnShift) + 1;
    const auto key = [&](int32_t cell) {
        const uint32_t y = byWidth.Quotient(uint32_t(cell));
        const uint32_t x = uint32_t(cell) - y * uint32_t(w);
        return size_t((int64_t{y >> bandShift}) * columns + (x >> columnShift));
    };
    std::vector<uint32_t> start(size_t(bands * columns) + 1, 0);
    for (int32_t i = 0; i < plan.stamps; ++i)
        ++start[key(stamps[i].cell) + 1];
    for (size_t k = 1; k < start.size(); ++k)
        start[k] += start[k - 1];
    std::unique_ptr<Stamp[]> ordered(new Stamp[size_t(plan.stamps)]);
    for (int32_t i = 0; i < plan.stamps; ++i)
        ordered[start[key(stamps[i].cell)]++] = stamps[i];
    return ordered;
}

void ReportPhase(const ProgressSink& progress, GEO_MakeLand& terrain, ProgressPhase phase) {
    ReportOrStop(progress, terrain, {phase, terrain.progressCount, terrain.progressTotal});
}

// Stamping reports, throttled.
struct Reporter {
    GEO_MakeLand& terrain;
    const ProgressSink& progress;
    ProgressThrottle throttle;

    void Report(int64_t done) {
        if (progress && throttle.Due()) {
            terrain.progressCount = static_cast<int32_t>(done);
            ReportPhase(progress, terrain, ProgressPhase::Stamping);
        }
    }
};

struct TotalRange {
    int32_t largest = 0;
    int32_t smallest = INT32_MAX;
};

// The stamp counters: a plane per thread, so the two never write the same
// memory, with a word per row for what a stamp adds to a whole row.
struct Counters {
    explicit Counters(const Plan& plan)
        : width(plan.width), height(plan.height), stride(size_t(CounterStride(plan.width))),
          mainCounts(stride * size_t(plan.height)), mainExtra(size_t(plan.height)),
          workerCounts(plan.twoThreads ? stride * size_t(plan.height) : 0),
          workerExtra(size_t(plan.height)) {}

    CounterGrid MainGrid() {
        return {mainCounts.data(), mainExtra.data(), width, height, int64_t(stride)};
    }
    CounterGrid WorkerGrid() {
        return {workerCounts.data(), workerExtra.data(), width, height, int64_t(stride)};
    }
    uint32_t* MainRow(int32_t y) { return mainCounts.data() + size_t(y) * stride; }
    const uint32_t* MainRow(int32_t y) const { return mainCounts.data() + size_t(y) * stride; }

    int32_t width;
    int32_t height;
    size_t stride;  // words from one row to the next: CounterStride
    std::vector<uint32_t> mainCounts;
    std::vector<uint32_t> mainExtra;
    std::vector<uint32_t> workerCounts;
    std::vector<uint32_t> workerExtra;
};

// Rows in chunks of whole label blocks, so that no block is labelled twice.
struct RowChunks {
    RowChunks(int32_t width, int32_t height)
        : height(height), perChunk(std::max(1, 8192 / width / RegionLabeller::blockRows) *
                                   RegionLabeller::blockRows),
          count((height + perChunk - 1) / perChunk) {}

    int32_t First(int32_t c) const { return c * perChunk; }
    int32_t End(int32_t c) const { return std::min(First(c) + perChunk, height); }

    int32_t height;
    int32_t perChunk;
    int32_t count;
};

// Points: the source seeded unless told to draw on, then the concentration
// points placed at random unless placed by hand.
NUM_Random& PlacePoints(GEO_MakeLand& t, const Plan& plan, NUM_Random* source) {
    NUM_Random& random = source ? *source : defaultRandom;
    if (!plan.keepRandomState)
        random.SetSeed(static_cast<uint32_t>(plan.seed), static_cast<uint32_t>(plan.seed >> 32));
    if (!plan.manualPlacement) {
        t.concentrationPoints.SetSize(plan.pointCount);
        for (int32_t i = 0; i < plan.pointCount; ++i) {
            const int32_t y = random.NextInt(plan.height);  // the row first
            const int32_t x = random.NextInt(plan.width);
            t.concentrationPoints[i] = {x, y};
        }
    }
    return random;
}

// Stamps drawn, every draw before any stamping, then put in locality order;
// the drawn table is gone before the counters are allocated.
std::unique_ptr<Stamp[]> DrawnInLocalityOrder(NUM_Random& random, const Plan& plan,
                                              const PointArray& points, const Divisor& byWidth) {
    std::unique_ptr<Stamp[]> drawn(new Stamp[size_t(plan.stamps)]);
    DrawAllStamps(random, plan, points, drawn.get());
    return InLocalityOrder(drawn.get(), plan, byWidth);
}

// Counts stamped, as row differences, in chunks shared by the two threads.
void StampCounts(Counters& counters, const Stamp* ordered, const Plan& plan,
                 const GEO_LandCircleArray& landCircles, const Divisor& byWidth,
                 ChunkWorker& worker, Reporter& reporter) {
    const StencilSpans spans(landCircles, plan.unitAmount);
    const CounterGrid mainGrid = counters.MainGrid();
    const CounterGrid workerGrid = counters.WorkerGrid();
    const int32_t s = plan.stamps;
    const auto w = uint32_t(plan.width);
    const int32_t perChunk = std::clamp(s / 512, 16, 1024);
    const auto stampChunks = static_cast<int32_t>((int64_t{s} + perChunk - 1) / perChunk);
    const auto stampChunk = [&](const CounterGrid& grid, int32_t c) -> int64_t {
        const int64_t first = int64_t{c} * perChunk;
        const int64_t end = std::min<int64_t>(first + perChunk, s);
        for (int64_t i = first; i < end; ++i) {
            const Stamp& stamp = ordered[size_t(i)];
            const uint32_t y = byWidth.Quotient(uint32_t(stamp.cell));
            spans.Stamp(grid, stamp.circle, int32_t(uint32_t(stamp.cell) - y * w), int32_t(y));
        }
        return end - first;
    };
    int64_t mainDone = 0;
    worker.Share(
        stampChunks,
        [&](int32_t c, int64_t workerDone) {
            mainDone += stampChunk(mainGrid, c);
            reporter.Report(mainDone + workerDone);
        },
        [&](int32_t c) { return stampChunk(workerGrid, c); },
        [&](int64_t workerDone) { reporter.Report(mainDone + workerDone); });
}

// Totals of rows first .. end - 1: running sums along each row of both
// planes, into the main plane.
void SumRows(Counters& counters, int32_t first, int32_t end, TotalRange& range) {
    const int32_t w = counters.width;
    const bool twoPlanes = !counters.workerCounts.empty();
    for (int32_t y = first; y < end; ++y) {
        uint32_t* counts = counters.MainRow(y);
        const uint32_t* other =
            twoPlanes ? counters.workerCounts.data() + size_t(y) * counters.stride : nullptr;
        const uint32_t extra = counters.mainExtra[size_t(y)] + counters.workerExtra[size_t(y)];
        uint32_t sum = 0;
        for (int32_t x = 0; x < w; ++x) {
            sum += counts[x] + (other ? other[x] : 0u);
            const auto total = static_cast<int32_t>(sum + extra);
            counts[x] = static_cast<uint32_t>(total);
            range.largest = std::max(range.largest, total);
            range.smallest = std::min(range.smallest, total);
        }
    }
}

// Totals and labels: the rows summed while the region columns are prepared
// alongside. Returns the range of the totals.
TotalRange SumTotals(Counters& counters, RegionLabeller& labeller, const RowChunks& rows,
                     ChunkWorker& worker) {
    constexpr int32_t columnsPerChunk = 8;
    const int32_t columnChunks = (labeller.ColumnCount() + columnsPerChunk - 1) / columnsPerChunk;
    TotalRange mainRange, workerRange;
    const auto totalsChunk = [&](int32_t c, TotalRange& range) {
        if (c < rows.count)
            return SumRows(counters, rows.First(c), rows.End(c), range);
        const int32_t first = (c - rows.count) * columnsPerChunk;
        const int32_t end = std::min(first + columnsPerChunk, labeller.ColumnCount());
        for (int32_t slot = first; slot < end; ++slot)
            labeller.PrepareColumn(slot);
    };
    worker.Share(
        rows.count + columnChunks, [&](int32_t c, int64_t) { totalsChunk(c, mainRange); },
        [&](int32_t c) -> int64_t {
            totalsChunk(c, workerRange);
            return 1;
        },
        [](int64_t) {});
    return {std::max(mainRange.largest, workerRange.largest),
            std::min(mainRange.smallest, workerRange.smallest)};
}

// Totals above the smallest take the values 0..spread; when there are fewer
// of those than cells, each quotient is divided out once and looked up after
// (the same divisions, so the same doubles). Empty when not worth it.
std::vector<double> AltitudeQuotients(int32_t spreadCount, int32_t cells) {
    std::vector<double> quotients;
    if (spreadCount > 0 && spreadCount < cells && spreadCount < (1 << 24)) {
        const auto spread = static_cast<double>(spreadCount);
        quotients.resize(size_t(spreadCount) + 1);
        for (int32_t v = 0; v <= spreadCount; ++v)
            quotients[size_t(v)] = static_cast<double>(v) / spread;
    }
    return quotients;
}

// What normalising a row needs, shared by every chunk.
struct Normalisation {
    const uint32_t* totals;  // rows `stride` words apart
    size_t stride;
    uint32_t smallest;
    double spread;
    std::vector<double> quotients;
    const RegionLabeller& labeller;
    bool regions;
};

void NormaliseRows(GEO_MakeLand& t, const Normalisation& n, int32_t first, int32_t end,
                   LabelScratch& scratch) {
    // Locals, so that no store to a cell can be taken to change them.
    const int32_t w = t.gridWidth;
    const double* quotients = n.quotients.empty() ? nullptr : n.quotients.data();
    const uint32_t smallest = n.smallest;
    const double spread = n.spread;
    const int32_t* labels = nullptr;
    for (int32_t y = first; y < end; ++y) {
        LandCell* row = t.GetData() + size_t(y) * size_t(w);
        const uint32_t* totals = n.totals + size_t(y) * n.stride;
        if (quotients) {
            for (int32_t x = 0; x < w; ++x)
                row[x].altitude = quotients[totals[x] - smallest];
        } else {
            for (int32_t x = 0; x < w; ++x) {
                const auto above = static_cast<int32_t>(totals[x] - smallest);
                row[x].altitude = static_cast<double>(above) / spread;
            }
        }
        if (!n.regions)
            continue;
        const int32_t inBlock = (y - first) % RegionLabeller::blockRows;
        if (inBlock == 0)
            labels = n.labeller.LabelRows(y, std::min(RegionLabeller::blockRows, end - y), scratch);
        const int32_t* line = labels + size_t(inBlock) * n.labeller.RowStride();
        for (int32_t x = 0; x < w; ++x)
            row[x].region = static_cast<uint16_t>(line[x]);
    }
}

// Normalisation: altitudes from the totals and the region of every cell.
// Equal totals leave every cell as cleared: altitude 0.0, no region.
void Normalise(GEO_MakeLand& t, const Counters& counters, TotalRange range,
               const RegionLabeller& labeller, const RowChunks& rows, ChunkWorker& worker) {
    if (range.largest <= range.smallest)
        return;
    const auto spreadCount = static_cast<int32_t>(static_cast<uint32_t>(range.largest) -
                                                  static_cast<uint32_t>(range.smallest));
    const Normalisation n{counters.mainCounts.data(),
                          counters.stride,
                          static_cast<uint32_t>(range.smallest),
                          static_cast<double>(spreadCount),
                          AltitudeQuotients(spreadCount, t.GetSize()),
                          labeller,
                          t.concentrationPoints.GetSize() > 0};
    LabelScratch mainScratch, workerScratch;
    worker.Share(
        rows.count,
        [&](int32_t c, int64_t) { NormaliseRows(t, n, rows.First(c), rows.End(c), mainScratch); },
        [&](int32_t c) -> int64_t {
            NormaliseRows(t, n, rows.First(c), rows.End(c), workerScratch);
            return 1;
        },
        [](int64_t) {});
}

void GrowLand(GEO_MakeLand& t, const Plan& plan, const GEO_LandCircleArray& landCircles,
              NUM_Random* source, const ProgressSink& progress) {
    ChunkWorker worker(plan.twoThreads);  // up early: ready by the time stamping starts
    t.SetSize(0);
    t.gridWidth = t.gridHeight = 0;

    NUM_Random& random = PlacePoints(t, plan, source);
    const Divisor byWidth(static_cast<uint32_t>(plan.width));
    std::unique_ptr<Stamp[]> ordered =
        DrawnInLocalityOrder(random, plan, t.concentrationPoints, byWidth);

    // The grid itself is allocated only once the counting is done: it never
    // has to coexist with the stamp tables.
    Counters counters(plan);
    ReportPhase(progress, t, ProgressPhase::Stamping);
    Reporter reporter{t, progress, {}};
    StampCounts(counters, ordered.get(), plan, landCircles, byWidth, worker, reporter);
    ordered.reset();
    t.progressCount = plan.stamps > 0 ? plan.stamps : 0;
    ReportPhase(progress, t, ProgressPhase::Normalising);

    // The grid's size goes with it from here on; should anything below fail,
    // Generate takes both away again.
    t.SetSize(plan.cells);
    t.gridWidth = plan.width;
    t.gridHeight = plan.height;

    RegionLabeller labeller(t.concentrationPoints.GetData(), t.concentrationPoints.GetSize(),
                            plan.width, plan.height);
    const RowChunks rows(plan.width, plan.height);
    const TotalRange range = SumTotals(counters, labeller, rows, worker);
    counters.workerCounts = {};
    Normalise(t, counters, range, labeller, rows, worker);
}

}  // namespace

void GEO_MakeLand::Generate(const GEO_LandCircleArray& landCircles, NUM_Random* source,
                            const ProgressSink& progress) {
    const Plan plan = CheckedPlan(*this, landCircles.GetSize());
    progressTotal = plan.stamps;
    progressCount = 0;
    ReportPhase(progress, *this, ProgressPhase::Preparing);
    try {
        GrowLand(*this, plan, landCircles, source, progress);
    } catch (...) {
        // Never leave counters posing as a map: the grid goes, and with it its size.
        SetSize(0);
        gridWidth = gridHeight = 0;
        try {
            throw;
        } catch (const std::bad_alloc&) {
            throw MemoryFailure();
        }
    }
    ReportPhase(progress, *this, ProgressPhase::Done);
}
