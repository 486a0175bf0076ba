#pragma once
// Milliseconds of the steady clock cut to 32 bits: the counter that progress
// reports are throttled by.

#include <chrono>
#include <cstdint>

inline uint32_t Tick() {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
