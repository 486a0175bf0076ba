#include "ReferenceGenerate.h"
#include "TestTables.h"

#include "core/GEO_MakeLand.h"
#include "core/NUM_Random.h"
#include "core/Stopped.h"
#include "tests/support/SteppedTicks.h"
#include "tests/support/Terrains.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using testsupport::SameCells;

using testsupport::PointsOf;

// The default terrain, seed 0, as the edge cases assume.
TEST(GenerateDefaults, PointsAndTheFirstStampsOfSeedZero) {
    GEO_MakeLand t;
    std::vector<reference::StampTrace> trace;
    reference::Options sample;
    sample.stampLimit = 5;
    sample.regionLimit = 0;
    sample.trace = &trace;
    NUM_AdvancedRandom source;
    reference::Generate(t, ProgramTable(), &source, nullptr, sample);
    ASSERT_EQ(t.progressTotal, 13107);
    const std::vector<Point> expected{{668, 748}, {607, 246}, {1053, 652}, {641, 563}};
    EXPECT_EQ(PointsOf(t), expected);

    ASSERT_GE(trace.size(), 5u);
    EXPECT_EQ(trace[0].cell, 23839);
    EXPECT_EQ(trace[0].centre, (Point{799, 18}));
    EXPECT_EQ(trace[0].circle, 104);
    EXPECT_EQ(trace[0].roll, 0.3332183994766498);
    EXPECT_FALSE(trace[0].pulled);

    EXPECT_EQ(trace[4].cell, 972 + 1280 * 196);
    EXPECT_EQ(trace[4].circle, 10);
    EXPECT_EQ(trace[4].roll, 0.023238122483889456);
    EXPECT_TRUE(trace[4].pulled);
    EXPECT_EQ(trace[4].image, (Point{668, -276}));  // point 0, above the top edge
    EXPECT_EQ(trace[4].centre, (Point{851, 8}));    // -121.6 truncates to -121

    EXPECT_EQ(trace[3].cell, 263 + 1280 * 496);
    EXPECT_EQ(trace[3].circle, 138);
    EXPECT_TRUE(trace[3].pulled);
    EXPECT_EQ(trace[3].image, (Point{641, 563}));  // point 3's own copy
    EXPECT_EQ(trace[3].centre, (Point{414, 522}));

    // The program's NearestImage agrees on the wrapped copy.
    EXPECT_EQ(t.NearestImage(668, 748, 972, 196), (Point{668, -276}));
}

TEST(GenerateDefaults, FullMapMatchesTheReferenceAndSpansZeroToOne) {
    GEO_MakeLand fast, slow;
    slow.twoThreads = 1;  // the reference is slow; let it use both cores
    NUM_AdvancedRandom a, b;
    fast.Generate(ProgramTable(), &a);
    reference::Generate(slow, ProgramTable(), &b, nullptr);
    EXPECT_EQ(PointsOf(fast), PointsOf(slow));
    EXPECT_EQ(a.state, b.state);
    EXPECT_EQ(fast.gridWidth, 1280);
    EXPECT_EQ(fast.gridHeight, 1024);
    ASSERT_TRUE(SameCells(fast, slow));

    bool zero = false, one = false;
    for (const LandCell& c : fast) {
        zero |= c.altitude == 0.0;
        one |= c.altitude == 1.0;
    }
    EXPECT_TRUE(zero);
    EXPECT_TRUE(one);

    // Two threads, same bytes.
    GEO_MakeLand split;
    split.twoThreads = 1;
    NUM_AdvancedRandom c;
    split.Generate(ProgramTable(), &c);
    EXPECT_TRUE(SameCells(split, fast));
}

TEST(GenerateDraws, KeepRandomStateContinuesFromTheSourcesState) {
    // The first generation after start-up starts from state 0 of defaultRandom.
    defaultRandom = NUM_AdvancedRandom{};
    GEO_MakeLand t;
    t.width = t.height = 120;
    t.keepRandomState = 1;
    t.seed = 12345;  // not used
    t.Generate(ProgramTable());

    NUM_AdvancedRandom fromZero;
    const int32_t y = fromZero.NextInt(120), x = fromZero.NextInt(120);
    EXPECT_EQ(t.concentrationPoints[0], (Point{x, y}));

    GEO_MakeLand slow;
    slow.width = slow.height = 120;
    slow.keepRandomState = 1;
    NUM_AdvancedRandom zero;
    reference::Generate(slow, ProgramTable(), &zero, nullptr);
    EXPECT_TRUE(SameCells(t, slow));
    EXPECT_EQ(defaultRandom.state, zero.state);

    // And the next one goes on where that one stopped.
    t.Generate(ProgramTable());
    reference::Generate(slow, ProgramTable(), &zero, nullptr);
    EXPECT_TRUE(SameCells(t, slow));
}

