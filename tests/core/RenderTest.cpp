#include "ReferenceRender.h"
#include "core/GEO_MakeLand.h"
#include "core/PointMarks.h"
#include "tests/support/SteppedTicks.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace {

// A grid set up as a generation or a load leaves it.
void MakeGrid(GEO_MakeLand& t, int32_t w, int32_t h) {
    t.width = t.gridWidth = w;
    t.height = t.gridHeight = h;
    t.SetSize(w * h);
}

COLORREF ColourOf(double altitude, double waterLevel = 0.5) {
    GEO_MakeLand t;
    MakeGrid(t, 1, 1);
    t[0].altitude = altitude;
    t.waterLevel = waterLevel;
    return t.CellColour(0, false);
}

struct ColourCase {
    double altitude;
    COLORREF colour;
};

TEST(CellColour, BandsAtTheDefaultWaterLevel) {
    const ColourCase cases[] = {
        {0.0, RGB(0, 0, 0)},
        {0.25, RGB(32, 32, 96)},
        {0.5, RGB(64, 64, 192)},  // at the water level: still water
        {std::nextafter(0.5, 1.0), RGB(254, 255, 254)},
        {0.625, RGB(191, 255, 127)},
        {0.75, RGB(128, 255, 0)},  // last low-land value
        {0.875, RGB(191, 127, 0)},
        {1.0, RGB(255, 0, 0)},
    };
    for (const ColourCase& c : cases)
        EXPECT_EQ(ColourOf(c.altitude), c.colour) << c.altitude;
}

TEST(CellColour, WaterLevelExtremes) {
    // Level 1: everything is water, the top a full water blue.
    EXPECT_EQ(ColourOf(1.0, 1.0), RGB(64, 64, 192));
    EXPECT_EQ(ColourOf(0.5, 1.0), RGB(32, 32, 96));
    // Level 0: only altitude 0 is water, and black; the rest is land.
    EXPECT_EQ(ColourOf(0.0, 0.0), RGB(0, 0, 0));
    EXPECT_EQ(ColourOf(1e-9, 0.0), RGB(254, 255, 254));
    EXPECT_EQ(ColourOf(0.5, 0.0), RGB(128, 255, 0));
    EXPECT_EQ(ColourOf(1.0, 0.0), RGB(255, 0, 0));
}

TEST(CellColour, ChannelsKeepTheLowEightBits) {
    // Out of the normalised range only after a foreign file: wraps, never saturates.
    // High land at 2.0: red (int)763 -> 251, green (int)-1020 -> 4.
    EXPECT_EQ(ColourOf(2.0), RGB(251, 4, 0));
    GEO_MakeLand t;
    MakeGrid(t, 1, 1);
    t[0].altitude = 2.0;
    EXPECT_EQ(t.CellColour(0, false), ReferenceCellColour(t, 0, false));
    // Below zero: water with negative channels, -32 -> 224, -96 -> 160.
    EXPECT_EQ(ColourOf(-0.25), RGB(224, 224, 160));
    // Nothing representable: black, and no undefined conversion.
    EXPECT_EQ(ColourOf(std::numeric_limits<double>::quiet_NaN()), RGB(0, 0, 0));
    EXPECT_EQ(ColourOf(1e300), RGB(0, 0, 0));
    EXPECT_EQ(ColourOf(0.7, std::numeric_limits<double>::quiet_NaN()), RGB(0, 0, 0));
}

// A 5 x 4 grid of one region with the given cells in region 1.
void RegionGrid(GEO_MakeLand& t, std::initializer_list<Point> others, double altitude = 0.5) {
    t.SetSize(0);
    t.concentrationPoints.RemoveAll();
    MakeGrid(t, 5, 4);
    for (LandCell& c : t)
        c.altitude = altitude;
    for (Point p : others)
        t[p.x + 5 * p.y].region = 1;
    t.concentrationPoints.Add({0, 0});
}

