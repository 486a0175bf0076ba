#include "core/PointMarks.h"

#include "data/DiscStencil.h"

#include <cstddef>
#include <cstdint>

namespace {
constexpr int32_t markSize = 10;
}  // namespace

void DrawPointMarks(Picture& picture, const PointArray& points) {
    bool inside[markSize][markSize];
    for (int32_t dy = 0; dy < markSize; ++dy)
        for (int32_t dx = 0; dx < markSize; ++dx)
            inside[dy][dx] = InsideFilledDisc(markSize, dx, dy);

    const uint32_t pixel = PixelFromColorRef(pointMarkColour);
    const int64_t w = picture.width;
    const int64_t h = picture.height;
    if (w <= 0 || h <= 0 || picture.pixels.size() < size_t(w) * size_t(h))
        return;
    for (const Point& p : points) {
        // 64-bit so that points far off the picture cannot overflow.
        const int64_t left = int64_t{p.x} - markSize / 2;
        const int64_t top = int64_t{p.y} - markSize / 2;
        for (int32_t dy = 0; dy < markSize; ++dy) {
            const int64_t y = top + dy;
            if (y < 0 || y >= h)
                continue;
            for (int32_t dx = 0; dx < markSize; ++dx) {
                const int64_t x = left + dx;
                if (x >= 0 && x < w && inside[dy][dx])
                    picture.pixels[size_t(y * w + x)] = pixel;
            }
        }
    }
}