TEST(GenerateDraws, ManualPlacementKeepsThePointsAndDrawsNothingForThem) {
    for (const std::vector<Point>& placed :
         {std::vector<Point>{}, std::vector<Point>{{5, 9}, {5, 9}, {110, 3}}}) {
        GEO_MakeLand t;
        t.width = 130;
        t.height = 110;
        t.manualPlacement = 1;
        t.concentrationPointCount = 7;  // ignored
        for (const Point& p : placed)
            t.concentrationPoints.Add(p);
        std::vector<reference::StampTrace> trace;
        reference::Options options;
        options.trace = &trace;
        GEO_MakeLand slow = t;
        NUM_AdvancedRandom a, b;
        t.Generate(ProgramTable(), &a);
        reference::Generate(slow, ProgramTable(), &b, nullptr, options);
        EXPECT_EQ(PointsOf(t), placed);
        EXPECT_TRUE(SameCells(t, slow));
        EXPECT_EQ(a.state, b.state);

        // The first stamp is the first draw after seeding.
        NUM_AdvancedRandom fresh;
        fresh.SetSeed(0, 0);
        ASSERT_FALSE(trace.empty());
        EXPECT_EQ(trace[0].cell, fresh.NextInt(130 * 110));
    }
}

TEST(GenerateDraws, WithoutPointsTwoDrawsPerStampAndNoRegions) {
    GEO_MakeLand t;
    t.width = 140;
    t.height = 100;
    t.concentrationPointCount = 0;
    t.concentrationPoints.Add({3, 3});  // redrawn away
    NUM_AdvancedRandom source;
    t.Generate(ProgramTable(), &source);
    EXPECT_EQ(t.concentrationPoints.GetSize(), 0);

    NUM_AdvancedRandom counted;
    counted.SetSeed(0, 0);
    for (int32_t i = 0; i < t.progressTotal; ++i) {
        counted.NextInt(140 * 100);
        counted.NextInt(t.unitAmount);
    }
    EXPECT_EQ(source.state, counted.state);
    for (const LandCell& c : t)
        ASSERT_EQ(c.region, 0);
}

TEST(GenerateCells, EqualTotalsGiveZeroAltitudeAndNoRegions) {
    // One circle covering the 100 x 100 grid exactly once: every total is S.
    std::vector<Point> whole;
    for (int32_t y = 0; y < 100; ++y)
        for (int32_t x = 0; x < 100; ++x)
            whole.push_back({x - 50, y - 50});
    const GEO_LandCircleArray table = TableOf({whole});
    for (int32_t threads : {0, 1}) {
        GEO_MakeLand t;
        t.width = t.height = 100;
        t.unitAmount = 1;
        t.processAmount = 0.001;
        t.twoThreads = threads;
        t.Generate(table);
        ASSERT_EQ(t.GetSize(), 10000);
        EXPECT_EQ(t.concentrationPoints.GetSize(), 4);
        for (const LandCell& c : t) {
            const LandCell zero{};
            ASSERT_EQ(std::memcmp(&c, &zero, sizeof c), 0);
        }
    }
}

TEST(GenerateCells, EmptyCirclesChangeNothingButStillCount) {
    const GEO_LandCircleArray empty = TableOf({{}, {}, {}});
    GEO_MakeLand t;
    t.width = 100;
    t.height = 120;
    t.unitAmount = 3;
    std::vector<int32_t> counts;
    t.Generate(empty, nullptr, [&counts](GEO_MakeLand&, const ProgressReport& report) {
        if (report.phase == ProgressPhase::Normalising)
            counts.push_back(report.done);
        return true;
    });
    ASSERT_EQ(counts.size(), 1u);
    EXPECT_EQ(counts[0], 119);  // (int)(12000 * 0.01f widened) = (int)119.99999...
    for (const LandCell& c : t)
        ASSERT_EQ(c.altitude, 0.0);

    // Mixed with non-empty circles: the same as the reference.
    const GEO_LandCircleArray mixed = TableOf({{}, {{0, 0}, {1, 0}}, {}, {{0, 0}}});
    GEO_MakeLand fast, slow;
    fast.width = slow.width = 100;
    fast.height = slow.height = 100;
    fast.unitAmount = slow.unitAmount = 4;
    fast.processAmount = slow.processAmount = 0.3;
    NUM_AdvancedRandom a, b;
    fast.Generate(mixed, &a);
    reference::Generate(slow, mixed, &b, nullptr);
    EXPECT_TRUE(SameCells(fast, slow));
}

