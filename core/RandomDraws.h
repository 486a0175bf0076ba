#pragma once
// The draw rules of NUM_Random, written once over any `next(bits)` so that the
// generator's inlined source and the virtual one cannot drift apart.

#include <cstdint>

// mod(r) must give r % bound for every 31-bit r.
template <class NextBits, class Modulo>
int32_t DrawBelow(NextBits&& next, int32_t bound, const Modulo& mod) {
    if (bound <= 0)
        return 0;
    if ((bound & -bound) == bound) {
        const int64_t r = next(31);
        return static_cast<int32_t>((int64_t{bound} * r) >> 31);
    }
    for (;;) {
        const int32_t r = next(31);
        const auto v = static_cast<int32_t>(mod(static_cast<uint32_t>(r)));
        // Two's-complement wrap is the point: it rejects the top partial block.
        const uint32_t check =
            static_cast<uint32_t>(r) - static_cast<uint32_t>(v) + static_cast<uint32_t>(bound - 1);
        if (static_cast<int32_t>(check) >= 0)
            return v;
    }
}

template <class NextBits> int32_t DrawBelow(NextBits&& next, int32_t bound) {
    return DrawBelow(next, bound, [bound](uint32_t r) { return r % static_cast<uint32_t>(bound); });
}

// a / d and a % d by multiplications instead of a division (Lemire et al.,
// "Faster remainder by direct computation"), exact for all 32-bit a and
// d > 0. The generator divides millions of values by the same few numbers.
class Divisor {
  public:
    explicit Divisor(uint32_t d) : d_(d), m_(UINT64_MAX / d + 1) {}
    uint32_t Quotient(uint32_t a) const {
        if (d_ == 1)
            return a;  // m_ wrapped to 0
        return static_cast<uint32_t>((Wide{m_} * a) >> 64);
    }
    uint32_t Remainder(uint32_t a) const {
        return static_cast<uint32_t>((Wide{m_ * a} * d_) >> 64);
    }
    uint32_t operator()(uint32_t a) const { return Remainder(a); }

  private:
    __extension__ using Wide = unsigned __int128;
    uint32_t d_;
    uint64_t m_;
};

template <class NextBits> double DrawUnit(NextBits&& next) {
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
