// Open edges and NoData over random small rasters: the fill against a plain
// priority-flood seeded from the border, routes that never cross an edge or
// enter a hole, erosion that keeps the outlets, smoothing against a blur
// whose window repeats the edge, and the same bytes on one thread or two.

#include "landform/EdgeOutlets.h"
#include "landform/FlowGraph.h"
#include "landform/LandformStages.h"
#include "landform/PriorityFlood.h"
#include "landform/ReliefShading.h"
#include "landform/Smoothing.h"
#include "landform/WaterOverlay.h"

#include "LandformMaps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <queue>
#include <random>
#include <utility>
#include <vector>

namespace {

// A random open grid of at least 2 x 2 cells, a few holes in some.
AltitudeGrid OpenGrid(std::mt19937& rng, bool holes) {
    TestMap m = SmallRandomMap(rng);
    while (m.width < 2 || m.height < 2)
        m = SmallRandomMap(rng);
    AltitudeGrid g(m.width, m.height);
    g.altitudes = m.altitudes;
    g.boundary = Boundary::Open;
    if (holes) {
        g.noData.assign(g.altitudes.size(), 0);
        for (int k = 0; k < 3; ++k)
            g.noData[size_t(rng()) % g.noData.size()] = 1;
    }
    return g;
}

bool InsideOrBeside(const AltitudeGrid& g, int64_t x, int64_t y) {
    for (int64_t dy = -1; dy <= 1; ++dy)
        for (int64_t dx = -1; dx <= 1; ++dx) {
            const int64_t nx = x + dx, ny = y + dy;
            if (nx >= 0 && ny >= 0 && nx < g.width && ny < g.height &&
                g.noData[size_t(ny * g.width + nx)])
                return true;
        }
    return false;
}

// Straight from the definition: the border, the water and every cell in or
// beside a hole are outlets; the flood takes the lowest open cell each time.
std::vector<double> PlainOpenFill(const AltitudeGrid& g, double waterLevel) {
    using Entry = std::pair<double, size_t>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;
    std::vector<double> filled(g.altitudes);
    std::vector<bool> closed(g.altitudes.size(), false);
    for (int64_t y = 0; y < g.height; ++y)
        for (int64_t x = 0; x < g.width; ++x) {
            const size_t c = size_t(y * g.width + x);
            const bool edge = x == 0 || y == 0 || x == g.width - 1 || y == g.height - 1;
            if (edge || g.altitudes[c] <= waterLevel ||
                (!g.noData.empty() && InsideOrBeside(g, x, y))) {
                open.push({g.altitudes[c], c});
                closed[c] = true;
            }
        }
    while (!open.empty()) {
        const auto [level, c] = open.top();
        open.pop();
        const int64_t x = int64_t(c) % g.width, y = int64_t(c) / g.width;
        for (int64_t dy = -1; dy <= 1; ++dy)
            for (int64_t dx = -1; dx <= 1; ++dx) {
                const int64_t nx = x + dx, ny = y + dy;
                if (nx < 0 || ny < 0 || nx >= g.width || ny >= g.height)
                    continue;
                const size_t n = size_t(ny * g.width + nx);
                if (closed[n])
                    continue;
                closed[n] = true;
                filled[n] = std::max(g.altitudes[n], level);
                open.push({filled[n], n});
            }
    }
    return filled;
}

TEST(OpenEdges, FillMatchesAPlainFloodFromTheBorder) {
    std::mt19937 rng(29);
    for (int round = 0; round < 400; ++round) {
        const AltitudeGrid g = OpenGrid(rng, round % 2 == 1);
        const double level = round % 3 == 0 ? -1.0 : 0.25;
        SCOPED_TRACE(::testing::Message()
                     << "round " << round << ", " << g.width << "x" << g.height);
        EXPECT_EQ(PlainOpenFill(g, level), FillDepressions(g.width, g.height, g.altitudes, level,
                                                           EdgeOutlets(g), g.boundary));
    }
}

TEST(OpenEdges, WaterLeavesOverTheBorderNeverAcrossItNorThroughAHole) {
    std::mt19937 rng(30);
    for (int round = 0; round < 300; ++round) {
        const AltitudeGrid g = OpenGrid(rng, round % 2 == 1);
        SCOPED_TRACE(::testing::Message() << "round " << round);
        const FlowGraph one = FlowGraph::Drained(g, -1.0, false);
        const FlowGraph two = FlowGraph::Drained(g, -1.0, true);
        EXPECT_EQ(one.Receivers(), two.Receivers());
        EXPECT_EQ(one.Area(), two.Area());
        const std::vector<uint8_t> outlets = EdgeOutlets(g);
        for (size_t c = 0; c < g.altitudes.size(); ++c) {
            const uint32_t r = one.Receivers()[c];
            const int64_t x = int64_t(c) % g.width, y = int64_t(c) / g.width;
            const int64_t rx = int64_t(r) % g.width, ry = int64_t(r) / g.width;
            if (outlets[c]) {
                ASSERT_EQ(c, r) << "an outlet drains on";
                continue;
            }
            ASSERT_NE(c, r) << "a pit inside the border";
            ASSERT_LE(std::abs(rx - x), 1) << "across the left or right edge";
            ASSERT_LE(std::abs(ry - y), 1) << "across the top or bottom edge";
            ASSERT_TRUE(g.noData.empty() || !g.noData[r]) << "into a hole";
        }
    }
}

TEST(OpenEdges, ErosionKeepsTheBorderAndTheHolesOnEveryThread) {
    std::mt19937 rng(31);
    for (int round = 0; round < 60; ++round) {
        AltitudeGrid one = OpenGrid(rng, round % 2 == 1);
        const std::vector<double> before = one.altitudes;
        const std::vector<uint8_t> outlets = EdgeOutlets(one);
        AltitudeGrid two = one;
        LandformStages stages;
        stages.erodeSteps = 5;
        stages.erodibility = 0.2;
        stages.thermalSteps = 5;
        RunStages(one, stages, -1.0, false);
        RunStages(two, stages, -1.0, true);
        EXPECT_EQ(one.altitudes, two.altitudes);
        for (size_t c = 0; c < before.size(); ++c)
            if (outlets[c]) {
                ASSERT_EQ(before[c], one.altitudes[c]) << "round " << round << ", cell " << c;
            }
    }
}

// Three passes of the mean over the window, each index held to the grid.
std::vector<double> ClampedBlur(const AltitudeGrid& in, int32_t r) {
    std::vector<double> a = in.altitudes;
    for (int pass = 0; pass < 3; ++pass) {
        std::vector<double> out(a.size());
        for (int32_t y = 0; y < in.height; ++y)
            for (int32_t x = 0; x < in.width; ++x) {
                double sum = 0;
                for (int32_t dy = -r; dy <= r; ++dy)
                    for (int32_t dx = -r; dx <= r; ++dx)
                        sum += a[size_t(std::clamp(y + dy, 0, in.height - 1) * in.width +
                                        std::clamp(x + dx, 0, in.width - 1))];
                out[size_t(y * in.width + x)] = sum / double((2 * r + 1) * (2 * r + 1));
            }
        a = out;
    }
    return a;
}

TEST(OpenEdges, SmoothingRepeatsTheEdgeAndKeepsHoles) {
    std::mt19937 rng(32);
    for (int round = 0; round < 40; ++round) {
        AltitudeGrid g = OpenGrid(rng, false);
        const int32_t radius = 1 + round % 4;
        const std::vector<double> slow = ClampedBlur(g, radius);
        AltitudeGrid two = g;
        Smooth(g, radius, false);
        Smooth(two, radius, true);
        EXPECT_EQ(g.altitudes, two.altitudes);
        for (size_t c = 0; c < slow.size(); ++c)
            ASSERT_NEAR(slow[c], g.altitudes[c], 1e-9) << "round " << round << ", cell " << c;
    }
    AltitudeGrid holed = OpenGrid(rng, true);
    const std::vector<double> before = holed.altitudes;
    Smooth(holed, 2, false);
    for (size_t c = 0; c < before.size(); ++c)
        if (holed.noData[c]) {
            EXPECT_EQ(before[c], holed.altitudes[c]);
        }
}

TEST(OpenEdges, SmoothingReadsNoHole) {
    // A plateau with a hole whose placeholder is far below it: smoothed,
    // the plateau stays level up to the hole's edge.
    AltitudeGrid g(12, 10, 0.75);
    g.boundary = Boundary::Open;
    g.noData.assign(g.altitudes.size(), 0);
    for (int32_t y = 3; y < 6; ++y)
        for (int32_t x = 4; x < 8; ++x) {
            g.at(x, y) = 0.0;
            g.noData[size_t(y * 12 + x)] = 1;
        }
    const AltitudeGrid before = g;
    Smooth(g, 2, false);
    for (size_t c = 0; c < g.altitudes.size(); ++c)
        EXPECT_EQ(g.altitudes[c], before.altitudes[c]) << "cell " << c;
}

TEST(OpenEdges, ShadingReadsNothingAcrossAnOpenEdge) {
    // A ramp rising to the east: wrapped, its east edge sees the low west
    // edge as its neighbour; open, it is lit like the rest of the ramp.
    AltitudeGrid ramp(6, 4);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 6; ++x)
            ramp.at(x, y) = 0.1 * x;
    ramp.boundary = Boundary::Open;
    EXPECT_DOUBLE_EQ(ReliefLight(ramp, 2, 1), ReliefLight(ramp, 5, 1));
    EXPECT_DOUBLE_EQ(ReliefLight(ramp, 2, 1), ReliefLight(ramp, 0, 0));
    ramp.boundary = Boundary::Wrap;
    EXPECT_NE(ReliefLight(ramp, 2, 1), ReliefLight(ramp, 5, 1));
}

TEST(OpenEdges, AWideRiverStopsAtAnOpenEdge) {
    // Every cell drains into (0, 3) on the west edge: a river wide enough to
    // reach across the edge of a wrapping map.
    const int32_t w = 8, h = 6;
    const uint32_t mouth = 3 * w;
    const FlowGraph flow = FlowGraph::OfReceivers(w, h, std::vector<uint32_t>(w * h, mouth));
    std::vector<uint8_t> rivers(w * h, 0), lakes(w * h, 0);
    rivers[mouth] = 1;
    const std::vector<double> land(w * h, 0.5);
    Picture wrapped(w, h), open(w, h);
    DrawWaters(wrapped, land, flow, lakes, rivers, 0.0, 1, Boundary::Wrap);
    DrawWaters(open, land, flow, lakes, rivers, 0.0, 1, Boundary::Open);
    EXPECT_EQ(wrapped.at(w - 1, 3), waterOverlayPixel);
    EXPECT_NE(open.at(w - 1, 3), waterOverlayPixel);
    EXPECT_EQ(open.at(1, 3), waterOverlayPixel);
}

}  // namespace
