#pragma once
// A double's bit pattern, for comparisons that tell -0.0 from 0.0 and one NaN
// from another.

#include <bit>
#include <cstdint>

namespace testsupport {

inline uint64_t Bits(double value) {
    return std::bit_cast<uint64_t>(value);
}
inline double FromBits(uint64_t bits) {
    return std::bit_cast<double>(bits);
}

}  // namespace testsupport
