// One stream-power step against Braun and Willett's implicit update written
// out plainly: receivers by steepest descent over the eight neighbours found
// by coordinates, drained areas by walking every path down, and each cell
// solved after its receiver,
//
//     h' = (h + f h'_receiver) / (1 + f),   f = K sqrt(A) / d,
//
// with d = sqrt(2) to a diagonal receiver.

#include "LandformMaps.h"
#include "ReferenceFlood.h"

#include "landform/Erosion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

std::vector<double> ReferenceStep(const TestMap& m, double k) {
    const std::vector<double>& h = m.altitudes;
    const size_t cells = h.size();
    std::vector<size_t> receiver(cells);
    std::vector<double> distance(cells, 1.0);
    for (size_t i = 0; i < cells; ++i) {
        receiver[i] = i;
        if (!(h[i] > m.waterLevel))
            continue;  // water is the base level
        const std::vector<size_t> n = ReferenceNeighbours(m.width, m.height, i);
        double steepest = 0;
        for (size_t j = 0; j < 8; ++j) {
            const bool diagonal = j == 0 || j == 2 || j == 5 || j == 7;
            const double d = diagonal ? std::sqrt(2.0) : 1.0;
            if ((h[i] - h[n[j]]) / d > steepest) {
                steepest = (h[i] - h[n[j]]) / d;
                receiver[i] = n[j];
                distance[i] = d;
            }
        }
    }
    std::vector<double> area(cells, 0);
    for (size_t i = 0; i < cells; ++i) {
        size_t c = i;
        for (; receiver[c] != c; c = receiver[c])
            area[c] += 1;
        area[c] += 1;
    }
    std::vector<double> after(cells);
    std::vector<bool> solved(cells, false);
    const std::function<double(size_t)> solve = [&](size_t c) {
        if (!solved[c]) {
            const double f = k * std::sqrt(area[c]) / distance[c];
            after[c] = receiver[c] == c ? h[c] : (h[c] + f * solve(receiver[c])) / (1 + f);
            solved[c] = true;
        }
        return after[c];
    };
    for (size_t i = 0; i < cells; ++i)
        solve(i);
    return after;
}

TEST(StreamPower, OneStepIsBraunAndWillettsImplicitUpdate) {
    std::mt19937 rng(2013);
    static constexpr double erodibilities[] = {0.01, 0.3, 1.0, 7.0};
    for (int round = 0; round < 2000; ++round) {
        TestMap m = SmallRandomMap(rng);
        const double k = erodibilities[round % 4];
        SCOPED_TRACE(testing::Message()
                     << "round " << round << ", " << m.width << " x " << m.height << ", K " << k);
        for (int step = 0; step < 2; ++step) {
            const std::vector<double> expected = ReferenceStep(m, k);
            ErodeStreamPower(m.width, m.height, m.altitudes, m.waterLevel, 1, k, false);
            for (size_t i = 0; i < expected.size(); ++i)
                ASSERT_NEAR(m.altitudes[i], expected[i], 1e-12)
                    << "step " << step << ", cell " << i;
        }
    }
}

// A plateau at 0.5 with one sea cell at (1, 1): (2, 2) has no lower
// neighbour but that diagonal one, (1, 2) drains straight into it.
TEST(StreamPower, ADiagonalReceiverDividesTheErodibilityByTheRootOfTwo) {
    std::vector<double> a(25, 0.5);
    a[1 * 5 + 1] = 0.0;
    ErodeStreamPower(5, 5, a, 0.0, 1, 1.0, false);
    EXPECT_NEAR(a[2 * 5 + 2], 0.5 / (1 + 1 / std::sqrt(2.0)), 1e-15);
    EXPECT_NEAR(a[2 * 5 + 1], 0.5 / 2, 1e-15);
    EXPECT_EQ(a[1 * 5 + 1], 0.0);
    EXPECT_EQ(a[3 * 5 + 3], 0.5) << "a pit keeps its height";
}

}  // namespace
