#pragma once
// Sharing loops of chunks between the calling thread and one worker thread.
//
// The worker is started once per generation and then serves every loop
// posted to it, so no loop pays for starting a thread. The caller takes
// chunks from the front and the worker from the back, so the two touch
// distant memory. The worker leaves the last sixteenth of the chunks (at
// least two) to the caller: the caller then usually finishes last and finds
// the worker done without sleeping, even when the worker woke late or was
// preempted for a moment. The worker publishes its finished work through a
// counter (release) that the caller reads (acquire); the caller waits for the
// end of the worker's share by polling with 10 ms sleeps, and the thread is
// joined when the generation is over.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <exception>
#include <system_error>
#include <thread>
#include <type_traits>

class ChunkShare {
  public:
    ChunkShare(int32_t chunks, int32_t reserve)
        : bounds_(uint64_t(uint32_t(chunks))), reserve_(reserve) {}

    // The caller's next chunk, or -1 when none is left.
    int32_t TakeFront() {
        uint64_t b = bounds_.load(std::memory_order_relaxed);
        for (;;) {
            const uint32_t front = uint32_t(b >> 32), back = uint32_t(b);
            if (front >= back)
                return -1;
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

class ChunkWorker {
  public:
    // Without `start`, or when no thread can be had, the caller does all the
    // work, with the same results.
    explicit ChunkWorker(bool start) {
        if (!start)
            return;
        try {
            thread_ = std::thread([this] { Serve(); });
        } catch (const std::system_error&) {
        }
    }

    ~ChunkWorker() {
        if (!thread_.joinable())
            return;
        state_.store(quit, std::memory_order_release);
        state_.notify_one();
        thread_.join();
    }

    ChunkWorker(const ChunkWorker&) = delete;
    ChunkWorker& operator=(const ChunkWorker&) = delete;

    // Runs mainChunk(c, workerUnitsDone) here and workerChunk(c) -> units on
    // the worker for every chunk c in [0, chunks). While the worker is still
    // busy after the caller's share, waiting(workerUnitsDone) runs before
    // every 10 ms sleep.
    template <class MainChunk, class WorkerChunk, class Waiting>
    void Share(int32_t chunks, MainChunk&& mainChunk, WorkerChunk&& workerChunk,
               Waiting&& waiting) {
        const int32_t reserve = std::max(2, chunks / 16);
        ChunkShare share(chunks, reserve);
        const bool shared = thread_.joinable() && chunks > reserve;
        if (shared) {
            share_ = &share;
            run_ = &Invoke<std::remove_reference_t<WorkerChunk>>;
            context_ = &workerChunk;
            done_.store(0, std::memory_order_relaxed);
            failure_ = nullptr;
            state_.store(posted, std::memory_order_release);
            state_.notify_one();
        }
        try {
            for (int32_t c; (c = share.TakeFront()) >= 0;)
                mainChunk(c, done_.load(std::memory_order_acquire));
            if (shared && !Withdraw()) {
                while (state_.load(std::memory_order_acquire) != finished) {
                    waiting(done_.load(std::memory_order_acquire));
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                }
                state_.store(idle, std::memory_order_relaxed);
            }
        } catch (...) {
            if (shared) {
                share.Stop();
                Settle();
            }
            throw;
        }
        if (shared && failure_)
            std::rethrow_exception(failure_);
    }

  private:
    enum State : int { idle, posted, taken, finished, quit };

    template <class WorkerChunk> static int64_t Invoke(void* context, int32_t chunk) {
        return (*static_cast<WorkerChunk*>(context))(chunk);
    }

    // True when the worker never took the loop up: nothing to wait for.
    bool Withdraw() {
        int expected = posted;
        return state_.compare_exchange_strong(expected, idle, std::memory_order_acq_rel);
    }

    void Settle() {
        if (Withdraw())
            return;
        while (state_.load(std::memory_order_acquire) != finished)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        state_.store(idle, std::memory_order_relaxed);
    }

    void Serve() {
        for (;;) {
            int s = state_.load(std::memory_order_acquire);
            if (s == quit)
                return;
            if (s == posted) {
                if (!state_.compare_exchange_strong(s, taken, std::memory_order_acq_rel))
                    continue;
                try {
                    for (int32_t c; (c = share_->TakeBack()) >= 0;)
                        done_.fetch_add(run_(context_, c), std::memory_order_release);
                } catch (...) {
                    failure_ = std::current_exception();
                }
                state_.store(finished, std::memory_order_release);
                continue;
            }
            state_.wait(s, std::memory_order_acquire);
        }
    }

    std::atomic<int> state_{idle};
    ChunkShare* share_ = nullptr;
    int64_t (*run_)(void*, int32_t) = nullptr;
    void* context_ = nullptr;
    std::atomic<int64_t> done_{0};
    std::exception_ptr failure_;
    std::thread thread_;
};
