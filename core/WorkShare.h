#pragma once
// Shares a loop of chunks between the calling thread, which takes them from
// the front, and one worker thread, which takes them from the back, so the two
// touch distant memory. The worker leaves the last `reserve` chunks to the
// caller: the caller then usually finishes last and finds the worker done
// without sleeping. The worker publishes its finished work through a counter
// (release) that the caller reads (acquire), and is joined once that counter
// has reached the worker's total.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <system_error>
#include <thread>

class ChunkShare {
public:
    ChunkShare(int32_t chunks, int32_t reserve)
        : bounds_(uint64_t(uint32_t(chunks))), reserve_(reserve) {}

    // The caller's next chunk, or -1 when none is left.
    int32_t TakeFront() {
        uint64_t b = bounds_.load(std::memory_order_relaxed);
        for (;;) {
            const uint32_t front = uint32_t(b >> 32), back = uint32_t(b);
            if (front >= back) return -1;
            if (bounds_.compare_exchange_weak(b, (uint64_t(front + 1) << 32) | back,
                                              std::memory_order_relaxed))
                return int32_t(front);
        }
    }

    // The worker's next chunk, or -1 once only the caller's reserve is left.
    int32_t TakeBack() {
        uint64_t b = bounds_.load(std::memory_order_relaxed);
        for (;;) {
            const uint32_t front = uint32_t(b >> 32), back = uint32_t(b);
            if (stopped_.load(std::memory_order_relaxed) || back <= front ||
                int64_t(back) - int64_t(front) <= reserve_)
                return -1;
            if (bounds_.compare_exchange_weak(b, (uint64_t(front) << 32) | (back - 1),
                                              std::memory_order_relaxed))
                return int32_t(back - 1);
        }
    }

    void Stop() { stopped_.store(true, std::memory_order_relaxed); }

private:
    std::atomic<uint64_t> bounds_;  // front << 32 | back
    std::atomic<bool> stopped_{false};
    int32_t reserve_;
};

// Runs mainChunk(c, workerUnitsDone) on the calling thread and, with
// twoThreads, workerChunk(c) -> units on one worker thread, for every chunk c
// in [0, chunks). While the worker is still busy after the caller's share,
// waiting(workerUnitsDone) runs before every 10 ms sleep.
template <class MainChunk, class WorkerChunk, class Waiting>
void ShareChunks(bool twoThreads, int32_t chunks, MainChunk&& mainChunk,
                 WorkerChunk&& workerChunk, Waiting&& waiting) {
    ChunkShare share(chunks, 2);
    std::atomic<int64_t> done{0};
    std::atomic<int64_t> target{-1};
    std::thread worker;
    if (twoThreads) {
        try {
            worker = std::thread([&] {
                int64_t mine = 0;
                for (int32_t c; (c = share.TakeBack()) >= 0;) {
                    const int64_t units = workerChunk(c);
                    mine += units;
                    done.fetch_add(units, std::memory_order_release);
                }
                target.store(mine, std::memory_order_release);
            });
        } catch (const std::system_error&) {
            // No thread to be had: the caller does it all, with the same result.
        }
    }
    struct Joiner {
        std::thread& thread;
        ChunkShare& share;
        ~Joiner() {
            share.Stop();
            if (thread.joinable()) thread.join();
        }
    } joiner{worker, share};

    if (!worker.joinable()) share.Stop();
    for (int32_t c; (c = share.TakeFront()) >= 0;)
        mainChunk(c, done.load(std::memory_order_acquire));
    if (!worker.joinable()) return;
    for (;;) {
        const int64_t total = target.load(std::memory_order_acquire);
        const int64_t units = done.load(std::memory_order_acquire);
        if (total >= 0 && units == total) break;
        waiting(units);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    worker.join();
}
