// The program's generator against the literal one, on many random maps and
// tables, and its parts against brute force.

#include "ReferenceGenerate.h"
#include "TestTables.h"

#include "core/GEO_MakeLand.h"
#include "core/NUM_Random.h"
#include "core/RegionLabels.h"
#include "core/StencilSpans.h"
#include "tests/support/Terrains.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <random>
#include <tuple>
#include <vector>

namespace {

using testsupport::SameCells;

int32_t Pick(std::mt19937& rng, int32_t low, int32_t high) {
    return std::uniform_int_distribution<int32_t>(low, high)(rng);
}

using testsupport::Wrap;

// Stamps as row events plus running sums must count what adding one per
// offset counts, on grids down to a single cell where everything wraps.
void ExpectSpansCountLikeOffsets(const GEO_LandCircleArray& table, const StencilSpans& spans,
                                 std::mt19937& rng, int32_t w, int32_t h) {
    // Rows padded as the generator pads them; the padding must stay untouched.
    const auto stride = size_t(CounterStride(w));
    std::vector<uint32_t> words(stride * size_t(h), 0), extra(size_t(h), 0);
    std::vector<uint32_t> expected(size_t(w) * size_t(h), 0);
    const CounterGrid grid{words.data(), extra.data(), w, h, int64_t(stride)};
    for (int i = 0; i < 40; ++i) {
        const int32_t k = Pick(rng, 0, table.GetSize() - 1);
        const int32_t x = Pick(rng, 0, w - 1), y = Pick(rng, 0, h - 1);
        spans.Stamp(grid, k, x, y);
        for (const Point& p : table[k])
            ++expected[size_t(Wrap(int64_t{y} + p.y, h) * w + Wrap(int64_t{x} + p.x, w))];
    }
    for (int32_t y = 0; y < h; ++y) {
        uint32_t sum = 0;
        for (size_t x = size_t(w); x < stride; ++x)
            ASSERT_EQ(words[size_t(y) * stride + x], 0u);
        for (int32_t x = 0; x < w; ++x) {
            sum += words[size_t(y) * stride + size_t(x)];
            ASSERT_EQ(sum + extra[size_t(y)], expected[size_t(y) * size_t(w) + size_t(x)])
                << "cell (" << x << ", " << y << ") of " << w << " x " << h;
        }
    }
}

TEST(StencilSpans, CountLikeOffsetsForAnyTable) {
    std::mt19937 rng(2024);
    const StencilSpans discs(ProgramTable(), ProgramTable().GetSize());
    for (int round = 0; round < 60; ++round) {
        const int32_t w = round < 20 ? Pick(rng, 1, 6) : Pick(rng, 7, 240);
        const int32_t h = round < 20 ? Pick(rng, 1, 6) : Pick(rng, 7, 240);
        ExpectSpansCountLikeOffsets(ProgramTable(), discs, rng, w, h);
        const GEO_LandCircleArray hostile = HostileTable(rng, 12);
        ExpectSpansCountLikeOffsets(hostile, StencilSpans(hostile, hostile.GetSize()), rng, w, h);
    }
}

// The form the stamping's fast path takes: every row one run of distinct
// columns, the rows following each other without gaps.
bool IsSimple(const GEO_LandCircle& circle) {
    std::map<int32_t, std::vector<int32_t>> rows;
    for (const Point& p : circle)
        rows[p.y].push_back(p.x);
    std::optional<int32_t> previous;
    for (auto& [y, xs] : rows) {
        std::sort(xs.begin(), xs.end());
        if ((previous && y != *previous + 1) || xs.back() - xs.front() + 1 != int32_t(xs.size()) ||
            std::adjacent_find(xs.begin(), xs.end()) != xs.end())
            return false;
        previous = y;
    }
    return true;
}

TEST(StencilSpans, TheProgramsDiscsTakeTheFastForm) {
    for (int32_t k = 0; k < ProgramTable().GetSize(); ++k)
        EXPECT_TRUE(IsSimple(ProgramTable()[k])) << k;
}

// Regions: the separable labelling against the nine-copy rule, cell by cell.
void ExpectLabelsLikeNineCopies(const std::vector<Point>& points, int32_t w, int32_t h) {
    GEO_MakeLand t;
    t.width = w;
    t.height = h;
    for (const Point& p : points)
        t.concentrationPoints.Add(p);
    RegionLabeller labeller(points.data(), int32_t(points.size()), w, h);
    LabelScratch scratch;
    for (int32_t slot = 0; slot < labeller.ColumnCount(); ++slot)
        labeller.PrepareColumn(slot);
    for (int32_t y = 0; y < h; ++y) {
        // Single rows, and blocks of rows starting anywhere.
        const int32_t count = std::min(1 + y % RegionLabeller::blockRows, h - y);
        const int32_t* block = labeller.LabelRows(y, count, scratch);
        const int32_t* labels = y % 2 ? labeller.LabelRows(y, 1, scratch) : block;
        for (int32_t x = 0; x < w; ++x) {
            ASSERT_EQ(labels[x], reference::NearestConcentrationPoint(t, x, y))
                << "cell (" << x << ", " << y << ") of " << w << " x " << h << ", " << points.size()
                << " points";
            ASSERT_EQ(labels[x], t.NearestConcentrationPoint(x, y));
        }
        if (y % 2)
            continue;
        for (int32_t r = 1; r < count; ++r) {
            for (int32_t x = 0; x < w; ++x) {
                ASSERT_EQ(block[size_t(r) * labeller.RowStride() + size_t(x)],
                          reference::NearestConcentrationPoint(t, x, y + r))
                    << "cell (" << x << ", " << y + r << ") in a block of " << count;
            }
        }
    }
}

TEST(RegionLabels, MatchTheNineCopyRuleWithTiesAndDuplicates) {
    std::mt19937 rng(77);
    for (int round = 0; round < 300; ++round) {
        const int32_t w = Pick(rng, 1, round < 100 ? 4 : 48);
        const int32_t h = Pick(rng, 1, round < 100 ? 4 : 48);
        // Few distinct places and even sizes make ties and duplicates common.
        std::vector<Point> places;
        for (int32_t i = Pick(rng, 1, 6); i > 0; --i)
            places.push_back({Pick(rng, 0, w - 1), Pick(rng, 0, h - 1)});
        std::vector<Point> points;
        for (int32_t i = Pick(rng, 1, 40); i > 0; --i)
            points.push_back(places[size_t(Pick(rng, 0, int32_t(places.size()) - 1))]);
        ExpectLabelsLikeNineCopies(points, w, h);
    }
    // Wide gaps between source columns and rows, odd and even sizes.
    for (const auto& [w, h, n] :
         {std::tuple{257, 181, 120}, std::tuple{200, 160, 2}, std::tuple{160, 1, 5}}) {
        std::vector<Point> points;
        for (int32_t i = 0; i < n; ++i)
            points.push_back({Pick(rng, 0, w - 1), Pick(rng, 0, h - 1)});
        ExpectLabelsLikeNineCopies(points, w, h);
    }
}

TEST(RegionLabels, TallGridsWithTiesAcrossManyBandsOfRows) {
    // Columns beaten in the middle of a band may win at its ends; few places,
    // several points per column and even sizes keep ties on the band edges.
    std::mt19937 rng(79);
    for (int round = 0; round < 40; ++round) {
        const int32_t w = Pick(rng, 1, 40),
                      h = Pick(rng, 2 * RegionLabeller::bandRows, 5 * RegionLabeller::bandRows);
        std::vector<Point> places;
        for (int32_t i = Pick(rng, 1, 30); i > 0; --i)
            places.push_back({Pick(rng, 0, w - 1), Pick(rng, 0, h - 1)});
        std::vector<Point> points;
        for (int32_t i = Pick(rng, 1, 60); i > 0; --i)
            points.push_back(places[size_t(Pick(rng, 0, int32_t(places.size()) - 1))]);
        ExpectLabelsLikeNineCopies(points, w, h);
    }
}

TEST(RegionLabels, AScratchServesOneLabellerAfterAnother) {
    // The scratch keeps the columns chosen for a band of rows; a labeller
    // built later, even in the same place, must not label with them.
    std::mt19937 rng(80);
    const int32_t w = 64, h = 3 * RegionLabeller::bandRows;
    LabelScratch scratch;
    std::optional<RegionLabeller> labeller;
    for (int round = 0; round < 20; ++round) {
        std::vector<Point> points;
        for (int32_t i = Pick(rng, 1, 12); i > 0; --i)
            points.push_back({Pick(rng, 0, w - 1), Pick(rng, 0, h - 1)});
        GEO_MakeLand t;
        t.width = w;
        t.height = h;
        for (const Point& p : points)
            t.concentrationPoints.Add(p);
        labeller.emplace(points.data(), int32_t(points.size()), w, h);
        for (int32_t slot = 0; slot < labeller->ColumnCount(); ++slot)
            labeller->PrepareColumn(slot);
        for (const int32_t y : {h - 1, 0, 8, RegionLabeller::bandRows + 3, h - 2}) {
            const int32_t* labels = labeller->LabelRows(y, 1, scratch);
            for (int32_t x = 0; x < w; ++x)
                ASSERT_EQ(labels[x], reference::NearestConcentrationPoint(t, x, y))
                    << "round " << round;
        }
    }
}

TEST(RegionLabels, PointsOffTheGridFollowTheNineCopyRule) {
    // Off the grid the nearest of nine copies is not the torus distance.
    std::mt19937 rng(78);
    for (int round = 0; round < 60; ++round) {
        const int32_t w = Pick(rng, 1, 30), h = Pick(rng, 1, 30);
        std::vector<Point> points;
        for (int32_t i = Pick(rng, 1, 8); i > 0; --i)
            points.push_back({Pick(rng, -3 * w, 3 * w), Pick(rng, -3 * h, 3 * h)});
        ExpectLabelsLikeNineCopies(points, w, h);
    }
    ExpectLabelsLikeNineCopies({{2147483647, -2147483647 - 1}, {5, 5}}, 20, 20);
}

// Whole generations, program against reference, byte for byte.
struct Scenario {
    GEO_MakeLand terrain;
    bool referenceTwoThreads = false;
};

Scenario RandomScenario(std::mt19937& rng, int32_t circles) {
    Scenario s;
    GEO_MakeLand& t = s.terrain;
    t.width = Pick(rng, 100, 160);
    t.height = Pick(rng, 100, 160);
    t.seed = (uint64_t(rng()) << 32) | rng();
    t.unitAmount = Pick(rng, 1, circles);
    t.processAmount = std::uniform_real_distribution<double>(0.0, 0.03)(rng);
    t.concentrationRate = std::uniform_real_distribution<double>(-0.1, 1.1)(rng);
    t.concentrationAmount = Pick(rng, 0, 4) == 0
                                ? double(Pick(rng, 0, 1))
                                : std::uniform_real_distribution<double>(0, 1)(rng);
    t.concentrationPointCount = Pick(rng, 0, 3) == 0 ? 0 : Pick(rng, 1, 12);
    t.keepRandomState = Pick(rng, 0, 4) == 0;
    t.manualPlacement = Pick(rng, 0, 4) == 0;
    if (t.manualPlacement) {
        for (int32_t i = Pick(rng, 0, 6); i > 0; --i)
            t.concentrationPoints.Add({Pick(rng, 0, t.width - 1), Pick(rng, 0, t.height - 1)});
        if (t.concentrationPoints.GetSize() > 0 && Pick(rng, 0, 1))
            t.concentrationPoints.Add(t.concentrationPoints[0]);
    }
    t.twoThreads = Pick(rng, 0, 1);
    s.referenceTwoThreads = Pick(rng, 0, 1);
    return s;
}

void ExpectSameGeneration(Scenario s, const GEO_LandCircleArray& table, uint32_t sourceSeed) {
    GEO_MakeLand fast = s.terrain, slow = s.terrain;
    slow.twoThreads = s.referenceTwoThreads;
    NUM_AdvancedRandom a, b;
    a.SetSeed(sourceSeed, 0);
    b.SetSeed(sourceSeed, 0);
    fast.Generate(table, &a);
    reference::Generate(slow, table, &b, nullptr);
    ASSERT_EQ(fast.GetSize(), slow.GetSize());
    ASSERT_TRUE(SameCells(fast, slow))
        << fast.width << " x " << fast.height << ", seed " << fast.seed << ", "
        << fast.progressTotal << " stamps, threads " << fast.twoThreads << "/" << slow.twoThreads;
    EXPECT_TRUE(std::equal(fast.concentrationPoints.begin(), fast.concentrationPoints.end(),
                           slow.concentrationPoints.begin(), slow.concentrationPoints.end()));
    EXPECT_EQ(a.state, b.state);
    EXPECT_EQ(fast.progressTotal, slow.progressTotal);
    EXPECT_EQ(fast.progressCount, slow.progressCount);
    EXPECT_EQ(fast.gridWidth, fast.width);
    EXPECT_EQ(fast.gridHeight, fast.height);
}

TEST(GenerateDifferential, ProgramTableRandomMaps) {
    std::mt19937 rng(1);
    for (int round = 0; round < 24; ++round) {
        ExpectSameGeneration(RandomScenario(rng, 200), ProgramTable(), rng());
        if (HasFatalFailure())
            return;
    }
}

TEST(GenerateDifferential, HostileTableRandomMaps) {
    std::mt19937 rng(2);
    for (int round = 0; round < 24; ++round) {
        const GEO_LandCircleArray table = HostileTable(rng, 18);
        ExpectSameGeneration(RandomScenario(rng, 18), table, rng());
        if (HasFatalFailure())
            return;
    }
}

TEST(GenerateDifferential, GridsOfOddShape) {
    // Single cells, single rows and columns, and long thin strips.
    struct Shape {
        int32_t w, h;
        double processAmount;
    };
    for (const Shape& shape :
         {Shape{1, 1, 40.0}, Shape{1, 7, 3.0}, Shape{9, 1, 3.0}, Shape{120000, 1, 0.01},
          Shape{1, 90000, 0.01}, Shape{3, 50000, 0.01}}) {
        for (int32_t threads : {0, 1}) {
            Scenario s;
            s.terrain.width = shape.w;
            s.terrain.height = shape.h;
            s.terrain.processAmount = shape.processAmount;
            s.terrain.unitAmount = 60;
            s.terrain.twoThreads = threads;
            ExpectSameGeneration(s, ProgramTable(), 4);
            if (HasFatalFailure())
                return;
        }
    }
}

TEST(GenerateDifferential, ManyStampsOnASmallGrid) {
    // Counts in the thousands per cell, both thread modes.
    std::mt19937 rng(3);
    Scenario s;
    s.terrain.width = 100;
    s.terrain.height = 101;
    s.terrain.unitAmount = 40;
    s.terrain.processAmount = 1.5;
    s.terrain.concentrationPointCount = 9;
    for (int32_t threads : {0, 1}) {
        s.terrain.twoThreads = threads;
        ExpectSameGeneration(s, ProgramTable(), 9);
    }
}

}  // namespace