TEST(CellColour, RegionTintsAndBorders) {
    GEO_MakeLand t;
    RegionGrid(t, {});
    for (LandCell& c : t)
        c.region = 1;
    EXPECT_EQ(t.CellColour(7, true), RGB(64, 32, 96));  // (64, 64, 192) tinted by (255, 128, 128)
    EXPECT_EQ(t.CellColour(7, false), RGB(64, 64, 192));

    // Full channels: 255 by 255 stays, 255 by 128 halves.
    RegionGrid(t, {}, 1.0);  // red (255, 0, 0)
    for (LandCell& c : t)
        c.region = 1;
    EXPECT_EQ(t.CellColour(0, true), RGB(255, 0, 0));
    RegionGrid(t, {}, std::nextafter(0.5, 1.0));  // (254, 255, 254) under tint 0 (128 each)
    EXPECT_EQ(t.CellColour(0, true), RGB(127, 128, 127));  // 254 * 128 div 255 = 127

    // The tint index is the region as unsigned 16-bit, mod 7.
    for (uint16_t region : {uint16_t(7), uint16_t(65535)}) {
        RegionGrid(t, {});
        for (LandCell& c : t)
            c.region = region;
        EXPECT_EQ(t.CellColour(0, true), region == 7 ? RGB(32, 32, 96) : RGB(64, 32, 96));
    }
}

TEST(CellColour, BordersWrapAcrossEveryEdge) {
    GEO_MakeLand t;
    RegionGrid(t, {{4, 3}});  // bottom-right corner in region 1
    const COLORREF white = RGB(255, 255, 255);
    // Its eight neighbours, four of them across the wrapped edges.
    for (Point p : {Point{3, 2}, Point{4, 2}, Point{0, 2}, Point{3, 3}, Point{0, 3}, Point{3, 0},
                    Point{4, 0}, Point{0, 0}, Point{4, 3}})
        EXPECT_EQ(t.CellColour(p.x + 5 * p.y, true), white) << p.x << "," << p.y;
    EXPECT_EQ(t.CellColour(1 + 5 * 1, true), RGB(32, 32, 96));
    EXPECT_EQ(t.CellColour(2 + 5 * 1, true), RGB(32, 32, 96));
}

TEST(CellColour, RegionsNeedConcentrationPoints) {
    GEO_MakeLand t;
    RegionGrid(t, {{2, 2}});
    t.concentrationPoints.RemoveAll();
    t.concentrationPointCount = 4;  // the count alone does not turn regions on
    for (int32_t i = 0; i < t.GetSize(); ++i)
        EXPECT_EQ(t.CellColour(i, true), RGB(64, 64, 192));
}

TEST(WrapCell, MathematicalModuloOfTheGridSize) {
    GEO_MakeLand t;
    MakeGrid(t, 5, 4);
    EXPECT_EQ(t.WrapCell(-1, -1), (Point{4, 3}));
    EXPECT_EQ(t.WrapCell(-5, -4), (Point{0, 0}));
    EXPECT_EQ(t.WrapCell(-6, 9), (Point{4, 1}));
    EXPECT_EQ(t.WrapCell(5, 4), (Point{0, 0}));
    EXPECT_EQ(t.WrapCell(INT_MIN, INT_MAX), (Point{2, 3}));  // no overflow in |x|

    // Hand placement changed width/height before the cells: the grid's own size rules.
    t.width = 300;
    t.height = 200;
    EXPECT_EQ(t.WrapCell(-1, -1), (Point{4, 3}));

    GEO_MakeLand empty;  // no grid yet: the parameters
    EXPECT_EQ(empty.WrapCell(-1, -1), (Point{1279, 1023}));
}

