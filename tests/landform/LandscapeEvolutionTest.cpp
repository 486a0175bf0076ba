// Erosion's further laws: the same bytes on one thread or two, the plain law
// unchanged when they are off, and a stop between steps.

#include "LandformMaps.h"

#include "landform/Erosion.h"
#include "landform/LandformStages.h"
#include "landform/LandscapeEvolution.h"
#include "landform/SedimentStep.h"

#include <gtest/gtest.h>

#include "core/Stopped.h"

#include <cstring>

namespace {

AltitudeGrid GridOf(const TestMap& m) {
    AltitudeGrid g(m.width, m.height);
    g.altitudes = m.altitudes;
    return g;
}

bool SameBytes(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

}  // namespace

TEST(LandscapeEvolution, SameBytesOnOneThreadOrTwo) {
    const TestMap m = RollingMap(21);
    for (const Boundary boundary : {Boundary::Wrap, Boundary::Open}) {
        EvolutionLaw law{12, 0.03, 0.001, 0.8, 2.5, true, boundary == Boundary::Wrap};
        AltitudeGrid one = GridOf(m), two = GridOf(m);
        one.boundary = two.boundary = boundary;
        EvolveLandscape(one, law, m.waterLevel, false);
        EvolveLandscape(two, law, m.waterLevel, true);
        EXPECT_TRUE(SameBytes(one.altitudes, two.altitudes));
        EXPECT_FALSE(SameBytes(one.altitudes, m.altitudes));
    }
}

TEST(LandscapeEvolution, WithoutDepositionTheStepIsThePlainLaw) {
    const TestMap m = RollingMap(22, 200, 140);
    std::vector<double> plain = m.altitudes, sediment = m.altitudes;
    ChunkWorker worker(false);
    FlowGraph graph(m.width, m.height);
    SedimentStep step;
    for (int s = 0; s < 5; ++s) {
        graph.RouteSteepest(plain, m.waterLevel, worker);
        StreamPowerStep(graph, plain, 0.02);
        graph.RouteSteepest(sediment, m.waterLevel, worker);
        step.Run(graph, sediment, SedimentLaw{0.02, 0});
    }
    EXPECT_TRUE(SameBytes(plain, sediment));
}

TEST(LandscapeEvolution, StagesWithoutTheNewLawsKeepTheirBytes) {
    const TestMap m = RollingMap(23, 200, 140);
    AltitudeGrid staged = GridOf(m);
    LandformStages stages;
    stages.erodeSteps = 7;
    stages.erodibility = 0.02;
    RunStages(staged, stages, m.waterLevel, false);
    std::vector<double> plain = m.altitudes;
    ErodeStreamPower(m.width, m.height, plain, m.waterLevel, 7, 0.02, false);
    EXPECT_TRUE(SameBytes(staged.altitudes, plain));
}

TEST(LandscapeEvolution, StopsBetweenSteps) {
    const TestMap m = RollingMap(24, 60, 50);
    AltitudeGrid grid = GridOf(m);
    int reports = 0;
    const StageSink stopAtThird = [&](const ProgressReport&) { return ++reports < 3; };
    EXPECT_THROW(EvolveLandscape(grid, EvolutionLaw{10, 0.02, 0.001, 0, 0, true}, m.waterLevel,
                                 false, stopAtThird),
                 Stopped);
    EXPECT_EQ(reports, 3);
}
