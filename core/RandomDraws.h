#pragma once
// The draw rules of NUM_Random, written once over any `next(bits)` so that the
// generator's inlined source and the virtual one cannot drift apart.

#include <cstdint>

template <class NextBits>
int32_t DrawBelow(NextBits&& next, int32_t bound) {
    if (bound <= 0) return 0;
    if ((bound & -bound) == bound) {
        const int64_t r = next(31);
        return static_cast<int32_t>((int64_t{bound} * r) >> 31);
    }
    for (;;) {
        const int32_t r = next(31);
        const int32_t v = r % bound;
        // Two's-complement wrap is the point: it rejects the top partial block.
        const uint32_t check = static_cast<uint32_t>(r) - static_cast<uint32_t>(v) +
                               static_cast<uint32_t>(bound - 1);
        if (static_cast<int32_t>(check) >= 0) return v;
    }
}

template <class NextBits>
double DrawUnit(NextBits&& next) {
    const int64_t a = next(26);  // the high 26 of the 53 bits come first
    const int64_t b = next(27);
    return static_cast<double>((a << 27) + b) * 0x1.0p-53;
}

// The 48-bit congruential step of NUM_AdvancedRandom.
constexpr uint64_t lcgMultiplier = 0x5DEECE66DULL;
constexpr uint64_t lcgAddend = 0xBULL;
constexpr uint64_t lcgMask = (uint64_t{1} << 48) - 1;

inline int32_t LcgNext(uint64_t& state, int32_t bits) {
    state = (state * lcgMultiplier + lcgAddend) & lcgMask;
    return static_cast<int32_t>(static_cast<uint32_t>(state >> (48 - bits)));
}
