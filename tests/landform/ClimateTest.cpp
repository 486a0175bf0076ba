// The climate against what the air must do: cool by the lapse rate as it
// rises, rain on the windward slope and leave the lee dry, and the biomes
// where Whittaker's diagram puts them.

#include "landform/Climate.h"
#include "landform/Biomes.h"
#include "landform/Precipitation.h"
#include "landform/Temperature.h"

#include "LandformMaps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

AltitudeGrid GridOf(const TestMap& m) {
    AltitudeGrid grid(m.width, m.height);
    grid.altitudes = m.altitudes;
    return grid;
}

// A sea in the west, then land rising to a ridge in the middle and falling
// to a plain, the same in every row: the wind from the west climbs it.
AltitudeGrid Ridge(int32_t width, int32_t height, Boundary boundary) {
    AltitudeGrid grid(width, height, 0.3);
    grid.boundary = boundary;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = width / 4; x < width; ++x) {
            const int32_t peak = width / 2;
            const double up = 0.5 + 0.4 * double(x - width / 4) / double(peak - width / 4);
            const double down = 0.9 - 0.35 * double(x - peak) / double(width - 1 - peak);
            grid.at(x, y) = x <= peak ? up : down;
        }
    return grid;
}

TEST(TemperatureTest, LandOfOneRowDiffersByTheLapseRateOnly) {
    const TestMap m = RollingMap(7);
    ClimateSettings settings;
    settings.lapseRate = 9;
    settings.heightRangeMetres = 3000;
    const AltitudeGrid grid = GridOf(m);
    const std::vector<float> t = Temperatures(grid, m.waterLevel, settings, false);
    for (int32_t y = 0; y < grid.height; y += 17) {
        const size_t row = size_t(y) * size_t(grid.width);
        for (int32_t x = 1; x < grid.width; ++x) {
            const double a = grid.altitudes[row], b = grid.altitudes[row + size_t(x)];
            const double ha = a > m.waterLevel ? (a - m.waterLevel) * 3000 : 0;
            const double hb = b > m.waterLevel ? (b - m.waterLevel) * 3000 : 0;
            const double expected = 9.0 * (ha - hb) / 1000.0;  // b higher: colder, so negative
            // Each value rounded to single precision once.
            const double tolerance = 4e-7 * (std::fabs(t[row]) + std::fabs(t[row + size_t(x)]));
            EXPECT_NEAR(double(t[row + size_t(x)]) - double(t[row]), expected, tolerance + 1e-6)
                << "row " << y << " column " << x;
        }
    }
}

TEST(TemperatureTest, WrappingMapMeetsAcrossItsTopAndBottom) {
    ClimateSettings settings;
    settings.north = 70;
    settings.south = 10;  // asymmetric: the poleward end is far colder
    const std::vector<double> rows = RowTemperatures(settings, 200, Boundary::Wrap);
    double largestStep = 0;
    for (size_t y = 1; y < rows.size(); ++y)
        largestStep = std::max(largestStep, std::fabs(rows[y] - rows[y - 1]));
    EXPECT_LE(std::fabs(rows.front() - rows.back()), largestStep);
    // An open map keeps the latitudes' own temperatures: cold top, warm bottom.
    const std::vector<double> open = RowTemperatures(settings, 200, Boundary::Open);
    EXPECT_GT(open.back() - open.front(), 20);
    // The default world is symmetric: poles cold, equator warm, in both.
    const std::vector<double> world = RowTemperatures(ClimateSettings{}, 180, Boundary::Wrap);
    EXPECT_LT(world.front(), -25);
    EXPECT_LT(world.back(), -25);
    EXPECT_GT(world[90], 25);
}

TEST(PrecipitationTest, WindwardSlopeWetterThanLeeAndTheWindDecides) {
    for (const Boundary boundary : {Boundary::Wrap, Boundary::Open}) {
        const AltitudeGrid grid = Ridge(200, 8, boundary);
        ClimateSettings settings;
        settings.north = 45;
        settings.south = 44;
        for (const WindFrom wind : {WindFrom::W, WindFrom::E}) {
            settings.wind = wind;
            const Climate c = ClimateOf(grid, 0.4, settings, false);
            double rising = 0, falling = 0;
            int32_t nRising = 0, nFalling = 0;
            for (int32_t x = 51; x < 199; ++x) {
                const double p = c.precipitation[size_t(4 * 200 + x)];
                // Ground that rises along the wind, and that falls.
                const double ahead = grid.at(x + 1, 4) - grid.at(x - 1, 4);
                const double along = wind == WindFrom::W ? ahead : -ahead;
                (along > 0 ? rising : falling) += p;
                ++(along > 0 ? nRising : nFalling);
            }
            ASSERT_GT(nRising, 0);
            ASSERT_GT(nFalling, 0);
            EXPECT_GT(rising / nRising, 1.3 * (falling / nFalling))
                << (boundary == Boundary::Wrap ? "wrap" : "open") << " wind " << int(wind);
        }
        // With the wind from the west the lee plain is drier than the same
        // height on the windward side.
        settings.wind = WindFrom::W;
        const Climate c = ClimateOf(grid, 0.4, settings, false);
        EXPECT_LT(c.precipitation[size_t(4 * 200 + 190)], c.precipitation[size_t(4 * 200 + 60)]);
    }
}

