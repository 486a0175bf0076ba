#pragma once
// A tick counter for tests of throttling: every read moves it on by a fixed
// step, so the intervals a throttle sees are set by the test, never by how
// busy the machine is.

#include "core/Ticks.h"

#include <atomic>
#include <cstdint>

namespace testsupport {

class SteppedTicks {
  public:
    // Reads give start + step, start + 2 step, ...
    SteppedTicks(uint32_t start, uint32_t step) : source_(&Read) {
        now_.store(start);
        step_.store(step);
    }

    // The last value read, without moving on.
    static uint32_t Now() { return now_.load(); }
    // Moves the counter without a read.
    static void Set(uint32_t value) { now_.store(value); }

  private:
    static uint32_t Read() { return now_.fetch_add(step_.load()) + step_.load(); }

    static inline std::atomic<uint32_t> now_{0};
    static inline std::atomic<uint32_t> step_{0};
    ScopedTickSource source_;
};

}  // namespace testsupport
