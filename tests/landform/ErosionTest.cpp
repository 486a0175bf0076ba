// Erosion's promises on many small random maps: stream power only ever
// lowers land and leaves water alone, talus moves material without making or
// losing any; and both give the same bytes on one thread or two.

#include "LandformMaps.h"

#include "landform/Erosion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

namespace {

TEST(StreamPower, LowersLandOnlyAndStaysInRange) {
    std::mt19937 rng(2013);
    static constexpr double erodibilities[] = {0.001, 0.1, 10.0, 1e20};
    for (int round = 0; round < 2000; ++round) {
        TestMap m = SmallRandomMap(rng);
        const double k = erodibilities[round % 4];
        SCOPED_TRACE(testing::Message() << "round " << round << ", K " << k);
        ChunkWorker worker(false);
        FlowGraph graph(m.width, m.height);
        for (int step = 0; step < 3; ++step) {
            const std::vector<double> before = m.altitudes;
            graph.RouteSteepest(m.altitudes, m.waterLevel, worker);
            StreamPowerStep(graph, m.altitudes, k);
            for (size_t i = 0; i < before.size(); ++i) {
                ASSERT_LE(m.altitudes[i], before[i]) << "cell " << i;
                ASSERT_GE(m.altitudes[i], 0.0) << "cell " << i;
                if (before[i] <= m.waterLevel) {
                    ASSERT_EQ(m.altitudes[i], before[i]) << "water cell " << i;
                }
            }
        }
    }
}

// One land cell in a sea, area 1, its receiver straight north: at K = 1 the
// implicit step halves its height.
TEST(StreamPower, ImplicitStepOfALoneCell) {
    std::vector<double> a(9, 0.0);
    a[4] = 0.5;
    ErodeStreamPower(3, 3, a, 0.0, 1, 1.0, false);
    EXPECT_EQ(a[4], 0.25);
}

TEST(Thermal, KeepsTheTotalAndTheRange) {
    std::mt19937 rng(1998);
    for (int round = 0; round < 2000; ++round) {
        TestMap m = SmallRandomMap(rng);
        const double before = std::accumulate(m.altitudes.begin(), m.altitudes.end(), 0.0);
        ErodeThermal(m.width, m.height, m.altitudes, 3, round % 2 ? 0.0 : 0.1, false);
        const double after = std::accumulate(m.altitudes.begin(), m.altitudes.end(), 0.0);
        ASSERT_NEAR(after, before, 1e-12 * double(m.altitudes.size())) << "round " << round;
        for (const double a : m.altitudes)
            ASSERT_TRUE(a >= 0.0 && a <= 1.0) << "round " << round;
    }
}

TEST(Erosion, SameOnOneThreadOrTwo) {
    for (uint32_t seed = 1; seed <= 2; ++seed) {
        const TestMap m = RollingMap(seed);
        std::vector<double> one = m.altitudes, two = m.altitudes;
        for (std::vector<double>* a : {&one, &two}) {
            const bool twoThreads = a == &two;
            ErodeStreamPower(m.width, m.height, *a, m.waterLevel, 4, 0.01, twoThreads);
            ErodeThermal(m.width, m.height, *a, 4, defaultTalus, twoThreads);
        }
        EXPECT_EQ(one, two);
        EXPECT_NE(one, m.altitudes);
    }
}

}  // namespace
