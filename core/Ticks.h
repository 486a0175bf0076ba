#pragma once
// Milliseconds of the steady clock cut to 32 bits: the counter that progress
// reports are throttled by.
//
// Tick() reads the clock through a seam, so that a test of throttling can
// drive its own counter: on a loaded machine the wall clock stretches every
// interval a test could measure. Nothing but tests replaces the clock.

#include <atomic>
#include <chrono>
#include <cstdint>

using TickSource = uint32_t (*)();

inline uint32_t SteadyTick() {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

inline std::atomic<TickSource> tickSource{&SteadyTick};

inline uint32_t Tick() {
    return tickSource.load(std::memory_order_relaxed)();
}

// Puts a clock in for the lifetime of the object, then the previous one back.
class ScopedTickSource {
  public:
    explicit ScopedTickSource(TickSource source)
        : previous_(tickSource.exchange(source, std::memory_order_relaxed)) {}
    ~ScopedTickSource() { tickSource.store(previous_, std::memory_order_relaxed); }
    ScopedTickSource(const ScopedTickSource&) = delete;
    ScopedTickSource& operator=(const ScopedTickSource&) = delete;

  private:
    TickSource previous_;
};
