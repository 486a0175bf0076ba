// The throttle of progress reports, on a tick counter the test moves by hand.

#include "core/ProgressSink.h"
#include "tests/support/SteppedTicks.h"

#include <gtest/gtest.h>

namespace {

TEST(ProgressThrottle, DueOnce200TicksAfterTheLastReport) {
    const testsupport::SteppedTicks ticks(1000, 0);
    ProgressThrottle throttle;
    const auto dueAt = [&throttle](uint32_t tick) {
        testsupport::SteppedTicks::Set(tick);
        return throttle.Due();
    };
    EXPECT_FALSE(dueAt(1000));
    EXPECT_FALSE(dueAt(1199));
    EXPECT_TRUE(dueAt(1200));
    EXPECT_FALSE(dueAt(1200)) << "one report per interval";
    EXPECT_FALSE(dueAt(1399));
    EXPECT_TRUE(dueAt(1400));
    // A late look reports at once and starts the next interval from there.
    EXPECT_TRUE(dueAt(5000));
    EXPECT_FALSE(dueAt(5199));
    EXPECT_TRUE(dueAt(5200));
}

TEST(ProgressThrottle, TheIntervalRunsOnAcrossTheCountersWrap) {
    const testsupport::SteppedTicks ticks(0xFFFFFFFFu - 99u, 0);
    ProgressThrottle throttle;
    testsupport::SteppedTicks::Set(99);
    EXPECT_FALSE(throttle.Due());
    testsupport::SteppedTicks::Set(100);
    EXPECT_TRUE(throttle.Due());
}

}  // namespace
