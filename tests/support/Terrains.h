#pragma once
// A sample terrain whose every byte is worth checking, and a field-for-field,
// bit-for-bit comparison of two terrains. Free of any test framework, so that
// the gtest and the Qt Test programs share it.

#include "core/GEO_MakeLand.h"
#include "core/Picture.h"
#include "core/PointMarks.h"
#include "tests/support/Bits.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace testsupport {

// No field at its default: odd float64 patterns (a NaN with a payload, -0.0, a
// subnormal), a stored point count that is not the list's length, points off
// the grid, and cells whose every byte differs, the reserved ones included.
inline GEO_MakeLand SampleTerrain(int32_t w = 3, int32_t h = 2, int32_t points = 2) {
    GEO_MakeLand t;
    t.seed = 0x123456789ABCDEF0ull;
    t.width = t.gridWidth = w;
    t.height = t.gridHeight = h;
    t.unitAmount = 77;
    t.processAmount = FromBits(0x3F50624DD2F1A9FCull);
    t.waterLevel = FromBits(0x7FF8000000000123ull);
    t.concentrationRate = -0.0;
    t.concentrationAmount = FromBits(0x0000000000000001ull);
    t.concentrationPointCount = 9;
    t.keepRandomState = 1;
    t.manualPlacement = 1;
    t.progressTotal = 1234;
    t.progressCount = 99;
    t.twoThreads = 1;
    for (int32_t i = 0; i < points; ++i)
        t.concentrationPoints.Add({i * 3 - 1, 100000 + i});
    t.SetSize(w * h);
    for (int32_t i = 0; i < w * h; ++i) {
        auto* bytes = reinterpret_cast<unsigned char*>(&t[i]);
        for (size_t b = 0; b < sizeof(LandCell); ++b)
            bytes[b] = static_cast<unsigned char>(i * 31 + int(b) * 7 + 1);
    }
    return t;
}

// The terrain's concentration points, for comparing with EXPECT_EQ.
inline std::vector<Point> PointsOf(const GEO_MakeLand& t) {
    return {t.concentrationPoints.begin(), t.concentrationPoints.end()};
}

// v modulo n, on the grid for every v (n > 0).
inline int64_t Wrap(int64_t v, int64_t n) {
    const int64_t r = v % n;
    return r < 0 ? r + n : r;
}

// The picture rendering must give: CellColour of every cell, pixel for pixel,
// with the concentration points' marks over it when regions are shown.
inline Picture ExpectedPicture(const GEO_MakeLand& terrain, bool regions) {
    Picture expected(terrain.gridWidth, terrain.gridHeight);
    for (int32_t i = 0; i < terrain.GetSize(); ++i)
        expected.pixels[size_t(i)] = PixelFromColorRef(terrain.CellColour(i, regions));
    if (regions) {
        Picture marks(terrain.gridWidth, terrain.gridHeight, 0);
        DrawPointMarks(marks, terrain.concentrationPoints);
        for (size_t p = 0; p < marks.pixels.size(); ++p)
            if (marks.pixels[p] != 0)
                expected.pixels[p] = marks.pixels[p];
    }
    return expected;
}

// "" when `picture` is the terrain's picture, else where it first differs;
// for any test framework to compare with "".
inline std::string PictureMismatch(const Picture& picture, const GEO_MakeLand& terrain,
                                   bool regions) {
    const Picture expected = ExpectedPicture(terrain, regions);
    if (picture.width != expected.width || picture.height != expected.height)
        return "size " + std::to_string(picture.width) + " x " + std::to_string(picture.height) +
               ", expected " + std::to_string(expected.width) + " x " +
               std::to_string(expected.height);
    for (size_t p = 0; p < expected.pixels.size(); ++p)
        if ((picture.pixels[p] & 0xFFFFFFu) != (expected.pixels[p] & 0xFFFFFFu))
            return "pixel " + std::to_string(p % size_t(expected.width)) + "," +
                   std::to_string(p / size_t(expected.width)) + " differs";
    return "";
}

inline bool SameCells(const GEO_MakeLand& a, const GEO_MakeLand& b) {
    return a.GetSize() == b.GetSize() &&
           (a.GetSize() == 0 ||
            std::memcmp(a.GetData(), b.GetData(), sizeof(LandCell) * size_t(a.GetSize())) == 0);
}

// The names of the fields in which a and b differ, bit for bit; empty when
// they are the same terrain.
inline std::string DifferingFields(const GEO_MakeLand& a, const GEO_MakeLand& b) {
    const std::pair<const char*, bool> fields[] = {
        {"seed", a.seed == b.seed},
        {"width", a.width == b.width},
        {"height", a.height == b.height},
        {"unitAmount", a.unitAmount == b.unitAmount},
        {"processAmount", Bits(a.processAmount) == Bits(b.processAmount)},
        {"waterLevel", Bits(a.waterLevel) == Bits(b.waterLevel)},
        {"concentrationRate", Bits(a.concentrationRate) == Bits(b.concentrationRate)},
        {"concentrationAmount", Bits(a.concentrationAmount) == Bits(b.concentrationAmount)},
        {"concentrationPointCount", a.concentrationPointCount == b.concentrationPointCount},
        {"concentrationPoints",
         std::equal(a.concentrationPoints.begin(), a.concentrationPoints.end(),
                    b.concentrationPoints.begin(), b.concentrationPoints.end())},
        {"keepRandomState", a.keepRandomState == b.keepRandomState},
        {"manualPlacement", a.manualPlacement == b.manualPlacement},
        {"progressTotal", a.progressTotal == b.progressTotal},
        {"progressCount", a.progressCount == b.progressCount},
        {"twoThreads", a.twoThreads == b.twoThreads},
        {"gridWidth", a.gridWidth == b.gridWidth},
        {"gridHeight", a.gridHeight == b.gridHeight},
        {"cells", SameCells(a, b)},
    };
    std::string names;
    for (const auto& [name, same] : fields)
        if (!same)
            names += (names.empty() ? "" : ", ") + std::string(name);
    return names;
}

}  // namespace testsupport