// Random grids whose regions come in patches, so both borders and interiors
// occur, or are labelled by nearest point with ties.
void RandomGrid(GEO_MakeLand& t, std::mt19937& rng) {
    std::uniform_int_distribution<int32_t> size(1, 14);
    MakeGrid(t, size(rng), size(rng));
    const double levels[] = {0.0, 0.25, 0.5, 0.5, 0.9, 1.0};
    t.waterLevel = levels[rng() % 6];
    std::uniform_real_distribution<double> any(0.0, 1.0);
    const double edges[] = {0.0, 1.0, t.waterLevel, std::nextafter(t.waterLevel, 2.0),
                            t.waterLevel + (1 - t.waterLevel) * 0.5};
    const int patch = 1 + int(rng() % 4);
    const uint16_t regions[] = {0, 1, 2, 7, 65535, 13};
    const int regionKinds = 1 + int(rng() % 5);
    for (int32_t i = 0; i < t.GetSize(); ++i) {
        t[i].altitude = rng() % 4 == 0 ? edges[rng() % 5] : any(rng);
        const int x = i % t.width / patch, y = i / t.width / patch;
        t[i].region = rng() % 6 == 0 ? regions[rng() % 6] : regions[(x * 3 + y * 5) % regionKinds];
    }
    t.concentrationPoints.RemoveAll();
    if (rng() % 5 != 0)
        t.concentrationPoints.Add({0, 0});
    if (rng() % 3 == 0) {
        // Regions as the generator labels them, from points placed symmetrically
        // so that many cells lie at equal distance from two of them.
        t.concentrationPoints.RemoveAll();
        const int32_t count = 2 + int32_t(rng() % 3);
        for (int32_t k = 0; k < count; ++k)
            t.concentrationPoints.Add({(k * t.width) / count, (k % 2) * (t.height / 2)});
        for (int32_t i = 0; i < t.GetSize(); ++i)
            t[i].region = uint16_t(t.NearestConcentrationPoint(i % t.width, i / t.width));
    }
}

TEST(Render, MatchesTheLiteralRendererOnRandomGrids) {
    std::mt19937 rng(20240611);
    for (int round = 0; round < 3000; ++round) {
        GEO_MakeLand t;
        RandomGrid(t, rng);
        const bool regions = rng() % 4 != 0;
        // The same size, smaller and larger pictures.
        const int32_t pw = std::max(0, t.width + int32_t(rng() % 5) - 2);
        const int32_t ph = std::max(0, t.height + int32_t(rng() % 5) - 2);
        const Picture expected = ReferenceRender(t, pw, ph, regions);
        for (int threads = 1; threads <= 2; ++threads) {
            t.twoThreads = threads == 2;
            Picture picture(pw, ph, 0x12345678u);
            t.Render(picture, regions);
            ASSERT_EQ(picture.pixels, expected.pixels)
                << "round " << round << ", " << t.width << "x" << t.height << ", threads "
                << threads << ", regions " << regions;
        }
        for (int32_t i = 0; i < t.GetSize(); ++i)
            ASSERT_EQ(t.CellColour(i, regions), ReferenceCellColour(t, i, regions));
    }
}

TEST(Render, OneAndTwoThreadsAgreeOnLargeGrids) {
    // Square, tall and thin (the colour rows cycle many times through their
    // ring), and wide and flat.
    for (Point size : {Point{613, 487}, Point{7, 30011}, Point{3000, 41}}) {
        GEO_MakeLand t;
        MakeGrid(t, size.x, size.y);
        std::mt19937 rng(7);
        std::uniform_real_distribution<double> any(0.0, 1.0);
        for (int32_t i = 0; i < t.GetSize(); ++i) {
            const int x = i % size.x, y = i / size.x;
            t[i].altitude = any(rng);
            t[i].region = uint16_t((x / 40 + 3 * (y / 30)) % 5);
        }
        t.concentrationPoints.Add({1, 1});
        for (bool regions : {false, true}) {
            Picture one(size.x, size.y), two(size.x, size.y);
            t.twoThreads = 0;
            t.Render(one, regions);
            t.twoThreads = 1;
            t.Render(two, regions);
            EXPECT_EQ(one.pixels, two.pixels) << size.x << "x" << size.y;
            EXPECT_EQ(one.pixels, ReferenceRender(t, size.x, size.y, regions).pixels);
        }
    }
}

TEST(Render, UsesTheGridsOwnSizeWhilePlacementChangedTheParameters) {
    GEO_MakeLand t;
    std::mt19937 rng(3);
    RandomGrid(t, rng);
    MakeGrid(t, 6, 5);
    for (int32_t i = 0; i < 30; ++i)
        t[i].altitude = i / 29.0;
    const Picture expected = ReferenceRender(t, 6, 5, true);
    t.width = 2000;
    t.height = 1500;
    for (int threads = 1; threads <= 2; ++threads) {
        t.twoThreads = threads == 2;
        Picture picture(6, 5);
        t.Render(picture, true);
        EXPECT_EQ(picture.pixels, expected.pixels);
    }
}

