// With the slope (gx, gy) per cell (x to the east, y to the south), the
// surface normal is (-gx, -gy, 1) / |.| and the light comes from
// (-1/2, -1/2, 1/sqrt 2); their dot product over the flat ground's (1/sqrt 2)
// is (1 + (gx + gy) / sqrt 2) / sqrt(1 + gx^2 + gy^2).

#include "landform/ReliefShading.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double ambient = 0.25;

uint32_t Scaled(uint32_t channel, double light) {
    const double v = double(channel) * light;
    return v >= 255.0 ? 255u : static_cast<uint32_t>(v);
}

}  // namespace

double ReliefLight(const AltitudeGrid& grid, int32_t x, int32_t y) {
    const int32_t w = grid.width;
    const int32_t h = grid.height;
    const int32_t left = x == 0 ? w - 1 : x - 1;
    const int32_t right = x + 1 == w ? 0 : x + 1;
    const int32_t up = y == 0 ? h - 1 : y - 1;
    const int32_t down = y + 1 == h ? 0 : y + 1;
    const double half = reliefExaggeration * 0.5;
    const double gx = (grid.at(right, y) - grid.at(left, y)) * half;
    const double gy = (grid.at(x, down) - grid.at(x, up)) * half;
    const double lit = (1.0 + (gx + gy) * std::sqrt(0.5)) / std::sqrt(1.0 + gx * gx + gy * gy);
    return ambient + (1.0 - ambient) * std::max(lit, 0.0);
}

void ShadeRelief(Picture& picture, const AltitudeGrid& grid, double waterLevel) {
    const int32_t w = std::min(picture.width, grid.width);
    const int32_t h = std::min(picture.height, grid.height);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            if (!(grid.at(x, y) > waterLevel))
                continue;
            const double light = ReliefLight(grid, x, y);
            uint32_t& p = picture.at(x, y);
            p = (p & 0xFF000000u) | Scaled((p >> 16) & 0xFFu, light) << 16 |
                Scaled((p >> 8) & 0xFFu, light) << 8 | Scaled(p & 0xFFu, light);
        }
    }
}
