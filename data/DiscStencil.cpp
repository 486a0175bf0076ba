#include "data/DiscStencil.h"

bool InsideFilledDisc(int32_t d, int32_t x, int32_t y) {
    if (d <= 0 || x < 0 || y < 0 || x >= d || y >= d)
        return false;
    // Doubled coordinates keep the pixel centre (x + 1/2, y + 1/2) and the
    // circle's centre (d/2, d/2) integral, so the test is exact.
    int64_t dx = 2 * int64_t{x} + 1 - d;
    int64_t dy = 2 * int64_t{y} + 1 - d;
    return dx * dx + dy * dy <= int64_t{d} * d;
}

namespace {

bool Interior(int32_t d, int32_t x, int32_t y) {
    return InsideFilledDisc(d, x, y) && InsideFilledDisc(d, x - 1, y) &&
           InsideFilledDisc(d, x + 1, y) && InsideFilledDisc(d, x, y - 1) &&
           InsideFilledDisc(d, x, y + 1);
}

}  // namespace

PointArray BuildDiscStencil(int32_t d) {
    PointArray points;
    points.SetSize(0, 64);
    int32_t centre = d / 2;
    for (int32_t y = 0; y < d; ++y) {
        for (int32_t x = 0; x < d; ++x) {
            if (Interior(d, x, y))
                points.Add(Point{x - centre, y - centre});
        }
    }
    return points;
}
