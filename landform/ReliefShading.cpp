// With the slope (gx, gy) per cell (x to the east, y to the south), the
// surface normal is (-gx, -gy, 1) / |.| and the light comes from
// (-1/2, -1/2, 1/sqrt 2); their dot product over the flat ground's (1/sqrt 2)
// is (1 + (gx + gy) / sqrt 2) / sqrt(1 + gx^2 + gy^2).

#include "landform/ReliefShading.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

constexpr double ambient = 0.25;

uint32_t Scaled(uint32_t channel, double light) {
    const double v = double(channel) * light;
    return v >= 255.0 ? 255u : static_cast<uint32_t>(v);
}

// The slope across from a to b, `apart` cells: with open edges or a NoData
// neighbour the difference is one-sided, over one cell instead of two.
double Slope(const AltitudeGrid& grid, int32_t ax, int32_t ay, int32_t bx, int32_t by, int32_t x,
             int32_t y) {
    const bool open = grid.boundary == Boundary::Open;
    const int32_t w = grid.width;
    const int32_t h = grid.height;
    const auto usable = [&](int32_t& px, int32_t& py) {
        const bool outside = px < 0 || py < 0 || px >= w || py >= h;
        if (outside && !open) {
            px = (px + w) % w;
            py = (py + h) % h;
        } else if (outside ||
                   (!grid.noData.empty() && grid.noData[size_t(py) * size_t(w) + size_t(px)])) {
            px = x;
            py = y;
            return false;
        }
        return true;
    };
    const int32_t apart = int32_t(usable(ax, ay)) + int32_t(usable(bx, by));
    const double half = reliefExaggeration * 0.5;
    const double drop = grid.at(bx, by) - grid.at(ax, ay);
    return apart == 2 ? drop * half : drop * reliefExaggeration;
}

}  // namespace

double ReliefLight(const AltitudeGrid& grid, int32_t x, int32_t y) {
    const double gx = Slope(grid, x - 1, y, x + 1, y, x, y);
    const double gy = Slope(grid, x, y - 1, x, y + 1, x, y);
    const double lit = (1.0 + (gx + gy) * std::sqrt(0.5)) / std::sqrt(1.0 + gx * gx + gy * gy);
    return ambient + (1.0 - ambient) * std::max(lit, 0.0);
}

void ShadeRelief(Picture& picture, const AltitudeGrid& grid, double waterLevel) {
    const int32_t w = std::min(picture.width, grid.width);
    const int32_t h = std::min(picture.height, grid.height);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            if (!(grid.at(x, y) > waterLevel) ||
                (!grid.noData.empty() && grid.noData[size_t(y) * size_t(grid.width) + size_t(x)]))
                continue;
            const double light = ReliefLight(grid, x, y);
            uint32_t& p = picture.at(x, y);
            p = (p & 0xFF000000u) | Scaled((p >> 16) & 0xFFu, light) << 16 |
                Scaled((p >> 8) & 0xFFu, light) << 8 | Scaled(p & 0xFFu, light);
        }
    }
}
