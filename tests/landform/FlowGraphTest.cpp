// The flow graph's guarantees beyond routing (DrainageTest.cpp): a cycle is
// an error, never drained around; and every stage reports its steps and
// stops between them when its sink says so.

#include "LandformMaps.h"

#include "core/Stopped.h"
#include "landform/Erosion.h"
#include "landform/FlowGraph.h"
#include "landform/LandformStages.h"
#include "landform/Smoothing.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

TEST(FlowGraph, ACycleIsAnError) {
    // Cells 1 and 2 send their water to each other; 0 is an outlet.
    EXPECT_THROW(FlowGraph::OfReceivers(3, 1, {0, 2, 1}), FlowCycle);
    EXPECT_THROW(FlowGraph::OfReceivers(3, 1, {0, 0, 3}), std::invalid_argument);
    EXPECT_THROW(FlowGraph::OfReceivers(3, 1, {0, 0}), std::invalid_argument);
    const FlowGraph g = FlowGraph::OfReceivers(3, 1, {0, 0, 1});
    EXPECT_EQ(g.Stack(), (std::vector<uint32_t>{0, 1, 2}));
    EXPECT_EQ(g.Area(), (std::vector<uint32_t>{3, 2, 1}));
}

// The reports a sink heard, as (phase, done, total); it stops at the report
// whose `done` is stopAt.
struct Recorder {
    int32_t stopAt = -1;
    std::vector<std::pair<ProgressPhase, int32_t>> heard;
    int32_t total = 0;

    StageSink Sink() {
        return [this](const ProgressReport& r) {
            heard.push_back({r.phase, r.done});
            total = r.total;
            return r.done != stopAt;
        };
    }
};

std::vector<std::pair<ProgressPhase, int32_t>> Counted(ProgressPhase phase, int32_t steps) {
    std::vector<std::pair<ProgressPhase, int32_t>> out;
    for (int32_t s = 0; s <= steps; ++s)
        out.push_back({phase, s});
    return out;
}

TEST(StageProgress, EveryStageReportsEachStep) {
    const TestMap m = RollingMap(5, 40, 30);
    Recorder rec;
    AltitudeGrid grid(m.width, m.height);
    grid.altitudes = m.altitudes;
    RunStages(grid, {2, 3, 0.01, 4}, m.waterLevel, false, rec.Sink());
    auto expected = Counted(ProgressPhase::Smoothing, smoothPasses);
    for (const auto& e : Counted(ProgressPhase::Eroding, 3))
        expected.push_back(e);
    for (const auto& e : Counted(ProgressPhase::Slumping, 4))
        expected.push_back(e);
    EXPECT_EQ(rec.heard, expected);

    Recorder drains;
    FlowGraph::Drained(m.width, m.height, m.altitudes, m.waterLevel, false, drains.Sink());
    EXPECT_EQ(drains.heard, Counted(ProgressPhase::Draining, 4));
}

// A stop after k steps leaves exactly k steps done, never half of one.
TEST(StageProgress, AStopComesBetweenSteps) {
    const TestMap m = RollingMap(6);
    for (const bool talus : {false, true}) {
        SCOPED_TRACE(talus ? "talus" : "stream power");
        const auto erode = [&](std::vector<double>& a, int32_t steps, const StageSink& sink) {
            if (talus)
                ErodeThermal(m.width, m.height, a, steps, 0.001, false, sink);
            else
                ErodeStreamPower(m.width, m.height, a, m.waterLevel, steps, 0.05, false, sink);
        };
        std::vector<double> stopped = m.altitudes, twoSteps = m.altitudes;
        Recorder rec;
        rec.stopAt = 2;
        EXPECT_THROW(erode(stopped, 50, rec.Sink()), Stopped);
        EXPECT_EQ(rec.heard.size(), 3u);
        erode(twoSteps, 2, {});
        EXPECT_EQ(stopped, twoSteps);
        EXPECT_NE(stopped, m.altitudes);
    }
    Recorder smoothing;
    smoothing.stopAt = 1;
    AltitudeGrid grid(m.width, m.height);
    grid.altitudes = m.altitudes;
    EXPECT_THROW(Smooth(grid, 3, false, smoothing.Sink()), Stopped);
    EXPECT_EQ(smoothing.heard.size(), 2u);
    Recorder drains;
    drains.stopAt = 3;
    EXPECT_THROW(
        FlowGraph::Drained(m.width, m.height, m.altitudes, m.waterLevel, false, drains.Sink()),
        Stopped);
}

}  // namespace
