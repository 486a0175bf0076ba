#include "ReferenceRender.h"

#include <cstdlib>

namespace {

const int tints[7][3] = {{128, 128, 128}, {255, 128, 128}, {128, 128, 255}, {128, 255, 128},
                         {192, 192, 128}, {128, 192, 192}, {192, 128, 192}};

int WrapOne(int v, int size) {
    int r = std::abs(v) % size;
    if (v < 0 && r != 0)
        r = size - r;
    return r;
}

}  // namespace

COLORREF ReferenceCellColour(const GEO_MakeLand& terrain, int32_t i, bool showRegions) {
    const LandCell* cells = terrain.GetData();
    const double a = cells[i].altitude;
    const double W = terrain.waterLevel;
    int red, green, blue;
    if (!(a > W)) {
        if (W == 0) {
            red = green = blue = 0;
        } else {
            double f = a / W;
            red = green = (int)(f * 64);
            blue = (int)(f * 192);
        }
    } else {
        double m = (1 - W) * 0.5;
        if (a <= W + m) {
            double t = (a - W) / m;
            red = (int)(255 - t * 127);
            green = 255;
            blue = (int)(255 - t * 255);
        } else {
            double t = (a - W - m) / m;
            red = (int)(t * 127 + 128);
            green = (int)(255 - t * 255);
            blue = 0;
        }
    }
    red &= 0xFF;
    green &= 0xFF;
    blue &= 0xFF;
    if (showRegions && terrain.concentrationPoints.GetSize() > 0) {
        const int w = terrain.width, h = terrain.height;
        const int x = i % w, y = i / w;
        const uint16_t r = cells[i].region;
        const int around[8][2] = {{0, -1},  {0, 1},  {-1, 0}, {1, 0},
                                  {-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
        for (const auto& d : around) {
            const int nx = WrapOne(x + d[0], w), ny = WrapOne(y + d[1], h);
            if (cells[nx + w * ny].region != r)
                return RGB(255, 255, 255);
        }
        const int* k = tints[r % 7];
        red = red * k[0] / 255;
        green = green * k[1] / 255;
        blue = blue * k[2] / 255;
    }
    return COLORREF(red) | COLORREF(green) << 8 | COLORREF(blue) << 16;
}

Picture ReferenceRender(const GEO_MakeLand& terrain, int32_t pictureWidth, int32_t pictureHeight,
                        bool showRegions) {
    Picture picture(pictureWidth, pictureHeight);
    for (int32_t i = 0; i < terrain.GetSize(); ++i) {
        const int x = i % terrain.width, y = i / terrain.width;
        if (x < pictureWidth && y < pictureHeight)
            picture.at(x, y) = PixelFromColorRef(ReferenceCellColour(terrain, i, showRegions));
    }
    return picture;
}
