#pragma once
// A map's climate: every cell's temperature, precipitation and biome, made
// together from the shaped heights at one water level.

#include "landform/AltitudeGrid.h"
#include "landform/Biomes.h"
#include "landform/ClimateSettings.h"

#include <cstdint>
#include <vector>

struct Climate {
    std::vector<float> temperatures;   // degrees Celsius
    std::vector<float> precipitation;  // mm a year
    std::vector<Biome> biomes;
};

// The same bytes on one thread or two.
Climate ClimateOf(const AltitudeGrid& grid, double waterLevel, const ClimateSettings& settings,
                  bool twoThreads);

// How many land cells (neither water nor NoData) each biome holds, by id.
std::vector<uint64_t> BiomeCounts(const std::vector<Biome>& biomes);
