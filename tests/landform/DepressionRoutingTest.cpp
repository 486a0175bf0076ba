// Water routed across depressions against the plainest priority-flood: the
// highest height on a cell's way to its outlet is the lowest level at which
// the cell can spill at all, which is what the flood fills it to. A route
// that took a higher pass than it needed, stopped in a pit or went round in
// a circle fails this.

#include "LandformMaps.h"
#include "ReferenceFlood.h"

#include "landform/DepressionRouting.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

FlowGraph RoutedAcross(const TestMap& m) {
    FlowGraph graph(m.width, m.height);
    ChunkWorker worker(false);
    graph.RouteSteepest(m.altitudes, m.waterLevel, worker);
    DepressionRouter router(GridNeighbours(m.width, m.height, Boundary::Wrap));
    router.Route(graph, m.altitudes, m.waterLevel, {});
    return graph;
}

void ExpectSpillLevels(const TestMap& m, const FlowGraph& graph) {
    const std::vector<double> filled = ReferenceFill(m.width, m.height, m.altitudes, m.waterLevel);
    const std::vector<uint32_t>& rec = graph.Receivers();
    const double lowest = *std::min_element(m.altitudes.begin(), m.altitudes.end());
    int64_t outlets = 0;
    for (uint32_t c = 0; c < rec.size(); ++c) {
        double highest = m.altitudes[c];
        uint32_t at = c;
        for (size_t steps = 0; rec[at] != at; ++steps) {
            ASSERT_LT(steps, rec.size()) << "a cycle through cell " << c;
            at = rec[at];
            highest = std::max(highest, m.altitudes[at]);
        }
        ASSERT_EQ(highest, filled[c]) << "cell " << c << " of " << m.width << " x " << m.height;
        const bool water = !(m.altitudes[at] > m.waterLevel);
        EXPECT_TRUE(water || m.altitudes[at] == lowest) << "stops in a pit at " << at;
        outlets += rec[at] == at && at == c && !water;
    }
    EXPECT_LE(outlets, 1) << "more than one pit kept without water";
}

}  // namespace

TEST(DepressionRouting, RoutesReachTheirOutletOverTheLowestPass) {
    std::mt19937 rng(33);
    for (int i = 0; i < 2000; ++i) {
        const TestMap m = SmallRandomMap(rng);
        ExpectSpillLevels(m, RoutedAcross(m));
        if (HasFatalFailure())
            return;
    }
}

TEST(DepressionRouting, RollingGroundWithManyNestedLakes) {
    for (uint32_t seed : {1u, 2u, 3u}) {
        TestMap m = RollingMap(seed, 120, 90);
        ExpectSpillLevels(m, RoutedAcross(m));
        m.waterLevel = -1;  // no water: the lowest pit takes it all
        ExpectSpillLevels(m, RoutedAcross(m));
    }
}

TEST(DepressionRouting, OpenEdgesAreOutlets) {
    // A bowl whose rim is lower on the west: on an open grid the water of
    // the hollow leaves over that rim to the border, never across the wrap.
    const int32_t w = 9, h = 7;
    std::vector<double> a(size_t(w * h), 0.9);
    for (int32_t y = 1; y < h - 1; ++y)
        for (int32_t x = 1; x < w - 1; ++x)
            a[size_t(y * w + x)] = 0.5;
    a[size_t(3 * w + 4)] = 0.2;  // the pit
    a[size_t(3 * w + 0)] = 0.6;  // the low rim, on the border
    FlowGraph graph(w, h);
    ChunkWorker worker(false);
    graph.RouteSteepest(a, 0.0, worker);
    DepressionRouter router(GridNeighbours(w, h, Boundary::Open));
    router.Route(graph, a, 0.0, {});
    uint32_t at = 3 * w + 4;
    while (graph.Receivers()[at] != at)
        at = graph.Receivers()[at];
    EXPECT_EQ(at % uint32_t(w), 0u);
    EXPECT_EQ(a[at], 0.6);
}
