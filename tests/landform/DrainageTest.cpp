// The drainage against a plain priority-flood and against what routing must
// hold, on many small random maps; rivers and lakes on a hand-made one.

#include "LandformMaps.h"
#include "ReferenceFlood.h"

#include "landform/FlowGraph.h"
#include "landform/PriorityFlood.h"
#include "landform/WaterOverlay.h"
#include "landform/Waters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

// Every receiver a neighbour no higher on the filled surface, the steepest
// one in reading order where one is lower; the outlets (water, or the sole
// lowest cell of a map without any) and only they are their own receivers;
// the areas what walking every cell's path down counts, which also proves
// the paths end; the stack from the outlets upwards.
void ExpectSoundRouting(const TestMap& m, const FlowGraph& d) {
    static constexpr bool corner[8] = {true, false, true, false, false, true, false, true};
    const size_t cells = m.altitudes.size();
    const std::optional<uint32_t> sole = SoleOutlet(m.altitudes, m.waterLevel);
    std::vector<uint32_t> walked(cells, 0);
    for (size_t i = 0; i < cells; ++i) {
        const uint32_t r = d.Receivers()[i];
        if (m.altitudes[i] <= m.waterLevel || sole == i) {
            EXPECT_EQ(r, i) << "outlet " << i;
        }
        if (r == i) {
            EXPECT_TRUE(m.altitudes[i] <= m.waterLevel || sole == i) << "sink " << i;
        } else {
            const std::vector<size_t> n = ReferenceNeighbours(m.width, m.height, i);
            double steepest = 0;
            size_t best = i;
            for (size_t k = 0; k < 8; ++k) {
                const double drop = d.Filled()[i] - d.Filled()[n[k]];
                const double slope = corner[k] ? drop / std::sqrt(2.0) : drop;
                if (slope > steepest)
                    steepest = slope, best = n[k];
            }
            if (best != i)
                EXPECT_EQ(r, best) << "cell " << i;
            else
                EXPECT_TRUE(std::count(n.begin(), n.end(), r) && d.Filled()[r] == d.Filled()[i])
                    << "flat cell " << i << " to " << r;
        }
        size_t c = i;
        for (size_t steps = 0; d.Receivers()[c] != c; ++steps, c = d.Receivers()[c]) {
            ++walked[c];
            ASSERT_LE(steps, cells) << "a cycle below cell " << i;
        }
        ++walked[c];
    }
    EXPECT_EQ(d.Area(), walked);
    // The stack holds every cell once, each after its receiver.
    std::vector<size_t> position(cells, cells);
    for (size_t k = 0; k < d.Stack().size(); ++k)
        position[d.Stack()[k]] = k;
    for (size_t i = 0; i < cells; ++i) {
        ASSERT_LT(position[i], cells) << "cell " << i << " missing from the stack";
        if (d.Receivers()[i] != i) {
            ASSERT_LT(position[d.Receivers()[i]], position[i]) << "cell " << i;
        }
    }
}

TEST(Drainage, FillsLikeThePlainFloodAndRoutesEveryCellToAnOutlet) {
    std::mt19937 rng(21);
    for (int round = 0; round < 3000; ++round) {
        const TestMap m = SmallRandomMap(rng);
        SCOPED_TRACE(testing::Message() << "round " << round << ", " << m.width << " x " << m.height
                                        << ", water " << m.waterLevel);
        const FlowGraph d = FlowGraph::Drained(m.width, m.height, m.altitudes, m.waterLevel, false);
        ASSERT_EQ(d.Filled(), ReferenceFill(m.width, m.height, m.altitudes, m.waterLevel));
        for (size_t i = 0; i < m.altitudes.size(); ++i)
            ASSERT_GE(d.Filled()[i], m.altitudes[i]);
        ExpectSoundRouting(m, d);
        if (HasFailure())
            return;
    }
}

