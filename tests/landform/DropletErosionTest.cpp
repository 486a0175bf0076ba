// Droplets keep the sediment they move: on a wrapping map without water
// whatever one droplet takes up it lays down again, so the heights' total
// stays; they do move it, and the same seed moves it the same way on one
// thread or two.

#include "LandformMaps.h"

#include "landform/DropletErosion.h"
#include "landform/LandformStages.h"

#include <gtest/gtest.h>

#include <cstring>
#include <numeric>

namespace {

AltitudeGrid Grid(const TestMap& m) {
    AltitudeGrid g(m.width, m.height);
    g.altitudes = m.altitudes;
    return g;
}

double Total(const std::vector<double>& a) {
    return std::accumulate(a.begin(), a.end(), 0.0);
}

}  // namespace

TEST(DropletErosion, ConservesSedimentWithoutWater) {
    for (const uint32_t seed : {1u, 2u}) {
        AltitudeGrid grid = Grid(RollingMap(seed, 160, 120));
        for (double& a : grid.altitudes)
            a += 0.1;  // above the water everywhere
        const std::vector<double> before = grid.altitudes;
        ErodeDroplets(grid, 50000, seed, 0.0);
        double moved = 0;
        for (size_t i = 0; i < before.size(); ++i)
            moved += std::fabs(grid.altitudes[i] - before[i]);
        EXPECT_GT(moved, 1.0) << "the droplets moved nothing";
        EXPECT_NEAR(Total(grid.altitudes), Total(before), 1e-9 * Total(before));
    }
}

TEST(DropletErosion, WaterTakesSedimentButNeverRises) {
    const TestMap m = RollingMap(3, 160, 120);
    AltitudeGrid grid = Grid(m);
    ErodeDroplets(grid, 50000, 9, m.waterLevel);
    for (size_t i = 0; i < m.altitudes.size(); ++i) {
        if (!(m.altitudes[i] > m.waterLevel)) {
            ASSERT_EQ(grid.altitudes[i], m.altitudes[i]) << "water cell " << i;
        }
        ASSERT_GE(grid.altitudes[i], 0.0);
    }
    EXPECT_LE(Total(grid.altitudes), Total(m.altitudes) + 1e-9);
}

TEST(DropletErosion, SameSeedSameBytesOnOneThreadOrTwo) {
    const TestMap m = RollingMap(4, 200, 150);
    LandformStages stages;
    stages.droplets = 30000;
    AltitudeGrid one = Grid(m), two = Grid(m), other = Grid(m);
    RunStages(one, stages, m.waterLevel, false, {}, 77);
    RunStages(two, stages, m.waterLevel, true, {}, 77);
    RunStages(other, stages, m.waterLevel, false, {}, 78);
    const size_t bytes = m.altitudes.size() * sizeof(double);
    EXPECT_EQ(std::memcmp(one.altitudes.data(), two.altitudes.data(), bytes), 0);
    EXPECT_NE(std::memcmp(one.altitudes.data(), other.altitudes.data(), bytes), 0);
}

TEST(DropletErosion, OpenEdgesAndTinyGrids) {
    for (int32_t w = 1; w <= 4; ++w) {
        AltitudeGrid g(w, 3, 0.5);
        g.at(0, 0) = 0.9;
        ErodeDroplets(g, 200, 1, 0.0);
        g.boundary = Boundary::Open;
        ErodeDroplets(g, 200, 1, 0.0);
    }
    AltitudeGrid open = Grid(RollingMap(5, 80, 60));
    open.boundary = Boundary::Open;
    const std::vector<double> before = open.altitudes;
    ErodeDroplets(open, 20000, 3, -1.0);
    for (int32_t x = 0; x < open.width; ++x)
        EXPECT_EQ(open.at(x, 0), before[size_t(x)]) << "the open border is an outlet";
}
