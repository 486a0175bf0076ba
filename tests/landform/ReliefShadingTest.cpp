// Relief shading: flat land and the sea keep their colours, a slope facing
// the north-west light is brighter than one facing away, and no channel
// leaves 0..255.

#include "landform/ReliefShading.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>

namespace {

constexpr uint32_t grey = 0xFF808080u;

uint32_t Red(uint32_t p) {
    return (p >> 16) & 0xFFu;
}

TEST(ReliefShading, LightsSlopesFacingTheNorthWestAndLeavesFlatsAndSea) {
    // A pyramid on a plain at 0.6 above water at 0.5, and a sea cell.
    AltitudeGrid g(16, 16, 0.6);
    for (int32_t y = 4; y < 12; ++y)
        for (int32_t x = 4; x < 12; ++x)
            g.at(x, y) = 0.6 + 0.01 * double(4 - std::max(std::abs(x - 8), std::abs(y - 8)) + 4);
    g.at(0, 15) = 0.1;
    Picture p(16, 16, grey);
    ShadeRelief(p, g, 0.5);

    EXPECT_EQ(grey, p.at(1, 1));          // flat
    EXPECT_EQ(grey, p.at(0, 15));         // sea, even beside a step
    EXPECT_GT(Red(p.at(5, 5)), 0x80u);    // north-west face
    EXPECT_LT(Red(p.at(10, 10)), 0x80u);  // south-east face
    EXPECT_DOUBLE_EQ(1.0, ReliefLight(g, 1, 1));

    // White land on slopes of 0.6 facing towards and away from the light.
    AltitudeGrid steep(4, 4, 0.9);
    steep.at(1, 1) = 0.9 - 1.2 / reliefExaggeration;
    Picture white(4, 4, 0xFFFFFFFFu);
    ShadeRelief(white, steep, 0.5);
    EXPECT_EQ(0xFFFFFFFFu, white.at(2, 1));  // faces away from the low cell: lit
    EXPECT_LT(Red(white.at(0, 1)), 0xFFu);
}

// A cell on the first or last row or column takes its neighbours across the
// edge like any other cell: shading the grid and its picture rolled by
// (dx, dy) gives the shaded picture rolled by as much, for every roll.
TEST(ReliefShading, RollingTheGridRollsTheShading) {
    const int32_t w = 7, h = 5;
    const double waterLevel = 0.505;
    std::mt19937 rng(45);
    AltitudeGrid g(w, h);
    Picture colours(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            g.at(x, y) = 0.5 + double(rng() % 1000) / 50000.0;  // some of it sea
            colours.at(x, y) = 0xFF000000u | (rng() & 0xFFFFFFu);
        }
    Picture shaded = colours;
    ShadeRelief(shaded, g, waterLevel);
    for (int32_t dy = 0; dy < h; ++dy)
        for (int32_t dx = 0; dx < w; ++dx) {
            AltitudeGrid rolledGrid(w, h);
            Picture rolled(w, h);
            for (int32_t y = 0; y < h; ++y)
                for (int32_t x = 0; x < w; ++x) {
                    rolledGrid.at((x + dx) % w, (y + dy) % h) = g.at(x, y);
                    rolled.at((x + dx) % w, (y + dy) % h) = colours.at(x, y);
                }
            ShadeRelief(rolled, rolledGrid, waterLevel);
            for (int32_t y = 0; y < h; ++y)
                for (int32_t x = 0; x < w; ++x)
                    ASSERT_EQ(shaded.at(x, y), rolled.at((x + dx) % w, (y + dy) % h))
                        << "cell " << x << ", " << y << " rolled by " << dx << ", " << dy;
        }
    EXPECT_NE(shaded.pixels, colours.pixels);
}

}  // namespace
