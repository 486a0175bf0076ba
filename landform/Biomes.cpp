#include "landform/Biomes.h"

#include <iterator>

namespace {

using B = Biome;

constexpr BiomeInfo biomes[] = {
    {B::Water, "water", "Water", "水域", 0x3A6EA5},
    {B::IceAndSnow, "ice_and_snow", "Ice and snow", "氷雪", 0xF4F7FA},
    {B::Tundra, "tundra", "Tundra", "ツンドラ", 0x9FA59A},
    {B::BorealForest, "boreal_forest", "Boreal forest", "北方林", 0x3E6B4F},
    {B::TemperateGrassland, "temperate_grassland", "Temperate grassland and cold desert",
     "温帯草原・寒冷砂漠", 0xC9BE7C},
    {B::Woodland, "woodland", "Woodland and shrubland", "疎林・低木林", 0xA8A350},
    {B::TemperateSeasonalForest, "temperate_seasonal_forest", "Temperate seasonal forest",
     "温帯季節林", 0x5E9A3C},
    {B::TemperateRainForest, "temperate_rain_forest", "Temperate rain forest", "温帯雨林",
     0x2F7F5A},
    {B::SubtropicalDesert, "subtropical_desert", "Subtropical desert", "亜熱帯砂漠", 0xE3C58A},
    {B::TropicalSeasonalForest, "tropical_seasonal_forest", "Tropical seasonal forest and savanna",
     "熱帯季節林・サバンナ", 0x9BAA2F},
    {B::TropicalRainForest, "tropical_rain_forest", "Tropical rain forest", "熱帯雨林", 0x1E6A26},
    {B::Beach, "beach", "Beach", "砂浜", 0xEEDFB0},
};

constexpr bool InIdOrder() {
    for (size_t i = 0; i < std::size(biomes); ++i)
        if (biomes[i].biome != Biome(i))
            return false;
    return true;
}
static_assert(InIdOrder(), "InfoOf finds a biome by its id's position");

// Whittaker's diagram in bands: a row's temperatures start at its bound (the
// first row has none below it), a column's precipitation likewise.
constexpr double temperatureBounds[] = {-5, 0, 5, 10, 15, 20, 25};           // degrees Celsius
constexpr double precipitationBounds[] = {25, 50, 100, 150, 200, 250, 300};  // cm a year

constexpr B Tu = B::Tundra, Bo = B::BorealForest, Gr = B::TemperateGrassland, Wo = B::Woodland,
            TS = B::TemperateSeasonalForest, TR = B::TemperateRainForest, SD = B::SubtropicalDesert,
            Sa = B::TropicalSeasonalForest, RF = B::TropicalRainForest;

constexpr B diagram[8][8] = {
    //  <25 25-50 50-100 -150 -200 -250 -300 300+  cm
    {Tu, Tu, Tu, Tu, Tu, Tu, Tu, Tu},  // below -5 C
    {Tu, Bo, Bo, Bo, Bo, Bo, Bo, Bo},  // -5..0
    {Gr, Bo, Bo, Bo, Bo, Bo, Bo, Bo},  // 0..5
    {Gr, Wo, TS, TS, TR, TR, TR, TR},  // 5..10
    {Gr, Wo, TS, TS, TR, TR, TR, TR},  // 10..15
    {SD, Wo, Wo, TS, TS, TR, TR, TR},  // 15..20
    {SD, SD, Sa, Sa, Sa, Sa, RF, RF},  // 20..25
    {SD, SD, Sa, Sa, Sa, Sa, RF, RF},  // 25 and above
};

template <size_t N> size_t Band(const double (&bounds)[N], double value) {
    size_t band = 0;
    while (band < N && value >= bounds[band])
        ++band;
    return band;
}

}  // namespace

std::span<const BiomeInfo> BiomeTable() {
    return biomes;
}

const BiomeInfo& InfoOf(Biome biome) {
    return biomes[size_t(biome)];
}

Biome WhittakerBiome(double temperature, double precipitation) {
    return diagram[Band(temperatureBounds, temperature)]
                  [Band(precipitationBounds, precipitation / 10.0)];
}

std::vector<Biome> Biomes(const AltitudeGrid& grid, double waterLevel,
                          const std::vector<float>& temperatures,
                          const std::vector<float>& precipitation) {
    std::vector<Biome> out(grid.altitudes.size(), Biome::Water);
    const auto sea = [&](int64_t i) {
        return i >= 0 && (grid.noData.empty() || !grid.noData[size_t(i)]) &&
               grid.altitudes[size_t(i)] <= waterLevel;
    };
    static constexpr int32_t around[4][2] = {{0, -1}, {-1, 0}, {1, 0}, {0, 1}};
    for (int32_t y = 0; y < grid.height; ++y) {
        for (int32_t x = 0; x < grid.width; ++x) {
            const size_t i = size_t(y) * size_t(grid.width) + size_t(x);
            if ((!grid.noData.empty() && grid.noData[i]) || grid.altitudes[i] <= waterLevel)
                continue;
            const double t = temperatures[i];
            if (t < snowLineTemperature) {
                out[i] = Biome::IceAndSnow;
                continue;
            }
            bool coast = false;
            for (const auto& d : around)
                coast = coast || sea(NeighbourCell(x, y, d[0], d[1], grid.width, grid.height,
                                                   grid.boundary));
            out[i] = coast && t > 0 ? Biome::Beach : WhittakerBiome(t, precipitation[i]);
        }
    }
    return out;
}

void PaintBiomes(Picture& picture, const std::vector<Biome>& biomes) {
    const size_t n = picture.pixels.size() < biomes.size() ? picture.pixels.size() : biomes.size();
    for (size_t i = 0; i < n; ++i)
        if (biomes[i] != Biome::Water)
            picture.pixels[i] = 0xFF000000u | InfoOf(biomes[i]).rgb;
}
