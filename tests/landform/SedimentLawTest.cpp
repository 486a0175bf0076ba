// Erosion against the laws it models, with receivers and drained areas found
// afresh by coordinates:
// - at steady state under uplift U the stream-power law gives every channel
//   the slope S = (U / K) A^(-1/2) (Braun and Willett 2013), and with
//   deposition G the slope S = (1 + G) (U / K) A^(-1/2), as the channel must
//   then cut what it deposits too (Yuan et al. 2019);
// - mass balance: what the channels cut equals what they deposit plus what
//   reaches the water.

#include "LandformMaps.h"
#include "ReferenceFlood.h"

#include "landform/DepressionRouting.h"
#include "landform/LandscapeEvolution.h"
#include "landform/SedimentStep.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct Routes {
    std::vector<size_t> receiver;
    std::vector<double> distance;
    std::vector<double> area;
};

Routes SteepestRoutes(int32_t width, int32_t height, const std::vector<double>& h,
                      double waterLevel) {
    Routes r{std::vector<size_t>(h.size()), std::vector<double>(h.size(), 1.0),
             std::vector<double>(h.size(), 0.0)};
    for (size_t i = 0; i < h.size(); ++i) {
        r.receiver[i] = i;
        if (!(h[i] > waterLevel))
            continue;
        const std::vector<size_t> n = ReferenceNeighbours(width, height, i);
        double steepest = 0;
        for (size_t j = 0; j < 8; ++j) {
            const double d = (j == 0 || j == 2 || j == 5 || j == 7) ? std::sqrt(2.0) : 1.0;
            if ((h[i] - h[n[j]]) / d > steepest) {
                steepest = (h[i] - h[n[j]]) / d;
                r.receiver[i] = n[j];
                r.distance[i] = d;
            }
        }
    }
    for (size_t i = 0; i < h.size(); ++i) {
        size_t c = i;
        for (size_t steps = 0; r.receiver[c] != c && steps <= h.size(); ++steps, c = r.receiver[c])
            r.area[c] += 1;
        r.area[c] += 1;
    }
    return r;
}

// A wrapping strip of land above a row of water, lumpy enough that the
// channels must find their own way.
AltitudeGrid Strip(int32_t width, int32_t height, uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> lump(0.001, 0.01);
    AltitudeGrid g(width, height);
    for (int32_t y = 1; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            g.at(x, y) = lump(rng);
    return g;
}

void ExpectSteadySlopes(double uplift, double k, double g) {
    AltitudeGrid grid = Strip(48, 40, 5);
    EvolutionLaw law;
    law.steps = 3000;
    law.erodibility = k;
    law.uplift = uplift;
    law.deposition = g;
    law.crossLakes = true;
    EvolveLandscape(grid, law, 0.0, false);
    const Routes r = SteepestRoutes(grid.width, grid.height, grid.altitudes, 0.0);
    int channels = 0;
    for (size_t i = 0; i < grid.altitudes.size(); ++i) {
        if (r.receiver[i] == i || r.area[i] < 100)
            continue;
        ++channels;
        const double slope = (grid.altitudes[i] - grid.altitudes[r.receiver[i]]) / r.distance[i];
        const double law = (1 + g) * uplift / k / std::sqrt(r.area[i]);
        EXPECT_NEAR(slope / law, 1.0, 0.01) << "cell " << i << " draining " << r.area[i];
    }
    EXPECT_GT(channels, 20);
}

}  // namespace

TEST(SedimentLaw, SteadyStateSlopeFollowsTheStreamPowerLaw) {
    ExpectSteadySlopes(0.001, 0.2, 0);
}

TEST(SedimentLaw, SteadyStateWithDepositionCutsWhatItDeposits) {
    ExpectSteadySlopes(0.001, 0.2, 1.0);
}

TEST(SedimentLaw, WhatIsCutIsDepositedOrReachesTheWater) {
    const TestMap m = RollingMap(8, 150, 120);
    std::vector<double> h = m.altitudes;
    const double uplift = 0.002, k = 0.05, g = 1.5;
    for (double& a : h)
        if (a > m.waterLevel)
            a += uplift;
    const std::vector<double> lifted = h;
    FlowGraph graph(m.width, m.height);
    ChunkWorker worker(false);
    graph.RouteSteepest(h, m.waterLevel, worker);
    DepressionRouter(GridNeighbours(m.width, m.height, Boundary::Wrap))
        .Route(graph, h, m.waterLevel, {});
    SedimentStep step;
    step.Run(graph, h, SedimentLaw{k, g});
    EXPECT_LT(step.Rounds(), SedimentLaw{}.maxRounds) << "which cells are cut never settled";

    // What enters each cell from upstream, each path walked down plainly.
    const std::vector<uint32_t>& rec = graph.Receivers();
    std::vector<double> entering(h.size(), 0.0), area(h.size(), 0.0);
    for (size_t i = 0; i < h.size(); ++i) {
        area[i] += 1;
        for (size_t c = i; rec[c] != c; c = rec[c]) {
            entering[rec[c]] += lifted[i] - h[i];
            area[rec[c]] += 1;
        }
    }
    double cut = 0, deposited = 0, leaving = 0;
    int depositing = 0;
    for (size_t i = 0; i < h.size(); ++i) {
        const size_t r = rec[i];
        if (r == i) {
            leaving += entering[i];
            EXPECT_EQ(h[i], lifted[i]) << "an outlet moved";
            continue;
        }
        const double d = graph.Diagonal()[i] ? std::sqrt(2.0) : 1.0;
        const double e = h[r] < h[i] ? k * std::sqrt(area[i]) / d * (h[i] - h[r]) : 0.0;
        const double dep = g / area[i] * entering[i];
        EXPECT_NEAR(h[i], lifted[i] - e + dep, 1e-11) << "cell " << i;
        cut += e;
        deposited += dep;
        depositing += dep > e;
    }
    EXPECT_GT(depositing, 100) << "nowhere fills";
    EXPECT_NEAR(cut, deposited + leaving, 1e-9 * cut);
}
