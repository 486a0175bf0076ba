#pragma once
// Wrapping and nearest-copy arithmetic on the torus, in 64 bits so that no
// coordinate a file or a hand placement can hold overflows on the way.

#include <cstdint>

inline int64_t FloorDiv(int64_t v, int64_t n) {
    const int64_t q = v / n;
    return (v % n < 0) ? q - 1 : q;
}

inline int64_t FloorMod(int64_t v, int64_t n) {
    const int64_t r = v % n;
    return r < 0 ? r + n : r;
}

// v mod n with its floor quotient; the cases near the grid are taken without
// a division.
inline int64_t WrapCounted(int64_t v, int64_t n, int64_t& quotient) {
    if (v >= 0) {
        if (v < n) {
            quotient = 0;
            return v;
        }
        if (v < 2 * n) {
            quotient = 1;
            return v - n;
        }
    } else if (v >= -n) {
        quotient = -1;
        return v + n;
    }
    quotient = FloorDiv(v, n);
    return v - quotient * n;
}

struct TorusImage {
    int64_t x;
    int64_t y;
    int64_t distance;  // Manhattan distance to the cell asked about
};

// The copy of point (px, py) among its nine images (px + a*w, py + b*h),
// a, b in {-1, 0, 1}, nearest to (x, y); earlier candidates win ties.
inline TorusImage NearestTorusImage(int64_t px, int64_t py, int64_t x, int64_t y, int64_t w,
                                    int64_t h) {
    static constexpr int8_t order[9][2] = {{0, 0},   {0, -1}, {0, 1},  {-1, 0}, {1, 0},
                                           {-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
    TorusImage best{0, 0, INT64_MAX};
    for (const auto& ab : order) {
        const int64_t cx = px + ab[0] * w;
        const int64_t cy = py + ab[1] * h;
        const int64_t d = (cx > x ? cx - x : x - cx) + (cy > y ? cy - y : y - cy);
        if (d < best.distance)
            best = {cx, cy, d};
    }
    return best;
}