TEST(PrecipitationTest, EveryLandCellGetsFiniteNonNegativeRainInEveryWind) {
    const TestMap m = RollingMap(3, 64, 48);
    for (int w = 0; w <= int(WindFrom::NW); ++w) {
        ClimateSettings settings;
        settings.wind = WindFrom(w);
        const Climate c = ClimateOf(GridOf(m), m.waterLevel, settings, false);
        for (const float p : c.precipitation) {
            ASSERT_TRUE(std::isfinite(p)) << "wind " << w;
            ASSERT_GE(p, 0) << "wind " << w;
        }
    }
}

TEST(PrecipitationTest, NoDataCellsAreAbsentAndLetAirInLikeAnOpenEdge) {
    AltitudeGrid grid = Ridge(60, 4, Boundary::Open);
    grid.noData.assign(grid.altitudes.size(), 0);
    grid.noData[size_t(1 * 60 + 30)] = 1;
    ClimateSettings settings;
    settings.wind = WindFrom::W;
    const Climate c = ClimateOf(grid, 0.4, settings, false);
    EXPECT_TRUE(std::isnan(c.precipitation[size_t(1 * 60 + 30)]));
    EXPECT_TRUE(std::isnan(c.temperatures[size_t(1 * 60 + 30)]));
    EXPECT_EQ(c.biomes[size_t(1 * 60 + 30)], Biome::Water);
    EXPECT_TRUE(std::isfinite(c.precipitation[size_t(1 * 60 + 31)]));
}

TEST(BiomeTest, HandPickedPairsLieWhereTheDiagramPutsThem) {
    const struct {
        double temperature, precipitationMm;
        Biome biome;
    } pairs[] = {
        {27, 3500, Biome::TropicalRainForest},
        {26, 1500, Biome::TropicalSeasonalForest},
        {24, 100, Biome::SubtropicalDesert},
        {17, 600, Biome::Woodland},
        {12, 2500, Biome::TemperateRainForest},
        {8, 1200, Biome::TemperateSeasonalForest},
        {3, 150, Biome::TemperateGrassland},
        {-2, 800, Biome::BorealForest},
        {-12, 300, Biome::Tundra},
        {-8, 150, Biome::Tundra},
    };
    for (const auto& p : pairs)
        EXPECT_EQ(WhittakerBiome(p.temperature, p.precipitationMm), p.biome)
            << p.temperature << " C, " << p.precipitationMm << " mm";
}

TEST(BiomeTest, SnowAboveTheSnowLineAndBeachesOnTheCoast) {
    AltitudeGrid grid(5, 3, 0.6);
    grid.boundary = Boundary::Open;
    grid.at(0, 1) = 0.2;  // the sea
    const std::vector<float> t = {20, 20, 20, 20, -11, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20};
    const std::vector<float> p(15, 1000);
    const std::vector<Biome> b = Biomes(grid, 0.5, t, p);
    EXPECT_EQ(b[5], Biome::Water);
    EXPECT_EQ(b[6], Biome::Beach);
    EXPECT_EQ(b[0], Biome::Beach);
    EXPECT_EQ(b[4], Biome::IceAndSnow);
    EXPECT_EQ(b[7], WhittakerBiome(20, 1000));
    // Across the wrap the sea is the far column's neighbour too.
    grid.boundary = Boundary::Wrap;
    EXPECT_EQ(Biomes(grid, 0.5, t, p)[9], Biome::Beach);
}

TEST(ClimateTest, SameBytesOnOneThreadOrTwo) {
    const TestMap m = RollingMap(11);
    for (const WindFrom wind : {WindFrom::Bands, WindFrom::NE, WindFrom::S}) {
        ClimateSettings settings;
        settings.wind = wind;
        const Climate one = ClimateOf(GridOf(m), m.waterLevel, settings, false);
        const Climate two = ClimateOf(GridOf(m), m.waterLevel, settings, true);
        EXPECT_EQ(0, std::memcmp(one.temperatures.data(), two.temperatures.data(),
                                 one.temperatures.size() * sizeof(float)));
        EXPECT_EQ(0, std::memcmp(one.precipitation.data(), two.precipitation.data(),
                                 one.precipitation.size() * sizeof(float)));
        EXPECT_EQ(one.biomes, two.biomes);
    }
}

}  // namespace
