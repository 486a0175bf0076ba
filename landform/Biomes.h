#pragma once
// What grows where: every land cell's biome from its temperature and
// precipitation by Whittaker's biome diagram (Whittaker 1975, "Communities
// and Ecosystems"), read from a table of temperature and precipitation
// bands, with ice and snow where the year's mean is below the snow line's
// and beaches along the coast.

#include "core/Picture.h"
#include "landform/AltitudeGrid.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

enum class Biome : uint8_t {
    Water,  // the sea at or below the water level, and NoData cells
    IceAndSnow,
    Tundra,
    BorealForest,
    TemperateGrassland,  // and cold desert
    Woodland,            // and shrubland
    TemperateSeasonalForest,
    TemperateRainForest,
    SubtropicalDesert,
    TropicalSeasonalForest,  // and savanna
    TropicalRainForest,
    Beach,
};

struct BiomeInfo {
    Biome biome;
    std::string_view key;  // for files and JSON: "boreal_forest"
    std::string_view english;
    std::string_view japanese;
    uint32_t rgb;  // 0xRRGGBB
};

// Every biome, in the order of its id.
std::span<const BiomeInfo> BiomeTable();
const BiomeInfo& InfoOf(Biome biome);

// Ice and snow lie where the mean annual temperature is below this.
constexpr double snowLineTemperature = -10;

// The diagram's biome for a mean annual temperature (degrees Celsius) and
// precipitation (mm a year); neither ice nor beach.
Biome WhittakerBiome(double temperature, double precipitation);

// Every cell's biome: water for the sea and NoData, ice and snow below the
// snow line's temperature, beach for land above freezing next to the sea
// (four neighbours, across the wrap as the grid says), the diagram elsewhere.
std::vector<Biome> Biomes(const AltitudeGrid& grid, double waterLevel,
                          const std::vector<float>& temperatures,
                          const std::vector<float>& precipitation);

// Colours the pixels of land cells by their biome; water keeps the colours
// the picture gave it. The picture is one pixel per cell of the same grid.
void PaintBiomes(Picture& picture, const std::vector<Biome>& biomes);
