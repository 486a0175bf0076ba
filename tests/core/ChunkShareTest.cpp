#include "core/ChunkShare.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

// Lets the other thread in between chunks; no clock, so a loaded machine
// changes nothing but the interleaving.
void Busy() {
    std::this_thread::yield();
}

// The caller's first chunk waits here until the worker has run one, so that
// both threads take a share however the machine schedules them. The bound
// counts yields, not time: a worker that never comes fails the test instead
// of hanging it, and a busy machine only makes each yield last longer.
void AwaitWorker(const std::atomic<bool>& workerRan) {
    for (int64_t i = 0; i < 50'000'000 && !workerRan.load(); ++i)
        std::this_thread::yield();
}

TEST(ChunkWorker, EveryChunkRunsOnceAndBothThreadsShare) {
    ChunkWorker worker(true);
    for (int32_t chunks : {0, 1, 2, 3, 40, 500}) {
        std::vector<std::atomic<int>> runs(static_cast<size_t>(chunks));
        std::atomic<bool> workerRan{false};
        int64_t mainRuns = 0, lastUnits = 0;
        bool unitsAdd = true;  // the worker's units seen here: its chunks' sum so far
        const auto seeUnits = [&](int64_t units) {
            if (units < lastUnits || units % 3 != 0)
                unitsAdd = false;
            lastUnits = units;
        };
        worker.Share(
            chunks,
            [&](int32_t c, int64_t units) {
                if (mainRuns == 0 && chunks == 500)
                    AwaitWorker(workerRan);
                ++runs[size_t(c)];
                ++mainRuns;
                seeUnits(units);
                Busy();
            },
            [&](int32_t c) -> int64_t {
                ++runs[size_t(c)];
                workerRan = true;
                Busy();
                return 3;
            },
            seeUnits);
        for (int32_t c = 0; c < chunks; ++c)
            ASSERT_EQ(runs[size_t(c)], 1) << c << " of " << chunks;
        EXPECT_TRUE(unitsAdd);
        EXPECT_LE(lastUnits, 3 * (chunks - mainRuns));
        if (chunks == 500) {
            EXPECT_GT(mainRuns, 0);
            EXPECT_LT(mainRuns, 500) << "the worker took no share";
        }
    }
}

TEST(ChunkWorker, FailuresOnEitherSideReachTheCallerAndTheWorkerServesOn) {
    ChunkWorker worker(true);
    const auto noWait = [](int64_t) {};
    EXPECT_THROW(worker.Share(
                     400,
                     [&](int32_t c, int64_t) {
                         Busy();
                         if (c == 20)
                             throw std::runtime_error("caller");
                     },
                     [&](int32_t) -> int64_t {
                         Busy();
                         return 1;
                     },
                     noWait),
                 std::runtime_error);
    std::atomic<bool> workerRan{false};
    EXPECT_THROW(worker.Share(
                     400, [&](int32_t, int64_t) { AwaitWorker(workerRan); },
                     [&](int32_t) -> int64_t {
                         workerRan = true;
                         throw std::logic_error("worker");
                     },
                     noWait),
                 std::logic_error);
    EXPECT_TRUE(workerRan);
    int total = 0;
    std::atomic<int> workerTotal{0};
    worker.Share(
        300,
        [&](int32_t, int64_t) {
            ++total;
            Busy();
        },
        [&](int32_t) -> int64_t {
            ++workerTotal;
            Busy();
            return 1;
        },
        noWait);
    EXPECT_EQ(total + workerTotal, 300);
}

}  // namespace
