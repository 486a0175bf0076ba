#include "core/GEO_MakeLand.h"

#include "core/CellColours.h"
#include "core/TorusMath.h"

#include <cstdint>

namespace {
CObject* CreateMakeLand() {
    return new GEO_MakeLand;
}
}  // namespace

const RuntimeClass GEO_MakeLand::classGEO_MakeLand{"GEO_MakeLand", 1, &CObject::classCObject,
                                                   &CreateMakeLand};

const RuntimeClass* GEO_MakeLand::GetRuntimeClass() const {
    return &classGEO_MakeLand;
}

GEO_MakeLand::GridSize GEO_MakeLand::CellGridSize() const {
    const int64_t n = GetSize();
    if (n == 0)
        return {width, height, false};
    const auto fits = [n](int32_t sw, int32_t sh) {
        return sw > 0 && sh > 0 && int64_t{sw} * sh == n;
    };
    if (fits(gridWidth, gridHeight))
        return {gridWidth, gridHeight, true};
    if (fits(width, height))
        return {width, height, true};
    return {gridWidth, gridHeight, false};
}

// The terrain's geometry on its wrapping grid, and one cell's colour.

using namespace colours;

Point GEO_MakeLand::WrapCell(int32_t x, int32_t y) const {
    int32_t w = width;
    int32_t h = height;
    if (GetSize() > 0) {
        const Shape s = ShapeOf(*this);
        w = s.w;
        h = s.h;
    }
    return {Wrap(x, w), Wrap(y, h)};
}

COLORREF GEO_MakeLand::CellColour(int32_t i, bool showRegions) const {
    const int32_t n = GetSize();
    if (i < 0 || i >= n)
        return 0;
    const LandCell* cells = GetData();
    const Rgb plain = PlainColour(cells[i].altitude, Bands(waterLevel));
    if (!showRegions || concentrationPoints.GetSize() == 0)
        return Compose<false>(plain);

    const Shape s = ShapeOf(*this);
    const int32_t x = i % s.w;
    const int32_t y = i / s.w;
    const uint16_t r = cells[i].region;
    static constexpr int32_t around[8][2] = {{0, -1},  {0, 1},  {-1, 0}, {1, 0},
                                             {-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
    for (const auto& d : around) {
        const int64_t j = Wrap(x + d[0], s.w) + int64_t{s.w} * Wrap(y + d[1], s.h);
        if (j < n && cells[j].region != r)
            return RGB(255, 255, 255);
    }
    return Compose<false>(Tinted(plain, TintOf(r)));
}

Point GEO_MakeLand::NearestImage(int32_t px, int32_t py, int32_t x, int32_t y) const {
    const TorusImage image = NearestTorusImage(px, py, x, y, width, height);
    return {static_cast<int32_t>(image.x), static_cast<int32_t>(image.y)};
}

int32_t GEO_MakeLand::NearestConcentrationPoint(int32_t x, int32_t y, Point* image) const {
    int32_t nearest = -1;
    TorusImage best{0, 0, INT64_MAX};
    for (int32_t i = 0; i < concentrationPoints.GetSize(); ++i) {
        const Point& p = concentrationPoints[i];
        const TorusImage candidate = NearestTorusImage(p.x, p.y, x, y, width, height);
        if (candidate.distance < best.distance) {
            best = candidate;
            nearest = i;
        }
    }
    if (image && nearest >= 0)
        *image = {static_cast<int32_t>(best.x), static_cast<int32_t>(best.y)};
    return nearest;
}
