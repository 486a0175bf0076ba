// Multiple flow directions against what water on a cone does: it spreads
// evenly, so the area drained per cell depends on the distance from the top
// alone, whatever the direction; steepest descent draws the grid's lines
// instead. And every cell's water ends in an outlet, none lost or made.

#include "LandformMaps.h"

#include "landform/DepressionRouting.h"
#include "landform/MultipleFlow.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

namespace {

constexpr int32_t side = 121;
constexpr double centre = 60;

std::vector<double> Cone() {
    std::vector<double> a(size_t(side * side));
    for (int32_t y = 0; y < side; ++y)
        for (int32_t x = 0; x < side; ++x)
            a[size_t(y * side + x)] = 1 - std::hypot(x - centre, y - centre) / 60;
    return a;
}

// The spread (standard deviation over mean) of the areas of the cells
// between radius 30 and 31.
double RingSpread(const std::vector<double>& area) {
    double sum = 0, squares = 0;
    int n = 0;
    for (int32_t y = 0; y < side; ++y)
        for (int32_t x = 0; x < side; ++x) {
            const double r = std::hypot(x - centre, y - centre);
            if (r >= 30 && r < 31) {
                const double a = area[size_t(y * side + x)];
                sum += a, squares += a * a, ++n;
            }
        }
    const double mean = sum / n;
    return std::sqrt(squares / n - mean * mean) / mean;
}

}  // namespace

TEST(MultipleFlow, WaterSpreadsDownAConeWithoutTheGrid) {
    const std::vector<double> cone = Cone();
    const FlowGraph drained = FlowGraph::Drained(side, side, cone, 0.0, false);
    const std::vector<double> mfd =
        MultipleFlowArea(drained, GridNeighbours(side, side, Boundary::Wrap));
    std::vector<double> d8(drained.Area().begin(), drained.Area().end());
    EXPECT_LT(RingSpread(mfd), 0.15);
    EXPECT_GT(RingSpread(d8), 0.4);
    double outlets = 0;
    for (size_t c = 0; c < mfd.size(); ++c)
        if (drained.Receivers()[c] == c)
            outlets += mfd[c];
    EXPECT_NEAR(outlets, double(mfd.size()), 1e-6);
}

TEST(MultipleFlow, OutletsAndFlatsPassOnEverything) {
    // Terraces: flats between steps, and a pit-free staircase down to water.
    const int32_t w = 40, h = 30;
    std::vector<double> a(size_t(w * h));
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            a[size_t(y * w + x)] = x < 2 ? 0.0 : 0.1 * double(x / 8) + 0.05;
    const FlowGraph drained = FlowGraph::Drained(w, h, a, 0.0, false);
    const std::vector<double> mfd = MultipleFlowArea(drained, GridNeighbours(w, h, Boundary::Wrap));
    double outlets = 0;
    for (size_t c = 0; c < mfd.size(); ++c)
        if (drained.Receivers()[c] == c)
            outlets += mfd[c];
    EXPECT_NEAR(outlets, double(w * h), 1e-9);
}

TEST(MultipleFlow, WhileErodingEveryShareReachesAnOutletAcrossTheLakes) {
    for (const uint32_t seed : {1u, 2u}) {
        const TestMap m = RollingMap(seed, 150, 110);
        FlowGraph graph(m.width, m.height);
        ChunkWorker worker(false);
        graph.RouteSteepest(m.altitudes, m.waterLevel, worker);
        DepressionRouter router(GridNeighbours(m.width, m.height, Boundary::Wrap));
        router.Route(graph, m.altitudes, m.waterLevel, {});
        ASSERT_GT(router.PitsCrossed(), 0);
        const std::vector<double> area =
            MultipleFlowAreaWhileEroding(graph, m.altitudes, router.Basins(), router.Grid());
        double outlets = 0;
        for (size_t c = 0; c < area.size(); ++c) {
            ASSERT_GE(area[c], 1.0) << c;
            if (graph.Receivers()[c] == c)
                outlets += area[c];
        }
        EXPECT_NEAR(outlets, double(area.size()), 1e-6 * double(area.size()));
    }
}

TEST(MultipleFlow, WhileErodingTheConeSpreadsToo) {
    const std::vector<double> cone = Cone();
    FlowGraph graph(side, side);
    ChunkWorker worker(false);
    graph.RouteSteepest(cone, 0.0, worker);
    DepressionRouter router(GridNeighbours(side, side, Boundary::Wrap));
    router.Route(graph, cone, 0.0, {});
    EXPECT_LT(RingSpread(MultipleFlowAreaWhileEroding(graph, cone, router.Basins(), router.Grid())),
              0.15);
}