TEST(Render, InconsistentGridReadsOnlyItsCells) {
    // Ten cells under a 4 x 4 grid size: rows of four, the last one short.
    GEO_MakeLand t;
    t.width = t.height = 3;
    t.gridWidth = t.gridHeight = 4;
    t.SetSize(10);
    for (int32_t i = 0; i < 10; ++i) {
        t[i].altitude = 1.0;
        t[i].region = 2;
    }
    t.concentrationPoints.Add({0, 0});
    for (int threads = 1; threads <= 2; ++threads) {
        t.twoThreads = threads == 2;
        Picture picture(4, 4);
        t.Render(picture, true);
        EXPECT_EQ(picture.at(1, 2), PixelFromColorRef(t.CellColour(9, true)));
        EXPECT_EQ(picture.at(2, 2), 0xFF000000u);
        EXPECT_EQ(picture.at(3, 3), 0xFF000000u);
    }
}

std::vector<int32_t> progressCalls;
std::vector<uint32_t> progressTicks;
bool Record(GEO_MakeLand& t, const ProgressReport& report) {
    EXPECT_EQ(report.phase, ProgressPhase::Rendering);
    EXPECT_EQ(report.total, t.GetSize());
    progressCalls.push_back(report.done);
    progressTicks.push_back(testsupport::SteppedTicks::Now());
    return true;
}

TEST(Render, ProgressStartsAtZeroAndEndsAtTheCellCount) {
    // 70 ticks a read: the throttle lets every third look at the clock through.
    const testsupport::SteppedTicks ticks(0, 70);
    GEO_MakeLand t;
    progressCalls.clear();
    Picture picture(3, 3, 0x12345678u);
    t.Render(picture, true, &Record);
    EXPECT_EQ(progressCalls, std::vector<int32_t>{0});  // empty grid: only the start
    EXPECT_EQ(picture.pixels, std::vector<uint32_t>(9, 0xFF000000u));

    MakeGrid(t, 300, 200);
    for (int32_t i = 0; i < t.GetSize(); ++i)
        t[i].region = uint16_t(i % 3000 / 700);
    t.concentrationPoints.Add({0, 0});
    for (int threads = 1; threads <= 2; ++threads) {
        SCOPED_TRACE(threads);
        t.twoThreads = threads == 2;
        progressCalls.clear();
        progressTicks.clear();
        Picture big(300, 200);
        t.Render(big, true, &Record);
        ASSERT_GE(progressCalls.size(), 2u);
        EXPECT_EQ(progressCalls.front(), 0);
        EXPECT_EQ(progressCalls.back(), t.GetSize());
        for (size_t k = 1; k + 1 < progressCalls.size(); ++k) {
            EXPECT_EQ(progressCalls[k] % 200, 0);
            EXPECT_GT(progressCalls[k], progressCalls[k - 1]);
            EXPECT_LT(progressCalls[k], t.GetSize());
            if (k > 1) {
                EXPECT_GE(progressTicks[k] - progressTicks[k - 1], 200u);
            }
        }
        // 300 chances to report, one in three taken.
        EXPECT_GE(progressCalls.size(), 90u);
    }
}

// The marks' disc, written out: pixel centre inside the inscribed circle.
bool InMark(int dx, int dy) {
    return (2 * dx + 1 - 10) * (2 * dx + 1 - 10) + (2 * dy + 1 - 10) * (2 * dy + 1 - 10) <= 100;
}

TEST(PointMarks, FilledDiscsClippedToThePicture) {
    const uint32_t orange = PixelFromColorRef(RGB(255, 128, 0));
    EXPECT_EQ(orange, 0xFFFF8000u);
    Picture picture(30, 20);
    PointArray points;
    points.Add({15, 10});
    points.Add({1, 18});       // cut at the left and bottom edges
    points.Add({-100000, 5});  // entirely off
    points.Add({INT_MAX, INT_MIN});
    DrawPointMarks(picture, points);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 30; ++x) {
            const bool first = x >= 10 && x < 20 && y >= 5 && y < 15 && InMark(x - 10, y - 5);
            const bool second = x < 6 && y >= 13 && InMark(x + 4, y - 13);
            EXPECT_EQ(picture.at(x, y), first || second ? orange : 0xFF000000u) << x << "," << y;
        }
    }
}

}  // namespace