TEST(GenerateCells, TiesGoToTheLowerIndex) {
    GEO_MakeLand t;
    t.width = t.height = 100;
    t.manualPlacement = 1;
    t.concentrationPoints.Add({60, 20});
    t.concentrationPoints.Add({40, 20});
    t.concentrationPoints.Add({40, 20});  // a duplicate never wins
    t.Generate(ProgramTable());
    EXPECT_EQ(t[50 + 100 * 20].region, 0);  // 10 from both
    EXPECT_EQ(t[50 + 100 * 70].region, 0);  // 60 from both
    EXPECT_EQ(t[0 + 100 * 20].region, 0);   // 40 from both, one through the edge
    EXPECT_EQ(t[30 + 100 * 20].region, 1);
    EXPECT_EQ(t[99 + 100 * 20].region, 0);  // 39 against 41 through the edge
    for (const LandCell& c : t)
        ASSERT_NE(c.region, 2);
}

// Phases, as the callback sees them, with the tick counter at each report.
struct PhaseLog {
    std::vector<int32_t> phases;
    std::vector<int32_t> counts;
    std::vector<uint32_t> ticks;
    int32_t totalAtStart = -1;
    int32_t cellsAtStart = -1;
    int32_t gridWidthAtEnd = -1;
};
PhaseLog* phaseLog;

bool LogPhase(GEO_MakeLand& t, const ProgressReport& report) {
    const auto phase = static_cast<int32_t>(report.phase);
    EXPECT_EQ(report.done, t.progressCount);
    EXPECT_EQ(report.total, t.progressTotal);
    phaseLog->phases.push_back(phase);
    phaseLog->counts.push_back(report.done);
    phaseLog->ticks.push_back(testsupport::SteppedTicks::Now());
    if (phase == 0) {
        phaseLog->totalAtStart = t.progressTotal;
        phaseLog->cellsAtStart = t.GetSize();
    }
    if (phase == 3)
        phaseLog->gridWidthAtEnd = t.gridWidth;
    return true;
}

TEST(GenerateProgress, PhasesInOrderThrottledWithTheirCounts) {
    std::vector<Point> column;
    for (int32_t y = 0; y < 40; ++y)
        column.push_back({y % 7, y});
    const GEO_LandCircleArray table = TableOf({column});
    for (int32_t threads : {0, 1}) {
        SCOPED_TRACE(threads ? "two threads" : "one thread");
        // 50 ticks a read: a report falls due at every fourth look at the clock.
        const testsupport::SteppedTicks ticks(7, 50);
        PhaseLog log;
        phaseLog = &log;
        GEO_MakeLand t;
        t.width = t.height = 100;
        t.unitAmount = 1;
        t.twoThreads = threads;
        t.SetSize(7);  // an old grid, still there at phase 0
        t.processAmount = 2.0;
        t.Generate(table, nullptr, &LogPhase);
        const int32_t stamps = 20000;
        ASSERT_GE(log.phases.size(), 4u);
        EXPECT_EQ(log.phases.front(), 0);
        EXPECT_EQ(log.totalAtStart, stamps);
        EXPECT_EQ(log.cellsAtStart, 7);
        EXPECT_EQ(log.phases[1], 1);
        EXPECT_EQ(log.counts[1], 0);
        const size_t n = log.phases.size();
        EXPECT_EQ(log.phases[n - 2], 2);
        EXPECT_EQ(log.counts[n - 2], stamps);
        EXPECT_EQ(log.phases[n - 1], 3);
        EXPECT_EQ(log.gridWidthAtEnd, 100);
        for (size_t i = 2; i + 2 < n; ++i) {
            EXPECT_EQ(log.phases[i], 1);
            EXPECT_GE(log.counts[i], log.counts[i - 1]);
            EXPECT_LE(log.counts[i], stamps);
            // Each report as soon as it is due, 200 ticks after the last.
            if (i > 2) {
                EXPECT_EQ(log.ticks[i] - log.ticks[i - 1], 200u) << "report " << i;
            }
        }
        EXPECT_GT(n, 10u) << "too few reports while stamping";
    }
}

