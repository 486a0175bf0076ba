#pragma once
// The colour arithmetic that the cell-by-cell colour (CellColour) and the
// row-by-row rendering share, so the two agree exactly; and the shape of the
// grid they colour. Internal to core/.

#include "core/GEO_MakeLand.h"
#include "core/TorusMath.h"

#include <cstdint>

namespace colours {

constexpr uint8_t regionTints[7][3] = {
    {128, 128, 128}, {255, 128, 128}, {128, 128, 255}, {128, 255, 128},
    {192, 192, 128}, {128, 192, 192}, {192, 128, 192},
};

// (channel x tint) div 255 for every channel value, so tinting is a lookup.
struct TintTable {
    uint8_t value[7][3][256];
};
constexpr TintTable MakeTintTable() {
    TintTable t{};
    for (int k = 0; k < 7; ++k)
        for (int c = 0; c < 3; ++c)
            for (int v = 0; v < 256; ++v)
                t.value[k][c][v] = uint8_t(v * regionTints[k][c] / 255);
    return t;
}
inline constexpr TintTable tintTable = MakeTintTable();

inline constexpr uint32_t blackPixel = 0xFF000000u;

struct Rgb {
    uint32_t r, g, b;
};

// Truncation toward zero keeping the low 8 bits. NaN and values outside int32
// give 0, which is what the processor's truncating conversion (INT32_MIN)
// leaves in the low byte; in C++ the conversion itself would be undefined.
inline uint32_t Channel(double v) {
    const double inRange = (v > -2147483649.0 && v < 2147483648.0) ? v : 0.0;
    return static_cast<uint32_t>(static_cast<int32_t>(inRange)) & 0xFFu;
}

// The water level and the half-height of the land bands, fixed for a terrain.
struct Bands {
    explicit Bands(double waterLevel)
        : water(waterLevel), half((1 - waterLevel) * 0.5), lowTop(waterLevel + half) {}
    double water;
    double half;
    double lowTop;
};

// Each band divides once: water a / W, low land (a - W) / m, high land
// (a - W - m) / m; choosing the operands first keeps it to one division per
// cell. With W = 0 only a <= 0 is water, and a / 0 is NaN or -inf there, so
// those cells come out black.
inline Rgb PlainColour(double a, const Bands& b) {
    const double w = b.water;
    const double m = b.half;
    const bool land = a > w;
    const bool high = a > b.lowTop;  // implies land unless the bands are inverted
    const double numerator = !land ? a : high ? a - w - m : a - w;
    const double q = numerator / (land ? m : w);
    if (!land) {
        const uint32_t rg = Channel(q * 64);
        return {rg, rg, Channel(q * 192)};
    }
    if (!high)
        return {Channel(255 - q * 127), 255, Channel(255 - q * 255)};
    return {Channel(q * 127 + 128), Channel(255 - q * 255), 0};
}

using Tint = uint8_t[3][256];

inline const Tint& TintOf(uint16_t region) {
    return tintTable.value[region % 7];
}

inline Rgb Tinted(Rgb c, const Tint& k) {
    return {k[0][c.r], k[1][c.g], k[2][c.b]};
}

template <bool asPixels> constexpr uint32_t Compose(Rgb c) {
    if constexpr (asPixels)
        return blackPixel | c.r << 16 | c.g << 8 | c.b;
    else
        return c.r | c.g << 8 | c.b << 16;
}

// The size the cells form a grid of, when they form one. Otherwise the shape
// is not exact: rows of `w` cells, the last one possibly short, and every
// read is checked against the cell count.
struct Shape {
    int32_t w = 0;
    int32_t h = 0;
    bool exact = false;
};

inline Shape ShapeOf(const GEO_MakeLand& t) {
    const GEO_MakeLand::GridSize size = t.CellGridSize();
    if (size.formsGrid)
        return {size.width, size.height, true};
    const int64_t n = t.GetSize();
    int32_t w = t.gridWidth > 0 ? t.gridWidth : t.width > 0 ? t.width : 1;
    if (n > 0 && w > n)
        w = static_cast<int32_t>(n);
    return {w, static_cast<int32_t>((n + w - 1) / w), false};
}

// A terrain without cells may have no size to wrap in.
inline int32_t Wrap(int32_t v, int32_t size) {
    return size > 0 ? static_cast<int32_t>(FloorMod(v, size)) : 0;
}

}  // namespace colours