TEST(Drainage, SameOnOneThreadOrTwo) {
    for (uint32_t seed = 1; seed <= 3; ++seed) {
        const TestMap m = RollingMap(seed);
        const FlowGraph one =
            FlowGraph::Drained(m.width, m.height, m.altitudes, m.waterLevel, false);
        const FlowGraph two =
            FlowGraph::Drained(m.width, m.height, m.altitudes, m.waterLevel, true);
        EXPECT_EQ(one.Filled(), ReferenceFill(m.width, m.height, m.altitudes, m.waterLevel));
        EXPECT_EQ(one.Filled(), two.Filled());
        EXPECT_EQ(one.Receivers(), two.Receivers());
        EXPECT_EQ(one.Area(), two.Area());
        ExpectSoundRouting(m, one);
    }
}

// Stray values must not send the flow off the grid.
TEST(Drainage, NaNAltitudesKeepTheirOwnFlow) {
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        TestMap m = SmallRandomMap(rng);
        m.altitudes[size_t(round) % m.altitudes.size()] = std::nan("");
        const FlowGraph d = FlowGraph::Drained(m.width, m.height, m.altitudes, m.waterLevel, false);
        for (const uint32_t r : d.Receivers())
            ASSERT_LT(r, m.altitudes.size());
        uint64_t sinks = 0;
        for (size_t i = 0; i < d.Area().size(); ++i)
            sinks += d.Receivers()[i] == i ? d.Area()[i] : 0;
        ASSERT_EQ(sinks, m.altitudes.size());
    }
}

// An 8 x 6 plateau with a sea row on top; two pits that touch only across
// the left-right wrap make one lake, a third pit another.
TEST(Waters, LakesJoinAcrossTheWrapAndRiversFollowTheThreshold) {
    TestMap m{8, 6, std::vector<double>(48, 0.5), 0.1};
    for (int x = 0; x < 8; ++x)
        m.altitudes[size_t(x)] = 0.0;
    m.altitudes[3 * 8 + 0] = 0.3;
    m.altitudes[3 * 8 + 7] = 0.3;
    m.altitudes[3 * 8 + 4] = 0.2;
    const FlowGraph d = FlowGraph::Drained(m.width, m.height, m.altitudes, m.waterLevel, false);
    const std::vector<uint8_t> lakes = LakeMask(m.altitudes, d);
    const std::vector<uint8_t> rivers = RiverMask(m.altitudes, d, lakes, m.waterLevel, 3);
    const WaterFigures f = CountWaters(m.width, m.height, m.altitudes, d, lakes, rivers, 0.1);
    EXPECT_EQ(f.lakeCells, 3);
    EXPECT_EQ(f.lakeCount, 2);
    int64_t rivers3 = 0, largest = 0;
    for (size_t i = 0; i < 48; ++i) {
        rivers3 += i >= 8 && !lakes[i] && d.Area()[i] >= 3;
        if (d.Receivers()[i] == i)
            largest = std::max<int64_t>(largest, d.Area()[i] - 1);
    }
    EXPECT_EQ(f.riverCells, rivers3);
    EXPECT_GT(f.riverCells, 0);
    EXPECT_DOUBLE_EQ(f.largestBasinShare, double(largest) / 40);
}

// A river cell draining 9 x the threshold is a disc of radius 2, cut where
// it reaches the sea (the top row, wrapping from below).
TEST(WaterOverlay, RiverWidthGrowsWithTheRootOfTheArea) {
    const int32_t w = 9, h = 7;
    const std::vector<double> altitudes = [&] {
        std::vector<double> a(size_t(w * h), 0.5);
        std::fill(a.begin(), a.begin() + w, 0.0);
        return a;
    }();
    std::vector<uint8_t> lakes(altitudes.size(), 0), rivers(altitudes.size(), 0);
    const size_t river = 5 * w + 4;  // (4, 5)
    rivers[river] = 1;
    // Every cell drains into the river cell: 63 = 9 x the threshold.
    const FlowGraph d =
        FlowGraph::OfReceivers(w, h, std::vector<uint32_t>(altitudes.size(), uint32_t(river)));
    ASSERT_EQ(d.Area()[river], 9u * 7u);
    Picture picture(w, h, 0xFF000000u);
    DrawWaters(picture, altitudes, d, lakes, rivers, 0.1, 7);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const int32_t dy = y == 0 ? 2 : y - 5;
            const bool inDisc = (x - 4) * (x - 4) + dy * dy <= 4 && y != 0;
            EXPECT_EQ(picture.at(x, y) == waterOverlayPixel, inDisc) << x << ", " << y;
        }
}

}  // namespace