// Guards: each bad parameter is refused before anything changes.
TEST(GenerateGuards, RefuseBadParametersAndChangeNothing) {
    struct Case {
        const char* what;
        void (*spoil)(GEO_MakeLand&);
    };
    const Case cases[] = {
        {"width", [](GEO_MakeLand& t) { t.width = 0; }},
        {"height", [](GEO_MakeLand& t) { t.height = -3; }},
        {"cells", [](GEO_MakeLand& t) { t.width = t.height = 50000; }},
        {"unitAmount", [](GEO_MakeLand& t) { t.unitAmount = 0; }},
        {"unitAmount", [](GEO_MakeLand& t) { t.unitAmount = 201; }},
        {"processAmount", [](GEO_MakeLand& t) { t.processAmount = -0.5; }},
        {"processAmount", [](GEO_MakeLand& t) { t.processAmount = std::nan(""); }},
        {"processAmount", [](GEO_MakeLand& t) { t.processAmount = HUGE_VAL; }},
        {"processAmount", [](GEO_MakeLand& t) { t.processAmount = 220000.0; }},  // 2.2e9 stamps
        {"concentrationAmount", [](GEO_MakeLand& t) { t.concentrationAmount = 1.5; }},
        {"concentrationAmount", [](GEO_MakeLand& t) { t.concentrationAmount = std::nan(""); }},
        {"concentrationPointCount", [](GEO_MakeLand& t) { t.concentrationPointCount = -1; }},
        {"concentrationPointCount",
         [](GEO_MakeLand& t) { t.concentrationPointCount = 2147483647; }},
    };
    for (const Case& c : cases) {
        GEO_MakeLand t;
        t.width = t.height = 100;
        NUM_AdvancedRandom source;
        t.Generate(ProgramTable(), &source);
        const uint64_t state = source.state;
        c.spoil(t);
        t.progressTotal = 77;
        const GEO_MakeLand spoiled = t;
        static bool called;
        called = false;
        try {
            t.Generate(ProgramTable(), &source,
                       [](GEO_MakeLand&, const ProgressReport&) { return called = true; });
            ADD_FAILURE() << c.what << " was not refused";
        } catch (const std::invalid_argument& e) {
            EXPECT_NE(std::string(e.what()).find(c.what), std::string::npos) << e.what();
        }
        EXPECT_FALSE(called);
        EXPECT_EQ(testsupport::DifferingFields(t, spoiled), "");
        EXPECT_EQ(source.state, state);
    }

    // A table shorter than unitAmount is refused the same way.
    GEO_MakeLand t;
    t.unitAmount = 3;
    EXPECT_THROW(t.Generate(TableOf({{{0, 0}}, {{0, 0}}})), std::invalid_argument);
    EXPECT_EQ(t.GetSize(), 0);
}

TEST(GenerateGuards, AFailingCallbackLeavesNoHalfGrownGrid) {
    static int32_t failAt;
    for (int32_t threads : {0, 1}) {
        for (int32_t phase : {1, 2}) {
            GEO_MakeLand t;
            t.width = t.height = 300;  // enough stamps for the worker to be busy
            t.twoThreads = threads;
            t.Generate(ProgramTable());
            ASSERT_EQ(t.gridWidth, 300);
            failAt = phase;
            EXPECT_THROW(t.Generate(ProgramTable(), nullptr,
                                    [](GEO_MakeLand&, const ProgressReport& report) {
                                        if (static_cast<int32_t>(report.phase) == failAt)
                                            throw std::runtime_error("cancelled");
                                        return true;
                                    }),
                         std::runtime_error);
            EXPECT_EQ(t.GetSize(), 0);
            EXPECT_EQ(t.gridWidth, 0);
            EXPECT_EQ(t.gridHeight, 0);
            // A sink that says stop is a failing callback of its own.
            t.Generate(ProgramTable());
            EXPECT_THROW(t.Generate(ProgramTable(), nullptr,
                                    [](GEO_MakeLand&, const ProgressReport& report) {
                                        return static_cast<int32_t>(report.phase) != failAt;
                                    }),
                         Stopped);
            EXPECT_EQ(t.GetSize(), 0);
            EXPECT_EQ(t.gridWidth, 0);
        }
    }
}

TEST(GenerateGuards, PointsOffTheGridStillLandEveryStampOnIt) {
    // Hand-placed or loaded points may lie anywhere; the pull must wrap.
    GEO_MakeLand fast;
    fast.width = 100;
    fast.height = 130;
    fast.manualPlacement = 1;
    fast.concentrationRate = 1.0;
    fast.concentrationAmount = 1.0;
    fast.processAmount = 0.05;
    for (const Point& p : {Point{-900, 40}, Point{2147483647, -2147483647 - 1}, Point{150, 300}})
        fast.concentrationPoints.Add(p);
    GEO_MakeLand slow = fast;
    NUM_AdvancedRandom a, b;
    fast.Generate(ProgramTable(), &a);
    reference::Generate(slow, ProgramTable(), &b, nullptr);
    EXPECT_TRUE(SameCells(fast, slow));
}

}  // namespace
